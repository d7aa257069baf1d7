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

int DiskSync::Watched(int folder, int& err) {
  struct stat st;
  if (::fstat(folder, &st) != 0) {
    err = errno;
    return -1;
  }
  Fd& watcher = watched_[st.st_dev];
  if (!watcher.ok()) watcher = Fd(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  err = watcher.ok() ? 0 : errno;
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

}  // namespace engine
