// The one place that gives a copied item the source's attributes: mode and
// times for every copy; for a move also owner and group, extended
// attributes (POSIX ACLs among them) and the file capability.
#ifndef VANDRIX_ENGINE_IO_ATTRIBUTES_H_
#define VANDRIX_ENGINE_IO_ATTRIBUTES_H_

#include <sys/stat.h>

#include <array>
#include <string>

namespace engine {

/// Gives the open file or folder `fd` the mode of `from` (less the set-user-id
/// and set-group-id bits, which a copy never gets) and its access and
/// modification times. Returns 0 or an errno.
int KeepModeAndTimes(int fd, const struct stat& from);

/// The umask of the process now (read by setting it and putting it back).
mode_t CurrentUmask();

/// The mode to create a copy of `from` with where only this run can reach
/// it yet: its permission bits less `umask`. `whole` says whether that is
/// the copy's whole mode (KeepModeAndTimes'); when not, the copy still needs
/// KeepModeAndTimes, else KeepTimes is enough.
mode_t CreationMode(const struct stat& from, mode_t umask, bool& whole);

/// Gives the open file or folder `fd` the access and modification times of
/// `from`. Returns 0 or an errno.
int KeepTimes(int fd, const struct stat& from);

/// Gives the link `name` in the open folder `folder` the times of `from`
/// (a link's mode means nothing). Returns 0 or an errno.
int KeepLinkTimes(int folder, const std::string& name, const struct stat& from);

/// What a move keeps that a file system or the process's rights may refuse,
/// by kind (kLostLinks is the copy's own: a hard link made as a copy).
enum Lost : unsigned {
  kLostOwner,
  kLostAttributes,
  kLostAcl,
  kLostCapability,
  kLostLinks,
  kLostKinds
};
/// For each kind, 0, or the errno of the first refusal.
using Losses = std::array<int, kLostKinds>;

/// Gives the open file or folder `fd` all that a move keeps of the open
/// source `from_fd`, whose fstat is `from`, in the order that keeps each:
/// owner and group (as root; an ordinary user keeps the group when a member
/// of it, and gives no item away, silently, as mv does), every extended
/// attribute the process can read (an ACL is one: system.posix_acl_*), the
/// mode (with the set-id bits when owner and group were kept), the times,
/// and last the file capability (security.capability, which a change of
/// owner clears). What is refused goes into `lost`. Returns 0, or the errno
/// of the mode or the times.
int KeepEverything(int fd, int from_fd, const struct stat& from, Losses& lost);

/// Gives the link `name` in the open folder `folder` the owner and group of
/// `from`, as KeepEverything does.
void KeepLinkOwner(int folder, const std::string& name, const struct stat& from, Losses& lost);

}  // namespace engine

#endif  // VANDRIX_ENGINE_IO_ATTRIBUTES_H_
