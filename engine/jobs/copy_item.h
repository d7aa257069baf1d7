// Copying one file or link of a copy's tree, by one of two ways: through a
// temporary file beside a target that others may see or that it replaces,
// or straight at its name in a hidden folder this run fills alone.
#ifndef VANDRIX_ENGINE_JOBS_COPY_ITEM_H_
#define VANDRIX_ENGINE_JOBS_COPY_ITEM_H_

#include <sys/stat.h>

#include <string>
#include <unordered_map>

#include "engine/io/byte_copy.h"
#include "engine/io/identity.h"
#include "engine/io/temp_file.h"
#include "engine/io/walk.h"
#include "engine/rules/decide.h"
#include "engine/rules/target.h"
#include "engine/session/session.h"

namespace engine {

/// What a copy is for.
enum class Purpose {
  kCopy,  ///< a copy of its own: mode and times kept, as cp keeps them
  kMove,  ///< the first half of a move across file systems: everything kept
          ///< (kept.h), hard links inside the tree too, and the sources
          ///< stamped as they are copied (Copied::sources)
};

/// What a copy made at its top target.
struct Copied {
  bool complete = false;  ///< every entry arrived
  bool made = false;      ///< something new was placed at the target itself
  struct stat placed {};  ///< that item (device and inode)
  /// For a move: every source entry that arrived, as it was when copied (a
  /// file's stamp is taken before its bytes are read; its number of names
  /// counts those the request's moves had removed by then).
  std::unordered_map<Identity, Stamp, IdentityHash> sources;
};

/// How a file or link reaches its target.
enum class Way {
  kPlaced,  ///< written beside it as a TempFile, renamed into place: for a
            ///< target in a folder others see, or one it replaces
  kDirect,  ///< written at its name, nothing looked at first, no temporary
            ///< name, rename or signal mask: in a hidden folder this run
            ///< made (TempFolder), where nothing else is or can be seen
};

/// Opens the file `name` of the open folder `folder` to copy it (a link
/// there is followed only with `follow`), its fstat into `st`. Returns 0,
/// an errno, or kErrorNotRegular.
int OpenToCopy(int folder, const std::string& name, bool follow, Fd& in, struct stat& st);

/// Copies the open regular file `in`, whose fstat is `st`, to the new entry
/// `name` of the open folder `to` in a hidden folder this run fills
/// (Way::kDirect): its bytes, then its mode (less the set-id bits; given at
/// its creation where `umask` lets it) and times. A file that fails goes
/// again. `seen` is told each step of the bytes. It reaches no Session, so a
/// worker may do it (pool/workers.h); making the entry is HiddenFolderWork
/// (signals.h). Returns 0 or an errno.
int WriteNewFile(int in, const struct stat& st, int to, const std::string& name, mode_t umask,
                 const CopyObserver& seen);

/// Copies the files and links of one top-level item for `purpose`, noting
/// in `copied` what arrived. Every failure is reported; the functions
/// return true when the item arrived.
class ItemCopy {
 public:
  ItemCopy(Session& s, Purpose purpose, Copied& copied)
      : s_(s), purpose_(purpose), copied_(copied) {}

  bool moving() const { return purpose_ == Purpose::kMove; }

  /// From now on files go `kDirect` into the hidden folder at the path
  /// `hidden`, which will be placed as `shown`.
  void NewTree(const std::string& shown, const std::string& hidden);
  /// That hidden folder was placed (`placed`) or removed: the request's
  /// record of first copies follows it.
  void TreeDone(bool placed);

  /// Copies the file `e` to `t` as decided there (`d`), the `way` given; a
  /// link at the top is followed only with `follow`. It gets the source's
  /// mode (less the set-id bits) and times, or for a move all it has
  /// (kept.h); for a move, one more name of a file copied already, by this
  /// item or an earlier one of the request, is made a link to that copy.
  bool CopyFile(const Entry& e, const Target& t, const Decision& d, Way way, bool follow);
  /// Copies the link `e` (whose lstat it has) to `t`, as a link, with its
  /// times (and for a move its owner).
  bool CopyLink(const Entry& e, const Target& t, const Decision& d, Way way);
  /// A source entry arrived at its target: a move stamps it.
  void Arrived(const struct stat& source);
  /// The umask a new tree's files are made under (NewTree read it).
  mode_t umask() const { return umask_; }

 private:
  bool Linked(const Entry& e, const Target& t, const Decision& d, Way way, bool& arrived);
  bool WriteDirect(const Entry& e, const Target& t, int in, const struct stat& st);
  bool WritePlaced(const Entry& e, const Target& t, const Decision& d, int in,
                   const struct stat& st);
  int Fill(int in, int out, const struct stat& st, const Entry& e, const Target& t,
           bool mode_set);
  CopyObserver Observer(const Entry& e);
  int LinkAttributes(int folder, const std::string& name, const Entry& e, const Target& t);
  bool Placed(const Entry& e, const Target& t, const Decision& d, TempFile& temp,
              const struct stat& source);
  void FirstCopy(const struct stat& source, const Target& t, Way way, const struct stat& made);
  std::string PathNow(const Target& t, Way way) const;

  Session& s_;
  Purpose purpose_;
  Copied& copied_;
  mode_t umask_ = 0;
  std::string tree_shown_, tree_hidden_;  ///< the hidden folder being filled
};

}  // namespace engine

#endif  // VANDRIX_ENGINE_JOBS_COPY_ITEM_H_
