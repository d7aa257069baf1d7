// The per-file work of a tree handed to the workers (see tree_work.h).
#include "engine/jobs/tree_work.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <mutex>
#include <new>
#include <utility>

#include "engine/base/errors.h"
#include "engine/base/fd.h"
#include "engine/base/path_text.h"
#include "engine/io/attributes.h"
#include "engine/io/signals.h"
#include "engine/jobs/copy_item.h"
#include "engine/pool/how_many.h"

namespace engine {
namespace {

// The files of one folder that go out as one task, at most.
constexpr std::size_t kFilesATask = 32;
// The files of a tree the walk does itself before it starts the workers
// the request did not ask for by number.
constexpr std::size_t kWalkFirst = 32;

// A descriptor of its own of the open folder `folder` (invalid when none
// is to be had).
Fd Kept(int folder) { return Fd(::fcntl(folder, F_DUPFD_CLOEXEC, 0)); }

// The path the walk shows for the folder an entry `depth` levels down is in.
std::string FolderShown(const FolderTrail& trail, std::size_t depth) {
  return trail.PathAt(depth - 1, trail.name());
}

// The files of one folder of `Work` as one task, each a part, at most
// kFilesATask; the folder's own task waits for them.
template <typename Work, typename Folder, typename File>
class Files : public Task {
 public:
  Files(Work& work, Folder& folder) : work_(work), folder_(folder), files_(new File[kFilesATask]) {}
  const Folder& folder() const { return folder_; }
  bool full() const { return count_ == kFilesATask; }
  File& Add(const std::string& name) {
    File& file = files_[count_++];
    file.name = name;
    return file;
  }

 protected:
  Work& work_;
  Folder& folder_;
  std::unique_ptr<File[]> files_;
  std::size_t count_ = 0;
};

// The task that takes the next file of `folder`: the one `filling` points
// to while it is open, of that folder and not full, else a new one.
template <typename FilesOf, typename Work, typename Folder>
FilesOf& Filling(Workers& workers, FilesOf*& filling, Work& work, Folder& folder) {
  if (!workers.IsOpen(filling) || filling->full() || &filling->folder() != &folder) {
    auto files = std::make_unique<FilesOf>(work, folder);
    files->Precedes(folder);
    filling = files.get();
    workers.Open(std::move(files));
  }
  return *filling;
}

// The copy_step hook is a test's stand-in: one worker at a time calls it.
std::mutex stepping;

}  // namespace

unsigned TreeWorkers(const Session& s, std::initializer_list<dev_t> devices) {
  return WorkersFor(s.options().jobs, devices);
}

std::size_t FolderDescriptorBudget() {
  struct rlimit limit;
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return 256;
  return std::min<std::size_t>(limit.rlim_cur / 4, 256);
}

TreeWork::TreeWork(Session& s, unsigned count)
    : s_(s), count_(count), first_(s.options().jobs == 0 ? kWalkFirst : 0),
      budget_(FolderDescriptorBudget()) {}

void TreeWork::Settle() {
  if (workers_) workers_->Settle();
}

bool TreeWork::Ready() {
  if (!workers_ && ++met_ > first_) workers_ = s_.workers(count_);
  return workers_ != nullptr;
}

bool TreeWork::Keep(std::size_t count) {
  if (descriptors_ + count > budget_ && workers_) workers_->TakeBack(false);  // folders done give theirs
  if (descriptors_ + count > budget_) return false;
  descriptors_ += count;
  return true;
}

// ---------------------------------------------------------------------------
// A copy

// A folder of a new tree whose files the workers copy: its source and its
// target held open for them, and, once they are in, its mode and times.
class FolderCopy : public Task {
 public:
  FolderCopy(CopyWork& work, Fd from, Fd to, std::string from_shown, std::string to_shown)
      : work_(work), from_(std::move(from)), to_(std::move(to)),
        from_shown_(std::move(from_shown)), to_shown_(std::move(to_shown)) {}
  ~FolderCopy() override { work_.Returned(2); }

  int from() const { return from_.get(); }
  int to() const { return to_.get(); }
  const std::string& from_shown() const { return from_shown_; }
  const std::string& to_shown() const { return to_shown_; }

  // The walk leaves it: `st` is the source folder's status.
  void Leaving(const struct stat& st, std::string shown, bool keep, bool complete) {
    st_ = st;
    to_shown_ = std::move(shown);
    keep_ = keep;
    complete_ = complete;
  }
  void Run(std::size_t) override {
    if (!keep_) return;
    const HiddenFolderWork work;
    err_ = work.allowed() ? KeepModeAndTimes(to_.get(), st_) : ECANCELED;
  }
  void Report() override {
    if (err_ != 0) return work_.FolderFailed(from_shown_, to_shown_, err_);
    if (complete_) work_.session().Count(1, 0);
  }

 private:
  CopyWork& work_;
  Fd from_, to_;
  std::string from_shown_, to_shown_;
  struct stat st_ {};
  bool keep_ = false, complete_ = false;
  int err_ = 0;
};

struct FileCopied {
  std::string name;
  int err = 0;
};

// Files of a folder of a new tree, copied by the workers.
class FilesCopy : public Files<CopyWork, FolderCopy, FileCopied> {
 public:
  using Files::Files;

  void Run(std::size_t part) override {
    FileCopied& file = files_[part];
    try {
      file.err = Copy(file);
    } catch (const std::bad_alloc&) {
      file.err = ENOMEM;
    }
    if (file.err == EFBIG) PassOnFileSizeSignal();
  }
  void Report() override {
    for (std::size_t i = 0; i < count_; ++i)
      work_.Said(folder_.from_shown(), folder_.to_shown(), files_[i].name, files_[i].err);
  }

 private:
  int Copy(FileCopied& file) {
    const CopyObserver seen = [this](std::uint64_t bytes) { work_.Stepped(bytes); };
    Fd in;
    struct stat st;
    if (const int err = OpenToCopy(folder_.from(), file.name, false, in, st)) return err;
    return WriteNewFile(in.get(), st, folder_.to(), file.name, work_.umask(), seen);
  }
};

CopyWork::CopyWork(Session& s, unsigned count, mode_t umask)
    : TreeWork(s, count), umask_(umask), step_(s.hooks().copy_step) {}

CopyWork::~CopyWork() {
  Settle();
  if (workers_) workers_->Ticking(nullptr);
}

// The workers, once there; while the walk waits for them, the progress
// line counts the bytes they copy.
bool CopyWork::Started() {
  if (workers_) return true;
  if (!Ready()) return false;
  if (s_.ShowsProgress()) workers_->Ticking([this] { Counted(); });
  return true;
}

void CopyWork::Enter() { folders_.emplace_back(); }

// The work of the folder `e` is in (its files go to `t`'s), made the first
// time a file goes out; null when it cannot be had.
FolderCopy* CopyWork::FolderOf(const Entry& e, const Target& t) {
  Level& level = folders_.back();
  if (level.work || level.asked) return level.work.get();
  level.asked = true;
  if (!Keep(2)) return nullptr;
  Fd from = Kept(e.folder);
  Fd to = from.ok() ? Kept(t.folder) : Fd();
  if (!to.ok()) {
    Returned(2);
    return nullptr;
  }
  level.work = std::make_unique<FolderCopy>(*this, std::move(from), std::move(to),
                                            FolderShown(e.trail, e.depth),
                                            FolderShown(*t.trail, t.depth));
  return level.work.get();
}

bool CopyWork::Hand(const Entry& e, const Target& t) {
  FolderCopy* folder = Started() ? FolderOf(e, t) : nullptr;
  if (!folder) return false;
  Filling(*workers_, filling_, *this, *folder).Add(e.name);
  workers_->Grow();
  return true;
}

bool CopyWork::Leave(const Entry& e, const std::string& shown, bool keep, bool complete) {
  std::unique_ptr<FolderCopy> folder = std::move(folders_.back().work);
  folders_.pop_back();
  if (!folder) return false;
  folder->Leaving(e.st, shown, keep, complete);
  workers_->Hand(std::move(folder), 1);
  return true;
}

bool CopyWork::Drain() {
  if (workers_) workers_->TakeBack(true);
  return !failed_;
}

void CopyWork::Said(const std::string& from, const std::string& to, const std::string& name,
                    int err) {
  Counted();
  if (err != 0) {
    failed_ = true;
    s_.FailErrno(Join(from, name), Join(to, name), err);
    return;
  }
  if (s_.telling()) s_.Done(Session::Deed::kCopy, Join(from, name), Join(to, name));
  s_.Count(1, 0);
}

void CopyWork::FolderFailed(const std::string& from, const std::string& to, int err) {
  failed_ = true;
  s_.FailErrno(from, to, err);
}

void CopyWork::Stepped(std::uint64_t bytes) {
  copied_.fetch_add(bytes, std::memory_order_relaxed);
  if (!step_) return;
  const std::lock_guard<std::mutex> lock(stepping);
  step_();
}

void CopyWork::Counted() {
  if (!s_.ShowsProgress()) return;
  const std::uint64_t copied = copied_.load(std::memory_order_relaxed);
  s_.Count(0, copied - counted_);
  counted_ = copied;
}

// ---------------------------------------------------------------------------
// A delete

// A folder of a tree being deleted: held open while the workers remove its
// entries, and, when the folder above has its own (which then waits for
// it), removed itself once they are gone, unless one stays.
class FolderRemoval : public Task {
 public:
  FolderRemoval(DeleteWork& work, Fd fd, std::string shown, std::string name,
                FolderRemoval* above)
      : work_(work), fd_(std::move(fd)), shown_(std::move(shown)), name_(std::move(name)),
        above_(above) {}
  ~FolderRemoval() override { work_.Returned(1); }

  int fd() const { return fd_.get(); }
  const std::string& shown() const { return shown_; }
  FolderRemoval* above() const { return above_; }
  // An entry of it stays: so does it.
  void Stays() { stays_.store(true); }
  bool complete() const { return !stays_.load(); }

  void Run(std::size_t) override {
    if (stays_.load()) return above_->Stays();  // out only with one above (Leave)
    tried_ = true;
    err_ = ::unlinkat(above_->fd(), name_.c_str(), AT_REMOVEDIR) == 0 ? 0 : errno;
    if (err_ != 0) above_->Stays();
  }
  void Report() override {
    if (tried_) work_.Said(above_->shown(), name_, err_, 0);
  }

 private:
  DeleteWork& work_;
  Fd fd_;
  std::string shown_, name_;
  FolderRemoval* above_;
  std::atomic<bool> stays_{false};
  bool tried_ = false;
  int err_ = 0;
};

struct FileRemoved {
  std::string name;
  std::uint64_t size = 0;
  int err = 0;
};

// Files of a folder being deleted, removed by the workers.
class FilesRemoval : public Files<DeleteWork, FolderRemoval, FileRemoved> {
 public:
  using Files::Files;

  void Run(std::size_t part) override {
    FileRemoved& file = files_[part];
    file.err = ::unlinkat(folder_.fd(), file.name.c_str(), 0) == 0 ? 0 : errno;
    if (file.err != 0) folder_.Stays();
  }
  void Report() override {
    for (std::size_t i = 0; i < count_; ++i)
      work_.Said(folder_.shown(), files_[i].name, files_[i].err, files_[i].size);
  }
};

DeleteWork::DeleteWork(Session& s, unsigned count) : TreeWork(s, count) {}

DeleteWork::~DeleteWork() { Settle(); }

void DeleteWork::Enter() { folders_.emplace_back(); }

// The work of the folder `e` is in, made at its first entry (a file's or a
// folder's, so that the folders inside it have one above them); null when
// it cannot be had.
FolderRemoval* DeleteWork::FolderOf(const Entry& e) {
  Level& level = folders_.back();
  if (level.work || level.asked) return level.work.get();
  level.asked = true;
  FolderRemoval* above = folders_.size() > 1 ? folders_[folders_.size() - 2].work.get() : nullptr;
  if (!Keep(1)) return nullptr;
  Fd fd = Kept(e.folder);
  if (!fd.ok()) {
    Returned(1);
    return nullptr;
  }
  level.work = std::make_unique<FolderRemoval>(*this, std::move(fd), FolderShown(e.trail, e.depth),
                                               e.trail.name(), above);
  return level.work.get();
}

bool DeleteWork::Hand(const Entry& e) {
  FolderRemoval* folder = FolderOf(e);
  if (!folder || S_ISDIR(e.st.st_mode) || !Ready()) return false;
  folders_.back().out = true;
  FileRemoved& file = Filling(*workers_, filling_, *this, *folder).Add(e.name);
  file.size = S_ISREG(e.st.st_mode) ? static_cast<std::uint64_t>(e.st.st_size) : 0;
  workers_->Grow();
  return true;
}

// Out with the folder's removal when the one above has its own work, which
// then waits for it; else its work out comes back first (the walk removes
// it, once all of that went).
bool DeleteWork::Leave(bool& complete) {
  Level level = std::move(folders_.back());
  folders_.pop_back();
  FolderRemoval* folder = level.work.get();
  if (folder && !complete) folder->Stays();
  if (folder && folder->above() && workers_) {
    folder->Precedes(*folder->above());
    folders_.back().out = true;
    workers_->Hand(std::move(level.work), 1);
    return true;
  }
  if (level.out) workers_->TakeBack(true);
  complete = complete && (!folder || folder->complete());
  return false;
}

void DeleteWork::Said(const std::string& folder, const std::string& name, int err,
                      std::uint64_t bytes) {
  if (err != 0) {
    s_.FailErrno(Join(folder, name), err);
    return;
  }
  s_.Count(1, bytes);
  if (s_.telling()) s_.Done(Session::Deed::kRemove, Join(folder, name));
}

}  // namespace engine
