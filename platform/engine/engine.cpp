// The program's own file-operation engine on POSIX systems: copy, move,
// delete and rename done with the system's file calls. Symbolic links inside
// a tree are never followed, items are recognised by device and inode, and a
// copied file reaches its target only complete (written under a temporary
// name, then renamed into place).
#include "platform/engine/engine.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/engine/file_data.h"
#include "platform/engine/file_system.h"
#include "platform/engine/interrupt.h"
#include "platform/engine/plan.h"
#include "platform/engine/progress.h"
#include "platform/engine/prompt.h"
#include "platform/engine/trash.h"

namespace platform {
namespace engine {
namespace {

constexpr std::size_t kTempNameStemLimit = 200;  // keeps temp names < NAME_MAX
constexpr mode_t kKeptModeBits = 01777;          // set-id bits are dropped

// ---------------------------------------------------------------------------
// Paths

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

// ---------------------------------------------------------------------------
// Small system-call wrappers (they return 0 or an errno)

// Renames `from` to `to`; unless `replace`, never over an existing item.
int Place(const std::string& from, const std::string& to, bool replace) {
  if (replace) return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
    return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  if (Exists(to)) return EEXIST;  // the file system has no no-replace rename
  return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

// A new empty private file beside `target`: ".NAME.vandrix-XXXXXX". From
// its creation on, a signal removes it (see interrupt.h); the caller
// calls UnguardTemporary once it is renamed or removed.
Fd MakeTempFile(const std::string& target, std::string& path) {
  const std::string stem = NameOf(target).substr(0, kTempNameStemLimit);
  std::string pattern = Join(ParentOf(target), "." + stem + ".vandrix-XXXXXX");
  const InterruptsHeld held;
  Fd fd(::mkostemp(&pattern[0], O_CLOEXEC));
  if (fd.ok()) {
    path = pattern;
    GuardTemporary(path);
  }
  return fd;
}

int KeepModeAndTimes(const std::string& path, const struct stat& st) {
  const struct timespec times[2] = {st.st_atim, st.st_mtim};
  if (::chmod(path.c_str(), st.st_mode & kKeptModeBits) != 0) return errno;
  return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0 ? 0 : errno;
}

// ---------------------------------------------------------------------------
// One request: its flags, its first error, its messages

int CodeFor(int err) {
  if (err == EACCES || err == EPERM) return kErrorAccessDenied;
  if (err == ENOENT) return kErrorFileNotFound;
  return kErrorOther;
}

const char* VerbOf(UINT function) {
  switch (function) {
    case FO_COPY: return "copy";
    case FO_MOVE: return "move";
    case FO_DELETE: return "delete";
    case FO_RENAME: return "rename";
    default: return "carry out";
  }
}

const char* TitleOf(UINT function) {
  switch (function) {
    case FO_COPY: return "Copying";
    case FO_MOVE: return "Moving";
    case FO_DELETE: return "Deleting";
    default: return "Renaming";
  }
}

// One request: its flags, its first error, its answers, its progress line.
class Session {
 public:
  Session(SHFILEOPSTRUCTA& request, const Hooks& hooks) : request_(request), hooks_(hooks) {}

  const Hooks& hooks() const { return hooks_; }

  UINT function() const { return request_.wFunc; }
  bool Has(FILEOP_FLAGS flag) const { return (request_.fFlags & flag) != 0; }
  bool cancelled() const { return cancelled_; }

  /// Records a failed item (the first code is kept); returns false.
  bool Fail(const std::string& item, int code, const std::string& reason) {
    if (first_error_ == 0) first_error_ = code;
    const std::string what = item.empty() ? "" : " '" + item + "'";
    Say(std::string("cannot ") + VerbOf(function()) + what + ": " + reason);
    return false;
  }

  bool FailErrno(const std::string& item, int err) {
    return Fail(item, CodeFor(err), std::strerror(err));
  }

  /// True to go ahead with `question` ("replace 'x'"): without
  /// FOF_NOCONFIRMATION or an earlier "all", the user is asked.
  bool Confirm(const std::string& question) {
    if (cancelled_) return false;
    if (all_ || Has(FOF_NOCONFIRMATION)) return true;
    if (progress_) progress_->Clear();
    const Answer answer = hooks_.answer ? hooks_.answer(question) : AskUser(question);
    if (answer == Answer::kAll) all_ = true;
    if (answer == Answer::kYes || answer == Answer::kAll) return true;
    request_.fAnyOperationsAborted = TRUE;
    if (answer == Answer::kCancel) Cancel();
    return false;
  }

  /// A new top-level item: its answers start afresh.
  void BeginItem() { approved_.clear(); }

  /// Asks once per item and target, however often the walk comes back to it.
  bool ConfirmReplace(const std::string& target) {
    if (target == approved_) return true;
    if (!Confirm("replace '" + target + "'")) return false;
    approved_ = target;
    return true;
  }

  /// Shows progress from now on when a progress line may be shown.
  void StartProgress(ProgressCounts total) {
    const char* title = request_.lpszProgressTitle;
    progress_ = std::make_unique<ProgressLine>(title && *title ? title : TitleOf(function()),
                                               !Has(FOF_SIMPLEPROGRESS), total, hooks_.clock);
  }
  void Step(const std::string& name, std::uint64_t items, std::uint64_t bytes) {
    if (progress_) progress_->Step(name, items, bytes);
  }
  void Reach(ProgressCounts done) {
    if (progress_) progress_->Reach(done);
  }

  int Result() {
    progress_.reset();
    return first_error_;
  }

 private:
  void Cancel() {
    cancelled_ = true;
    if (first_error_ == 0) first_error_ = kErrorCancelled;
  }

  void Say(const std::string& line) const {
    if (Has(FOF_NOERRORUI)) return;
    if (progress_) progress_->Clear();
    std::fprintf(stderr, "vandrix: %s\n", line.c_str());
  }

  SHFILEOPSTRUCTA& request_;
  const Hooks& hooks_;
  int first_error_ = 0;
  bool all_ = false;
  bool cancelled_ = false;
  std::string approved_;
  std::unique_ptr<ProgressLine> progress_;
};

// ---------------------------------------------------------------------------
// Checks shared by copy and move

// Refuses a target that is the source itself or lies inside it.
bool TargetAllowed(Session& s, const std::string& source, const struct stat& st,
                   const std::string& target, bool follow) {
  struct stat there;
  if (StatOf(target, there, follow) && SameItem(st, there))
    return s.Fail(source, kErrorSameFile, "the source and the target are the same item");
  if (S_ISDIR(st.st_mode) && LiesInside(st, target))
    return s.Fail(source, kErrorDestinationInSource, "the target lies inside the source folder");
  return true;
}

bool MadeParents(Session& s, const std::string& source, const std::string& target) {
  const int err = MakeFolders(ParentOf(target), 0777);
  return err == 0 || s.FailErrno(source, err);
}

// What happens to an item already at a target path.
enum class Clash { kFree, kReplace, kMerge, kRefuse };

// "name (2).ext", "name (3).ext", ...: the first that is free.
std::string FreeName(const std::string& target, bool folder) {
  const std::string parent = ParentOf(target), name = NameOf(target);
  std::string free = target;
  for (unsigned n = 2; Exists(free); ++n) free = Join(parent, NumberedName(name, n, folder));
  return free;
}

// With FOF_RENAMEONCOLLISION `target` becomes the next free name instead.
Clash ClashAt(const Session& s, bool source_is_folder, std::string& target) {
  struct stat st;
  if (!StatOf(target, st, false)) return Clash::kFree;
  if (s.Has(FOF_RENAMEONCOLLISION)) {
    target = FreeName(target, source_is_folder);
    return Clash::kFree;
  }
  const bool target_is_folder = S_ISDIR(st.st_mode);
  if (source_is_folder && target_is_folder) return Clash::kMerge;
  if (source_is_folder || target_is_folder) return Clash::kRefuse;
  return Clash::kReplace;
}

// Reports a clash that stops the item and asks before a replacement; true
// when the item goes ahead.
bool ClashAllows(Session& s, Clash clash, const std::string& source,
                 const std::string& target) {
  if (clash == Clash::kReplace) return s.ConfirmReplace(target);
  if (clash == Clash::kRefuse)
    return s.Fail(source, kErrorAccessDenied,
                  "'" + target + "' exists and a folder and a file never replace each other");
  return true;
}

// ---------------------------------------------------------------------------
// Copy

/// An entry named relative to an open folder (or AT_FDCWD and a path).
struct Item {
  int at;
  std::string name;
  std::string shown;  ///< the path used in messages
};

int OpenFlags(bool follow) { return O_CLOEXEC | (follow ? 0 : O_NOFOLLOW); }

// Opens a folder to walk it (-1 and errno set when that fails).
int OpenFolder(const Session& s, int at, const std::string& name, bool follow) {
  if (s.hooks().folder_open) {
    if (const int err = s.hooks().folder_open(name.c_str())) {
      errno = err;
      return -1;
    }
  }
  return ::openat(at, name.c_str(), O_RDONLY | O_DIRECTORY | OpenFlags(follow));
}

bool CopyEntry(Session& s, const Item& item, std::string target, bool follow);

// Fills the open temporary file `out` from `in`, with the source's mode and times.
int FillFile(int in, Fd& out, const struct stat& st, const CopyObserver& seen) {
  const struct timespec times[2] = {st.st_atim, st.st_mtim};
  if (const int err = CopyFileData(in, out.get(), st, CopyMethod::kAuto, seen)) return err;
  if (::fchmod(out.get(), st.st_mode & kKeptModeBits) != 0) return errno;
  if (::futimens(out.get(), times) != 0) return errno;
  return out.Close();
}

bool CopyFile(Session& s, const Item& item, const std::string& target, bool follow,
              bool replace) {
  Fd in(::openat(item.at, item.name.c_str(),
                 O_RDONLY | O_NOCTTY | O_NONBLOCK | OpenFlags(follow)));
  struct stat st;
  if (!in.ok() || ::fstat(in.get(), &st) != 0) return s.FailErrno(item.shown, errno);
  if (!S_ISREG(st.st_mode)) return s.Fail(item.shown, kErrorOther, "not a regular file");
  std::string temp;
  Fd out = MakeTempFile(target, temp);
  const CopyObserver seen = [&](std::uint64_t bytes) {
    s.Step(item.shown, 0, bytes);
    if (s.hooks().copy_step) s.hooks().copy_step();
  };
  int err = out.ok() ? FillFile(in.get(), out, st, seen) : errno;
  if (err == 0) err = Place(temp, target, replace);
  if (err != 0 && !temp.empty()) ::unlink(temp.c_str());
  UnguardTemporary();
  return err == 0 || s.FailErrno(item.shown, err);
}

int ReadLink(const Item& item, std::string& text) {
  for (std::size_t size = 256;; size *= 2) {
    text.resize(size);
    const ssize_t got = ::readlinkat(item.at, item.name.c_str(), &text[0], size);
    if (got < 0) return errno;
    if (static_cast<std::size_t>(got) < size) {
      text.resize(static_cast<std::size_t>(got));
      return 0;
    }
  }
}

// Makes a link holding `text` under a fresh temporary name beside `target`.
int MakeTempLink(const std::string& text, const std::string& target, std::string& temp) {
  for (;;) {
    Fd claim = MakeTempFile(target, temp);
    if (!claim.ok()) return errno;
    if (::unlink(temp.c_str()) != 0) return errno;
    if (::symlink(text.c_str(), temp.c_str()) == 0) return 0;
    if (errno != EEXIST) return errno;
  }
}

bool CopyLink(Session& s, const Item& item, const struct stat& st, const std::string& target,
              bool replace) {
  const struct timespec times[2] = {st.st_atim, st.st_mtim};
  std::string text, temp;
  int err = ReadLink(item, text);
  if (err == 0) err = MakeTempLink(text, target, temp);
  if (err != 0) {
    UnguardTemporary();
    return s.FailErrno(item.shown, err);
  }
  if (::utimensat(AT_FDCWD, temp.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) err = errno;
  if (err == 0) err = Place(temp, target, replace);
  if (err != 0) ::unlink(temp.c_str());
  UnguardTemporary();
  return err == 0 || s.FailErrno(item.shown, err);
}

bool CopyChildren(Session& s, int folder, const std::string& shown, const std::string& target) {
  Paths names;
  if (const int err = ListNames(folder, names)) return s.FailErrno(shown, err);
  bool complete = true;
  for (std::size_t i = 0; i < names.size() && !s.cancelled(); ++i) {
    const Item child{folder, names[i], Join(shown, names[i])};
    complete = CopyEntry(s, child, Join(target, names[i]), false) && complete;
  }
  return complete && !s.cancelled();
}

// Copies a folder's tree; `merge` when `target` is an existing folder.
bool CopyFolder(Session& s, const Item& item, const struct stat& st, const std::string& target,
                bool follow, bool merge) {
  Fd folder(OpenFolder(s, item.at, item.name, follow));
  if (!folder.ok()) return s.FailErrno(item.shown, errno);
  if (!merge && ::mkdir(target.c_str(), 0700) != 0) return s.FailErrno(item.shown, errno);
  const bool complete = CopyChildren(s, folder.get(), item.shown, target);
  const int err = merge ? 0 : KeepModeAndTimes(target, st);
  return complete && (err == 0 || s.FailErrno(target, err));
}

bool CopyKind(Session& s, const Item& item, const struct stat& st, const std::string& target,
              bool follow, Clash clash) {
  const bool replace = clash == Clash::kReplace;
  if (S_ISDIR(st.st_mode))
    return CopyFolder(s, item, st, target, follow, clash == Clash::kMerge);
  if (S_ISREG(st.st_mode)) return CopyFile(s, item, target, follow, replace);
  if (S_ISLNK(st.st_mode)) return CopyLink(s, item, st, target, replace);
  return s.Fail(item.shown, kErrorOther, "not a regular file, folder or link");
}

// Copies one item of any kind to `target`; true when it arrived complete.
bool CopyEntry(Session& s, const Item& item, std::string target, bool follow) {
  struct stat st;
  const int flags = follow ? 0 : AT_SYMLINK_NOFOLLOW;
  if (::fstatat(item.at, item.name.c_str(), &st, flags) != 0)
    return s.FailErrno(item.shown, errno);
  const Clash clash = ClashAt(s, S_ISDIR(st.st_mode), target);
  if (!ClashAllows(s, clash, item.shown, target)) return false;
  s.Step(item.shown, 0, 0);
  const bool copied = CopyKind(s, item, st, target, follow, clash);
  if (copied) s.Step(item.shown, 1, 0);  // a file's bytes were counted as they went
  return copied;
}

// A source named on the command line: a link there is followed, as cp does.
bool CopyItem(Session& s, const std::string& source, const std::string& target) {
  struct stat st;
  if (!StatOf(source, st, true)) return s.FailErrno(source, errno);
  return TargetAllowed(s, source, st, target, true) && MadeParents(s, source, target) &&
         CopyEntry(s, Item{AT_FDCWD, source, source}, target, true);
}

// ---------------------------------------------------------------------------
// Delete

bool RemoveEntry(Session& s, int at, const std::string& name, const std::string& shown);

bool RemoveChildren(Session& s, int at, const std::string& name, const std::string& shown) {
  Fd folder(OpenFolder(s, at, name, false));
  Paths names;
  if (!folder.ok()) return s.FailErrno(shown, errno);
  if (const int err = ListNames(folder.get(), names)) return s.FailErrno(shown, err);
  bool complete = true;
  for (const std::string& child : names)
    complete = RemoveEntry(s, folder.get(), child, Join(shown, child)) && complete;
  return complete;
}

// Removes an item and, for a folder, its tree; a link is removed, not followed.
bool RemoveEntry(Session& s, int at, const std::string& name, const std::string& shown) {
  struct stat st;
  if (::fstatat(at, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
    return s.FailErrno(shown, errno);
  const bool folder = S_ISDIR(st.st_mode);
  if (folder && !RemoveChildren(s, at, name, shown)) return false;
  s.Step(shown, 0, 0);
  if (::unlinkat(at, name.c_str(), folder ? AT_REMOVEDIR : 0) != 0)
    return s.FailErrno(shown, errno);
  s.Step(shown, 1, S_ISREG(st.st_mode) ? st.st_size : 0);
  return true;
}

bool Deletable(Session& s, const std::string& item) {
  const std::string name = NameOf(item);
  if (name == "." || name == "..")
    return s.Fail(item, kErrorInvalidFiles, "'.' and '..' are never deleted");
  struct stat st, root;
  const bool is_root = item == "/" || (StatOf(item, st, false) && StatOf("/", root, true) &&
                                       SameItem(st, root));
  return !is_root || s.Fail(item, kErrorAccessDenied, "the root folder is never deleted");
}

// Moves the item into the trash; never deletes it.
bool TrashItem(Session& s, const std::string& item) {
  const int err = MoveToTrash(item);
  if (err == EXDEV)
    return s.Fail(item, kErrorOther, "no trash on its file system can take it; the item is kept");
  return err == 0 || s.FailErrno(item, err);
}

// Each item is confirmed first (FOF_NOCONFIRMATION answers yes).
bool DeleteItem(Session& s, const std::string& item) {
  if (!Deletable(s, item)) return false;
  const bool undo = s.Has(FOF_ALLOWUNDO);
  if (!s.Confirm((undo ? "move '" : "delete '") + item + (undo ? "' to the trash" : "'")))
    return false;
  if (undo) return TrashItem(s, item);
  return RemoveEntry(s, AT_FDCWD, item, item);
}

// ---------------------------------------------------------------------------
// Move

bool MoveEntry(Session& s, const std::string& source, std::string target);

// Across file systems: the source goes only once its copy is complete.
bool MoveAcross(Session& s, const std::string& source, const std::string& target,
                bool replaced) {
  if (CopyEntry(s, Item{AT_FDCWD, source, source}, target, false))
    return RemoveEntry(s, AT_FDCWD, source, source);
  if (!replaced && Exists(target)) RemoveEntry(s, AT_FDCWD, target, target);
  return false;
}

bool Relocate(Session& s, const std::string& source, const std::string& target, bool replace) {
  const int err = Place(source, target, replace);
  if (err == EXDEV) return MoveAcross(s, source, target, replace);
  return err == 0 || s.FailErrno(source, err);
}

// Moves a folder's entries into the existing folder `target`.
bool MergeFolder(Session& s, const std::string& source, const std::string& target) {
  Fd folder(OpenFolder(s, AT_FDCWD, source, false));
  Paths names;
  if (!folder.ok()) return s.FailErrno(source, errno);
  if (const int err = ListNames(folder.get(), names)) return s.FailErrno(source, err);
  bool complete = true;
  for (std::size_t i = 0; i < names.size() && !s.cancelled(); ++i)
    complete = MoveEntry(s, Join(source, names[i]), Join(target, names[i])) && complete;
  if (complete && !s.cancelled() && ::rmdir(source.c_str()) != 0) return s.FailErrno(source, errno);
  return complete;
}

bool MoveEntry(Session& s, const std::string& source, std::string target) {
  struct stat st;
  if (!StatOf(source, st, false)) return s.FailErrno(source, errno);
  if (!TargetAllowed(s, source, st, target, false)) return false;
  const Clash clash = ClashAt(s, S_ISDIR(st.st_mode), target);
  if (!ClashAllows(s, clash, source, target)) return false;
  if (clash == Clash::kMerge) return MergeFolder(s, source, target);
  return Relocate(s, source, target, clash == Clash::kReplace);
}

bool MoveItem(Session& s, const std::string& source, const std::string& target) {
  return MadeParents(s, source, target) && MoveEntry(s, source, target);
}

// ---------------------------------------------------------------------------
// Rename

bool InSameFolder(const std::string& source, const std::string& target) {
  struct stat a, b;
  return StatOf(ParentOf(source), a, true) && StatOf(ParentOf(target), b, true) &&
         SameItem(a, b);
}

// A file may replace a file once confirmed; a folder is never replaced and
// never replaces. With FOF_RENAMEONCOLLISION a taken name becomes the next
// free one.
bool RenameItem(Session& s, const std::string& source, std::string target) {
  struct stat from, there;
  if (!InSameFolder(source, target))
    return s.Fail(source, kErrorDifferentFolder, "'" + target + "' is not in the same folder");
  if (!StatOf(source, from, false)) return s.FailErrno(source, errno);
  bool taken = StatOf(target, there, false);
  if (taken && SameItem(from, there))
    return s.Fail(source, kErrorSameFile, "the source and the target are the same item");
  if (taken && s.Has(FOF_RENAMEONCOLLISION)) {
    target = FreeName(target, S_ISDIR(from.st_mode));
    taken = false;
  }
  if (taken && (S_ISDIR(from.st_mode) || S_ISDIR(there.st_mode)))
    return s.Fail(source, kErrorAccessDenied, "only a file may replace a file");
  if (taken && !s.ConfirmReplace(target)) return false;
  const int err = Place(source, target, taken);
  return err == 0 || s.FailErrno(source, err);
}

// ---------------------------------------------------------------------------
// The request as a whole

// A copy follows a link named as a source; the others act on the link.
// Items found by a wildcard existed a moment ago and are not checked.
bool SourcesExist(Session& s, const Jobs& jobs) {
  bool all = true;
  for (const Job& job : jobs) {
    struct stat st;
    if (job.matched || StatOf(job.source, st, s.function() == FO_COPY)) continue;
    const int err = errno;
    const int code = err == ENOENT || err == ENOTDIR ? kErrorFileNotFound : CodeFor(err);
    s.Fail(job.source, code, std::strerror(err));
    all = false;
  }
  return all;
}

// Items and bytes in the tree at `name` (a link followed only when `follow`).
ProgressCounts CountTree(int at, const std::string& name, bool follow) {
  ProgressCounts counts;
  struct stat st;
  if (::fstatat(at, name.c_str(), &st, follow ? 0 : AT_SYMLINK_NOFOLLOW) != 0) return counts;
  counts.items = 1;
  if (S_ISREG(st.st_mode)) counts.bytes = static_cast<std::uint64_t>(st.st_size);
  Fd folder(S_ISDIR(st.st_mode) ? ::openat(at, name.c_str(), O_RDONLY | O_DIRECTORY |
                                                                  OpenFlags(follow))
                                : -1);
  Paths names;
  if (folder.ok()) ListNames(folder.get(), names);
  for (const std::string& child : names) {
    const ProgressCounts more = CountTree(folder.get(), child, false);
    counts.items += more.items;
    counts.bytes += more.bytes;
  }
  return counts;
}

// Running totals after each job; the last is the whole request.
std::vector<ProgressCounts> CountJobs(Session& s, const Jobs& jobs) {
  std::vector<ProgressCounts> after;
  ProgressCounts sum;
  for (const Job& job : jobs) {
    const ProgressCounts one = CountTree(AT_FDCWD, job.source, s.function() == FO_COPY);
    sum.items += one.items;
    sum.bytes += one.bytes;
    after.push_back(sum);
  }
  return after;
}

void DoJob(Session& s, const Job& job) {
  switch (s.function()) {
    case FO_COPY: CopyItem(s, job.source, job.target); break;
    case FO_MOVE: MoveItem(s, job.source, job.target); break;
    case FO_DELETE: DeleteItem(s, job.source); break;
    default: RenameItem(s, job.source, job.target); break;
  }
}

// The totals need a walk of every tree, made only when they may be shown.
void DoJobs(Session& s, const Jobs& jobs) {
  std::vector<ProgressCounts> after;
  if (ProgressWanted(s.Has(FOF_SILENT), s.hooks().terminal) && !jobs.empty()) {
    after = CountJobs(s, jobs);
    s.StartProgress(after.back());
  }
  for (std::size_t i = 0; i < jobs.size() && !s.cancelled(); ++i) {
    s.BeginItem();
    DoJob(s, jobs[i]);
    if (!after.empty()) s.Reach(after[i]);
  }
}

int Perform(SHFILEOPSTRUCTA& request, const Hooks& hooks) {
  Session s(request, hooks);
  Jobs jobs;
  if (!PlanJobs(request, jobs)) {
    s.Fail("", kErrorInvalidFiles, "the source and target lists do not fit the operation");
    return kErrorInvalidFiles;
  }
  if (SourcesExist(s, jobs)) DoJobs(s, jobs);
  return s.Result();
}

}  // namespace

int RunFileOperation(LPSHFILEOPSTRUCTA request, const Hooks& hooks) {
  if (!request) return kErrorInvalidFiles;
  request->fAnyOperationsAborted = FALSE;
  try {
    const InterruptGuard guard;
    return Perform(*request, hooks);
  } catch (...) {  // std::bad_alloc above all
    return kErrorOther;
  }
}

}  // namespace engine
}  // namespace platform
