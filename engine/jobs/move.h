// Moving an item: a rename where it can be, a copy and then a removal
// across file systems, a merge into a folder that is there.
#ifndef VANDRIX_ENGINE_JOBS_MOVE_H_
#define VANDRIX_ENGINE_JOBS_MOVE_H_

#include "engine/plan/plan.h"
#include "engine/session/session.h"

namespace engine {

/// A move job: the item (a link itself, not what it names) is renamed to
/// the target, whose folder is made when missing. A folder meeting a folder
/// merges into it, entry by entry, and goes once empty. Across file systems
/// the item is copied and removed item by item once its copy is complete
/// and on disk; a partial copy is taken back item by item (move_across.h).
/// In a merge the entries of a folder are copied as they come, and their
/// sources go together once the folder is done, after one sync. Each item
/// moved (a merge's entries each, as its source goes) is said
/// (Session::Done); a dry run decides as the move would and says each item,
/// and changes nothing.
bool MoveJob(Session& s, const Job& job);

}  // namespace engine

#endif  // VANDRIX_ENGINE_JOBS_MOVE_H_
