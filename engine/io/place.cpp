// Putting an entry in its place (see place.h).
#include "engine/io/place.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>

#include "engine/io/lookup.h"

namespace engine {

int Place(int from_folder, const std::string& from, int to_folder, const std::string& to,
          const struct stat* replacing) {
  const char* const old_name = from.c_str();
  const char* const new_name = to.c_str();
  struct stat there;
  const int looked = replacing ? StatAt(to_folder, to, there, false) : ENOENT;
  if (replacing && looked == 0) {
    if (!SameItem(there, *replacing)) return EEXIST;
    return ::renameat(from_folder, old_name, to_folder, new_name) == 0 ? 0 : errno;
  }
  if (replacing && looked != ENOENT) return looked;  // gone: placed as new
  if (::renameat2(from_folder, old_name, to_folder, new_name, RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  if (ExistsAt(to_folder, to)) return EEXIST;  // the file system has no no-replace rename
  return ::renameat(from_folder, old_name, to_folder, new_name) == 0 ? 0 : errno;
}

namespace {

// A descriptor syncfs takes (not an O_PATH one) on the file system of the
// open folder `folder`, which is `st`: the folder, or when it may not be
// read (a drop folder, mode 0733) the nearest one above it there that may.
// Returns 0 or an errno.
int OpenOnFileSystem(int folder, const struct stat& st, Fd& out) {
  std::string up = ".";
  for (int level = 0;; ++level, up += "/..") {
    out = Fd(::openat(folder, up.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (out.ok() || errno != EACCES || level == 64) break;
  }
  struct stat there;
  if (!out.ok() || ::fstat(out.get(), &there) != 0) return errno;
  if (there.st_dev == st.st_dev) return 0;
  out = Fd();  // out of the file system: its top may not be read either
  return EACCES;
}

}  // namespace

int DiskSync::Watched(int folder, int& err) {
  struct stat st;
  if (::fstat(folder, &st) != 0) {
    err = errno;
    return -1;
  }
  Fd& watcher = watched_[st.st_dev];
  err = watcher.ok() ? 0 : OpenOnFileSystem(folder, st, watcher);
  return watcher.get();
}

int DiskSync::Watch(int folder) {
  int err = 0;
  Watched(folder, err);
  return err;
}

int DiskSync::Sync(int folder) {
  int err = 0;
  const int watcher = Watched(folder, err);
  if (watcher < 0) return err;
  return ::syncfs(watcher) == 0 ? 0 : errno;
}

int DiskSync::SyncAll() {
  int first = 0;
  for (const auto& [device, watcher] : watched_) {
    if (watcher.ok() && ::syncfs(watcher.get()) != 0 && first == 0) first = errno;
  }
  return first;
}

}  // namespace engine
