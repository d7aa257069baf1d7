// What a wildcard source stands for: the matching entries of its folder.
#ifndef VANDRIX_ENGINE_PLAN_MATCHES_H_
#define VANDRIX_ENGINE_PLAN_MATCHES_H_

#include <string>

#include "engine/base/path_text.h"

namespace engine {

/// True when `name` matches `pattern`: '*' stands for any run of
/// characters, '?' for one; letter case counts; a leading dot is an
/// ordinary character; "*.*" matches every name, with a dot or not.
bool MatchesPattern(const std::string& pattern, const std::string& name);

/// The entries of the folder of `source` (a path whose last component is a
/// pattern, see HasWildcard) that match it, as paths beside the pattern,
/// sorted by name; with `files_only` without the folders. A folder that
/// cannot be read has none.
Paths MatchingPaths(const std::string& source, bool files_only);

}  // namespace engine

#endif  // VANDRIX_ENGINE_PLAN_MATCHES_H_
