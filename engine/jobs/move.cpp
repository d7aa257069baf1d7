// Moving an item (see move.h).
#include "engine/jobs/move.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "engine/base/errors.h"
#include "engine/io/lookup.h"
#include "engine/io/place.h"
#include "engine/io/walk.h"
#include "engine/jobs/copy.h"
#include "engine/jobs/delete.h"
#include "engine/rules/decide.h"
#include "engine/rules/target.h"

namespace engine {
namespace {

// A partial copy goes, but only what the copy made itself.
void TakeBack(Session& s, const Target& t, const Copied& copied) {
  struct stat there;
  if (copied.made && StatAt(t.folder, t.name, there, false) == 0 && SameItem(there, copied.placed))
    RemoveTree(s, t.folder, t.name, t.Shown());
}

// Across file systems the item is copied to the target as decided, never
// over anything else (another program's file, another move's copy); the
// source goes only once the copy is complete and both are still the items
// they were.
bool MoveAcross(Session& s, const Entry& e, const Target& t, const Decision& d) {
  const std::string shown = e.Shown();
  const Copied copied = CopyTree(s, e.folder, e.name, shown, false, t, &d);
  if (!copied.complete) {
    TakeBack(s, t, copied);
    return false;
  }
  struct stat source, target;
  if (StatAt(e.folder, e.name, source, false) != 0 || !SameItem(source, e.st) ||
      StatAt(t.folder, t.name, target, false) != 0 || !SameItem(target, copied.placed))
    return s.Fail(shown, t.Shown(), kErrorOther,
                  "the source or its copy changed; the source is kept");
  return RemoveTree(s, e.folder, e.name, shown);
}

bool Relocate(Session& s, const Entry& e, const Target& t, const Decision& d) {
  const int err = Place(e.folder, e.name, t.folder, t.name, d.replacing());
  if (err == EXDEV) return MoveAcross(s, e, t, d);
  if (err != 0) return s.FailErrno(e.Shown(), t.Shown(), err);
  s.record().Placed(e.st);
  return true;
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
    if (complete && ::unlinkat(e.folder, e.name.c_str(), AT_REMOVEDIR) != 0)
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
