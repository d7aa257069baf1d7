// Renaming an item within its folder.
#ifndef VANDRIX_ENGINE_JOBS_RENAME_H_
#define VANDRIX_ENGINE_JOBS_RENAME_H_

#include "engine/plan/plan.h"
#include "engine/session/session.h"

namespace engine {

/// A rename job: the target must be in the source's folder (0x73). What is
/// at the target is decided as for a copy (Decide), except that a folder is
/// never replaced and never replaces (5): a file may replace a file once
/// confirmed, and with rename_on_collision a taken name becomes the next
/// free one. The rename is said (Session::Done); a dry run only says it.
bool RenameJob(Session& s, const Job& job);

}  // namespace engine

#endif  // VANDRIX_ENGINE_JOBS_RENAME_H_
