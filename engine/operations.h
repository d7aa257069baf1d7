// What each operation does, in one table: its words, how its lists become
// jobs, how a job is done. A new operation is a row here (and its planner
// and job).
#ifndef VANDRIX_ENGINE_OPERATIONS_H_
#define VANDRIX_ENGINE_OPERATIONS_H_

#include "engine/plan/plan.h"
#include "engine/request.h"
#include "engine/session/session.h"

namespace engine {

/// One operation of the table.
struct OperationRow {
  Operation operation;
  const char* verb;   ///< in lines: "cannot VERB 'item': reason"
  const char* title;  ///< the progress title when the request has none
  Planner plan;
  /// Does one job; false when it failed (already reported).
  bool (*run)(Session& s, const Job& job);
  /// A link named as a source stands for the item it names (as cp follows
  /// it); otherwise the link itself is the item.
  bool follows_named_link;
  /// What the operation would do to "." or ".." (see DotsAllowed); null
  /// when such a source stands for its folder.
  const char* done;
  /// Finishes what its jobs left for the end of the request (after the last
  /// job, also when the request was cancelled); null when there is nothing.
  void (*settle)(Session& s);
};

/// The row of `operation`, or null when it is none of the table's.
const OperationRow* FindOperation(Operation operation);

}  // namespace engine

#endif  // VANDRIX_ENGINE_OPERATIONS_H_
