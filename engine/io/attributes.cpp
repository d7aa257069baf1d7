// A copy's mode and times (see attributes.h).
#include "engine/io/attributes.h"

#include <fcntl.h>

#include <cerrno>

namespace engine {
namespace {

constexpr mode_t kKeptModeBits = 01777;  // set-id bits are dropped

}  // namespace

int KeepModeAndTimes(int fd, const struct stat& from) {
  const struct timespec times[2] = {from.st_atim, from.st_mtim};
  if (::fchmod(fd, from.st_mode & kKeptModeBits) != 0) return errno;
  return ::futimens(fd, times) == 0 ? 0 : errno;
}

int KeepLinkTimes(int folder, const std::string& name, const struct stat& from) {
  const struct timespec times[2] = {from.st_atim, from.st_mtim};
  return ::utimensat(folder, name.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : errno;
}

}  // namespace engine
