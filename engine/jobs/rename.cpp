// Renaming an item within its folder (see rename.h).
#include "engine/jobs/rename.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "engine/base/errors.h"
#include "engine/base/fd.h"
#include "engine/base/path_text.h"
#include "engine/io/lookup.h"
#include "engine/io/place.h"
#include "engine/io/walk.h"
#include "engine/rules/decide.h"
#include "engine/rules/target.h"

namespace engine {
namespace {

bool InSameFolder(const std::string& source, const std::string& target) {
  struct stat a, b;
  return StatOf(ParentOf(source), a, true) == 0 && StatOf(ParentOf(target), b, true) == 0 &&
         SameItem(a, b);
}

// The target's name in its folder, a trailing slash kept (the rename then
// takes only a folder, as rename(2) does).
std::string NameInFolder(const std::string& target) {
  const bool slash = target.size() > 1 && target.back() == '/';
  return NameOf(target) + (slash ? "/" : "");
}

}  // namespace

bool RenameJob(Session& s, const Job& job) {
  const std::string& source = job.source;
  if (!InSameFolder(source, job.target))
    return s.Fail(source, job.target, kErrorDifferentFolder, "the new name is in another folder");
  struct stat from;
  if (const int err = StatOf(source, from, false)) return s.FailErrno(source, job.target, err);
  const Fd folder(::open(ParentOf(job.target).c_str(), kLookUpFolder));
  if (!folder.ok()) return s.FailErrno(source, job.target, errno);
  Target target{folder.get(), NameInFolder(job.target), job.target};
  const FolderTrail trail(source);
  Decision d;
  if (!Decide(s, Entry{AT_FDCWD, source, from, trail, 0}, Sameness::kItem, target, d,
              FolderClash::kRefuse))
    return false;
  const int err =
      s.options().dry_run ? 0 : Place(AT_FDCWD, source, target.folder, target.name, d.replacing());
  if (err != 0) return s.FailErrno(source, target.Shown(), err);
  return s.Done(Session::Deed::kRename, source, target.Shown(), d.clash == Clash::kReplace);
}

}  // namespace engine
