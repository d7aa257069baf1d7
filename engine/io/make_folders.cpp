// Making a folder and its missing parents (see make_folders.h).
#include "engine/io/make_folders.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>

#include "engine/base/errors.h"
#include "engine/io/lookup.h"

namespace engine {
namespace {

// True when the open folder `folder` is `item` or lies inside it: its
// parents, by "..", up to the root, are compared by device and inode, so a
// link or a bind mount on the way is seen through. A parent that cannot be
// looked at counts as inside: the target is refused rather than risked.
bool Within(int folder, const struct stat& item) {
  Fd up;
  for (int at = folder;;) {
    struct stat here, above;
    if (::fstat(at, &here) != 0) return true;
    if (SameItem(here, item)) return true;
    Fd parent(::openat(at, "..", kLookUpFolder));
    if (!parent.ok() || ::fstat(parent.get(), &above) != 0) return true;
    if (SameItem(above, here)) return false;  // the root
    up = std::move(parent);
    at = up.get();
  }
}

bool KeptOut(int folder, const struct stat* keep_out) {
  return keep_out && Within(folder, *keep_out);
}

}  // namespace

int MakeFolders(const std::string& path, mode_t mode, Fd& out, const struct stat* keep_out) {
  Fd at(::open(path[0] == '/' ? "/" : ".", kLookUpFolder));
  if (!at.ok()) return errno;
  for (std::size_t start = 0, end; start < path.size(); start = end + 1) {
    end = std::min(path.find('/', start), path.size());
    const std::string part = path.substr(start, end - start);
    if (part.empty()) continue;
    Fd next(::openat(at.get(), part.c_str(), kLookUpFolder));
    if (!next.ok() && errno == ENOENT) {
      if (KeptOut(at.get(), keep_out)) return kErrorInsideSource;
      if (::mkdirat(at.get(), part.c_str(), mode) != 0 && errno != EEXIST) return errno;
      next = Fd(::openat(at.get(), part.c_str(), kLookUpFolder));
    }
    if (!next.ok()) return errno;
    at = std::move(next);
  }
  if (KeptOut(at.get(), keep_out)) return kErrorInsideSource;
  out = std::move(at);
  return 0;
}

}  // namespace engine
