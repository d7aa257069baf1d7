// Making a folder and its missing parents (see make_folders.h).
#include "engine/io/make_folders.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <utility>

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

// How many folders deep below the last one there a dry run is, after the
// part `part` (each folder there would be new, so "." and ".." are names).
std::size_t DeeperAfter(std::size_t absent, const std::string& part) {
  if (part == ".") return absent;
  return part == ".." ? absent - 1 : absent + 1;
}

// Opens the folder `part` of the open `at` into `next`, making it when it
// is missing (`made_now`); in a dry run `next` stays closed there instead.
// Returns 0 or an errno.
int OpenOrMake(int at, const std::string& part, mode_t mode, const struct stat* keep_out,
               bool dry, Fd& next, bool& made_now) {
  made_now = false;
  next = Fd(::openat(at, part.c_str(), kLookUpFolder));
  if (next.ok() || errno != ENOENT) return next.ok() ? 0 : errno;
  if (KeptOut(at, keep_out)) return kErrorInsideSource;
  made_now = dry || ::mkdirat(at, part.c_str(), mode) == 0;
  if (dry) return 0;
  if (!made_now && errno != EEXIST) return errno;
  next = Fd(::openat(at, part.c_str(), kLookUpFolder));
  return next.ok() ? 0 : errno;
}

// Tells `made` of the folder `path` just made in `parent`, open as `folder`
// (closed in a dry run).
void Tell(const FolderMade& made, const std::string& path, const Fd& parent, int folder) {
  struct stat st;
  const bool looked = parent.ok() && ::fstat(folder, &st) == 0;
  made(path, looked ? parent.get() : -1, looked ? &st : nullptr);
}

}  // namespace

int MakeFolders(const std::string& path, mode_t mode, Fd& out, const struct stat* keep_out,
                const FolderMade& made, bool dry) {
  Fd at(::open(path[0] == '/' ? "/" : ".", kLookUpFolder));
  if (!at.ok()) return errno;
  std::size_t absent = 0;  // folders a dry run would make, below `at`
  for (std::size_t start = 0, end; start < path.size(); start = end + 1) {
    end = std::min(path.find('/', start), path.size());
    const std::string part = path.substr(start, end - start);
    if (part.empty()) continue;
    bool made_now = absent > 0 && part != "." && part != "..";
    Fd parent;  // the folder `part` is in, once `at` is `part`
    if (absent > 0) {
      absent = DeeperAfter(absent, part);
    } else {
      Fd next;
      const int err = OpenOrMake(at.get(), part, mode, keep_out, dry, next, made_now);
      if (err != 0) return err;
      if (next.ok())
        parent = std::exchange(at, std::move(next));
      else
        absent = 1;
    }
    if (made_now && made) Tell(made, path.substr(0, end), parent, at.get());
  }
  if (absent == 0 && KeptOut(at.get(), keep_out)) return kErrorInsideSource;
  out = absent == 0 ? std::move(at) : Fd();
  return 0;
}

}  // namespace engine
