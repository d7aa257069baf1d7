#include "platform/file_data-posix.h"

#include <unistd.h>

#include <cerrno>
#include <vector>

namespace platform {
namespace {
constexpr std::size_t kCopyBufferSize = 128 * 1024;
}  // namespace

int WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t put = ::write(fd, data, size);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return errno;
    data += put;
    size -= static_cast<std::size_t>(put);
  }
  return 0;
}

int CopyFileData(int in, int out) {
  std::vector<char> buffer(kCopyBufferSize);
  for (;;) {
    const ssize_t got = ::read(in, buffer.data(), buffer.size());
    if (got == 0) return 0;
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return errno;
    if (const int err = WriteAll(out, buffer.data(), static_cast<std::size_t>(got)))
      return err;
  }
}

}  // namespace platform
