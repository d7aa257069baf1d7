// Deleting an item and its tree (see delete.h).
#include "engine/jobs/delete.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "engine/base/errors.h"
#include "engine/base/quote.h"
#include "engine/io/trash.h"
#include "engine/io/walk.h"
#include "engine/jobs/tree_work.h"
#include "engine/rules/refusals.h"

namespace engine {
namespace {

// Files go as they are met, folders once their entries are gone; what
// `keeps` holds on to stays. A delete says each (`deleting`); a dry run
// removes nothing. A delete's tree may get workers for its files and
// folders (tree_work.h).
class RemoveVisitor : public TreeVisitor {
 public:
  RemoveVisitor(Session& s, const Keeps& keeps, bool deleting)
      : s_(s), keeps_(keeps), deleting_(deleting) {}

  // The type is enough to remove an entry; `keeps` judges by the whole
  // status, and the progress line counts a file's bytes.
  bool Looks(mode_t type) const override {
    return keeps_ || (type == S_IFREG && s_.ShowsProgress());
  }
  Visit Visited(const Entry& e) override {
    if (const char* why = keeps_ ? keeps_(e) : nullptr) {
      s_.Report(kErrorOther, "kept " + Quoted(e.Shown()) + ": " + why);
      return Visit::kFailed;
    }
    const bool handed = work_ && e.depth > 0 && work_->Hand(e);
    if (S_ISDIR(e.st.st_mode)) return Visit::kDescend;
    if (handed) s_.Step(e, 0, 0);
    return handed || Remove(e, 0) ? Visit::kDone : Visit::kFailed;
  }
  bool Opened(const Entry& e) override {
    if (e.depth == 0) StartWork(e);
    if (work_) work_->Enter();
    return true;
  }
  bool Left(const Entry& e, bool complete) override {
    if (work_ && work_->Leave(complete)) return complete;
    if (e.depth == 0) work_.reset();
    return complete && Remove(e, AT_REMOVEDIR);
  }
  void Failed(const Entry& e, int err) override { s_.FailErrno(e.Shown(), err); }

 private:
  bool Remove(const Entry& e, int flags) {
    s_.Step(e, 0, 0);
    if (!s_.options().dry_run && ::unlinkat(e.folder, e.name.c_str(), flags) != 0)
      return s_.FailErrno(e.Shown(), errno);
    s_.Step(e, 1, S_ISREG(e.st.st_mode) ? static_cast<std::uint64_t>(e.st.st_size) : 0);
    return !deleting_ || !s_.telling() || s_.Done(Session::Deed::kRemove, e.Shown());
  }

  // The user's delete of a tree gets workers when the request's jobs say
  // so; a dry run, and a move's tidying (which keeps what changed), none.
  void StartWork(const Entry& e) {
    if (!deleting_ || keeps_ || s_.options().dry_run) return;
    const unsigned workers = TreeWorkers(s_, {e.st.st_dev});
    if (workers > 1) work_ = std::make_unique<DeleteWork>(s_, workers);
  }

  Session& s_;
  const Keeps& keeps_;
  bool deleting_;
  std::unique_ptr<DeleteWork> work_;
};

// Moves the item into the trash, and says so; never deletes it. A dry run
// finds what the item's own look and the trash there would refuse.
bool TrashItem(Session& s, const std::string& item) {
  const int err = s.options().dry_run ? TrashRefusal(item) : MoveToTrash(item);
  if (err == EXDEV)
    return s.Fail(item, kErrorOther, "no trash on its file system can take it; the item is kept");
  if (err == EBUSY)
    return s.Fail(item, kErrorOther, "a mount point never goes to the trash; the item is kept");
  if (err != 0) return s.FailErrno(item, err);
  return s.Done(Session::Deed::kTrash, item);
}

}  // namespace

bool RemoveTree(Session& s, int at, const std::string& name, const std::string& shown,
                const Keeps& keeps, bool deleting) {
  RemoveVisitor visitor(s, keeps, deleting);
  return TreeWalk(visitor, s.hooks().folder_open, shown).Run(at, name, false);
}

bool DeleteJob(Session& s, const Job& job) {
  const std::string& item = job.source;
  if (!NotTheRoot(s, item)) return false;
  const bool undo = s.options().to_trash;
  if (!s.Confirm(undo ? "move" : "delete", item, undo ? " to the trash" : ""))
    return false;
  const bool dry = s.options().dry_run;
  if (dry && s.record().Vanished(item)) return s.FailErrno(item, ENOENT);  // as the run finds it
  const bool gone = undo ? TrashItem(s, item) : RemoveTree(s, AT_FDCWD, item, item, nullptr, true);
  if (gone && dry) s.record().Vanish(item);
  return gone;
}

}  // namespace engine
