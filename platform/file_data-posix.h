// Moving a file's bytes on POSIX systems.
#ifndef VANDRIX_PLATFORM_FILE_DATA_POSIX_H_
#define VANDRIX_PLATFORM_FILE_DATA_POSIX_H_

#include <cstddef>

namespace platform {

/// Writes all `size` bytes at `data` to `fd`, retrying short writes and
/// EINTR. Returns 0, or the errno of the failed write.
int WriteAll(int fd, const char* data, std::size_t size);

/// Copies the remaining bytes of the open file `in` to the open file `out`,
/// from their current offsets to the end of `in`. Returns 0, or the errno of
/// the failed read or write.
int CopyFileData(int in, int out);

}  // namespace platform

#endif  // VANDRIX_PLATFORM_FILE_DATA_POSIX_H_
