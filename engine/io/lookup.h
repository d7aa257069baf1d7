// Looking at what is in the file system: an item's status, a folder's
// names.
#ifndef VANDRIX_ENGINE_IO_LOOKUP_H_
#define VANDRIX_ENGINE_IO_LOOKUP_H_

#include <fcntl.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "engine/base/path_text.h"

namespace engine {

/// Open flags of a folder that is only looked up and named in, never read:
/// search permission is enough.
constexpr int kLookUpFolder = O_PATH | O_DIRECTORY | O_CLOEXEC;

/// stat (`follow`) or lstat of `path`: 0 or an errno.
int StatOf(const std::string& path, struct stat& st, bool follow);

/// fstatat of `name` in the open folder `folder` (AT_FDCWD: a path),
/// following a link only with `follow`: 0 or an errno.
int StatAt(int folder, const std::string& name, struct stat& st, bool follow);

/// True when something (a dangling link too) is at `path`.
bool Exists(const std::string& path);

/// True when something (a dangling link too) is at `name` in `folder`.
bool ExistsAt(int folder, const std::string& name);

/// True when `path` is a folder or a link to one.
bool IsFolder(const std::string& path);

/// True when `a` and `b` describe the same item (device and inode).
bool SameItem(const struct stat& a, const struct stat& b);

/// realpath(3) of `path` into `real`: 0 or an errno.
int RealPath(const std::string& path, std::string& real);

/// An entry of a folder as its listing gives it.
struct Listed {
  std::string name;
  mode_t type;  ///< its type bits (S_IFREG, S_IFDIR, ...), or 0 when the listing does not say
};
using Listing = std::vector<Listed>;

/// Appends the entries of the open folder `folder`, without "." and "..",
/// to `entries`, sorted by name (so every walk has one order), each with the
/// type the folder's listing gives (d_type), which costs no call per entry.
/// Returns 0 or an errno.
int ListEntries(int folder, Listing& entries);

/// The same, names only, into `names`.
int ListNames(int folder, Paths& names);

}  // namespace engine

#endif  // VANDRIX_ENGINE_IO_LOOKUP_H_
