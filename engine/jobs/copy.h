// Copying an item and its tree.
#ifndef VANDRIX_ENGINE_JOBS_COPY_H_
#define VANDRIX_ENGINE_JOBS_COPY_H_

#include <sys/stat.h>

#include <string>
#include <unordered_map>

#include "engine/io/identity.h"
#include "engine/plan/plan.h"
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
  /// file's stamp is taken before its bytes are read).
  std::unordered_map<Identity, Stamp, IdentityHash> sources;
};

/// Copies the item `name` in the open folder `at` (AT_FDCWD: a path), shown
/// as `shown`, to `target`, for `purpose`, a link followed only at the top
/// and only with `follow`. Files go through a temporary file (temp_file.h) and keep their
/// mode (less the set-id bits) and times (attributes.h); folders are made, or merged into
/// an existing folder; links are copied as links. Each replacement is asked
/// about; the items after a failed one go on. A copy says each file, link
/// and folder it makes (Session::Done); in a dry run it makes nothing, only
/// decides and says each entry, and goes into a folder it would make as
/// into an empty one. With `decided`, the top item
/// goes to the target as decided there (see Decide), never elsewhere: a
/// file only by a rename that replaces nothing or the item decided on, a
/// folder only by making it.
Copied CopyTree(Session& s, int at, const std::string& name, const std::string& shown,
                bool follow, const Target& target, Purpose purpose,
                const Decision* decided = nullptr);

/// A copy job: the target's folder is made when missing, and a link named
/// as the source is followed, as cp does.
bool CopyJob(Session& s, const Job& job);

}  // namespace engine

#endif  // VANDRIX_ENGINE_JOBS_COPY_H_
