// The tree walker (see walk.h).
#include "platform/engine/walk.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <utility>

namespace platform {
namespace engine {

void FolderTrail::Push(Fd folder, const struct stat& st, std::string name) {
  levels_.push_back({std::move(name), st.st_dev, st.st_ino, std::move(folder)});
}

int FolderTrail::Pop() {
  levels_.pop_back();
  return 0;
}

std::string FolderTrail::PathAt(std::size_t depth, const std::string& name) const {
  if (depth == 0) return top_;
  std::string path = top_;
  for (std::size_t i = 1; i < depth; ++i) path = Join(path, levels_[i].name);
  return Join(path, name);
}

bool TreeWalk::Run(int at, const std::string& name, bool follow) {
  at_ = at;
  top_name_ = name;
  struct stat st {};
  if (!StatAt(at, name, st, follow)) {
    visitor_.Failed(Entry{at, name, st, trail_, 0}, errno);
    return false;
  }
  bool complete = Offer(at, name, st, follow);
  while (!frames_.empty()) {
    Frame& frame = frames_.back();
    if (frame.names.empty() || visitor_.Stopped()) {
      complete = Finish();
    } else if (!Next()) {
      frames_.back().complete = false;  // `frame` may have moved
    }
  }
  return complete;
}

// The next entry of the deepest folder.
bool TreeWalk::Next() {
  const std::string name = std::move(frames_.back().names.back());
  frames_.back().names.pop_back();
  struct stat st {};
  if (!StatAt(trail_.fd(), name, st, false)) {
    visitor_.Failed(Entry{trail_.fd(), name, st, trail_, trail_.depth()}, errno);
    return false;
  }
  return Offer(trail_.fd(), name, st, false);
}

// Shows an entry to the visitor and goes into it when asked. False when it
// failed; a folder gone into counts once it is left.
bool TreeWalk::Offer(int folder, const std::string& name, const struct stat& st, bool follow) {
  const Entry entry{folder, name, st, trail_, trail_.depth()};
  const TreeVisitor::Visit visit = visitor_.Visited(entry);
  if (visit != TreeVisitor::Visit::kDescend) return visit == TreeVisitor::Visit::kDone;
  Fd opened;
  Paths names;
  int err = Open(folder, name, follow, st, opened);
  if (err == 0) err = ListNames(opened.get(), names);
  if (err != 0) {
    visitor_.Failed(entry, err);
    return false;
  }
  if (!visitor_.Opened(entry)) return false;
  std::reverse(names.begin(), names.end());
  trail_.Push(std::move(opened), st, trail_.empty() ? std::string() : name);
  frames_.push_back({std::move(names), st, true});
  return true;
}

// Opens a folder to walk it, checked to be the one that was looked at.
int TreeWalk::Open(int folder, const std::string& name, bool follow, const struct stat& st,
                   Fd& opened) {
  if (hooks_.folder_open) {
    if (const int err = hooks_.folder_open(name.c_str())) return err;
  }
  const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (follow ? 0 : O_NOFOLLOW);
  opened = Fd(::openat(folder, name.c_str(), flags));
  struct stat now;
  if (!opened.ok() || ::fstat(opened.get(), &now) != 0) return errno;
  return SameItem(now, st) ? 0 : ENOENT;  // replaced since it was looked at
}

// Leaves the deepest folder: tells the visitor and counts the folder in the
// one above. Returns the folder's outcome.
bool TreeWalk::Finish() {
  Frame frame = std::move(frames_.back());
  frames_.pop_back();
  const bool top = frames_.empty();
  const std::string name = top ? top_name_ : trail_.name();
  trail_.Pop();
  const int folder = top ? at_ : trail_.fd();
  const bool complete = frame.complete && !visitor_.Stopped();
  const bool done = visitor_.Left(Entry{folder, name, frame.st, trail_, trail_.depth()}, complete);
  if (!top && !done) frames_.back().complete = false;
  return done;
}

}  // namespace engine
}  // namespace platform
