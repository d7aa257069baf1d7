// The trash, as the freedesktop.org desktops keep it (see trash.h).
#include "engine/io/trash.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "engine/base/fd.h"
#include "engine/base/path_text.h"
#include "engine/io/byte_copy.h"
#include "engine/io/lookup.h"
#include "engine/io/make_folders.h"

namespace engine {
namespace {

/// Where an item goes: the trash folder and the path its record holds.
struct TrashPlace {
  std::string trash;
  std::string recorded;
  bool at_top = false;  ///< TOPDIR/.Trash-UID, which must be ours alone
};

std::string HomeTrash() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data && data[0] == '/') return Join(data, "Trash");
  const char* home = std::getenv("HOME");
  const passwd* user = (home && home[0] == '/') ? nullptr : ::getpwuid(::getuid());
  if (user) home = user->pw_dir;
  return home && home[0] == '/' ? Join(home, ".local/share/Trash") : "";
}

// The device of `path`, or of its nearest existing parent.
bool DeviceOf(std::string path, dev_t& device) {
  struct stat st;
  while (StatOf(path, st, true) != 0) {
    if (path == "/" || path == ".") return false;
    path = ParentOf(path);
  }
  device = st.st_dev;
  return true;
}

// The mount point above the absolute path `path`: the last parent still
// on `device`.
std::string TopFolder(std::string path, dev_t device) {
  struct stat st;
  while (path != "/" && StatOf(ParentOf(path), st, true) == 0 && st.st_dev == device)
    path = ParentOf(path);
  return path;
}

// `path` below `top` (a parent of it), relative to `top`.
std::string RelativeTo(const std::string& top, const std::string& path) {
  const std::size_t skip = top == "/" ? 1 : top.size() + 1;
  return skip < path.size() ? path.substr(skip) : "";
}

// The home trash when the item shares its file system, else TOPDIR/.Trash-UID.
int ChooseTrash(const std::string& item, TrashPlace& place) {
  struct stat st, above;
  std::string folder;
  if (const int err = StatOf(item, st, false)) return err;
  if (const int err = RealPath(ParentOf(item), folder)) return err;
  if (const int err = StatOf(folder, above, true)) return err;
  if (above.st_dev != st.st_dev) return EBUSY;  // a mount point: it cannot move
  const std::string absolute = Join(folder, NameOf(item));
  const std::string home = HomeTrash();
  dev_t home_device;
  if (!home.empty() && DeviceOf(home, home_device) && home_device == st.st_dev) {
    place = {home, absolute};
    return 0;
  }
  const std::string top = TopFolder(absolute, st.st_dev);
  place = {Join(top, ".Trash-" + std::to_string(::getuid())), RelativeTo(top, absolute), true};
  return 0;
}

// A trash folder of our own: a real folder (not a link) owned by us, and,
// at the top of a file system others share, closed to them (mode 0700).
int IsOwnFolder(const TrashPlace& place) {
  struct stat st;
  if (const int err = StatOf(place.trash, st, false)) return err;
  if (!S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) return EXDEV;
  if (place.at_top && (st.st_mode & 07777) != 0700) return EXDEV;
  return 0;
}

int OwnFolder(const TrashPlace& place) {
  if (::mkdir(place.trash.c_str(), 0700) != 0 && errno != EEXIST) return errno;
  return IsOwnFolder(place);
}

int PrepareTrash(const TrashPlace& place, const std::string& item) {
  if (place.trash.empty()) return EXDEV;
  const std::string files = Join(place.trash, "files");
  Fd made;
  int err = MakeFolders(ParentOf(place.trash), 0700, made);
  if (err == 0) err = OwnFolder(place);
  if (err == 0) err = MakeFolders(files, 0700, made);
  if (err == 0) err = MakeFolders(Join(place.trash, "info"), 0700, made);
  if (err != 0) return err;
  struct stat it, there;
  if ((err = StatOf(item, it, false)) != 0 || (err = StatOf(files, there, true)) != 0) return err;
  return it.st_dev == there.st_dev ? 0 : EXDEV;
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

std::string TrashInfo(const std::string& path) {
  return "[Trash Info]\nPath=" + UrlEncoded(path) + "\nDeletionDate=" + DeletionDate() +
         "\n";
}

std::string InfoPath(const std::string& trash, const std::string& entry) {
  return Join(Join(trash, "info"), entry + ".trashinfo");
}

// Creates info/ENTRY.trashinfo exclusively, for the first ENTRY free in both
// info/ and files/ ("name", "name (2)", ...), open in `info`. Returns 0 or
// an errno.
int ClaimTrashEntry(const std::string& trash, const std::string& name, std::string& entry,
                    Fd& info) {
  for (unsigned n = 1; n < 100000; ++n) {
    entry = n == 1 ? name : NumberedName(name, n, false);
    const std::string path = InfoPath(trash, entry);
    info = Fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!info.ok() && errno != EEXIST) return errno;
    if (info.ok() && !Exists(Join(Join(trash, "files"), entry))) return 0;
    if (info.ok()) ::unlink(path.c_str());
  }
  return EEXIST;
}

int WriteTrashInfo(Fd& info, const std::string& recorded) {
  const std::string text = TrashInfo(recorded);
  if (const int err = WriteAll(info.get(), text.data(), text.size())) return err;
  return info.Close();
}

// The .trashinfo is written first; it is taken back if the item cannot go.
int MoveInto(const TrashPlace& place, const std::string& item) {
  std::string entry;
  Fd info;
  if (const int err = ClaimTrashEntry(place.trash, NameOf(item), entry, info)) return err;
  int err = WriteTrashInfo(info, place.recorded);
  const std::string there = Join(Join(place.trash, "files"), entry);
  if (err == 0 && ::rename(item.c_str(), there.c_str()) != 0) err = errno;
  if (err != 0) ::unlink(InfoPath(place.trash, entry).c_str());
  return err;
}

}  // namespace

int TrashRefusal(const std::string& item) {
  TrashPlace place;
  if (const int err = ChooseTrash(item, place)) return err;
  if (place.trash.empty()) return EXDEV;
  const int err = IsOwnFolder(place);
  return err == ENOENT ? 0 : err;  // a trash folder not there yet would be made
}

int MoveToTrash(const std::string& item) {
  TrashPlace place;
  int err = ChooseTrash(item, place);
  if (err == 0) err = PrepareTrash(place, item);
  return err == 0 ? MoveInto(place, item) : err;
}

}  // namespace engine
