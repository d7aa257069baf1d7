// A move across file systems: a copy, then, once the copy is on disk, the
// source removed item by item; or, when the copy fails, the copy taken back
// item by item.
#ifndef VANDRIX_ENGINE_JOBS_MOVE_ACROSS_H_
#define VANDRIX_ENGINE_JOBS_MOVE_ACROSS_H_

#include <sys/stat.h>

#include <string>
#include <vector>

#include "engine/io/place.h"
#include "engine/io/walk.h"
#include "engine/jobs/copy_item.h"
#include "engine/rules/decide.h"
#include "engine/rules/target.h"
#include "engine/session/session.h"

namespace engine {

/// An item copied across file systems whose source is still to go.
struct CopiedAcross {
  std::string name, shown;  ///< the source: its name in its folder, its path shown
  struct stat st {};        ///< ... its status when it was walked
  std::string to, to_shown; ///< the copy: its name in its folder, its path shown
  bool replacing = false;   ///< the copy replaced a file
  Copied copied;
};

/// The first half of a move across file systems: copies the entry `e` to
/// `t`, on another file system, as decided there (`d`), never over anything
/// but what was decided (copy.h), the target's file system watched by
/// `disks` from before the first byte. When the copy fails it is taken back
/// item by item: only what this item of the request placed, never what
/// another program put there meanwhile. True, and `across` filled, when the
/// copy is complete and placed.
bool CopyAcross(Session& s, const Entry& e, const Target& t, const Decision& d, DiskSync& disks,
                CopiedAcross& across);

/// The second half, once `disks` wrote the copy to its disk: when the source
/// (in the open folder `folder`) and the copy (in the open folder `into`)
/// are still the items they were, the source goes item by item: only what
/// was copied and is unchanged since (identity, change time, modification
/// time, size; a folder once it is empty). Whatever stays is reported
/// ("kept 'ITEM': ..."), and the copy is said as a copy ("copied 'ITEM' ->
/// 'TARGET'", Session::Done). True when all of the source went.
bool RemoveAcross(Session& s, int folder, int into, const CopiedAcross& across);

/// Says in one line for `item` that the sources of `across` stay, as their
/// copies are not known to be on disk (`err`: from DiskSync::Sync, or
/// kErrorMovedAway when the folder they are in moved), and each of them as
/// a copy ("copied ..."). Returns false.
bool KeepAcross(Session& s, const std::string& item, const std::vector<CopiedAcross>& across,
                int err);

}  // namespace engine

#endif  // VANDRIX_ENGINE_JOBS_MOVE_ACROSS_H_
