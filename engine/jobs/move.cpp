// Moving an item (see move.h).
#include "engine/jobs/move.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>
#include <vector>

#include "engine/base/errors.h"
#include "engine/io/lookup.h"
#include "engine/io/place.h"
#include "engine/io/walk.h"
#include "engine/jobs/move_across.h"
#include "engine/rules/decide.h"
#include "engine/rules/target.h"

namespace engine {
namespace {

// Each entry is renamed (or moved across) to its target; a folder that
// meets a folder is gone into, and removed once its entries are moved.
// Across file systems the entries of a folder gone into are copied as they
// come, and their sources go together once it is done, after one write of
// their copies to disk.
class MoveVisitor : public TreeVisitor {
 public:
  MoveVisitor(Session& s, const Target& top) : s_(s), top_(top), into_(top.shown) {}

  Visit Visited(const Entry& e) override {
    folder_ = e.depth == 0 ? top_ : Target{into_.fd(), e.name, "", &into_, e.depth};
    Decision d;
    if (!Decide(s_, e, Sameness::kItem, folder_, d)) return Visit::kFailed;
    if (d.clash == Clash::kMerge) return Visit::kDescend;
    return Relocate(e, folder_, d) ? Visit::kDone : Visit::kFailed;
  }
  bool Opened(const Entry& e) override {
    Fd folder(::openat(folder_.folder, folder_.name.c_str(),
                       O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st;
    if (!folder.ok() || ::fstat(folder.get(), &st) != 0)
      return s_.FailErrno(e.Shown(), folder_.Shown(), errno);
    into_.Push(std::move(folder), st, folder_.name);
    across_.emplace_back();
    return true;
  }
  bool Left(const Entry& e, bool complete) override {
    complete = RemoveCopied(e) && complete;
    if (const int lost = into_.Pop()) s_.FailErrno(e.Shown(), into_.PathAt(e.depth, e.name), lost);
    complete = complete && !into_.lost();
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
  bool Relocate(const Entry& e, const Target& t, const Decision& d);
  bool Across(const Entry& e, const Target& t, const Decision& d);
  bool RemoveCopied(const Entry& e);
  // Says an item moved; true.
  bool Said(const std::string& item, const std::string& target, bool replacing) {
    return !s_.telling() || s_.Done(Session::Deed::kMove, item, target, replacing);
  }

  Session& s_;
  const Target& top_;
  FolderTrail into_;  ///< the folders merged into, level for level
  Target folder_;     ///< the current entry's target
  /// For each folder merged into, what was copied into it across file
  /// systems, its source still to go.
  std::vector<std::vector<CopiedAcross>> across_;
  DiskSync disks_;    ///< the file systems copied to
};

// Renames the item into place, or moves it across file systems, and says
// so; a dry run only says it.
bool MoveVisitor::Relocate(const Entry& e, const Target& t, const Decision& d) {
  if (!s_.options().dry_run) {
    const int err = Place(e.folder, e.name, t.folder, t.name, d.replacing());
    if (err == EXDEV) return Across(e, t, d);
    if (err != 0) return s_.FailErrno(e.Shown(), t.Shown(), err);
    s_.record().Placed(e.st);
  }
  return Said(e.Shown(), t.Shown(), d.clash == Clash::kReplace);
}

// The top item is moved across at once; an entry of a folder merged into is
// copied now, and its source goes with the folder's others (RemoveCopied).
bool MoveVisitor::Across(const Entry& e, const Target& t, const Decision& d) {
  if (e.depth == 0)
    return MoveAcross(s_, e, t, d, disks_) && Said(e.Shown(), t.Shown(), d.clash == Clash::kReplace);
  CopiedAcross copied;
  if (!CopyAcross(s_, e, t, d, disks_, copied)) return false;
  across_.back().push_back(std::move(copied));
  return true;
}

// The folder `e`, merged into the deepest folder of `into_`, is done: its
// entries copied across go from it, once their copies are on disk, each
// said as moved. True when all of them went.
bool MoveVisitor::RemoveCopied(const Entry& e) {
  const std::vector<CopiedAcross> copied = std::move(across_.back());
  across_.pop_back();
  if (copied.empty()) return true;
  Fd folder(::openat(e.folder, e.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  struct stat st;
  int err = folder.ok() && ::fstat(folder.get(), &st) == 0 ? 0 : errno;
  if (err == 0 && (!SameItem(st, e.st) || into_.lost())) err = kErrorMovedAway;
  if (err == 0) err = disks_.Sync(into_.fd());
  if (err != 0) return KeepAcross(s_, e.Shown(), copied, err);
  bool all = true;
  for (const CopiedAcross& item : copied)
    all = RemoveAcross(s_, folder.get(), into_.fd(), item) &&
          Said(item.shown, item.to_shown, item.replacing) && all;
  return all;
}

}  // namespace

bool MoveJob(Session& s, const Job& job) {
  Fd folder;
  Target target;
  if (!OpenTarget(s, job.source, job.target, false, folder, target)) return false;
  MoveVisitor visitor(s, target);
  return TreeWalk(visitor, s.hooks().folder_open, job.source).Run(AT_FDCWD, job.source, false);
}

}  // namespace engine
