// Putting an entry in its place by renaming it, never over something else.
#ifndef VANDRIX_ENGINE_IO_PLACE_H_
#define VANDRIX_ENGINE_IO_PLACE_H_

#include <sys/stat.h>

#include <string>

namespace engine {

/// Renames `from` in the open folder `from_folder` to `to` in `to_folder`.
/// Without `replacing`, never over an existing entry (EEXIST then, also on
/// file systems without a no-replace rename); with it, only over that very
/// item (device and inode): when something else is there by then, EEXIST.
/// Returns 0 or an errno.
int Place(int from_folder, const std::string& from, int to_folder, const std::string& to,
          const struct stat* replacing);

}  // namespace engine

#endif  // VANDRIX_ENGINE_IO_PLACE_H_
