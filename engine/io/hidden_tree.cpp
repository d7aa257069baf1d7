// Removing a hidden folder with everything in it (see hidden_tree.h). It
// climbs down into one folder at a time and back up by "..", so it needs
// no stack of names or descriptors, and nothing that allocates.
#include "engine/io/hidden_tree.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "engine/base/errors.h"

namespace engine {
namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// One record of getdents64, as the kernel writes it.
struct KernelEntry {
  std::uint64_t inode;
  std::int64_t offset;
  unsigned short size;
  unsigned char type;
  char name[1];
};

bool IsDots(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Opens the folder `name` in `at` to empty it, only on `device` (and only
// the item `inode`, unless 0: else ENOENT), and lets the process empty it.
// Returns the descriptor, or -1 and errno.
int OpenToEmpty(int at, const char* name, dev_t device, ino_t inode, struct stat& st) {
  const int fd = ::openat(at, name, kFolderFlags);
  if (fd < 0) return -1;
  int err = 0;
  if (::fstat(fd, &st) != 0)
    err = errno;
  else if (st.st_dev != device)
    err = EXDEV;
  else if (inode != 0 && st.st_ino != inode)
    err = ENOENT;
  else if ((st.st_mode & 0700) != 0700 && ::fchmod(fd, 0700) != 0)
    err = errno;
  if (err == 0) return fd;
  ::close(fd);
  errno = err;
  return -1;
}

// Removes every entry of the open folder `fd` that goes by itself (files,
// links, empty folders; one that will not go stays, and so will its
// folder). The first folder left that is not empty is named in `sub`,
// unless it is the one the removal came back from (`came_from`, an inode):
// that one was emptied as far as it goes, so it will not go (ENOTEMPTY).
int EmptyOut(int fd, ino_t came_from, char (&sub)[NAME_MAX + 1], bool& found) {
  alignas(8) char buffer[4096];
  found = false;
  if (::lseek(fd, 0, SEEK_SET) < 0) return errno;
  for (;;) {
    const ssize_t got = ::getdents64(fd, buffer, sizeof buffer);
    if (got <= 0) return got == 0 ? 0 : errno;
    for (ssize_t at = 0; at < got;) {
      const KernelEntry* entry = reinterpret_cast<const KernelEntry*>(buffer + at);
      const char* name = buffer + at + offsetof(KernelEntry, name);
      at += entry->size;
      if (IsDots(name)) continue;
      if (entry->type != DT_DIR && (::unlinkat(fd, name, 0) == 0 || errno != EISDIR)) continue;
      if (::unlinkat(fd, name, AT_REMOVEDIR) == 0) continue;
      if (entry->inode == came_from) return ENOTEMPTY;
      if (!found) {
        std::strncpy(sub, name, sizeof sub - 1);
        sub[sizeof sub - 1] = '\0';
        found = true;
      }
    }
  }
}

// True when the open folder `fd` is the top `top` or lies inside it:
// climbing by ".." from it reaches the top, on its file system, before the
// root. Holds two descriptors of its own at a time.
bool InTree(int fd, const struct stat& top) {
  struct stat here;
  if (::fstat(fd, &here) != 0) return false;
  int at = -1;  // the folder climbed to
  bool inside = false;
  while (here.st_dev == top.st_dev) {
    if (here.st_ino == top.st_ino) {
      inside = true;
      break;
    }
    const int up = ::openat(at < 0 ? fd : at, "..", kFolderFlags);
    struct stat above;
    const bool climbed = up >= 0 && ::fstat(up, &above) == 0 && above.st_ino != here.st_ino;
    if (at >= 0) ::close(at);
    at = up;
    if (!climbed) break;  // the root, or no way up
    here = above;
  }
  if (at >= 0) ::close(at);
  return inside;
}

// Empties the tree whose top, `top` its fstat, is open as `at`: down into
// the first folder that is not empty, up again once a folder is empty. A
// folder climbed to must still be in the tree: when another program moved
// the one below out of it meanwhile, ".." is a folder of its own, never
// emptied (kErrorMovedAway). Closes `at`. Returns 0 or an errno.
int EmptyTree(int at, const struct stat& top) {
  ino_t came_from = 0;
  int err = 0;
  for (;;) {
    char sub[NAME_MAX + 1];
    bool found = false;
    struct stat here;
    int next = -1;
    err = EmptyOut(at, came_from, sub, found);
    if (err != 0) {
      break;
    } else if (found) {
      next = OpenToEmpty(at, sub, top.st_dev, 0, here);
      came_from = 0;
    } else if (::fstat(at, &here) != 0) {
      err = errno;
      break;
    } else if (here.st_ino == top.st_ino) {
      break;  // the top, empty
    } else {
      next = ::openat(at, "..", kFolderFlags);
      came_from = here.st_ino;
    }
    if (next < 0) {
      err = errno;
      break;
    }
    ::close(at);
    at = next;
    if (came_from != 0 && !InTree(at, top)) {
      err = kErrorMovedAway;
      break;
    }
  }
  ::close(at);
  return err;
}

}  // namespace

int RemoveHiddenTree(int folder, const char* name, const struct stat& st) {
  struct stat top;
  const int at = OpenToEmpty(folder, name, st.st_dev, st.st_ino, top);
  if (at < 0) return errno == ENOENT || errno == EXDEV ? 0 : errno;  // gone, or not this run's
  if (const int err = EmptyTree(at, top)) return err;
  return ::unlinkat(folder, name, AT_REMOVEDIR) == 0 || errno == ENOENT ? 0 : errno;
}

}  // namespace engine
