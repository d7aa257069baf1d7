// An open descriptor that closes itself.
#ifndef VANDRIX_ENGINE_BASE_FD_H_
#define VANDRIX_ENGINE_BASE_FD_H_

#include <unistd.h>

#include <cerrno>
#include <utility>

namespace engine {

/// An open descriptor, closed when the object goes.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Fd& operator=(Fd&& other) noexcept {
    Fd gone(std::exchange(fd_, std::exchange(other.fd_, -1)));
    return *this;
  }
  Fd(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  bool ok() const { return fd_ >= 0; }
  /// Closes now: 0, or the errno of close (a late write error).
  int Close() { return ::close(std::exchange(fd_, -1)) == 0 ? 0 : errno; }

 private:
  int fd_;
};

}  // namespace engine

#endif  // VANDRIX_ENGINE_BASE_FD_H_
