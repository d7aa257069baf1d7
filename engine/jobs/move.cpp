// Moving an item (see move.h).
#include "engine/jobs/move.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <memory>
#include <unordered_set>
#include <utility>
#include <vector>

#include "engine/base/errors.h"
#include "engine/base/path_text.h"
#include "engine/io/identity.h"
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

// Says an item moved; true.
bool Said(Session& s, const std::string& item, const std::string& target, bool replacing) {
  return !s.telling() || s.Done(Session::Deed::kMove, item, target, replacing);
}

// The top items of jobs copied across file systems one after another, from
// one folder into one folder, whose sources are still to go. Kept by the
// Session from job to job.
class MoveBatch : public Session::Pending {
 public:
  DiskSync& disks() { return disks_; }
  // True when `job` may join: from and into the same folders (as paths),
  // and not one of their sources again (by identity).
  bool Suits(const Job& job) const {
    struct stat st;
    return items_.empty() ||
           (items_.size() < kMostItems && entries_ < kMostEntries &&
            ParentOf(job.source) == ParentOf(items_[0].shown) &&
            ParentOf(job.target) == ParentOf(items_[0].to_shown) &&
            (StatOf(job.source, st, false) != 0 || sources_.count(IdentityOf(st)) == 0));
  }
  void Add(CopiedAcross copied) {
    sources_.insert(IdentityOf(copied.st));
    entries_ += copied.copied.sources.size();
    copied.to = copied.to_shown;  // its folder closes with its job: found again by path
    items_.push_back(std::move(copied));
  }
  void Settle(Session& s);

 private:
  static constexpr std::size_t kMostItems = 512, kMostEntries = 65536;
  DiskSync disks_;  ///< the file systems the request's moves copied to
  std::vector<CopiedAcross> items_;
  std::unordered_set<Identity, IdentityHash> sources_;
  std::size_t entries_ = 0;  ///< in the items' trees
};

// Their sources go, after one sync, each said as moved.
void MoveBatch::Settle(Session& s) {
  const std::vector<CopiedAcross> items = std::move(items_);
  items_.clear();
  sources_.clear();
  entries_ = 0;
  const int err = items.empty() ? 0 : disks_.SyncAll();
  for (const CopiedAcross& item : items) {
    if (err != 0)
      KeepAcross(s, item.shown, {item}, err);
    else if (RemoveAcross(s, AT_FDCWD, AT_FDCWD, item))
      Said(s, item.shown, item.to_shown, item.replacing);
  }
}

MoveBatch& BatchOf(Session& s) {
  if (auto* batch = dynamic_cast<MoveBatch*>(s.pending().get())) return *batch;
  auto made = std::make_unique<MoveBatch>();
  MoveBatch& batch = *made;
  s.pending() = std::move(made);
  return batch;
}

// Each entry is renamed (or moved across) to its target; a folder that
// meets a folder is gone into, and removed once its entries are moved.
// Across file systems the entries of a folder gone into are copied as they
// come, and their sources go together once it is done, after one write of
// their copies to disk.
class MoveVisitor : public TreeVisitor {
 public:
  MoveVisitor(Session& s, const Target& top, MoveBatch& batch)
      : s_(s), top_(top), into_(top.shown), batch_(batch) {}

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
  bool Relocate(const Entry& e, const Target& t, const Decision& d);
  bool CopyOver(const Entry& e, const Target& t, const Decision& d);
  bool RemoveCopied(const Entry& e);

  Session& s_;
  const Target& top_;
  FolderTrail into_;  ///< the folders merged into, level for level
  Target folder_;     ///< the current entry's target
  /// For each folder merged into, what was copied into it across file
  /// systems, its source still to go.
  std::vector<std::vector<CopiedAcross>> across_;
  MoveBatch& batch_;  ///< the request's top items copied across
};

// Renames the item into place, or moves it across file systems, and says
// so. A dry run renames nothing; across file systems it copies as the run
// would, making nothing, to meet what the copy would fail on, and notes the
// item gone.
bool MoveVisitor::Relocate(const Entry& e, const Target& t, const Decision& d) {
  if (s_.options().dry_run) {
    if (Across(e, t) &&
        !CopyTree(s_, e.folder, e.name, e.Shown(), false, t, Purpose::kMove, &d).complete)
      return false;
    s_.record().Vanish(e.Shown());
  } else {
    const int err = Place(e.folder, e.name, t.folder, t.name, d.replacing());
    if (err == EXDEV) return CopyOver(e, t, d);
    if (err != 0) return s_.FailErrno(e.Shown(), t.Shown(), err);
    s_.record().Placed(e.st);
  }
  return Said(s_, e.Shown(), t.Shown(), d.clash == Clash::kReplace);
}

// The item is copied now; its source goes with its batch's (the top item)
// or its folder's others (RemoveCopied).
bool MoveVisitor::CopyOver(const Entry& e, const Target& t, const Decision& d) {
  CopiedAcross copied;
  if (!CopyAcross(s_, e, t, d, batch_.disks(), copied)) return false;
  if (e.depth == 0)
    batch_.Add(std::move(copied));
  else
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
  if (err == 0) err = batch_.disks().Sync(into_.fd());
  if (err != 0) return KeepAcross(s_, e.Shown(), copied, err);
  bool all = true;
  for (const CopiedAcross& item : copied)
    all = RemoveAcross(s_, folder.get(), into_.fd(), item) &&
          Said(s_, item.shown, item.to_shown, item.replacing) && all;
  return all;
}

}  // namespace

bool MoveJob(Session& s, const Job& job) {
  MoveBatch& batch = BatchOf(s);
  if (!batch.Suits(job)) batch.Settle(s);
  Fd folder;
  Target target;
  if (!OpenTarget(s, job.source, job.target, false, folder, target)) return false;
  MoveVisitor visitor(s, target, batch);
  return TreeWalk(visitor, s.hooks().folder_open, job.source).Run(AT_FDCWD, job.source, false);
}

void SettleMoves(Session& s) {
  if (auto* batch = dynamic_cast<MoveBatch*>(s.pending().get())) batch->Settle(s);
}

}  // namespace engine
