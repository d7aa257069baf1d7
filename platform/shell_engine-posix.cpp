// The program's own file-operation engine on POSIX systems: copy, move,
// delete and rename done with the system's file calls. Symbolic links inside
// a tree are never followed, items are recognised by device and inode, and a
// copied file reaches its target only complete (written under a temporary
// name, then renamed into place).
#include "platform/shell_engine-posix.h"

#include "platform/file_data-posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>
#include <string>
#include <utility>
#include <vector>

namespace platform {
namespace {

using Paths = std::vector<std::string>;

constexpr std::size_t kTempNameStemLimit = 200;  // keeps temp names < NAME_MAX
constexpr mode_t kKeptModeBits = 01777;          // set-id bits are dropped

// ---------------------------------------------------------------------------
// Path text

Paths SplitList(LPCSTR list) {
  Paths paths;
  if (!list) return paths;
  for (const char* p = list; *p; p += std::strlen(p) + 1) paths.emplace_back(p);
  return paths;
}

std::string Trimmed(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string NameOf(const std::string& path) {
  const std::string trimmed = Trimmed(path);
  const std::size_t slash = trimmed.rfind('/');
  return slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
}

std::string ParentOf(const std::string& path) {
  const std::string trimmed = Trimmed(path);
  const std::size_t slash = trimmed.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return Trimmed(trimmed.substr(0, slash));
}

std::string Join(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

// "name (n).ext" for a file, "name (n)" for a folder or a dot-file.
std::string NumberedName(const std::string& name, unsigned n, bool folder) {
  std::size_t dot = folder ? std::string::npos : name.rfind('.');
  if (dot == 0) dot = std::string::npos;
  const std::string ext = dot == std::string::npos ? "" : name.substr(dot);
  return name.substr(0, dot) + " (" + std::to_string(n) + ")" + ext;
}

// ---------------------------------------------------------------------------
// File-system queries

bool StatOf(const std::string& path, struct stat& st, bool follow) {
  const int result = follow ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st);
  return result == 0;
}

bool Exists(const std::string& path) {
  struct stat st;
  return StatOf(path, st, false);
}

bool IsFolder(const std::string& path) {
  struct stat st;
  return StatOf(path, st, true) && S_ISDIR(st.st_mode);
}

bool SameItem(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool RealPath(const std::string& path, std::string& real) {
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (!resolved) return false;
  real = resolved;
  std::free(resolved);
  return true;
}

// The item's own name; "." and ".." are replaced by the folder's real name.
std::string ItemName(const std::string& source) {
  const std::string name = NameOf(source);
  std::string real;
  if (name != "." && name != "..") return name;
  return RealPath(source, real) ? NameOf(real) : name;
}

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
// Descriptors and small system-call wrappers (they return 0 or an errno)

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Fd& operator=(Fd&&) = delete;
  Fd(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  bool ok() const { return fd_ >= 0; }
  int Close() { return ::close(std::exchange(fd_, -1)) == 0 ? 0 : errno; }

 private:
  int fd_;
};

// Names of the entries of the open folder `folder`, without "." and "..".
int ListNames(int folder, Paths& names) {
  const int copy = ::fcntl(folder, F_DUPFD_CLOEXEC, 0);
  if (copy < 0) return errno;
  DIR* dir = ::fdopendir(copy);
  if (!dir) {
    const int err = errno;
    ::close(copy);
    return err;
  }
  int err = 0;
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(dir);
    if (!entry) {
      err = errno;
      break;
    }
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(dir);
  return err;
}

// Creates `path` and its missing parents (mkdir -p).
int MakeFolders(const std::string& path, mode_t mode) {
  struct stat st;
  if (StatOf(path, st, true)) return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
  if (path != "/" && path != ".") {
    if (const int err = MakeFolders(ParentOf(path), mode)) return err;
  }
  if (::mkdir(path.c_str(), mode) == 0 || (errno == EEXIST && IsFolder(path))) return 0;
  return errno;
}

// Renames `from` to `to`; unless `replace`, never over an existing item.
int Place(const std::string& from, const std::string& to, bool replace) {
  if (replace) return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
    return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  if (Exists(to)) return EEXIST;  // the file system has no no-replace rename
  return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

// A new empty private file beside `target`: ".NAME.vandrix-XXXXXX".
Fd MakeTempFile(const std::string& target, std::string& path) {
  const std::string stem = NameOf(target).substr(0, kTempNameStemLimit);
  std::string pattern = Join(ParentOf(target), "." + stem + ".vandrix-XXXXXX");
  Fd fd(::mkostemp(&pattern[0], O_CLOEXEC));
  if (fd.ok()) path = pattern;
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

class Session {
 public:
  explicit Session(SHFILEOPSTRUCTA& request) : request_(request) {}

  UINT function() const { return request_.wFunc; }
  bool Has(FILEOP_FLAGS flag) const { return (request_.fFlags & flag) != 0; }

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

  /// Records an item left alone because its target exists; returns false.
  bool Skip(const std::string& item, const std::string& target) {
    request_.fAnyOperationsAborted = TRUE;
    Say(std::string("skipped ") + VerbOf(function()) + " of '" + item + "': '" +
        target + "' already exists");
    return false;
  }

  int Result() const {
    if (first_error_ != 0) return first_error_;
    return request_.fAnyOperationsAborted ? kErrorCancelled : 0;
  }

 private:
  void Say(const std::string& line) const {
    if (!Has(FOF_NOERRORUI)) std::fprintf(stderr, "vandrix: %s\n", line.c_str());
  }

  SHFILEOPSTRUCTA& request_;
  int first_error_ = 0;
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
enum class Clash { kFree, kReplace, kMerge, kSkip, kRefuse };

// With FOF_RENAMEONCOLLISION `target` becomes the next free name instead.
Clash ClashAt(const Session& s, bool source_is_folder, std::string& target) {
  struct stat st;
  if (!StatOf(target, st, false)) return Clash::kFree;
  if (s.Has(FOF_RENAMEONCOLLISION)) {
    const std::string folder = ParentOf(target), name = NameOf(target);
    for (unsigned n = 2; Exists(target); ++n)
      target = Join(folder, NumberedName(name, n, source_is_folder));
    return Clash::kFree;
  }
  const bool target_is_folder = S_ISDIR(st.st_mode);
  if (source_is_folder && target_is_folder) return Clash::kMerge;
  if (source_is_folder || target_is_folder) return Clash::kRefuse;
  return s.Has(FOF_NOCONFIRMATION) ? Clash::kReplace : Clash::kSkip;
}

// Reports a clash that stops the item; true when the item goes ahead.
bool ClashAllows(Session& s, Clash clash, const std::string& source,
                 const std::string& target) {
  if (clash == Clash::kSkip) return s.Skip(source, target);
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

bool CopyEntry(Session& s, const Item& item, std::string target, bool follow);

// Fills the open temporary file `out` from `in`, with the source's mode and times.
int FillFile(int in, Fd& out, const struct stat& st) {
  const struct timespec times[2] = {st.st_atim, st.st_mtim};
  if (const int err = CopyFileData(in, out.get())) return err;
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
  int err = out.ok() ? FillFile(in.get(), out, st) : errno;
  if (err == 0) err = Place(temp, target, replace);
  if (err != 0 && !temp.empty()) ::unlink(temp.c_str());
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
  if (err != 0) return s.FailErrno(item.shown, err);
  if (::utimensat(AT_FDCWD, temp.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) err = errno;
  if (err == 0) err = Place(temp, target, replace);
  if (err != 0) ::unlink(temp.c_str());
  return err == 0 || s.FailErrno(item.shown, err);
}

bool CopyChildren(Session& s, int folder, const std::string& shown, const std::string& target) {
  Paths names;
  if (const int err = ListNames(folder, names)) return s.FailErrno(shown, err);
  bool complete = true;
  for (const std::string& name : names)
    complete = CopyEntry(s, Item{folder, name, Join(shown, name)}, Join(target, name), false) &&
               complete;
  return complete;
}

// Copies a folder's tree; `merge` when `target` is an existing folder.
bool CopyFolder(Session& s, const Item& item, const struct stat& st, const std::string& target,
                bool follow, bool merge) {
  Fd folder(::openat(item.at, item.name.c_str(), O_RDONLY | O_DIRECTORY | OpenFlags(follow)));
  if (!folder.ok()) return s.FailErrno(item.shown, errno);
  if (!merge && ::mkdir(target.c_str(), 0700) != 0) return s.FailErrno(item.shown, errno);
  const bool complete = CopyChildren(s, folder.get(), item.shown, target);
  const int err = merge ? 0 : KeepModeAndTimes(target, st);
  return complete && (err == 0 || s.FailErrno(target, err));
}

// Copies one item of any kind to `target`; true when it arrived complete.
bool CopyEntry(Session& s, const Item& item, std::string target, bool follow) {
  struct stat st;
  const int flags = follow ? 0 : AT_SYMLINK_NOFOLLOW;
  if (::fstatat(item.at, item.name.c_str(), &st, flags) != 0)
    return s.FailErrno(item.shown, errno);
  const Clash clash = ClashAt(s, S_ISDIR(st.st_mode), target);
  if (!ClashAllows(s, clash, item.shown, target)) return false;
  const bool replace = clash == Clash::kReplace;
  if (S_ISDIR(st.st_mode))
    return CopyFolder(s, item, st, target, follow, clash == Clash::kMerge);
  if (S_ISREG(st.st_mode)) return CopyFile(s, item, target, follow, replace);
  if (S_ISLNK(st.st_mode)) return CopyLink(s, item, st, target, replace);
  return s.Fail(item.shown, kErrorOther, "not a regular file, folder or link");
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
  Fd folder(::openat(at, name.c_str(), O_RDONLY | O_DIRECTORY | OpenFlags(false)));
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
  if (::unlinkat(at, name.c_str(), folder ? AT_REMOVEDIR : 0) != 0)
    return s.FailErrno(shown, errno);
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

// ---------------------------------------------------------------------------
// The trash ($XDG_DATA_HOME/Trash, as the freedesktop.org desktops use it)

std::string TrashFolder() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data && data[0] == '/') return Join(data, "Trash");
  const char* home = std::getenv("HOME");
  const passwd* user = (home && home[0] == '/') ? nullptr : ::getpwuid(::getuid());
  if (user) home = user->pw_dir;
  return home && home[0] == '/' ? Join(home, ".local/share/Trash") : "";
}

std::string UrlEncoded(const std::string& path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const unsigned char c : path) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                       (c >= '0' && c <= '9') || std::strchr("/-_.~", c);
    if (plain) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string DeletionDate() {
  const std::time_t now = std::time(nullptr);
  struct tm local;
  char text[32] = "";
  if (::localtime_r(&now, &local)) std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
  return text;
}

std::string TrashInfo(const std::string& absolute) {
  return "[Trash Info]\nPath=" + UrlEncoded(absolute) + "\nDeletionDate=" + DeletionDate() +
         "\n";
}

std::string InfoPath(const std::string& trash, const std::string& entry) {
  return Join(Join(trash, "info"), entry + ".trashinfo");
}

// Creates info/ENTRY.trashinfo exclusively, for the first ENTRY free in both
// info/ and files/ ("name", "name (2)", ...).
Fd ClaimTrashEntry(const std::string& trash, const std::string& name, std::string& entry) {
  for (unsigned n = 1; n < 100000; ++n) {
    entry = n == 1 ? name : NumberedName(name, n, false);
    const std::string info = InfoPath(trash, entry);
    Fd fd(::open(info.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!fd.ok() && errno != EEXIST) return fd;
    if (fd.ok() && !Exists(Join(Join(trash, "files"), entry))) return fd;
    if (fd.ok()) ::unlink(info.c_str());
  }
  errno = EEXIST;
  return Fd();
}

int PrepareTrash(const std::string& trash, const std::string& item) {
  if (trash.empty()) return ENOENT;
  const std::string files = Join(trash, "files");
  int err = MakeFolders(files, 0700);
  if (err == 0) err = MakeFolders(Join(trash, "info"), 0700);
  if (err != 0) return err;
  struct stat it, there;
  if (!StatOf(item, it, false) || !StatOf(files, there, true)) return errno;
  return it.st_dev == there.st_dev ? 0 : EXDEV;
}

int WriteTrashInfo(Fd& info, const std::string& item) {
  std::string folder;
  if (!RealPath(ParentOf(item), folder)) return errno;
  const std::string text = TrashInfo(Join(folder, NameOf(item)));
  if (const int err = WriteAll(info.get(), text.data(), text.size())) return err;
  return info.Close();
}

// The .trashinfo is written first; it is taken back if the item cannot go.
int MoveToTrash(const std::string& trash, const std::string& item) {
  std::string entry;
  Fd info = ClaimTrashEntry(trash, NameOf(item), entry);
  if (!info.ok()) return errno;
  int err = WriteTrashInfo(info, item);
  const std::string there = Join(Join(trash, "files"), entry);
  if (err == 0 && ::rename(item.c_str(), there.c_str()) != 0) err = errno;
  if (err != 0) ::unlink(InfoPath(trash, entry).c_str());
  return err;
}

// Moves the item into the trash; never deletes it.
bool TrashItem(Session& s, const std::string& item) {
  const std::string trash = TrashFolder();
  int err = PrepareTrash(trash, item);
  if (err == 0) err = MoveToTrash(trash, item);
  if (err == EXDEV)
    return s.Fail(item, kErrorOther, "not on the file system of the trash; the item is kept");
  return err == 0 || s.FailErrno(item, err);
}

bool DeleteItem(Session& s, const std::string& item) {
  if (!Deletable(s, item)) return false;
  if (s.Has(FOF_ALLOWUNDO)) return TrashItem(s, item);
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
  Fd folder(::open(source.c_str(), O_RDONLY | O_DIRECTORY | OpenFlags(false)));
  Paths names;
  if (!folder.ok()) return s.FailErrno(source, errno);
  if (const int err = ListNames(folder.get(), names)) return s.FailErrno(source, err);
  bool complete = true;
  for (const std::string& name : names)
    complete = MoveEntry(s, Join(source, name), Join(target, name)) && complete;
  if (complete && ::rmdir(source.c_str()) != 0) return s.FailErrno(source, errno);
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

// A file may replace a file (with FOF_NOCONFIRMATION); a folder is never
// replaced and never replaces.
bool RenameItem(Session& s, const std::string& source, const std::string& target) {
  struct stat from, there;
  if (!InSameFolder(source, target))
    return s.Fail(source, kErrorDifferentFolder, "'" + target + "' is not in the same folder");
  if (!StatOf(source, from, false)) return s.FailErrno(source, errno);
  const bool taken = StatOf(target, there, false);
  if (taken && SameItem(from, there))
    return s.Fail(source, kErrorSameFile, "the source and the target are the same item");
  if (taken && !s.Has(FOF_NOCONFIRMATION)) return s.Skip(source, target);
  if (taken && (S_ISDIR(from.st_mode) || S_ISDIR(there.st_mode)))
    return s.Fail(source, kErrorAccessDenied, "only a file may replace a file");
  const int err = Place(source, target, taken);
  return err == 0 || s.FailErrno(source, err);
}

// ---------------------------------------------------------------------------
// The request as a whole

struct Job {
  std::string source;
  std::string target;  ///< the item's full new path; empty for a delete
};
using Jobs = std::vector<Job>;

// A destination that names a folder the items go into.
bool NamesFolder(const std::string& dest) { return dest.back() == '/' || IsFolder(dest); }

bool PlanCopyOrMove(FILEOP_FLAGS flags, const Paths& from, const Paths& to, Jobs& jobs) {
  const bool paired = (flags & FOF_MULTIDESTFILES) && to.size() == from.size() && from.size() > 1;
  if (to.empty() || (!paired && to.size() != 1)) return false;
  for (std::size_t i = 0; i < from.size(); ++i) {
    const std::string& dest = paired ? to[i] : to[0];
    const bool into = NamesFolder(dest) || (!paired && from.size() > 1);
    jobs.push_back({Trimmed(from[i]), into ? Join(dest, ItemName(from[i])) : dest});
  }
  return true;
}

// A target without a folder part is a new name in the source's folder.
bool PlanRename(const Paths& from, const Paths& to, Jobs& jobs) {
  if (from.size() != 1 || to.size() != 1) return false;
  const std::string& dest = to[0];
  const bool bare = dest.find('/') == std::string::npos;
  jobs.push_back({Trimmed(from[0]), bare ? Join(ParentOf(from[0]), dest) : dest});
  return true;
}

bool PlanJobs(const SHFILEOPSTRUCTA& request, const Paths& from, Jobs& jobs) {
  const Paths to = SplitList(request.pTo);
  switch (request.wFunc) {
    case FO_COPY:
    case FO_MOVE: return PlanCopyOrMove(request.fFlags, from, to, jobs);
    case FO_RENAME: return PlanRename(from, to, jobs);
    case FO_DELETE:
      for (const std::string& path : from) jobs.push_back({Trimmed(path), ""});
      return true;
    default: return false;
  }
}

// A copy follows a link named as a source; the others act on the link.
bool SourcesExist(Session& s, const Jobs& jobs) {
  bool all = true;
  for (const Job& job : jobs) {
    struct stat st;
    if (StatOf(job.source, st, s.function() == FO_COPY)) continue;
    const int err = errno;
    const int code = err == ENOENT || err == ENOTDIR ? kErrorFileNotFound : CodeFor(err);
    s.Fail(job.source, code, std::strerror(err));
    all = false;
  }
  return all;
}

void DoJob(Session& s, const Job& job) {
  switch (s.function()) {
    case FO_COPY: CopyItem(s, job.source, job.target); break;
    case FO_MOVE: MoveItem(s, job.source, job.target); break;
    case FO_DELETE: DeleteItem(s, job.source); break;
    default: RenameItem(s, job.source, job.target); break;
  }
}

int Perform(SHFILEOPSTRUCTA& request) {
  Session s(request);
  const Paths from = SplitList(request.pFrom);
  Jobs jobs;
  if (from.empty() || !PlanJobs(request, from, jobs)) {
    s.Fail("", kErrorInvalidFiles, "the source and target lists do not fit the operation");
    return kErrorInvalidFiles;
  }
  if (!SourcesExist(s, jobs)) return s.Result();
  for (const Job& job : jobs) DoJob(s, job);
  return s.Result();
}

}  // namespace

int RunFileOperation(LPSHFILEOPSTRUCTA request) {
  if (!request) return kErrorInvalidFiles;
  request->fAnyOperationsAborted = FALSE;
  try {
    return Perform(*request);
  } catch (const std::exception&) {  // std::bad_alloc above all
    return kErrorOther;
  }
}

}  // namespace platform
