// What happens to an item at its target: never onto itself, never a folder
// and a file replacing each other, a replacement only when confirmed, a free
// name on request.
#ifndef VANDRIX_ENGINE_RULES_DECIDE_H_
#define VANDRIX_ENGINE_RULES_DECIDE_H_

#include <sys/stat.h>

#include <string>

#include "engine/io/walk.h"
#include "engine/rules/target.h"
#include "engine/session/session.h"

namespace engine {

/// What happens to an item already at a target.
enum class Clash { kFree, kReplace, kMerge };

/// The outcome of Decide.
struct Decision {
  Clash clash = Clash::kFree;
  struct stat there {};  ///< the item at the target (kReplace, kMerge)
  /// The item a replacement may replace, or null when nothing may be.
  const struct stat* replacing() const { return clash == Clash::kReplace ? &there : nullptr; }
};

/// True when replacing `there` would destroy the source: it is the item
/// `name` in the open folder `folder` (whose lstat is `st`) or, when that is
/// a link, the item the link names. Items are compared by device and inode.
bool SameFile(int folder, const std::string& name, const struct stat& st,
              const struct stat& there);

/// How Decide compares a source with what is at its target.
enum class Sameness {
  kItem,      ///< by SameFile
  kFollowed,  ///< also following a link at the target (a copy's named source)
};

/// What Decide does when a folder is at the target or is the item.
enum class FolderClash {
  kMerge,   ///< a folder merges into a folder; a folder and a file never
            ///< replace each other (5): a copy or a move
  kRefuse,  ///< only a file may replace a file (5): a rename
};

/// Decides what happens to the entry `source` at `target`: refuses the
/// same file (0x71, by `sameness`), takes the next free name with
/// rename_on_collision (target.name, and so its path, change), refuses an
/// item the request itself placed there ("will not replace 'out/x', just
/// placed there from 'd1/x'", see record.h), meets a folder as `folders`
/// says, and before a file replaces a file skips it with no_clobber, and
/// with update when the file there was last changed at the same time as
/// the source or later (Session::Skip), else asks. In a dry run, what the run would have
/// placed at the target by then counts as placed there. False when the
/// item does not go ahead (reported, skipped, or declined by the user).
bool Decide(Session& s, const Entry& source, Sameness sameness, Target& target, Decision& d,
            FolderClash folders = FolderClash::kMerge);

}  // namespace engine

#endif  // VANDRIX_ENGINE_RULES_DECIDE_H_
