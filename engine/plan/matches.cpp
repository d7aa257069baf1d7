// What a wildcard source stands for (see matches.h).
#include "engine/plan/matches.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "engine/base/errors.h"
#include "engine/base/fd.h"
#include "engine/io/lookup.h"

namespace engine {
namespace {

bool IsFolderAt(int folder, const std::string& name) {
  struct stat st;
  return StatAt(folder, name, st, false) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::string PatternFolder(const std::string& source) {
  const std::string path = WithoutTrailingSlashes(source);
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

int MatchingPaths(const std::string& source, bool files_only, Paths& found) {
  const std::string path = WithoutTrailingSlashes(source);
  const std::string prefix = path.find('/') == std::string::npos ? "" : PatternFolder(path);
  found.clear();
  Fd folder(::open(PatternFolder(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  Paths names;
  if (!folder.ok()) return errno;
  if (const int err = ListNames(folder.get(), names)) return err;
  const bool folders_only = EndsInSlash(source);
  bool matched = false;
  for (const std::string& name : names) {
    if (!MatchesPattern(NameOf(path), name)) continue;
    const bool is_folder = (files_only || folders_only) && IsFolderAt(folder.get(), name);
    if (folders_only && !is_folder) continue;
    matched = true;
    if (files_only && is_folder) continue;
    found.push_back(prefix + name);
  }
  return matched ? 0 : kErrorNoMatch;
}

}  // namespace engine
