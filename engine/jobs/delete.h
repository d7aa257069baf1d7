// Deleting an item and its tree, or moving it to the trash.
#ifndef VANDRIX_ENGINE_JOBS_DELETE_H_
#define VANDRIX_ENGINE_JOBS_DELETE_H_

#include <functional>
#include <string>

#include "engine/io/walk.h"
#include "engine/plan/plan.h"
#include "engine/session/session.h"

namespace engine {

/// Why an entry of a tree being removed stays, or null when it may go (a
/// folder: be gone into, and removed once its entries are gone).
using Keeps = std::function<const char*(const Entry& entry)>;

/// Removes the item `name` in the open folder `at` (AT_FDCWD: a path),
/// shown as `shown`, and for a folder its tree; a link is removed, never
/// followed. With `keeps`, an entry it gives a reason for stays, whole, and
/// is reported ("kept 'ITEM': REASON"). A folder that cannot be emptied
/// stays, with its parents; the rest goes. With `deleting` (the user's
/// delete, not a move's tidying) each entry removed is said, and a dry run
/// removes nothing and says each entry it would. True when everything went.
bool RemoveTree(Session& s, int at, const std::string& name, const std::string& shown,
                const Keeps& keeps = nullptr, bool deleting = false);

/// A delete job: never the root folder; each item is
/// confirmed first; with to_trash it goes to the trash instead
/// (trash.h) and is kept when it cannot. Each item is said
/// (Session::Done: each entry removed, or the item trashed); a dry run
/// changes nothing, and fails an item an earlier one would have taken away
/// as the run fails it (record.h).
bool DeleteJob(Session& s, const Job& job);

}  // namespace engine

#endif  // VANDRIX_ENGINE_JOBS_DELETE_H_
