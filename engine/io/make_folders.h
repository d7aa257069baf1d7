// The one way the engine makes a folder and its missing parents (mkdir -p).
#ifndef VANDRIX_ENGINE_IO_MAKE_FOLDERS_H_
#define VANDRIX_ENGINE_IO_MAKE_FOLDERS_H_

#include <sys/stat.h>
#include <sys/types.h>

#include <functional>
#include <string>

#include "engine/base/fd.h"

namespace engine {

/// Told of each folder MakeFolders makes (or would make): `path` is the
/// part of its path up to that folder; `parent` is the folder it was made
/// in, open, and `made` its status (in a dry run `parent` is -1 and `made`
/// null).
using FolderMade =
    std::function<void(const std::string& path, int parent, const struct stat* made)>;

/// Opens the folder `path` part by part, each relative to the one before
/// (following links, as a shell would), making each missing one with
/// `mode` (less the umask), into `out`; `made` is told of each folder made.
/// With `keep_out`, no folder is made in, nor settled on, one that is the
/// item `keep_out` or lies inside it, by whatever path (".." after a new
/// folder, a link, a bind mount): kErrorInsideSource instead. Returns 0 or
/// an errno (ENOTDIR when a part is something else than a folder).
///
/// With `dry`, nothing is made: `made` is told of each folder that would be
/// made, the parts after a missing one are followed by their names ("new/.."
/// is back where "new" would be made), and `out` is left closed when the
/// folder itself would be new. The checks and errors are the same.
int MakeFolders(const std::string& path, mode_t mode, Fd& out,
                const struct stat* keep_out = nullptr, const FolderMade& made = nullptr,
                bool dry = false);

}  // namespace engine

#endif  // VANDRIX_ENGINE_IO_MAKE_FOLDERS_H_
