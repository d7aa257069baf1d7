// Copying an item and its tree.
#ifndef VANDRIX_ENGINE_JOBS_COPY_H_
#define VANDRIX_ENGINE_JOBS_COPY_H_

#include <string>

#include "engine/jobs/copy_item.h"
#include "engine/plan/plan.h"
#include "engine/rules/decide.h"
#include "engine/rules/target.h"
#include "engine/session/session.h"

namespace engine {

/// Copies the item `name` in the open folder `at` (AT_FDCWD: a path), shown
/// as `shown`, to `target`, for `purpose`, a link followed only at the top
/// and only with `follow`. Files keep their mode (less the set-id bits) and
/// times (attributes.h), links are copied as links (copy_item.h).
///
/// A folder that is not at the target yet is a new tree: it is built whole
/// in a hidden folder beside the target (TempFolder: mode 0700, removed by a
/// signal), its files written straight in, each folder given its mode and
/// times on the way out, and placed with one rename that replaces nothing.
/// So others see the tree complete or not at all. An entry that fails in it
/// is reported and the rest of the walk goes on, but the tree is then not
/// placed, for a copy as for a move ("not all of it arrived, so none of it
/// was placed"). A tree whose own folder cannot be made, finished or
/// placed, or that a stop (cancel, signal) cuts short, is removed too: the
/// target never existed. Errors name the target's real path.
///
/// Into an existing folder (a merge), and for a single file, each file goes
/// through a temporary file (temp_file.h) and each replacement is asked
/// about; the items after a failed one go on. With `decided`, the top item
/// goes to the target as decided there (see Decide), never elsewhere: a file
/// only by a rename that replaces nothing or the item decided on, a folder
/// only by making it. The top item placed, and a new tree with every folder
/// in it, go into the request's record (record.h).
///
/// A copy says each file, link and folder it makes (Session::Done), a new
/// tree's once the tree is placed (held until then: a tree not placed is
/// not said at all); in a dry run it makes nothing, only decides and says
/// each entry, goes into a folder it would make as into an empty one, and
/// places such a tree, or says it would not, as the run would.
Copied CopyTree(Session& s, int at, const std::string& name, const std::string& shown,
                bool follow, const Target& target, Purpose purpose,
                const Decision* decided = nullptr);

/// A copy job: the target's folder is made when missing, and a link named
/// as the source is followed, as cp does.
bool CopyJob(Session& s, const Job& job);

}  // namespace engine

#endif  // VANDRIX_ENGINE_JOBS_COPY_H_
