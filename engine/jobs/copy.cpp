// Copying an item and its tree (see copy.h).
#include "engine/jobs/copy.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <utility>
#include <vector>

#include "engine/base/errors.h"
#include "engine/base/path_text.h"
#include "engine/io/attributes.h"
#include "engine/io/byte_copy.h"
#include "engine/io/lookup.h"
#include "engine/io/temp_file.h"
#include "engine/io/walk.h"
#include "engine/jobs/kept.h"

namespace engine {
namespace {

int ReadLink(int folder, const std::string& name, std::string& text) {
  for (std::size_t size = 256;; size *= 2) {
    text.resize(size);
    const ssize_t got = ::readlinkat(folder, name.c_str(), &text[0], size);
    if (got < 0) return errno;
    if (static_cast<std::size_t>(got) < size) {
      text.resize(static_cast<std::size_t>(got));
      return 0;
    }
  }
}

// Copies a tree alongside the walk of the source: `into_` holds the target
// folders, level for level with the source folders.
class CopyVisitor : public TreeVisitor {
 public:
  CopyVisitor(Session& s, const Target& top, bool follow, Purpose purpose,
              const Decision* decided)
      : s_(s), top_(top), follow_(follow), purpose_(purpose), decided_(decided),
        into_(top.Shown()) {}

  Copied& copied() { return copied_; }

  Visit Visited(const Entry& e) override;
  bool Opened(const Entry& e) override;
  bool Left(const Entry& e, bool complete) override;
  void Failed(const Entry& e, int err) override {
    s_.FailErrno(e.Shown(), TargetOf(e).Shown(), err);
  }
  bool Stopped() const override { return s_.cancelled() || into_.lost(); }

 private:
  Target TargetOf(const Entry& e) const;
  bool CopyEntry(const Entry& e, const Target& t, const Decision& d);
  bool CopyFile(const Entry& e, const Target& t, const Decision& d);
  bool CopyLink(const Entry& e, const Target& t, const Decision& d);
  int Fill(int in, TempFile& out, const struct stat& st, const Entry& e, const Target& t);
  bool Placed(const Entry& e, const Target& t, const Decision& d, TempFile& temp,
              const struct stat& source);
  void Arrived(const struct stat& source);
  int KeepFolderAttributes(const Entry& e);
  bool moving() const { return purpose_ == Purpose::kMove; }
  // Says a copied entry (a move says its items itself); true.
  bool Tell(const Entry& e, const Target& t, const Decision* d = nullptr) {
    return moving() || !s_.telling() ||
           s_.Done(Session::Deed::kCopy, e.Shown(), t.Shown(), d && d->clash == Clash::kReplace);
  }
  bool EnterAbsent(const Entry& e, const Target& t);
  void TopPlaced(const struct stat& made) {
    copied_.made = true;
    copied_.placed = made;
  }

  Session& s_;
  const Target& top_;
  bool follow_;
  Purpose purpose_;
  const Decision* decided_;  ///< for the top item, when decided already
  FolderTrail into_;
  Target folder_;            ///< the folder decided on in Visited, made in Opened
  bool merge_ = false;       ///< ... and whether it exists already
  std::vector<bool> merged_;  ///< for each target folder entered
  /// In a dry run, the target folders that would be made are not there:
  /// how deep the walk is below the last one that is, and the path of the
  /// deepest one.
  std::size_t absent_ = 0;
  std::string absent_path_;
  struct stat top_folder_ {};  ///< the target folder at the top, once entered
  Copied copied_;
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
  if (e.depth == 0 && decided_)
    d = *decided_;
  else if (!Decide(s_, e, sameness, t, d))
    return Visit::kFailed;
  s_.Step(e, 0, 0);
  if (S_ISDIR(e.st.st_mode)) {
    // The walk meets its own target (reached through a mount inside the
    // source): going in would copy the copy, without end.
    if (e.depth > 0 && SameItem(e.st, top_folder_)) {
      RefuseInside(s_, e.Shown(), t.Shown());
      return Visit::kFailed;
    }
    Arrived(e.st);
    folder_ = std::move(t);
    merge_ = d.clash == Clash::kMerge;
    return Visit::kDescend;
  }
  const bool copied = CopyEntry(e, t, d);
  if (copied) s_.Step(e, 1, 0);  // a file's bytes were counted as they went
  return copied ? Visit::kDone : Visit::kFailed;
}

// A file or a link, and its line; in a dry run only the line.
bool CopyVisitor::CopyEntry(const Entry& e, const Target& t, const Decision& d) {
  if (!S_ISREG(e.st.st_mode) && !S_ISLNK(e.st.st_mode))
    return s_.Fail(e.Shown(), t.Shown(), kErrorOther, "not a regular file, folder or link");
  const bool copied = s_.options().dry_run ||
                      (S_ISREG(e.st.st_mode) ? CopyFile(e, t, d) : CopyLink(e, t, d));
  return copied && Tell(e, t, &d);
}

bool CopyVisitor::Opened(const Entry& e) {
  const Target& t = folder_;
  if (s_.options().dry_run && !merge_) return EnterAbsent(e, t);
  if (!merge_ && ::mkdirat(t.folder, t.name.c_str(), 0700) != 0)
    return s_.FailErrno(e.Shown(), t.Shown(), errno);
  if (!merge_) Tell(e, t);
  Fd folder(::openat(t.folder, t.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  struct stat st;
  if (!folder.ok() || ::fstat(folder.get(), &st) != 0)
    return s_.FailErrno(e.Shown(), t.Shown(), errno);
  if (e.depth == 0) top_folder_ = st;
  if (!merge_) s_.record().Placed(st);
  if (e.depth == 0 && !merge_) TopPlaced(st);
  into_.Push(std::move(folder), st, t.name);
  merged_.push_back(merge_);
  return true;
}

// A dry run goes into a folder it would make as into one that is empty.
bool CopyVisitor::EnterAbsent(const Entry& e, const Target& t) {
  Tell(e, t);
  absent_path_ = t.Shown();
  ++absent_;
  return true;
}

bool CopyVisitor::Left(const Entry& e, bool complete) {
  if (absent_ > 0) {
    absent_path_ = ParentOf(absent_path_);
    --absent_;
    return complete;
  }
  const bool merged = merged_.back();
  merged_.pop_back();
  const int err = merged || into_.lost() ? 0 : KeepFolderAttributes(e);
  // Once popped, the trail shows the folder left as the entry it was.
  if (const int lost = into_.Pop()) s_.FailErrno(e.Shown(), into_.PathAt(e.depth, e.name), lost);
  complete = complete && !into_.lost();
  if (complete && err == 0) s_.Step(e, 1, 0);
  return complete && (err == 0 || s_.FailErrno(e.Shown(), into_.PathAt(e.depth, e.name), err));
}

// The folder left gets the source folder's mode and times; for a move all
// its attributes (kept.h), read from the source folder opened again,
// checked to be the one walked.
int CopyVisitor::KeepFolderAttributes(const Entry& e) {
  if (!moving()) return KeepModeAndTimes(into_.fd(), e.st);
  Fd source(::openat(e.folder, e.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  struct stat st;
  if (!source.ok() || ::fstat(source.get(), &st) != 0) return errno;
  if (!SameItem(st, e.st)) return kErrorMovedAway;
  return KeepAllAttributes(s_, into_.fd(), source.get(), e.st, into_.PathAt(e.depth, e.name));
}

// Fills the temporary file from `in`, with the source's attributes.
int CopyVisitor::Fill(int in, TempFile& out, const struct stat& st, const Entry& e,
                      const Target& t) {
  const Hooks& hooks = s_.hooks();
  const CopyObserver seen = [&](std::uint64_t bytes) {
    s_.Step(e, 0, bytes);
    if (hooks.copy_step) hooks.copy_step();
  };
  if (const int err = CopyFileData(in, out.fd(), st, CopyMethod::kAuto, seen)) return err;
  if (!moving()) return KeepModeAndTimes(out.fd(), st);
  return KeepAllAttributes(s_, out.fd(), in, st, t.Shown());
}

// A source entry arrived at its target: a move stamps it.
void CopyVisitor::Arrived(const struct stat& source) {
  if (moving()) copied_.sources.emplace(IdentityOf(source), StampOf(source));
}

// Closes and places the temporary file or link at its target, and notes it:
// placed by the request, the source arrived, and for a move the first copy
// of a file with several links.
bool CopyVisitor::Placed(const Entry& e, const Target& t, const Decision& d, TempFile& temp,
                         const struct stat& source) {
  struct stat made;
  int err = temp.Stat(made);
  if (err == 0) err = temp.CloseFile();
  if (err == 0) err = temp.Commit(d.replacing());
  if (err != 0) return s_.FailErrno(e.Shown(), t.Shown(), err);
  s_.record().Placed(made);
  if (e.depth == 0) TopPlaced(made);
  Arrived(source);
  if (moving() && S_ISREG(source.st_mode) && source.st_nlink > 1 &&
      !s_.record().FirstCopyOf(source))
    s_.record().AddFirstCopy(source, t.Shown(), made);
  return true;
}

bool CopyVisitor::CopyFile(const Entry& e, const Target& t, const Decision& d) {
  if (moving() && e.st.st_nlink > 1) {  // one more name of a copy made already
    TempFile link(t.folder, t.name);
    if (LinkToFirstCopy(s_, e.st, t.Shown(), link)) return Placed(e, t, d, link, e.st);
  }
  const int follow = e.depth == 0 && follow_ ? 0 : O_NOFOLLOW;
  Fd in(::openat(e.folder, e.name.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC | follow));
  struct stat st;
  if (!in.ok() || ::fstat(in.get(), &st) != 0) return s_.FailErrno(e.Shown(), t.Shown(), errno);
  if (!S_ISREG(st.st_mode))
    return s_.Fail(e.Shown(), t.Shown(), kErrorOther, "not a regular file");
  TempFile temp(t.folder, t.name);
  int err = temp.MakeFile();
  if (err == 0) err = Fill(in.get(), temp, st, e, t);
  if (err != 0) return s_.FailErrno(e.Shown(), t.Shown(), err);
  return Placed(e, t, d, temp, st);
}

bool CopyVisitor::CopyLink(const Entry& e, const Target& t, const Decision& d) {
  std::string text;
  if (const int err = ReadLink(e.folder, e.name, text))
    return s_.FailErrno(e.Shown(), t.Shown(), err);
  TempFile temp(t.folder, t.name);
  int err = temp.MakeLink(text);
  if (err == 0) err = KeepLinkTimes(t.folder, temp.name(), e.st);
  if (err != 0) return s_.FailErrno(e.Shown(), t.Shown(), err);
  if (moving()) {
    Losses lost{};
    KeepLinkOwner(t.folder, temp.name(), e.st, lost);
    ReportLosses(s_, lost, t.folder, t.Shown());
  }
  return Placed(e, t, d, temp, e.st);
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
