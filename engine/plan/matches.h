// What a wildcard source stands for: the matching entries of its folder.
#ifndef VANDRIX_ENGINE_PLAN_MATCHES_H_
#define VANDRIX_ENGINE_PLAN_MATCHES_H_

#include <string>

#include "engine/base/path_text.h"

namespace engine {

/// The folder part of the wildcard `source`, as MatchingPaths reads it ("."
/// when it has none).
std::string PatternFolder(const std::string& source);

/// Sets `found` to the entries of the folder of `source` (a path whose last
/// component is a pattern, see HasWildcard) that match it, as paths beside
/// the pattern, sorted by name; with `files_only` without the folders, and
/// when `source` ends in '/' only the folders (never a link: it is looked
/// at, not followed).
/// Returns 0; kErrorNoMatch when no entry matches (folders too); or the
/// errno of the folder that cannot be read.
int MatchingPaths(const std::string& source, bool files_only, Paths& found);

}  // namespace engine

#endif  // VANDRIX_ENGINE_PLAN_MATCHES_H_
