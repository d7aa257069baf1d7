// Moving a file's bytes on POSIX systems.
#ifndef VANDRIX_ENGINE_IO_BYTE_COPY_H_
#define VANDRIX_ENGINE_IO_BYTE_COPY_H_

#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <functional>

namespace engine {

/// Writes all `size` bytes at `data` to `fd`, retrying short writes and
/// EINTR. Returns 0, or the errno of the failed write.
int WriteAll(int fd, const char* data, std::size_t size);

/// How CopyFileData moves bytes. kAuto tries copy_file_range, then sendfile,
/// then read and write, each falling back to the next when the kernel or the
/// file systems refuse it (once copy_file_range refused a device's files to
/// another file system, EXDEV, that device's files skip it for the rest of
/// the run, in that thread). The others start the chain further down, so
/// that every step can be exercised. Threads may copy side by side.
enum class CopyMethod { kAuto, kSendfile, kReadWrite };

/// Told how many bytes each step of a copy moved, as it goes (for progress).
using CopyObserver = std::function<void(std::uint64_t bytes)>;

/// Copies the remaining bytes of the open file `in` to the open file `out`,
/// from their current offsets to the end of `in`. `in_stat` is `in`'s fstat:
/// when it shows a regular file with fewer blocks than its size, only the
/// data ranges are copied and the holes are kept (`out` is then extended to
/// the full size). For a regular file, a step that moves less than it asked
/// for once the bytes moved reach that size is the end: no further call is
/// made to find it (bytes written to `in` meanwhile may be left out, as at
/// any end). `seen`, when set, is told the bytes of every step.
/// Returns 0, or the errno of the failed call.
int CopyFileData(int in, int out, const struct stat& in_stat,
                 CopyMethod method = CopyMethod::kAuto, const CopyObserver& seen = nullptr);

}  // namespace engine

#endif  // VANDRIX_ENGINE_IO_BYTE_COPY_H_
