// What a wildcard source stands for (see matches.h).
#include "engine/plan/matches.h"

#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include "engine/base/fd.h"
#include "engine/io/lookup.h"

namespace engine {
namespace {

// Only '*' and '?' are wildcards: fnmatch's other pattern characters are escaped.
std::string EscapedPattern(const std::string& pattern) {
  std::string escaped;
  for (const char c : pattern) {
    if (c == '[' || c == '\\') escaped += '\\';
    escaped += c;
  }
  return escaped;
}

bool IsFolderAt(int folder, const std::string& name) {
  struct stat st;
  return StatAt(folder, name, st, false) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

bool MatchesPattern(const std::string& pattern, const std::string& name) {
  if (pattern == "*.*") return true;
  return ::fnmatch(EscapedPattern(pattern).c_str(), name.c_str(), 0) == 0;
}

Paths MatchingPaths(const std::string& source, bool files_only) {
  const std::string path = WithoutTrailingSlashes(source);
  const std::size_t slash = path.rfind('/');
  const std::string prefix = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  Fd folder(::open(prefix.empty() ? "." : prefix.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  Paths names, found;
  if (!folder.ok() || ListNames(folder.get(), names) != 0) return found;
  for (const std::string& name : names) {
    if (!MatchesPattern(NameOf(path), name)) continue;
    if (files_only && IsFolderAt(folder.get(), name)) continue;
    found.push_back(prefix + name);
  }
  return found;
}

}  // namespace engine
