// The one place that gives a copy the source's mode and times.
#ifndef VANDRIX_ENGINE_IO_ATTRIBUTES_H_
#define VANDRIX_ENGINE_IO_ATTRIBUTES_H_

#include <sys/stat.h>

#include <string>

namespace engine {

/// Gives the open file or folder `fd` the mode of `from` (less the set-user-id
/// and set-group-id bits, which a copy never gets) and its access and
/// modification times. Returns 0 or an errno.
int KeepModeAndTimes(int fd, const struct stat& from);

/// Gives the link `name` in the open folder `folder` the times of `from`
/// (a link's mode means nothing). Returns 0 or an errno.
int KeepLinkTimes(int folder, const std::string& name, const struct stat& from);

}  // namespace engine

#endif  // VANDRIX_ENGINE_IO_ATTRIBUTES_H_
