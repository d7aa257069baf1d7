// Copying an item and its tree (see copy.h).
#include "engine/jobs/copy.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <unordered_set>
#include <utility>
#include <vector>

#include "engine/base/errors.h"
#include "engine/base/path_text.h"
#include "engine/base/quote.h"
#include "engine/io/attributes.h"
#include "engine/io/identity.h"
#include "engine/io/temp_file.h"
#include "engine/io/walk.h"
#include "engine/jobs/kept.h"
#include "engine/jobs/tree_work.h"

namespace engine {
namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr char kNotPlaced[] = "not all of it arrived, so none of it was placed";

// Copies a tree alongside the walk of the source: `into_` holds the target
// folders, level for level with the source folders, shown by their real
// names (a new tree's top is the hidden folder being filled; a top given a
// free name, by that name).
class CopyVisitor : public TreeVisitor {
 public:
  CopyVisitor(Session& s, const Target& top, bool follow, Purpose purpose,
              const Decision* decided)
      : s_(s), top_(top), follow_(follow), decided_(decided), into_(top.Shown()),
        items_(s, purpose, copied_) {}

  Copied& copied() { return copied_; }

  // Inside a new tree a file is opened and looked at once open, a folder
  // once gone into: its type is enough until then. A link needs its times,
  // and a merge or a move every entry's status.
  bool Looks(mode_t type) const override {
    return !tree_ || items_.moving() || type == S_IFLNK;
  }
  Visit Visited(const Entry& e) override;
  bool Opened(const Entry& e) override;
  bool Left(const Entry& e, bool complete) override;
  void Failed(const Entry& e, int err) override {
    s_.FailErrno(e.Shown(), TargetOf(e).Shown(), err);
  }
  bool Stopped() const override { return s_.cancelled() || into_.lost(); }

 private:
  // How a target folder entered came to be.
  enum class Made { kMerged, kNewTree, kInTree };

  Target TargetOf(const Entry& e) const;
  bool CopyEntry(const Entry& e, const Target& t, const Decision& d, Way way);
  int MakeFolder(Made made, const Target& t, Fd& folder, struct stat& st);
  bool EnterAbsent(const Entry& e, const Target& t);
  bool LeaveAbsent(const Entry& e, bool complete);
  int KeepFolderAttributes(const Entry& e);
  void StartWork(const Entry& e, const struct stat& made);
  bool EndWork();
  bool PlaceTree(const Entry& e, bool complete, int err);
  // Says a copied entry (a move says its items itself); true.
  bool Tell(const Entry& e, const Target& t, const Decision* d = nullptr) {
    return items_.moving() || !s_.telling() ||
           s_.Done(Session::Deed::kCopy, e.Shown(), t.Shown(), d && d->clash == Clash::kReplace);
  }

  Session& s_;
  Target top_;  ///< where the top item goes: given, then as decided (a free name)
  bool follow_;
  const Decision* decided_;  ///< for the top item, when decided already
  FolderTrail into_;
  Target folder_;            ///< the folder decided on in Visited, made in Opened
  bool merge_ = false;       ///< ... and whether it exists already
  std::vector<Made> made_;   ///< for each target folder entered
  /// The target folders entered: a source folder that is one of them is
  /// the copy itself (reached through a mount), never gone into.
  std::unordered_set<Identity, IdentityHash> targets_;
  std::unique_ptr<TempFolder> tree_;  ///< the new tree being built, if any
  struct stat tree_top_ {};           ///< ... its top folder
  std::vector<Identity> tree_folders_;  ///< ... and the folders in it
  /// In a dry run, the target folders that would be made are not there:
  /// how deep the walk is below the last one that is, and the path of the
  /// deepest one.
  std::size_t absent_ = 0;
  std::string absent_path_;
  Copied copied_;
  ItemCopy items_;
  /// The new tree's files that workers copy (tree_work.h), if any; last,
  /// so that its work ends before the rest goes.
  std::unique_ptr<CopyWork> work_;
};

Target CopyVisitor::TargetOf(const Entry& e) const {
  if (e.depth == 0) return top_;
  if (absent_ > 0) return {-1, e.name, Join(absent_path_, e.name)};
  return {into_.fd(), e.name, "", &into_, e.depth};
}

TreeVisitor::Visit CopyVisitor::Visited(const Entry& e) {
  Target t = TargetOf(e);
  Decision d;
  const Sameness sameness = e.depth == 0 && follow_ ? Sameness::kFollowed : Sameness::kItem;
  if (tree_) {
    // A folder this run made and fills alone: nothing is there to meet.
  } else if (e.depth == 0 && decided_) {
    d = *decided_;
  } else if (!Decide(s_, e, sameness, t, d)) {
    return Visit::kFailed;
  }
  if (e.depth == 0 && t.name != top_.name) {  // a free name: the tree goes there
    top_ = t;
    into_ = FolderTrail(t.Shown());
  }
  s_.Step(e, 0, 0);
  if (S_ISDIR(e.st.st_mode)) {
    folder_ = std::move(t);
    merge_ = d.clash == Clash::kMerge;
    return Visit::kDescend;
  }
  if (work_ && S_ISREG(e.st.st_mode) && work_->Hand(e, t)) return Visit::kDone;
  const bool copied = CopyEntry(e, t, d, tree_ ? Way::kDirect : Way::kPlaced);
  if (copied) s_.Step(e, 1, 0);  // a file's bytes were counted as they went
  return copied ? Visit::kDone : Visit::kFailed;
}

// A file or a link, and its line; in a dry run only the line.
bool CopyVisitor::CopyEntry(const Entry& e, const Target& t, const Decision& d, Way way) {
  if (!S_ISREG(e.st.st_mode) && !S_ISLNK(e.st.st_mode))
    return s_.Fail(e.Shown(), t.Shown(), kErrorOther, "not a regular file, folder or link");
  const bool copied = s_.options().dry_run ||
                      (S_ISREG(e.st.st_mode) ? items_.CopyFile(e, t, d, way, e.depth == 0 && follow_)
                                             : items_.CopyLink(e, t, d, way));
  return copied && Tell(e, t, &d);
}

bool CopyVisitor::Opened(const Entry& e) {
  const Target& t = folder_;
  // The walk meets a folder of the copy (through a mount inside the
  // source): going in would copy the copy, without end.
  if (targets_.count(IdentityOf(e.st)) != 0) return RefuseInside(s_, e.Shown(), t.Shown());
  if (s_.options().dry_run && !merge_) return EnterAbsent(e, t);
  const Made made = merge_ ? Made::kMerged : tree_ ? Made::kInTree : Made::kNewTree;
  Fd folder;
  struct stat st;
  if (const int err = MakeFolder(made, t, folder, st)) return s_.FailErrno(e.Shown(), t.Shown(), err);
  if (made == Made::kNewTree) s_.Hold();  // said once placed
  if (!merge_) Tell(e, t);
  targets_.insert(IdentityOf(st));
  if (made == Made::kInTree) tree_folders_.push_back(IdentityOf(st));
  items_.Arrived(e.st);
  into_.Push(std::move(folder), st, t.name);
  made_.push_back(made);
  if (made == Made::kNewTree) StartWork(e, st);
  if (work_) work_->Enter();
  return true;
}

// A copy's new tree (`made` its hidden top) gets workers for its files
// when the request's jobs say so (none for a move: it keeps more than a
// copy, and says it as it goes).
void CopyVisitor::StartWork(const Entry& e, const struct stat& made) {
  if (items_.moving()) return;
  const unsigned workers = TreeWorkers(s_, {e.st.st_dev, made.st_dev});
  if (workers > 1) work_ = std::make_unique<CopyWork>(s_, workers, items_.umask());
}

// The new tree is left: all its work back, said; true when all of it arrived.
bool CopyVisitor::EndWork() {
  if (!work_) return true;
  const bool arrived = work_->Drain();
  work_.reset();
  return arrived;
}

// Opens the target folder `t` as `made` says, its fstat into `st`: an
// existing one, a new tree's hidden top, or a new folder inside the tree.
int CopyVisitor::MakeFolder(Made made, const Target& t, Fd& folder, struct stat& st) {
  if (made == Made::kNewTree) {
    tree_ = std::make_unique<TempFolder>(t.folder, t.name);
    const int err = tree_->Make(folder, st);
    if (err != 0) {
      tree_.reset();
      return err;
    }
    tree_top_ = st;
    items_.NewTree(t.Shown(), Join(ParentOf(t.Shown()), tree_->name()));
    return 0;
  }
  if (made == Made::kInTree && ::mkdirat(t.folder, t.name.c_str(), 0700) != 0) return errno;
  folder = Fd(::openat(t.folder, t.name.c_str(), kFolderFlags));
  return folder.ok() && ::fstat(folder.get(), &st) == 0 ? 0 : errno;
}

// A dry run goes into a folder it would make as into one that is empty:
// the first is a new tree's top, said as the run says it, once placed.
bool CopyVisitor::EnterAbsent(const Entry& e, const Target& t) {
  if (absent_ == 0) s_.Hold();
  Tell(e, t);
  absent_path_ = t.Shown();
  ++absent_;
  return true;
}

// A dry run leaves a folder it would make; a new tree's top is placed as
// the run would place it (PlaceTree), or not.
bool CopyVisitor::LeaveAbsent(const Entry& e, bool complete) {
  const std::string shown = absent_path_;
  absent_path_ = ParentOf(absent_path_);
  if (--absent_ > 0) return complete;
  const bool placing = !Stopped() && complete;
  s_.Release(placing);
  if (!placing && !Stopped()) s_.Fail(e.Shown(), shown, kErrorOther, kNotPlaced);
  return placing;
}

bool CopyVisitor::Left(const Entry& e, bool complete) {
  if (absent_ > 0) return LeaveAbsent(e, complete);
  const Made made = made_.back();
  made_.pop_back();
  if (made == Made::kNewTree) complete = EndWork() && complete;
  const bool keep = made != Made::kMerged && !into_.lost();
  const bool handing = work_ && work_->Holds();  // the workers give them, once its files are in
  const int err = keep && !handing ? KeepFolderAttributes(e) : 0;
  // Once popped, the trail shows the folder left as the entry it was.
  if (const int lost = into_.Pop()) s_.FailErrno(e.Shown(), into_.PathAt(e.depth, e.name), lost);
  complete = complete && !into_.lost();
  if (made == Made::kNewTree) return PlaceTree(e, complete, err);
  if (work_ && work_->Leave(e, into_.PathAt(e.depth, e.name), keep, complete)) return complete;
  if (complete && err == 0) s_.Step(e, 1, 0);
  return complete && (err == 0 || s_.FailErrno(e.Shown(), into_.PathAt(e.depth, e.name), err));
}

// The new tree is finished: placed whole, or removed. Only a tree that
// arrived whole is placed, for a copy as for a move: when an entry failed
// (already reported) the target is never made, and the line says so.
bool CopyVisitor::PlaceTree(const Entry& e, bool complete, int err) {
  const std::unique_ptr<TempFolder> tree = std::move(tree_);
  const std::string shown = into_.PathAt(e.depth, e.name);
  const bool placing = !Stopped() && complete;
  if (err == 0 && placing) err = tree->Place();
  if (err != 0) s_.FailErrno(e.Shown(), shown, err);
  if (err == 0 && !placing && !Stopped()) s_.Fail(e.Shown(), shown, kErrorOther, kNotPlaced);
  items_.TreeDone(err == 0 && placing);
  s_.Release(err == 0 && placing);
  if (err != 0 || !placing) {
    if (const int left = tree->Remove())
      s_.Report(kErrorOther, "cannot remove the unfinished copy " + Quoted(tree->name()) +
                                 " of " + Quoted(shown) + ": " + ErrorText(left));
    return false;
  }
  s_.record().Placed(tree_top_);
  for (const Identity& folder : tree_folders_) s_.record().PlacedFolder(folder);
  tree_folders_.clear();
  if (e.depth == 0) {
    copied_.made = true;
    copied_.placed = tree_top_;
  }
  s_.Step(e, 1, 0);
  return true;
}

// The folder left gets the source folder's mode and times; for a move all
// its attributes (kept.h), read from the source folder opened again,
// checked to be the one walked.
int CopyVisitor::KeepFolderAttributes(const Entry& e) {
  if (!items_.moving()) return KeepModeAndTimes(into_.fd(), e.st);
  Fd source(::openat(e.folder, e.name.c_str(), kFolderFlags));
  struct stat st;
  if (!source.ok() || ::fstat(source.get(), &st) != 0) return errno;
  if (!SameItem(st, e.st)) return kErrorMovedAway;
  return KeepAllAttributes(s_, into_.fd(), source.get(), e.st, into_.PathAt(e.depth, e.name));
}

}  // namespace

Copied CopyTree(Session& s, int at, const std::string& name, const std::string& shown,
                bool follow, const Target& target, Purpose purpose, const Decision* decided) {
  CopyVisitor visitor(s, target, follow, purpose, decided);
  const bool complete = TreeWalk(visitor, s.hooks().folder_open, shown).Run(at, name, follow);
  Copied copied = std::move(visitor.copied());
  copied.complete = complete;
  return copied;
}

bool CopyJob(Session& s, const Job& job) {
  Fd folder;
  Target target;
  return OpenTarget(s, job.source, job.target, true, folder, target) &&
         CopyTree(s, AT_FDCWD, job.source, job.source, true, target, Purpose::kCopy).complete;
}

}  // namespace engine
