// Moving a file's bytes (see byte_copy.h).
#include "engine/io/byte_copy.h"

#include <fcntl.h>
#include <sys/sendfile.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <memory>

namespace engine {
namespace {

constexpr std::size_t kCopyBufferSize = 256 * 1024;
// The most one copy_file_range or sendfile call is asked to move: large
// enough that the call overhead vanishes, small enough that a signal is
// noticed between calls.
constexpr std::size_t kKernelChunk = std::size_t{64} << 20;
constexpr std::uint64_t kToEnd = UINT64_MAX;

// How far a copy to the end goes before a step that moves less than it was
// asked for is taken as the end: a regular file's size when it was opened
// (so no call is made only to find that there is nothing left), never for
// anything else (a pipe delivers in pieces).
struct End {
  std::uint64_t sure;  ///< bytes after which a short step ends the copy
  std::uint64_t moved = 0;
  bool Reached(std::uint64_t step, std::uint64_t asked) {
    moved += step;
    return step < asked && moved >= sure;
  }
};

// The device whose files copy_file_range refused to copy to another file
// system (EXDEV) in this run: they go by the next method at once. Each
// thread learns it for itself (workers copy side by side: pool/workers.h).
thread_local struct {
  bool refused = false;
  dev_t device = 0;
} kernel_copy_across;

// The kernel or a file system declining a method, as opposed to a failure
// of the copy itself: the next method in the chain is tried.
bool Unsupported(int err) {
  return err == EXDEV || err == EINVAL || err == ENOSYS || err == EOPNOTSUPP ||
         err == ENOTSUP || err == EBADF;
}

std::size_t Chunk(std::uint64_t left, std::size_t most) {
  return left < most ? static_cast<std::size_t>(left) : most;
}

enum class Step { kDone, kFallBack, kFailed };

// One kernel-side method: `call(n)` moves up to n bytes between the current
// offsets and returns the count, 0 at the end of `in`, or -1 and errno.
// Moves `left` bytes (or to the end) and subtracts what it moved. Falls back
// when the method is refused, and when the very first call sees no data, as
// some special files report an empty size to the kernel yet have bytes to
// read.
template <typename Call>
Step CopyInKernel(Call call, std::uint64_t& left, End& end, int& err, const CopyObserver& seen) {
  bool first = true;
  while (left > 0) {
    const std::size_t asked = Chunk(left, kKernelChunk);
    const ssize_t moved = call(asked);
    if (moved < 0) {
      if (errno == EINTR) continue;
      err = errno;
      return Unsupported(err) ? Step::kFallBack : Step::kFailed;
    }
    if (moved == 0) return first ? Step::kFallBack : Step::kDone;
    first = false;
    if (seen) seen(static_cast<std::uint64_t>(moved));
    if (left != kToEnd) left -= static_cast<std::uint64_t>(moved);
    if (end.Reached(static_cast<std::uint64_t>(moved), asked)) return Step::kDone;
  }
  return Step::kDone;
}

int CopyReadWrite(int in, int out, std::uint64_t left, End& end, const CopyObserver& seen) {
  const std::unique_ptr<char[]> buffer(new char[kCopyBufferSize]);
  while (left > 0) {
    const std::size_t asked = Chunk(left, kCopyBufferSize);
    const ssize_t got = ::read(in, buffer.get(), asked);
    if (got == 0) return 0;
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return errno;
    if (const int err = WriteAll(out, buffer.get(), static_cast<std::size_t>(got))) return err;
    if (seen) seen(static_cast<std::uint64_t>(got));
    if (left != kToEnd) left -= static_cast<std::uint64_t>(got);
    if (end.Reached(static_cast<std::uint64_t>(got), asked)) return 0;
  }
  return 0;
}

// copy_file_range, unless it refused this device's files across file
// systems before; a refusal for that reason is remembered.
Step CopyFileRange(int in, int out, dev_t device, std::uint64_t& left, End& end, int& err,
                   const CopyObserver& seen) {
  if (kernel_copy_across.refused && kernel_copy_across.device == device) return Step::kFallBack;
  const Step step = CopyInKernel(
      [&](std::size_t n) { return ::copy_file_range(in, nullptr, out, nullptr, n, 0); }, left,
      end, err, seen);
  if (step == Step::kFallBack && err == EXDEV) kernel_copy_across = {true, device};
  return step;
}

// Copies `left` bytes (kToEnd: all of them) from the current offsets of
// `in` (on `device`) and `out`.
int CopyRange(int in, int out, dev_t device, std::uint64_t left, End end, CopyMethod method,
              const CopyObserver& seen) {
  int err = 0;
  if (method == CopyMethod::kAuto) {
    const Step step = CopyFileRange(in, out, device, left, end, err, seen);
    if (step != Step::kFallBack) return step == Step::kDone ? 0 : err;
    method = CopyMethod::kSendfile;
  }
  if (method == CopyMethod::kSendfile) {
    const Step step = CopyInKernel(
        [&](std::size_t n) { return ::sendfile(out, in, nullptr, n); }, left, end, err, seen);
    if (step != Step::kFallBack) return step == Step::kDone ? 0 : err;
  }
  return CopyReadWrite(in, out, left, end, seen);
}

// Copies only the data ranges of the sparse file `in`, seeking over holes in
// `out`, then sets `out`'s size. Returns -1 when `in`'s file system cannot
// tell data from holes, before anything was copied.
int CopySparse(int in, int out, dev_t device, CopyMethod method, const CopyObserver& seen) {
  const off_t in_start = ::lseek(in, 0, SEEK_CUR);
  if (in_start < 0) return errno;
  const off_t out_start = ::lseek(out, 0, SEEK_CUR);
  if (out_start < 0) return errno;
  for (off_t at = in_start;;) {
    const off_t data = ::lseek(in, at, SEEK_DATA);
    if (data < 0 && errno == ENXIO) break;  // No data past `at`.
    if (data < 0) return at == in_start && Unsupported(errno) ? -1 : errno;
    const off_t hole = ::lseek(in, data, SEEK_HOLE);
    if (hole < 0) return errno;
    if (::lseek(in, data, SEEK_SET) < 0) return errno;
    if (::lseek(out, out_start + (data - in_start), SEEK_SET) < 0) return errno;
    const std::uint64_t length = static_cast<std::uint64_t>(hole - data);
    if (const int err = CopyRange(in, out, device, length, End{kToEnd}, method, seen)) return err;
    at = hole;
  }
  const off_t end = ::lseek(in, 0, SEEK_END);
  if (end < 0) return errno;
  const off_t out_end = out_start + (end > in_start ? end - in_start : 0);
  for (;;) {
    if (::ftruncate(out, out_end) == 0) break;
    if (errno != EINTR) return errno;
  }
  if (::lseek(out, out_end, SEEK_SET) < 0) return errno;
  return 0;
}

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

int CopyFileData(int in, int out, const struct stat& in_stat, CopyMethod method,
                 const CopyObserver& seen) {
  const bool sparse = S_ISREG(in_stat.st_mode) && in_stat.st_size > 0 &&
                      static_cast<std::uint64_t>(in_stat.st_blocks) * 512 <
                          static_cast<std::uint64_t>(in_stat.st_size);
  if (sparse) {
    const int err = CopySparse(in, out, in_stat.st_dev, method, seen);
    if (err >= 0) return err;
  }
  const End end{S_ISREG(in_stat.st_mode) ? static_cast<std::uint64_t>(in_stat.st_size) : kToEnd};
  return CopyRange(in, out, in_stat.st_dev, kToEnd, end, method, seen);
}

}  // namespace engine
