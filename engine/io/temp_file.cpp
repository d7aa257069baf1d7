// The scoped temporary file (see temp_file.h).
#include "engine/io/temp_file.h"

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "engine/io/hidden_tree.h"
#include "engine/io/lookup.h"
#include "engine/io/place.h"
#include "engine/io/signals.h"

namespace engine {
namespace {

constexpr std::size_t kStemLimit = 200;  // keeps the name under NAME_MAX
constexpr int kAttempts = 100;           // names tried before giving up

// Six letters or digits, different at every call (splitmix64 over the
// time, the process and a counter): the creation itself is exclusive, so a
// clash only costs another try.
std::string Suffix() {
  static const char kLetters[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  static std::uint64_t state = static_cast<std::uint64_t>(::getpid()) << 32;
  struct timespec now {};
  ::clock_gettime(CLOCK_REALTIME, &now);
  state += 0x9E3779B97F4A7C15u ^ static_cast<std::uint64_t>(now.tv_nsec);
  std::uint64_t x = state;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9u;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBu;
  x ^= x >> 31;
  std::string suffix(6, 'X');
  for (char& c : suffix) {
    c = kLetters[x % 62];
    x /= 62;
  }
  return suffix;
}

// Tries names ".TARGET.vandrix-XXXXXX" with `make` (true when it made the
// entry, else errno set) until one is free. Returns 0 or an errno.
template <typename Make>
int MakeUnique(const std::string& target, std::string& name, Make make) {
  const std::string stem = "." + target.substr(0, kStemLimit) + ".vandrix-";
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    name = stem + Suffix();
    if (make()) return 0;
    if (errno != EEXIST) return errno;
  }
  return EEXIST;
}

}  // namespace

TempFile::~TempFile() {
  if (present_) ::unlinkat(folder_, name_.c_str(), 0);
  UnguardTemporary();
}

// Creation and guard happen with the signals held, so that no signal comes
// between them and leaves an unguarded file.
int TempFile::Make(Kind kind, const std::string* text) {
  return MakeUnique(target_, name_, [&] {
    const InterruptsHeld held;
    if (kind == Kind::kSymbolicLink) {
      present_ = ::symlinkat(text->c_str(), folder_, name_.c_str()) == 0;
    } else if (kind == Kind::kHardLink) {
      present_ = ::linkat(AT_FDCWD, text->c_str(), folder_, name_.c_str(), 0) == 0;
    } else {
      fd_ = Fd(::openat(folder_, name_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
      present_ = fd_.ok();
    }
    if (present_) GuardTemporary(folder_, name_);
    return present_;
  });
}

int TempFile::Stat(struct stat& st) const {
  if (fd_.ok()) return ::fstat(fd_.get(), &st) == 0 ? 0 : errno;
  return StatAt(folder_, name_, st, false);
}

int TempFile::Commit(const struct stat* replacing) {
  const int err = Place(folder_, name_, folder_, target_, replacing);
  if (err != 0) return err;
  present_ = false;
  UnguardTemporary();
  return 0;
}

// The folder is made, opened and guarded with the signals held, like a
// temporary file.
int TempFolder::Make(Fd& opened, struct stat& st) {
  own_folder_ = Fd(::fcntl(folder_, F_DUPFD_CLOEXEC, 0));
  if (!own_folder_.ok()) return errno;
  const int at = own_folder_.get();
  return MakeUnique(target_, name_, [&] {
    const InterruptsHeld held;
    if (::mkdirat(at, name_.c_str(), 0700) != 0) return false;
    opened = Fd(::openat(at, name_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!opened.ok() || ::fstat(opened.get(), &st) != 0) {
      const int err = errno;
      ::unlinkat(at, name_.c_str(), AT_REMOVEDIR);
      errno = err == EEXIST ? EIO : err;  // made, but not opened: no other name will do
      return false;
    }
    made_ = st;
    present_ = true;
    GuardTemporaryFolder(at, name_, st);
    return true;
  });
}

int TempFolder::Place() {
  const int err = engine::Place(own_folder_.get(), name_, own_folder_.get(), target_, nullptr);
  if (err != 0) return err;
  present_ = false;
  UnguardTemporary();
  return 0;
}

int TempFolder::Remove() {
  if (!present_) return 0;
  const int err = RemoveHiddenTree(own_folder_.get(), name_.c_str(), made_);
  present_ = false;
  UnguardTemporary();
  return err;
}

}  // namespace engine
