// The rules an item meets before it goes to a target: never onto itself,
// never into its own folder, never a folder and a file replacing each
// other, a replacement only when confirmed.
#ifndef VANDRIX_PLATFORM_ENGINE_CHECKS_H_
#define VANDRIX_PLATFORM_ENGINE_CHECKS_H_

#include <fcntl.h>
#include <sys/stat.h>

#include <string>

#include "platform/engine/file_system.h"
#include "platform/engine/plan.h"
#include "platform/engine/session.h"
#include "platform/engine/walk.h"

namespace platform {
namespace engine {

/// Where an item goes: a name in an open folder, and the path shown for it
/// (`shown`, or for an entry of a walked target tree its path there).
struct Target {
  int folder = AT_FDCWD;
  std::string name;
  std::string shown;
  const FolderTrail* trail = nullptr;  ///< the target tree's folders, if any
  std::size_t depth = 0;               ///< ... and how many lie above it
  /// The path shown for the target, built when asked for.
  std::string Shown() const { return trail ? trail->PathAt(depth, name) : shown; }
};

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

/// Decides what happens to the entry `source` at `target`: refuses the
/// same file (0x71, by `sameness`), takes the next free name with
/// FOF_RENAMEONCOLLISION (target.name, and so its path, change), merges a
/// folder into a folder, refuses a folder and a file meeting (5), and asks
/// before a file replaces a file. False when the item does not go ahead
/// (reported).
bool Decide(Session& s, const Entry& source, Sameness sameness, Target& target, Decision& d);

/// The start of a copy or move job: the source must be there (looked at
/// through a link only with `follow`); opens the folder that the job's
/// target goes into as `folder` (following links, as a shell would),
/// making it and its missing parents (mode 0777 less the umask), and sets
/// `target` to the entry there. When the source is a folder, refuses
/// (RefuseInside) a target folder that is the source or lies inside it,
/// by whatever path (".." after a new folder, a link, a bind mount), and
/// makes no folder inside it. False when the job does not go ahead
/// (reported).
bool JobTarget(Session& s, const Job& job, bool follow, Fd& folder, Target& target);

/// Reports (0x76) that `target`, where `source` goes, lies inside the
/// source folder; returns false.
bool RefuseInside(Session& s, const std::string& source, const std::string& target);

}  // namespace engine
}  // namespace platform

#endif  // VANDRIX_PLATFORM_ENGINE_CHECKS_H_
