// Copying one file or link of a copy's tree (see copy_item.h).
#include "engine/jobs/copy_item.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "engine/base/errors.h"
#include "engine/io/attributes.h"
#include "engine/io/byte_copy.h"
#include "engine/io/lookup.h"
#include "engine/io/signals.h"
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

}  // namespace

int OpenToCopy(int folder, const std::string& name, bool follow, Fd& in, struct stat& st) {
  const int nofollow = follow ? 0 : O_NOFOLLOW;
  in = Fd(::openat(folder, name.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC | nofollow));
  if (!in.ok() || ::fstat(in.get(), &st) != 0) return errno;
  return S_ISREG(st.st_mode) ? 0 : kErrorNotRegular;
}

int WriteNewFile(int in, const struct stat& st, int to, const std::string& name, mode_t umask,
                 const CopyObserver& seen) {
  bool mode_set = false;
  const mode_t mode = CreationMode(st, umask, mode_set);
  Fd out;
  {
    const HiddenFolderWork work;
    if (!work.allowed()) return ECANCELED;
    out = Fd(::openat(to, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
    if (!out.ok()) return errno;
  }
  int err = CopyFileData(in, out.get(), st, CopyMethod::kAuto, seen);
  if (err == 0) err = mode_set ? KeepTimes(out.get(), st) : KeepModeAndTimes(out.get(), st);
  if (err == 0) err = out.Close();
  if (err != 0) ::unlinkat(to, name.c_str(), 0);  // never half a file
  return err;
}

void ItemCopy::NewTree(const std::string& shown, const std::string& hidden) {
  tree_shown_ = shown;
  tree_hidden_ = hidden;
  if (!moving()) umask_ = CurrentUmask();
}

void ItemCopy::TreeDone(bool placed) {
  if (placed && moving()) s_.record().FirstCopiesMoved(tree_hidden_, tree_shown_);
  tree_shown_.clear();
  tree_hidden_.clear();
}

// The path the target has now: inside the hidden folder while it is filled.
std::string ItemCopy::PathNow(const Target& t, Way way) const {
  const std::string shown = t.Shown();
  return way == Way::kDirect ? tree_hidden_ + shown.substr(tree_shown_.size()) : shown;
}

bool ItemCopy::CopyFile(const Entry& e, const Target& t, const Decision& d, Way way,
                        bool follow) {
  bool arrived = false;
  // Its other names may be gone already, moved by an earlier item.
  if (moving() && (e.st.st_nlink > 1 || s_.record().FirstCopyOf(e.st)) &&
      Linked(e, t, d, way, arrived))
    return arrived;
  Fd in;
  struct stat st;
  if (const int err = OpenToCopy(e.folder, e.name, follow, in, st))
    return s_.FailErrno(e.Shown(), t.Shown(), err);
  if (way == Way::kDirect) return WriteDirect(e, t, in.get(), st);
  return WritePlaced(e, t, d, in.get(), st);
}

// One more name of a file a move copied already (a hard link), when it can
// be made: true then, and `arrived` when it is in place.
bool ItemCopy::Linked(const Entry& e, const Target& t, const Decision& d, Way way,
                      bool& arrived) {
  if (way == Way::kPlaced) {
    TempFile link(t.folder, t.name);
    const bool linked = LinkToFirstCopy(
        s_, e.st, t.Shown(), t.folder, [&](const std::string& existing, struct stat& made) {
          const int err = link.MakeHardLink(existing);
          return err != 0 ? err : link.Stat(made);
        });
    arrived = linked && Placed(e, t, d, link, e.st);
    return linked;
  }
  bool made_name = false;
  const bool linked = LinkToFirstCopy(
      s_, e.st, t.Shown(), t.folder, [&](const std::string& existing, struct stat& made) {
        if (::linkat(AT_FDCWD, existing.c_str(), t.folder, t.name.c_str(), 0) != 0) return errno;
        made_name = true;
        return StatAt(t.folder, t.name, made, false);
      });
  if (linked) Arrived(e.st);
  if (!linked && made_name) ::unlinkat(t.folder, t.name.c_str(), 0);
  arrived = linked;
  return linked;
}

// Straight at its name, with its mode from the start where the umask allows.
bool ItemCopy::WriteDirect(const Entry& e, const Target& t, int in, const struct stat& st) {
  if (!moving()) {
    const int err = WriteNewFile(in, st, t.folder, t.name, umask_, Observer(e));
    return err == 0 || s_.FailErrno(e.Shown(), t.Shown(), err);
  }
  bool mode_set = false;
  const mode_t mode = moving() ? 0600 : CreationMode(st, umask_, mode_set);
  Fd out(::openat(t.folder, t.name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
  if (!out.ok()) return s_.FailErrno(e.Shown(), t.Shown(), errno);
  struct stat made {};
  int err = Fill(in, out.get(), st, e, t, mode_set);
  if (err == 0 && moving() && st.st_nlink > 1 && ::fstat(out.get(), &made) != 0) err = errno;
  if (err == 0) err = out.Close();
  if (err != 0) {
    ::unlinkat(t.folder, t.name.c_str(), 0);  // never half a file
    return s_.FailErrno(e.Shown(), t.Shown(), err);
  }
  Arrived(st);
  FirstCopy(st, t, Way::kDirect, made);
  return true;
}

bool ItemCopy::WritePlaced(const Entry& e, const Target& t, const Decision& d, int in,
                           const struct stat& st) {
  TempFile temp(t.folder, t.name);
  int err = temp.MakeFile();
  if (err == 0) err = Fill(in, temp.fd(), st, e, t, false);
  if (err != 0) return s_.FailErrno(e.Shown(), t.Shown(), err);
  return Placed(e, t, d, temp, st);
}

// Fills `out` from `in`, then gives it the source's attributes (only its
// times when `mode_set` at its creation).
int ItemCopy::Fill(int in, int out, const struct stat& st, const Entry& e, const Target& t,
                   bool mode_set) {
  if (const int err = CopyFileData(in, out, st, CopyMethod::kAuto, Observer(e))) return err;
  if (moving()) return KeepAllAttributes(s_, out, in, st, t.Shown());
  return mode_set ? KeepTimes(out, st) : KeepModeAndTimes(out, st);
}

// Counts each step of a file's bytes on the progress line.
CopyObserver ItemCopy::Observer(const Entry& e) {
  return [this, &e](std::uint64_t bytes) {
    s_.Step(e, 0, bytes);
    if (s_.hooks().copy_step) s_.hooks().copy_step();
  };
}

bool ItemCopy::CopyLink(const Entry& e, const Target& t, const Decision& d, Way way) {
  std::string text;
  if (const int err = ReadLink(e.folder, e.name, text))
    return s_.FailErrno(e.Shown(), t.Shown(), err);
  if (way == Way::kPlaced) {
    TempFile temp(t.folder, t.name);
    int err = temp.MakeLink(text);
    if (err == 0) err = LinkAttributes(t.folder, temp.name(), e, t);
    if (err != 0) return s_.FailErrno(e.Shown(), t.Shown(), err);
    return Placed(e, t, d, temp, e.st);
  }
  int err = ::symlinkat(text.c_str(), t.folder, t.name.c_str()) == 0 ? 0 : errno;
  if (err == 0 && (err = LinkAttributes(t.folder, t.name, e, t)) != 0)
    ::unlinkat(t.folder, t.name.c_str(), 0);
  if (err != 0) return s_.FailErrno(e.Shown(), t.Shown(), err);
  Arrived(e.st);
  return true;
}

// The link `name` in `folder` gets the times of the link `e`, and for a move
// its owner. Returns 0 or the errno of the times.
int ItemCopy::LinkAttributes(int folder, const std::string& name, const Entry& e,
                             const Target& t) {
  if (const int err = KeepLinkTimes(folder, name, e.st)) return err;
  if (moving()) {
    Losses lost{};
    KeepLinkOwner(folder, name, e.st, lost);
    ReportLosses(s_, lost, folder, t.Shown());
  }
  return 0;
}

void ItemCopy::Arrived(const struct stat& source) {
  if (!moving()) return;
  Stamp stamp = StampOf(source);
  stamp.links += s_.record().NamesRemoved(source);  // as if the request had removed none
  copied_.sources.emplace(IdentityOf(source), stamp);
}

// For a move, the first copy of a file with several links.
void ItemCopy::FirstCopy(const struct stat& source, const Target& t, Way way,
                         const struct stat& made) {
  if (moving() && S_ISREG(source.st_mode) && source.st_nlink > 1 &&
      !s_.record().FirstCopyOf(source))
    s_.record().AddFirstCopy(source, PathNow(t, way), made);
}

// Closes and places the temporary file or link at its target, and notes it:
// placed by the request, the source arrived, the first copy of a file.
bool ItemCopy::Placed(const Entry& e, const Target& t, const Decision& d, TempFile& temp,
                      const struct stat& source) {
  struct stat made;
  int err = temp.Stat(made);
  if (err == 0) err = temp.CloseFile();
  if (err == 0) err = temp.Commit(d.replacing());
  if (err != 0) return s_.FailErrno(e.Shown(), t.Shown(), err);
  s_.record().Placed(made);
  if (e.depth == 0) {
    copied_.made = true;
    copied_.placed = made;
  }
  Arrived(source);
  FirstCopy(source, t, Way::kPlaced, made);
  return true;
}

}  // namespace engine
