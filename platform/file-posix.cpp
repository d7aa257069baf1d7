// Attribute queries on POSIX, from lstat and stat, and folder listings (the
// engine's), with the Windows codes for why a look failed; full paths joined
// to the current folder as text.
#include "platform/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "engine/base/fd.h"
#include "engine/io/lookup.h"
#include "platform/stand_in.h"

namespace platform {
namespace {

DWORD last_error = 0;
StandIn<FileAttributesService> stand_in;
StandIn<FullPathService> full_path_stand_in;

DWORD ErrorFor(int err) {
  if (err == ENOENT) return ERROR_FILE_NOT_FOUND;
  if (err == ENOTDIR) return ERROR_PATH_NOT_FOUND;
  if (err == EACCES || err == EPERM) return ERROR_ACCESS_DENIED;
  return ERROR_GEN_FAILURE;
}

DWORD AttributesFromStat(LPCSTR path) {
  struct stat st;
  if (::lstat(path, &st) != 0) {
    last_error = ErrorFor(errno);
    return INVALID_FILE_ATTRIBUTES;
  }
  DWORD attributes = 0;
  if (S_ISLNK(st.st_mode)) {
    attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    struct stat target;
    if (::stat(path, &target) == 0) st = target;
  }
  if (S_ISDIR(st.st_mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
  return attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
}

std::string CurrentFolder() {
  std::string folder(256, '\0');
  while (::getcwd(&folder[0], folder.size()) == nullptr) {
    if (errno != ERANGE) return std::string();
    folder.resize(folder.size() * 2);
  }
  folder.resize(std::strlen(folder.c_str()));
  return folder;
}

DWORD FullPathFromFolder(LPCSTR path, DWORD size, LPSTR buffer, LPSTR* file_part) {
  std::string full = path[0] == '/' ? std::string() : CurrentFolder();
  if (path[0] != '/' && full.empty()) {
    last_error = ErrorFor(errno);
    return 0;
  }
  if (!full.empty() && full.back() != '/') full += '/';
  full += path;
  if (full.size() + 1 > size) return static_cast<DWORD>(full.size() + 1);
  std::memcpy(buffer, full.c_str(), full.size() + 1);
  const std::size_t last = full.rfind('/') + 1;
  if (file_part) *file_part = last < full.size() ? buffer + last : nullptr;
  return static_cast<DWORD>(full.size());
}

}  // namespace

DWORD GetFileAttributesA(LPCSTR path) { return stand_in.Call(AttributesFromStat, path); }

DWORD GetLastError() { return last_error; }

void SetLastError(DWORD error) { last_error = error; }

DWORD GetFullPathNameA(LPCSTR path, DWORD size, LPSTR buffer, LPSTR* file_part) {
  return full_path_stand_in.Call(FullPathFromFolder, path, size, buffer, file_part);
}

bool FolderNames(LPCSTR folder, std::vector<std::string>& names) {
  const engine::Fd opened(::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  const int err = opened.ok() ? engine::ListNames(opened.get(), names) : errno;
  if (err != 0) last_error = ErrorFor(err);
  return err == 0;
}

FileAttributesService ReplaceFileAttributes(FileAttributesService service) {
  return stand_in.Replace(service);
}

FullPathService ReplaceFullPath(FullPathService service) {
  return full_path_stand_in.Replace(service);
}

}  // namespace platform
