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
/// Sources go together after one sync: in a merge those of a folder's
/// entries once the folder is done; the top items of jobs that follow one
/// another from one folder into one folder (a shell glob's files) when a
/// job is none of them (nor one of their sources met again), after 512 of
/// them, and at the end of the request (SettleMoves). Each item moved is
/// said (Session::Done) as its source goes; a dry run decides as the move
/// would and says each item, and changes nothing: across file systems it
/// walks the copy as the run would (copy.h), to fail where the copy would
/// (a fifo, a socket), and what it would move away fails a later item as
/// the run fails it (record.h).
bool MoveJob(Session& s, const Job& job);

/// Removes the sources still to go of the request's moves across file
/// systems, after one sync (OperationRow::settle).
void SettleMoves(Session& s);

}  // namespace engine

#endif  // VANDRIX_ENGINE_JOBS_MOVE_H_
