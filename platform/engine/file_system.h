// Path text, file-system queries and descriptors shared by the engine's parts.
#ifndef VANDRIX_PLATFORM_ENGINE_FILE_SYSTEM_H_
#define VANDRIX_PLATFORM_ENGINE_FILE_SYSTEM_H_

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <utility>
#include <vector>

namespace platform {
namespace engine {

using Paths = std::vector<std::string>;

/// `path` without trailing slashes ("/" stays "/").
std::string Trimmed(std::string path);

/// The last component of `path` ("a/b/" gives "b").
std::string NameOf(const std::string& path);

/// The folder part of `path`: "." when there is none, "/" for "/x".
std::string ParentOf(const std::string& path);

/// `folder` + "/" + `name`, without doubling a slash.
std::string Join(const std::string& folder, const std::string& name);

/// "name (n).ext" for a file, "name (n)" for a folder or a dot-file.
std::string NumberedName(const std::string& name, unsigned n, bool folder);

/// stat (`follow`) or lstat of `path`; false when it fails (errno set).
bool StatOf(const std::string& path, struct stat& st, bool follow);

/// True when something (a dangling link too) is at `path`.
bool Exists(const std::string& path);

/// True when `path` is a folder or a link to one.
bool IsFolder(const std::string& path);

/// Not an errno: a folder was found moved away while it was being worked in.
constexpr int kMovedAway = -1;

/// The text for an errno (strerror), or for kMovedAway.
std::string ErrorText(int err);

/// True when `a` and `b` describe the same item (device and inode).
bool SameItem(const struct stat& a, const struct stat& b);

/// fstatat of `name` in the open folder `folder` (AT_FDCWD: a path),
/// following a link only with `follow`; false when it fails (errno set).
bool StatAt(int folder, const std::string& name, struct stat& st, bool follow);

/// True when something (a dangling link too) is at `name` in `folder`.
bool ExistsAt(int folder, const std::string& name);

/// The first of `name`, "name (2).ext", "name (3).ext", ... (NumberedName)
/// that nothing in the open folder `folder` bears.
std::string FreeName(int folder, const std::string& name, bool is_folder);

/// Renames `from` in the open folder `from_folder` to `to` in `to_folder`.
/// Without `replacing`, never over an existing entry (EEXIST then, also on
/// file systems without a no-replace rename); with it, only over that very
/// item (device and inode): when something else is there by then, EEXIST.
/// Returns 0 or an errno.
int Place(int from_folder, const std::string& from, int to_folder, const std::string& to,
          const struct stat* replacing);

/// realpath(3) into `real`; false when it fails (errno set).
bool RealPath(const std::string& path, std::string& real);

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

/// Appends the names of the entries of the open folder `folder`, without
/// "." and "..", to `names`, sorted (so every walk has one order). Returns 0
/// or an errno.
int ListNames(int folder, Paths& names);

/// Creates `path` and its missing parents with `mode` (mkdir -p). Returns 0
/// or an errno (ENOTDIR when `path` is something else than a folder).
int MakeFolders(const std::string& path, mode_t mode);

}  // namespace engine
}  // namespace platform

#endif  // VANDRIX_PLATFORM_ENGINE_FILE_SYSTEM_H_
