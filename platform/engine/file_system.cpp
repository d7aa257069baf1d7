// Path text, file-system queries and descriptors (see file_system.h).
#include "platform/engine/file_system.h"

#include <dirent.h>
#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>

namespace platform {
namespace engine {

std::string Trimmed(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string NameOf(const std::string& path) {
  const std::string trimmed = Trimmed(path);
  const std::size_t slash = trimmed.rfind('/');
  return slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
}

std::string ParentOf(const std::string& path) {
  const std::string trimmed = Trimmed(path);
  const std::size_t slash = trimmed.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return Trimmed(trimmed.substr(0, slash));
}

std::string Join(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

// "name (n).ext" for a file, "name (n)" for a folder or a dot-file.
std::string NumberedName(const std::string& name, unsigned n, bool folder) {
  std::size_t dot = folder ? std::string::npos : name.rfind('.');
  if (dot == 0) dot = std::string::npos;
  const std::string ext = dot == std::string::npos ? "" : name.substr(dot);
  return name.substr(0, dot) + " (" + std::to_string(n) + ")" + ext;
}

// ---------------------------------------------------------------------------
// File-system queries

bool StatOf(const std::string& path, struct stat& st, bool follow) {
  const int result = follow ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st);
  return result == 0;
}

bool Exists(const std::string& path) {
  struct stat st;
  return StatOf(path, st, false);
}

bool IsFolder(const std::string& path) {
  struct stat st;
  return StatOf(path, st, true) && S_ISDIR(st.st_mode);
}

std::string ErrorText(int err) {
  return err == kMovedAway ? "it was moved away while the operation ran" : std::strerror(err);
}

bool SameItem(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool StatAt(int folder, const std::string& name, struct stat& st, bool follow) {
  return ::fstatat(folder, name.c_str(), &st, follow ? 0 : AT_SYMLINK_NOFOLLOW) == 0;
}

bool ExistsAt(int folder, const std::string& name) {
  struct stat st;
  return StatAt(folder, name, st, false);
}

std::string FreeName(int folder, const std::string& name, bool is_folder) {
  std::string free = name;
  for (unsigned n = 2; ExistsAt(folder, free); ++n) free = NumberedName(name, n, is_folder);
  return free;
}

int Place(int from_folder, const std::string& from, int to_folder, const std::string& to,
          const struct stat* replacing) {
  const char* const old_name = from.c_str();
  const char* const new_name = to.c_str();
  struct stat there;
  if (replacing && StatAt(to_folder, to, there, false)) {
    if (!SameItem(there, *replacing)) return EEXIST;
    return ::renameat(from_folder, old_name, to_folder, new_name) == 0 ? 0 : errno;
  }
  if (replacing && errno != ENOENT) return errno;  // gone: placed as new
  if (::renameat2(from_folder, old_name, to_folder, new_name, RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  if (ExistsAt(to_folder, to)) return EEXIST;  // the file system has no no-replace rename
  return ::renameat(from_folder, old_name, to_folder, new_name) == 0 ? 0 : errno;
}

bool RealPath(const std::string& path, std::string& real) {
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (!resolved) return false;
  real = resolved;
  std::free(resolved);
  return true;
}

// Names of the entries of the open folder `folder`, without "." and "..".
int ListNames(int folder, Paths& names) {
  const std::size_t first = names.size();
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
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(dir);
  std::sort(names.begin() + static_cast<std::ptrdiff_t>(first), names.end());
  return err;
}

// Creates `path` and its missing parents (mkdir -p).
int MakeFolders(const std::string& path, mode_t mode) {
  struct stat st;
  if (StatOf(path, st, true)) return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
  if (path != "/" && path != ".") {
    if (const int err = MakeFolders(ParentOf(path), mode)) return err;
  }
  if (::mkdir(path.c_str(), mode) == 0 || (errno == EEXIST && IsFolder(path))) return 0;
  return errno;
}

}  // namespace engine
}  // namespace platform
