// The one way the engine makes a folder and its missing parents (mkdir -p).
#ifndef VANDRIX_ENGINE_IO_MAKE_FOLDERS_H_
#define VANDRIX_ENGINE_IO_MAKE_FOLDERS_H_

#include <sys/stat.h>
#include <sys/types.h>

#include <string>

#include "engine/base/fd.h"

namespace engine {

/// Opens the folder `path` part by part, each relative to the one before
/// (following links, as a shell would), making each missing one with
/// `mode` (less the umask), into `out`. With `keep_out`, no folder is made
/// in, nor settled on, one that is the item `keep_out` or lies inside it,
/// by whatever path (".." after a new folder, a link, a bind mount):
/// kErrorInsideSource instead. Returns 0 or an errno (ENOTDIR when a part is
/// something else than a folder).
int MakeFolders(const std::string& path, mode_t mode, Fd& out,
                const struct stat* keep_out = nullptr);

}  // namespace engine

#endif  // VANDRIX_ENGINE_IO_MAKE_FOLDERS_H_
