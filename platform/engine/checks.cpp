// The rules an item meets before it goes to a target (see checks.h).
#include "platform/engine/checks.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>

#include "platform/engine/engine.h"
#include "platform/engine/quote.h"

namespace platform {
namespace engine {
namespace {

// Folders that are only looked up and named in, never read: search
// permission is enough.
#ifdef O_PATH
constexpr int kLookUp = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
constexpr int kLookUp = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif

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
    Fd parent(::openat(at, "..", kLookUp));
    if (!parent.ok() || ::fstat(parent.get(), &above) != 0) return true;
    if (SameItem(above, here)) return false;  // the root
    up = std::move(parent);
    at = up.get();
  }
}

// Opens the folder `path` part by part, making each missing one (mkdir -p),
// into `out`. With `keep_out`, no folder is made in, nor settled on, one
// that lies within it: `inside` is set instead. Returns 0 or an errno.
int OpenFolders(const std::string& path, const struct stat* keep_out, Fd& out, bool& inside) {
  Fd at(::open(path[0] == '/' ? "/" : ".", kLookUp));
  if (!at.ok()) return errno;
  for (std::size_t start = 0, end; start < path.size(); start = end + 1) {
    end = std::min(path.find('/', start), path.size());
    const std::string part = path.substr(start, end - start);
    if (part.empty()) continue;
    Fd next(::openat(at.get(), part.c_str(), kLookUp));
    if (!next.ok() && errno == ENOENT) {
      if (keep_out && (inside = Within(at.get(), *keep_out))) return 0;
      if (::mkdirat(at.get(), part.c_str(), 0777) != 0 && errno != EEXIST) return errno;
      next = Fd(::openat(at.get(), part.c_str(), kLookUp));
    }
    if (!next.ok()) return errno;
    at = std::move(next);
  }
  if (keep_out && (inside = Within(at.get(), *keep_out))) return 0;
  out = std::move(at);
  return 0;
}

bool SameAsSource(const Entry& source, Sameness sameness, const Target& target,
                  const struct stat& there) {
  if (SameFile(source.folder, source.name, source.st, there)) return true;
  struct stat named;
  return sameness == Sameness::kFollowed && StatAt(target.folder, target.name, named, true) &&
         SameItem(source.st, named);
}

// "name (2).ext", "name (3).ext", ...: the first that is free.
void TakeFreeName(Target& target, bool folder) {
  target.name = FreeName(target.folder, target.name, folder);
  if (!target.trail) target.shown = Join(ParentOf(target.shown), target.name);
}

}  // namespace

bool SameFile(int folder, const std::string& name, const struct stat& st,
              const struct stat& there) {
  if (SameItem(st, there)) return true;
  struct stat named;
  return S_ISLNK(st.st_mode) && StatAt(folder, name, named, true) && SameItem(named, there);
}

bool Decide(Session& s, const Entry& source, Sameness sameness, Target& target, Decision& d) {
  d.clash = Clash::kFree;
  if (!StatAt(target.folder, target.name, d.there, false)) return true;
  if (SameAsSource(source, sameness, target, d.there))
    return s.Fail(source.Shown(), target.Shown(), kErrorSameFile,
                  "the source and the target are the same item");
  const bool from_folder = S_ISDIR(source.st.st_mode);
  if (s.Has(FOF_RENAMEONCOLLISION)) {
    TakeFreeName(target, from_folder);
    return true;
  }
  const bool to_folder = S_ISDIR(d.there.st_mode);
  if (from_folder != to_folder)
    return s.Fail(source.Shown(), target.Shown(), kErrorAccessDenied,
                  "it exists, and a folder and a file never replace each other");
  d.clash = from_folder ? Clash::kMerge : Clash::kReplace;
  return from_folder || s.ConfirmReplace(target.Shown());
}

bool JobTarget(Session& s, const Job& job, bool follow, Fd& folder, Target& target) {
  struct stat st;
  if (!StatOf(job.source, st, follow)) return s.FailErrno(job.source, errno);
  bool inside = false;
  const int err = OpenFolders(ParentOf(job.target), S_ISDIR(st.st_mode) ? &st : nullptr, folder,
                              inside);
  if (inside) return RefuseInside(s, job.source, job.target);
  if (err != 0) return s.FailErrno(job.source, job.target, err);
  target = {folder.get(), NameOf(job.target), job.target};
  return true;
}

bool RefuseInside(Session& s, const std::string& source, const std::string& target) {
  return s.Fail(source, target, kErrorDestinationInSource,
                "the target lies inside the source folder");
}

}  // namespace engine
}  // namespace platform
