// Putting an entry in its place by renaming it, never over something else;
// and on disk, for a move that is about to remove what it copied.
#ifndef VANDRIX_ENGINE_IO_PLACE_H_
#define VANDRIX_ENGINE_IO_PLACE_H_

#include <sys/stat.h>

#include <string>
#include <unordered_map>

#include "engine/base/fd.h"

namespace engine {

/// Renames `from` in the open folder `from_folder` to `to` in `to_folder`.
/// Without `replacing`, never over an existing entry (EEXIST then, also on
/// file systems without a no-replace rename); with it, only over that very
/// item (device and inode): when something else is there by then, EEXIST.
/// Returns 0 or an errno.
int Place(int from_folder, const std::string& from, int to_folder, const std::string& to,
          const struct stat* replacing);

/// The file systems copies are written to, each written to its disk at
/// once (syncfs) when asked: the data and status of every file, and every
/// folder's entries, the names of the new ones among them. Each is watched
/// through a descriptor opened before the first copy to it, so that a
/// write error since, even one the system met in the background and
/// dropped the data of, makes Sync fail.
class DiskSync {
 public:
  /// Watches the file system of the open folder `folder` (an O_PATH one
  /// too) from now on, unless it is watched already: through that folder,
  /// or when it may not be read the nearest one above it on the same file
  /// system that may. Returns 0 or an errno.
  int Watch(int folder);
  /// Writes everything on the file system of the open folder `folder` to
  /// its disk, other programs' pending writes there too. Returns 0, or an
  /// errno: a write error there since it was watched (EIO, ENOSPC, ...).
  int Sync(int folder);
  /// Sync for every file system watched: 0, or the first errno.
  int SyncAll();

 private:
  /// The watched file system of `folder`, or -1 (`err` says why).
  int Watched(int folder, int& err);
  std::unordered_map<dev_t, Fd> watched_;  ///< by device
};

}  // namespace engine

#endif  // VANDRIX_ENGINE_IO_PLACE_H_
