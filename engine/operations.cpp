// The table of operations (see operations.h).
#include "engine/operations.h"

#include "engine/jobs/copy.h"
#include "engine/jobs/delete.h"
#include "engine/jobs/move.h"
#include "engine/jobs/rename.h"

namespace engine {
namespace {

const OperationRow kOperations[] = {
    {Operation::kCopy, "copy", "Copying", PlanCopyOrMove, CopyJob, true, nullptr, nullptr},
    {Operation::kMove, "move", "Moving", PlanCopyOrMove, MoveJob, false, "moved", SettleMoves},
    {Operation::kDelete, "delete", "Deleting", PlanDelete, DeleteJob, false, "deleted", nullptr},
    {Operation::kRename, "rename", "Renaming", PlanRename, RenameJob, false, "renamed", nullptr},
};

}  // namespace

const OperationRow* FindOperation(Operation operation) {
  for (const OperationRow& row : kOperations)
    if (row.operation == operation) return &row;
  return nullptr;
}

}  // namespace engine
