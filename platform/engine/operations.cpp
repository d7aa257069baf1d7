// The table of function codes (see operations.h).
#include "platform/engine/operations.h"

#include "platform/engine/copy.h"
#include "platform/engine/delete.h"
#include "platform/engine/move.h"
#include "platform/engine/rename.h"

namespace platform {
namespace engine {
namespace {

const Operation kOperations[] = {
    {FO_COPY, "copy", "Copying", PlanCopyOrMove, CopyJob, true, nullptr},
    {FO_MOVE, "move", "Moving", PlanCopyOrMove, MoveJob, false, "moved"},
    {FO_DELETE, "delete", "Deleting", PlanDelete, DeleteJob, false, "deleted"},
    {FO_RENAME, "rename", "Renaming", PlanRename, RenameJob, false, "renamed"},
};

}  // namespace

const Operation* FindOperation(UINT code) {
  for (const Operation& operation : kOperations)
    if (operation.code == code) return &operation;
  return nullptr;
}

}  // namespace engine
}  // namespace platform
