// Paths as text: their parts, joined, numbered, and whether one holds a
// wildcard. Nothing here looks at a file system, so the POSIX command line,
// built on every platform, decides with the very rules the planner uses.
#ifndef VANDRIX_ENGINE_BASE_PATH_TEXT_H_
#define VANDRIX_ENGINE_BASE_PATH_TEXT_H_

#include <string>
#include <vector>

namespace engine {

using Paths = std::vector<std::string>;

/// The characters that make a path a wildcard: '*' and '?'.
constexpr char kWildcardCharacters[] = "*?";

/// `path` without its trailing slashes ("/" stays "/").
std::string WithoutTrailingSlashes(std::string path);

/// True when `path` ends in '/': it names a folder ("/" too).
bool EndsInSlash(const std::string& path);

/// The last component of `path` ("a/b/" gives "b").
std::string NameOf(const std::string& path);

/// The folder part of `path`: "." when there is none, "/" for "/x".
std::string ParentOf(const std::string& path);

/// `folder` + "/" + `name`, without doubling a slash.
std::string Join(const std::string& folder, const std::string& name);

/// "name (n).ext" for a file, "name (n)" for a folder or a dot-file.
std::string NumberedName(const std::string& name, unsigned n, bool folder);

/// True when the last component of `path` (NameOf: trailing slashes do not
/// count) holds '*' or '?', so that it stands for the matching entries of
/// its folder. "src/*" and "src/*/" both do; "s*/x.txt" does not.
bool HasWildcard(const std::string& path);

/// True when the name `name` matches `pattern`: '*' stands for any run of
/// bytes, '?' for one; every other byte stands for itself, letter case
/// counting. As in the shell, a name that starts with a dot is matched only
/// by a pattern that starts with a dot, and "." and ".." by none; "*.*"
/// matches every other name, with a dot or not.
bool MatchesPattern(const std::string& pattern, const std::string& name);

}  // namespace engine

#endif  // VANDRIX_ENGINE_BASE_PATH_TEXT_H_
