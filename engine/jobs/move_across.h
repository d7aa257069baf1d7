// A move across file systems: a copy, then the source removed item by item;
// or, when the copy fails, the copy taken back item by item.
#ifndef VANDRIX_ENGINE_JOBS_MOVE_ACROSS_H_
#define VANDRIX_ENGINE_JOBS_MOVE_ACROSS_H_

#include "engine/io/walk.h"
#include "engine/rules/decide.h"
#include "engine/rules/target.h"
#include "engine/session/session.h"

namespace engine {

/// Moves the entry `e` to `t`, on another file system, as decided there
/// (`d`): it is copied (copy.h), never over anything but what was decided.
/// When the copy is complete and the source and the copy are still the
/// items they were, the source goes item by item: only what was copied and
/// is unchanged since (identity, change time, modification time, size; a
/// folder once it is empty). When the copy fails, it is taken back item by
/// item: only what this item of the request placed, never what another
/// program put there meanwhile. Whatever stays is reported ("kept 'ITEM':
/// ..."), and the move has failed; a copy that stays placed while some of
/// its source stays too is said as a copy ("copied 'ITEM' -> 'TARGET'",
/// Session::Done). True when the move is complete.
bool MoveAcross(Session& s, const Entry& e, const Target& t, const Decision& d);

}  // namespace engine

#endif  // VANDRIX_ENGINE_JOBS_MOVE_ACROSS_H_
