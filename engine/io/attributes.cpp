// A copied item's attributes (see attributes.h).
#include "engine/io/attributes.h"

#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>

namespace engine {
namespace {

constexpr mode_t kCopyModeBits = 01777;  // a copy drops the set-id bits
constexpr mode_t kAllModeBits = 07777;
constexpr char kCapability[] = "security.capability";
constexpr char kAclPrefix[] = "system.posix_acl_";

int SetModeAndTimes(int fd, const struct stat& from, mode_t bits) {
  if (::fchmod(fd, from.st_mode & bits) != 0) return errno;
  return KeepTimes(fd, from);
}

void Note(Losses& lost, Lost kind, int err) {
  if (lost[kind] == 0) lost[kind] = err;
}

// An ordinary user cannot give an item away: the owner is dropped silently,
// and so is the group when the user is no member of it.
bool OwnerKept(int err, const std::function<int()>& group_only, Losses& lost) {
  if (err == 0) return true;
  if (::geteuid() == 0)
    Note(lost, kLostOwner, err);
  else
    static_cast<void>(group_only());
  return false;
}

// The names of `fd`'s extended attributes, each ended by a NUL; none where
// its file system keeps none. Returns 0 or an errno.
int AttributeNames(int fd, std::string& names) {
  names.resize(1024);
  for (;;) {
    const ssize_t size = ::flistxattr(fd, &names[0], names.size());
    if (size >= 0) {
      names.resize(static_cast<std::size_t>(size));
      return 0;
    }
    if (errno == ENOTSUP) {  // a file system without extended attributes
      names.clear();
      return 0;
    }
    if (errno != ERANGE) return errno;
    const ssize_t needed = ::flistxattr(fd, nullptr, 0);
    if (needed < 0) return errno;
    names.resize(static_cast<std::size_t>(needed) + 1);
  }
}

// The value of `fd`'s extended attribute `name`. Returns 0 or an errno.
int AttributeValue(int fd, const char* name, std::string& value) {
  for (;;) {
    const ssize_t needed = ::fgetxattr(fd, name, nullptr, 0);
    if (needed < 0) return errno;
    value.resize(static_cast<std::size_t>(needed));
    const ssize_t size = ::fgetxattr(fd, name, &value[0], value.size());
    if (size >= 0) {
      value.resize(static_cast<std::size_t>(size));
      return 0;
    }
    if (errno != ERANGE) return errno;
  }
}

// Every extended attribute of `from_fd` the process can read, onto `fd`;
// the file capability is kept aside in `capability` for the end.
void CopyAttributes(int fd, int from_fd, std::string& capability, Losses& lost) {
  std::string names, value;
  if (AttributeNames(from_fd, names) != 0) return;
  for (std::size_t at = 0; at < names.size(); at += std::strlen(&names[at]) + 1) {
    const char* name = &names[at];
    if (AttributeValue(from_fd, name, value) != 0) continue;  // not the process's to read
    if (std::strcmp(name, kCapability) == 0) {
      capability = value;
    } else if (::fsetxattr(fd, name, value.data(), value.size(), 0) != 0) {
      const bool acl = std::strncmp(name, kAclPrefix, sizeof kAclPrefix - 1) == 0;
      Note(lost, acl ? kLostAcl : kLostAttributes, errno);
    }
  }
}

}  // namespace

int KeepModeAndTimes(int fd, const struct stat& from) {
  return SetModeAndTimes(fd, from, kCopyModeBits);
}

mode_t CurrentUmask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

mode_t CreationMode(const struct stat& from, mode_t umask, bool& whole) {
  const mode_t mode = from.st_mode & 0777 & ~umask;
  whole = mode == (from.st_mode & kCopyModeBits);
  return mode;
}

int KeepTimes(int fd, const struct stat& from) {
  const struct timespec times[2] = {from.st_atim, from.st_mtim};
  return ::futimens(fd, times) == 0 ? 0 : errno;
}

int KeepLinkTimes(int folder, const std::string& name, const struct stat& from) {
  const struct timespec times[2] = {from.st_atim, from.st_mtim};
  return ::utimensat(folder, name.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : errno;
}

int KeepEverything(int fd, int from_fd, const struct stat& from, Losses& lost) {
  const bool owned = OwnerKept(
      ::fchown(fd, from.st_uid, from.st_gid) == 0 ? 0 : errno,
      [&] { return ::fchown(fd, static_cast<uid_t>(-1), from.st_gid); }, lost);
  std::string capability;
  CopyAttributes(fd, from_fd, capability, lost);
  if (const int err = SetModeAndTimes(fd, from, owned ? kAllModeBits : kCopyModeBits)) return err;
  if (!capability.empty() &&
      ::fsetxattr(fd, kCapability, capability.data(), capability.size(), 0) != 0)
    Note(lost, kLostCapability, errno);
  return 0;
}

void KeepLinkOwner(int folder, const std::string& name, const struct stat& from, Losses& lost) {
  const char* at = name.c_str();
  OwnerKept(::fchownat(folder, at, from.st_uid, from.st_gid, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : errno,
            [&] {
              return ::fchownat(folder, at, static_cast<uid_t>(-1), from.st_gid,
                                AT_SYMLINK_NOFOLLOW);
            },
            lost);
}

}  // namespace engine
