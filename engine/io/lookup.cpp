// Looking at what is in the file system (see lookup.h).
#include "engine/io/lookup.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <utility>

namespace engine {

int StatOf(const std::string& path, struct stat& st, bool follow) {
  const int result = follow ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st);
  return result == 0 ? 0 : errno;
}

int StatAt(int folder, const std::string& name, struct stat& st, bool follow) {
  return ::fstatat(folder, name.c_str(), &st, follow ? 0 : AT_SYMLINK_NOFOLLOW) == 0 ? 0 : errno;
}

bool Exists(const std::string& path) {
  struct stat st;
  return StatOf(path, st, false) == 0;
}

bool ExistsAt(int folder, const std::string& name) {
  struct stat st;
  return StatAt(folder, name, st, false) == 0;
}

bool IsFolder(const std::string& path) {
  struct stat st;
  return StatOf(path, st, true) == 0 && S_ISDIR(st.st_mode);
}

bool SameItem(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

int RealPath(const std::string& path, std::string& real) {
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (!resolved) return errno;
  real = resolved;
  std::free(resolved);
  return 0;
}

int ListEntries(int folder, Listing& entries) {
  const std::size_t first = entries.size();
  const int copy = ::fcntl(folder, F_DUPFD_CLOEXEC, 0);
  if (copy < 0) return errno;
  DIR* dir = ::fdopendir(copy);
  if (!dir) {
    const int err = errno;
    ::close(copy);
    return err;
  }
  int err = 0;
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(dir);
    if (!entry) {
      err = errno;
      break;
    }
    const char* name = entry->d_name;
    if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
    const mode_t type = entry->d_type == DT_UNKNOWN ? 0 : DTTOIF(entry->d_type);
    entries.push_back({name, type});
  }
  ::closedir(dir);
  std::sort(entries.begin() + static_cast<std::ptrdiff_t>(first), entries.end(),
            [](const Listed& a, const Listed& b) { return a.name < b.name; });
  return err;
}

int ListNames(int folder, Paths& names) {
  Listing entries;
  const int err = ListEntries(folder, entries);
  for (Listed& entry : entries) names.push_back(std::move(entry.name));
  return err;
}

}  // namespace engine
