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
/// time, modification time and size that every change to it moves (and
/// its number of names, whose removal moves the change time too).
struct Stamp {
  Identity id;
  struct timespec changed, modified;
  off_t size;
  nlink_t links;
};

/// The stamp of the item whose status is `st`.
inline Stamp StampOf(const struct stat& st) {
  return {IdentityOf(st), st.st_ctim, st.st_mtim, st.st_size, st.st_nlink};
}

inline bool SameTime(const struct timespec& a, const struct timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

/// True when `now` is the status of the item `then` stamped, unchanged
/// since; `unlinked` of its names were removed meanwhile by the caller, which
/// moved its change time and its number of names but left the rest as it
/// was. In an overlay a name removed from the lower layer moves neither (a
/// hidden entry in the upper layer covers it): a change time that did not
/// move says unchanged then too.
inline bool Unchanged(const Stamp& then, const struct stat& now, nlink_t unlinked = 0) {
  if (!(then.id == IdentityOf(now)) || then.size != now.st_size ||
      !SameTime(then.modified, now.st_mtim))
    return false;
  if (SameTime(then.changed, now.st_ctim)) return true;
  return unlinked > 0 && now.st_nlink + unlinked == then.links;
}

}  // namespace engine

#endif  // VANDRIX_ENGINE_IO_IDENTITY_H_
