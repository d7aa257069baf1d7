// Attribute queries on POSIX, from lstat and stat, and folder listings (the
// engine's), with the Windows codes for why a look failed.
#include "platform/file.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "engine/base/fd.h"
#include "engine/io/lookup.h"
#include "platform/stand_in.h"

namespace platform {
namespace {

DWORD last_error = 0;
StandIn<FileAttributesService> stand_in;

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

}  // namespace

DWORD GetFileAttributesA(LPCSTR path) { return stand_in.Call(AttributesFromStat, path); }

DWORD GetLastError() { return last_error; }

bool FolderNames(LPCSTR folder, std::vector<std::string>& names) {
  const engine::Fd opened(::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  const int err = opened.ok() ? engine::ListNames(opened.get(), names) : errno;
  if (err != 0) last_error = ErrorFor(err);
  return err == 0;
}

FileAttributesService ReplaceFileAttributes(FileAttributesService service) {
  return stand_in.Replace(service);
}

}  // namespace platform
