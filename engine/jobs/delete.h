// Deleting an item and its tree, or moving it to the trash.
#ifndef VANDRIX_ENGINE_JOBS_DELETE_H_
#define VANDRIX_ENGINE_JOBS_DELETE_H_

#include <string>

#include "engine/plan/plan.h"
#include "engine/session/session.h"

namespace engine {

/// Removes the item `name` in the open folder `at` (AT_FDCWD: a path),
/// shown as `shown`, and for a folder its tree; a link is removed, never
/// followed. A folder that cannot be emptied stays, with its parents; the
/// rest goes. True when everything went.
bool RemoveTree(Session& s, int at, const std::string& name, const std::string& shown);

/// A delete job: never the root folder; each item is
/// confirmed first; with to_trash it goes to the trash instead
/// (trash.h) and is kept when it cannot.
bool DeleteJob(Session& s, const Job& job);

}  // namespace engine

#endif  // VANDRIX_ENGINE_JOBS_DELETE_H_
