// The one way a hidden folder that a run fills on its own goes again, with
// everything in it: after a failure, and from a signal handler.
#ifndef VANDRIX_ENGINE_IO_HIDDEN_TREE_H_
#define VANDRIX_ENGINE_IO_HIDDEN_TREE_H_

#include <sys/stat.h>

namespace engine {

/// Removes the folder `name` in the open folder `folder`, if it is still the
/// item `st` describes (device and inode), with everything in it. Meant for
/// a folder only this run fills: its folders are given mode 0700 when they
/// lack it, so that they can be emptied. Never follows a link, never leaves
/// the folder's file system, never climbs out of the folder (when another
/// program moved a folder of it away meanwhile, it stops there with
/// kErrorMovedAway), and stops at the first folder that will not go. Holds
/// three descriptors at a time and nothing else, whatever the depth,
/// and calls only async-signal-safe functions (openat, getdents64, unlinkat,
/// fstat, fchmod, lseek, close), so a signal handler may call it. Returns 0
/// (also when the folder is gone or another item by now) or an errno.
int RemoveHiddenTree(int folder, const char* name, const struct stat& st);

}  // namespace engine

#endif  // VANDRIX_ENGINE_IO_HIDDEN_TREE_H_
