// The tree walker (see walk.h).
#include "engine/io/walk.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "engine/base/errors.h"
#include "engine/io/lookup.h"

namespace engine {

void FolderTrail::Push(Fd folder, const struct stat& st, std::string name) {
  levels_.push_back({std::move(name), st.st_dev, st.st_ino, std::move(folder)});
  if (levels_.size() > kOpenLevels) levels_[levels_.size() - 1 - kOpenLevels].fd = Fd();
}

int FolderTrail::Pop() {
  const Level gone = std::move(levels_.back());
  levels_.pop_back();
  if (lost_ || levels_.empty() || levels_.back().fd.ok()) return 0;
  Level& up = levels_.back();
  Fd parent(::openat(gone.fd.get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  struct stat st;
  int err = 0;
  if (!parent.ok() || ::fstat(parent.get(), &st) != 0)
    err = errno;
  else if (st.st_dev != up.device || st.st_ino != up.inode)
    err = kErrorMovedAway;
  lost_ = err != 0;
  if (!lost_) up.fd = std::move(parent);
  return err;
}

namespace {

// `folder` + "/" + `name` in place, without doubling a slash.
void Append(std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  folder += name;
}

// The last `most` bytes of `text`, less a broken UTF-8 character at the front.
std::string LastPart(const std::string& text, std::size_t most) {
  if (text.size() <= most) return text;
  std::size_t start = text.size() - most;
  while (start < text.size() && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) ++start;
  return text.substr(start);
}

}  // namespace

std::string FolderTrail::PathAt(std::size_t depth, const std::string& name) const {
  if (depth == 0) return top_;
  std::string path = top_;
  for (std::size_t i = 1; i < depth; ++i) Append(path, levels_[i].name);
  Append(path, name);
  return path;
}

std::string FolderTrail::TailAt(std::size_t depth, const std::string& name,
                                std::size_t most) const {
  std::size_t first = depth, size = name.size();
  while (first > 1 && size < most) size += levels_[--first].name.size() + 1;
  if (depth == 0 || (first <= 1 && size < most)) return LastPart(PathAt(depth, name), most);
  std::string path;
  for (std::size_t i = first; i < depth; ++i) Append(path, levels_[i].name);
  Append(path, name);
  return LastPart(path, most);
}

bool TreeWalk::Run(int at, const std::string& name, bool follow) {
  at_ = at;
  top_name_ = name;
  struct stat st {};
  if (const int err = StatAt(at, name, st, follow)) {
    visitor_.Failed(Entry{at, name, st, trail_, 0}, err);
    return false;
  }
  bool complete = Offer(at, name, st, true, follow);
  while (!frames_.empty()) {
    Frame& frame = frames_.back();
    if (frame.entries.empty() || trail_.lost() || visitor_.Stopped()) {
      complete = Finish();
    } else if (!Next()) {
      frames_.back().complete = false;  // `frame` may have moved
    }
  }
  return complete;
}

// The next entry of the deepest folder, looked at only when the visitor
// needs more than its type.
bool TreeWalk::Next() {
  const Listed next = std::move(frames_.back().entries.back());
  frames_.back().entries.pop_back();
  struct stat st {};
  st.st_mode = next.type;
  const bool looks = next.type == 0 || visitor_.Looks(next.type);
  if (looks) {
    if (const int err = StatAt(trail_.fd(), next.name, st, false)) {
      visitor_.Failed(Entry{trail_.fd(), next.name, st, trail_, trail_.depth()}, err);
      return false;
    }
  }
  return Offer(trail_.fd(), next.name, st, looks, false);
}

// Shows an entry to the visitor and goes into it when asked. False when it
// failed; a folder gone into counts once it is left.
bool TreeWalk::Offer(int folder, const std::string& name, const struct stat& st, bool looked,
                     bool follow) {
  const Entry entry{folder, name, st, trail_, trail_.depth()};
  const TreeVisitor::Visit visit = visitor_.Visited(entry);
  if (visit != TreeVisitor::Visit::kDescend) return visit == TreeVisitor::Visit::kDone;
  Fd opened;
  struct stat now {};
  Listing entries;
  int err = Open(folder, name, follow, looked ? &st : nullptr, opened, now);
  if (err == 0) err = ListEntries(opened.get(), entries);
  if (err != 0) {
    visitor_.Failed(entry, err);
    return false;
  }
  if (!visitor_.Opened(Entry{folder, name, now, trail_, trail_.depth()})) return false;
  std::reverse(entries.begin(), entries.end());
  trail_.Push(std::move(opened), now, trail_.empty() ? std::string() : name);
  frames_.push_back({std::move(entries), now, true});
  return true;
}

// Opens a folder to walk it, its fstat into `now`; checked to be the one
// `looked` at, when it was.
int TreeWalk::Open(int folder, const std::string& name, bool follow, const struct stat* looked,
                   Fd& opened, struct stat& now) {
  if (folder_open_) {
    if (const int err = folder_open_(name.c_str())) return err;
  }
  const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (follow ? 0 : O_NOFOLLOW);
  opened = Fd(::openat(folder, name.c_str(), flags));
  if (!opened.ok() || ::fstat(opened.get(), &now) != 0) return errno;
  return !looked || SameItem(now, *looked) ? 0 : ENOENT;  // replaced since it was looked at
}

// Leaves the deepest folder: tells the visitor and counts the folder in the
// one above. Returns the folder's outcome.
bool TreeWalk::Finish() {
  Frame frame = std::move(frames_.back());
  frames_.pop_back();
  const bool top = frames_.empty();
  const std::string name = top ? top_name_ : trail_.name();
  if (const int err = trail_.Pop())
    visitor_.Failed(Entry{-1, name, frame.st, trail_, trail_.depth()}, err);
  const int folder = top ? at_ : trail_.fd();
  const bool complete = frame.complete && !trail_.lost() && !visitor_.Stopped();
  const bool done = visitor_.Left(Entry{folder, name, frame.st, trail_, trail_.depth()}, complete);
  if (!top && !done) frames_.back().complete = false;
  return done;
}

}  // namespace engine
