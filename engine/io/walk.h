// The one way the engine walks a tree: entry by entry, relative to open
// folders, never following a symbolic link below the item it starts at.
// Copy, delete, counting and the folder merge of a move all walk with it.
#ifndef VANDRIX_ENGINE_IO_WALK_H_
#define VANDRIX_ENGINE_IO_WALK_H_

#include <fcntl.h>
#include <sys/stat.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "engine/base/fd.h"
#include "engine/base/path_text.h"
#include "engine/io/lookup.h"

namespace engine {

/// The folders from a walk's top item down to where it is. For each it keeps
/// only the name it was entered by (for messages) and its device and inode;
/// the deepest kOpenLevels also keep an open descriptor. A folder further up
/// is opened again by ".." from the one below when the walk comes back to
/// it, and must be the same folder (device and inode). So a tree of any
/// depth costs a few descriptors and its names, never a path per level.
class FolderTrail {
 public:
  /// `top` is the path the top item is shown by.
  explicit FolderTrail(std::string top) : top_(std::move(top)) {}

  bool empty() const { return levels_.empty(); }
  std::size_t depth() const { return levels_.size(); }
  static constexpr std::size_t kOpenLevels = 8;

  /// The deepest folder, open (-1 once the trail is lost).
  int fd() const { return levels_.back().fd.get(); }
  /// True once a folder could not be found again (see Pop).
  bool lost() const { return lost_; }
  /// The name the deepest folder was entered by.
  const std::string& name() const { return levels_.back().name; }

  /// Goes into `folder`, opened from the deepest folder (or, first, the top
  /// item) by `name`; `st` is its fstat.
  void Push(Fd folder, const struct stat& st, std::string name);
  /// Back to the folder above, opening it again when its descriptor was
  /// closed. Returns 0, an errno, or kErrorMovedAway when ".." is no longer that
  /// folder; then the trail is lost: what is left has no descriptor and
  /// later Pops only drop levels.
  int Pop();

  /// The path shown for `name` in the folder `depth` levels down (0: the
  /// top item itself, whatever `name` is).
  std::string PathAt(std::size_t depth, const std::string& name) const;
  /// The last `most` bytes of that path (the whole path when shorter),
  /// built from only as many levels as they need.
  std::string TailAt(std::size_t depth, const std::string& name, std::size_t most) const;

 private:
  struct Level {
    std::string name;
    dev_t device;
    ino_t inode;
    Fd fd;
  };
  std::string top_;
  std::vector<Level> levels_;
  bool lost_ = false;
};

/// An entry met by a walk.
struct Entry {
  int folder;                ///< the open folder it is in (AT_FDCWD and a path for the top)
  const std::string& name;   ///< its name there
  /// Its lstat (a followed top item: its stat); in Visited, for an entry the
  /// visitor did not ask to look at (TreeVisitor::Looks), only its type in
  /// st_mode, every other field 0.
  const struct stat& st;
  const FolderTrail& trail;  ///< the folders the walk is in
  std::size_t depth;         ///< how many of them lie above the entry (0: the top item)
  /// The entry's path in messages.
  std::string Shown() const { return trail.PathAt(depth, name); }
  /// Its last `most` bytes.
  std::string Tail(std::size_t most) const { return trail.TailAt(depth, name, most); }
};

/// What a walk does at each entry; it is told in walking order, each
/// folder's entries sorted by name.
class TreeVisitor {
 public:
  enum class Visit { kDone, kFailed, kDescend };
  virtual ~TreeVisitor() = default;
  /// True when an entry inside the tree of the type `type` (S_IFREG,
  /// S_IFDIR, ... as its folder's listing gives it) is looked at (lstat)
  /// before Visited; false when its type is all Visited needs, which saves a
  /// call per entry. Asked for each entry in turn, in the folder it is in.
  /// The top item, and an entry whose listing gives no type, are always
  /// looked at.
  virtual bool Looks(mode_t /*type*/) const { return true; }
  /// Every entry first, the top item too. kDescend, for a folder, goes into
  /// it: Opened, then its entries, then Left.
  virtual Visit Visited(const Entry& entry) = 0;
  /// The folder to go into is open and listed; false keeps out of it (a
  /// failure, already reported). Here and in Left, `entry.st` is the fstat
  /// of the folder opened.
  virtual bool Opened(const Entry&) { return true; }
  /// After a folder's entries; `complete` when every one was done (and the
  /// walk was not stopped or lost). `entry.folder` is the folder it is in,
  /// open again, or -1 when the walk lost its way back to it (the folder
  /// was moved): nothing may be done there. Returns whether the folder
  /// counts as done.
  virtual bool Left(const Entry&, bool complete) { return complete; }
  /// An entry that could not be looked at, opened or listed, or a folder the
  /// walk could not find again (`err`: an errno or kErrorMovedAway).
  virtual void Failed(const Entry& entry, int err) = 0;
  /// True to take no more entries (the folders gone into are still left).
  virtual bool Stopped() const { return false; }
};

/// Called before a folder is opened to walk it, with the name it is opened
/// by (a path for the item a walk starts at, an entry's name inside a tree);
/// a non-zero return is the errno the opening then fails with. Empty: none.
using FolderOpenHook = std::function<int(const char* name)>;

/// Walks the tree of one item for `visitor`. Folders are opened with
/// O_NOFOLLOW|O_DIRECTORY relative to the folder they are in, so a link is
/// never gone into, and a folder that was looked at is checked to be the
/// one opened, so neither is a swapped-in entry.
class TreeWalk {
 public:
  /// `top` is the path the item is shown by; `folder_open` is asked before
  /// every folder is opened.
  TreeWalk(TreeVisitor& visitor, const FolderOpenHook& folder_open, std::string top)
      : visitor_(visitor), folder_open_(folder_open), trail_(std::move(top)) {}

  /// Walks the item `name` in the open folder `at` (or the path `name` when
  /// `at` is AT_FDCWD), following it when it is a link only with `follow`.
  /// True when every entry was done.
  bool Run(int at, const std::string& name, bool follow);

 private:
  struct Frame {
    Listing entries;  ///< entries still to visit, last first
    struct stat st;
    bool complete;
  };
  bool Next();
  bool Offer(int folder, const std::string& name, const struct stat& st, bool looked,
             bool follow);
  int Open(int folder, const std::string& name, bool follow, const struct stat* looked,
           Fd& opened, struct stat& now);
  bool Finish();

  TreeVisitor& visitor_;
  const FolderOpenHook& folder_open_;
  FolderTrail trail_;
  std::vector<Frame> frames_;  ///< one a folder of the trail
  int at_ = AT_FDCWD;
  std::string top_name_;
};

}  // namespace engine

#endif  // VANDRIX_ENGINE_IO_WALK_H_
