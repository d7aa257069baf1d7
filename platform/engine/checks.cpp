// The rules an item meets before it goes to a target (see checks.h).
#include "platform/engine/checks.h"

#include <fcntl.h>

#include <cerrno>

#include "platform/engine/engine.h"

namespace platform {
namespace engine {
namespace {

// True when `path` (existing or not) would lie inside `folder` or be it.
bool LiesInside(const struct stat& folder, const std::string& path) {
  std::string walk = ParentOf(path);
  while (!IsFolder(walk) && walk != "/" && walk != ".") walk = ParentOf(walk);
  if (!RealPath(walk, walk)) return false;
  for (struct stat st;; walk = ParentOf(walk)) {
    if (StatOf(walk, st, true) && SameItem(st, folder)) return true;
    if (walk == "/") return false;
  }
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
  const std::string name = target.name;
  for (unsigned n = 2; ExistsAt(target.folder, target.name); ++n)
    target.name = NumberedName(name, n, folder);
  target.shown = Join(ParentOf(target.shown), target.name);
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
    return s.Fail(source.Shown(), kErrorSameFile, "the source and the target are the same item");
  const bool from_folder = S_ISDIR(source.st.st_mode);
  if (s.Has(FOF_RENAMEONCOLLISION)) {
    TakeFreeName(target, from_folder);
    return true;
  }
  const bool to_folder = S_ISDIR(d.there.st_mode);
  if (from_folder != to_folder)
    return s.Fail(source.Shown(), kErrorAccessDenied,
                  "'" + target.shown + "' exists and a folder and a file never replace each other");
  d.clash = from_folder ? Clash::kMerge : Clash::kReplace;
  return from_folder || s.ConfirmReplace(target.shown);
}

bool JobTarget(Session& s, const Job& job, bool follow, Fd& folder, Target& target) {
  struct stat st;
  if (!StatOf(job.source, st, follow)) return s.FailErrno(job.source, errno);
  if (S_ISDIR(st.st_mode) && LiesInside(st, job.target))
    return s.Fail(job.source, kErrorDestinationInSource, "the target lies inside the source folder");
  const std::string parent = ParentOf(job.target);
  int err = MakeFolders(parent, 0777);
  if (err == 0) {
    folder = Fd(::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.ok()) err = errno;
  }
  target = {folder.get(), NameOf(job.target), job.target};
  return err == 0 || s.FailErrno(job.source, err);
}

}  // namespace engine
}  // namespace platform
