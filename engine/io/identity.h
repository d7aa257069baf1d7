// What makes an item the item it is, and what shows that it changed.
#ifndef VANDRIX_ENGINE_IO_IDENTITY_H_
#define VANDRIX_ENGINE_IO_IDENTITY_H_

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <functional>

namespace engine {

/// An item's identity: its device and inode, which a rename keeps.
struct Identity {
  dev_t device;
  ino_t inode;
  bool operator==(const Identity& other) const {
    return device == other.device && inode == other.inode;
  }
};

/// The identity of the item whose status is `st`.
inline Identity IdentityOf(const struct stat& st) { return {st.st_dev, st.st_ino}; }

/// For unordered containers keyed by identity.
struct IdentityHash {
  std::size_t operator()(const Identity& id) const {
    return std::hash<ino_t>()(id.inode) * 31 + std::hash<dev_t>()(id.device);
  }
};

/// An item as it was when it was looked at: its identity, and the change
/// time, modification time and size that every change to it moves.
struct Stamp {
  Identity id;
  struct timespec changed, modified;
  off_t size;
};

/// The stamp of the item whose status is `st`.
inline Stamp StampOf(const struct stat& st) {
  return {IdentityOf(st), st.st_ctim, st.st_mtim, st.st_size};
}

/// True when `now` is the status of the item `then` stamped, unchanged since.
inline bool Unchanged(const Stamp& then, const struct stat& now) {
  const Stamp n = StampOf(now);
  return then.id == n.id && then.size == n.size && then.changed.tv_sec == n.changed.tv_sec &&
         then.changed.tv_nsec == n.changed.tv_nsec && then.modified.tv_sec == n.modified.tv_sec &&
         then.modified.tv_nsec == n.modified.tv_nsec;
}

}  // namespace engine

#endif  // VANDRIX_ENGINE_IO_IDENTITY_H_
