// Moving an item (see move.h).
#include "engine/jobs/move.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "engine/base/errors.h"
#include "engine/base/path_text.h"
#include "engine/io/lookup.h"
#include "engine/io/place.h"
#include "engine/io/walk.h"
#include "engine/jobs/copy.h"
#include "engine/jobs/move_across.h"
#include "engine/rules/decide.h"
#include "engine/rules/target.h"

namespace engine {
namespace {

// True when the entry would go to another file system: the target's
// folder, or for a folder a dry run would make the nearest one there, is
// on another device.
bool Across(const Entry& e, const Target& t) {
  struct stat there;
  if (t.folder >= 0) return ::fstat(t.folder, &there) == 0 && there.st_dev != e.st.st_dev;
  for (std::string folder = ParentOf(t.Shown()); StatOf(folder, there, true) != 0;
       folder = ParentOf(folder))
    if (folder == "." || folder == "/") return false;
  return there.st_dev != e.st.st_dev;
}

// Renames the item into place, or moves it across file systems. A dry run
// renames nothing; across file systems it copies as the run would, making
// nothing, to meet what the copy would fail on.
bool Put(Session& s, const Entry& e, const Target& t, const Decision& d) {
  if (s.options().dry_run)
    return !Across(e, t) ||
           CopyTree(s, e.folder, e.name, e.Shown(), false, t, Purpose::kMove, &d).complete;
  const int err = Place(e.folder, e.name, t.folder, t.name, d.replacing());
  if (err == EXDEV) return MoveAcross(s, e, t, d);
  if (err != 0) return s.FailErrno(e.Shown(), t.Shown(), err);
  s.record().Placed(e.st);
  return true;
}

// Moves the item and says so; a dry run only says it, and notes it gone.
bool Relocate(Session& s, const Entry& e, const Target& t, const Decision& d) {
  if (!Put(s, e, t, d)) return false;
  if (s.options().dry_run) s.record().Vanish(e.Shown());
  return !s.telling() ||
         s.Done(Session::Deed::kMove, e.Shown(), t.Shown(), d.clash == Clash::kReplace);
}

// Each entry is renamed (or moved across) to its target; a folder that
// meets a folder is gone into, and removed once its entries are moved.
class MoveVisitor : public TreeVisitor {
 public:
  MoveVisitor(Session& s, const Target& top) : s_(s), top_(top), into_(top.shown) {}

  Visit Visited(const Entry& e) override {
    folder_ = e.depth == 0 ? top_ : Target{into_.fd(), e.name, "", &into_, e.depth};
    Decision d;
    if (!Decide(s_, e, Sameness::kItem, folder_, d)) return Visit::kFailed;
    if (d.clash == Clash::kMerge) return Visit::kDescend;
    return Relocate(s_, e, folder_, d) ? Visit::kDone : Visit::kFailed;
  }
  bool Opened(const Entry& e) override {
    Fd folder(::openat(folder_.folder, folder_.name.c_str(),
                       O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st;
    if (!folder.ok() || ::fstat(folder.get(), &st) != 0)
      return s_.FailErrno(e.Shown(), folder_.Shown(), errno);
    into_.Push(std::move(folder), st, folder_.name);
    return true;
  }
  bool Left(const Entry& e, bool complete) override {
    if (const int lost = into_.Pop()) s_.FailErrno(e.Shown(), into_.PathAt(e.depth, e.name), lost);
    complete = complete && !into_.lost();
    if (complete && s_.options().dry_run) s_.record().Vanish(e.Shown());
    if (complete && !s_.options().dry_run &&
        ::unlinkat(e.folder, e.name.c_str(), AT_REMOVEDIR) != 0)
      return s_.FailErrno(e.Shown(), errno);
    return complete;
  }
  void Failed(const Entry& e, int err) override {
    s_.FailErrno(e.Shown(), e.depth == 0 ? top_.Shown() : into_.PathAt(e.depth, e.name), err);
  }
  bool Stopped() const override { return s_.cancelled() || into_.lost(); }

 private:
  Session& s_;
  const Target& top_;
  FolderTrail into_;  ///< the folders merged into, level for level
  Target folder_;     ///< the current entry's target
};

}  // namespace

bool MoveJob(Session& s, const Job& job) {
  Fd folder;
  Target target;
  if (!OpenTarget(s, job.source, job.target, false, folder, target)) return false;
  MoveVisitor visitor(s, target);
  return TreeWalk(visitor, s.hooks().folder_open, job.source).Run(AT_FDCWD, job.source, false);
}

}  // namespace engine
