// What each function code of a request does, in one table.
#ifndef VANDRIX_PLATFORM_ENGINE_OPERATIONS_H_
#define VANDRIX_PLATFORM_ENGINE_OPERATIONS_H_

#include "platform/engine/plan.h"
#include "platform/shell.h"

namespace platform {
namespace engine {

class Session;

/// One function code: its words, how its lists become jobs and how a job
/// is done.
struct Operation {
  UINT code;       ///< FO_COPY, FO_MOVE, FO_DELETE or FO_RENAME
  const char* verb;   ///< in messages: "cannot VERB 'item': reason"
  const char* title;  ///< the progress title when the request has none
  Planner plan;
  /// Does one job; false when it failed (already reported).
  bool (*run)(Session& s, const Job& job);
  /// A link named as a source stands for the item it names (as cp follows
  /// it); otherwise the link itself is the item.
  bool follows_named_link;
  /// In "'.' and '..' are never DONE": a source whose last component is
  /// "." or ".." is refused before anything is done (0x7C). Null when such
  /// a source stands for its folder (a copy of "." copies the folder).
  const char* done;
};

/// The operation for `code`, or null when the code is unknown.
const Operation* FindOperation(UINT code);

}  // namespace engine
}  // namespace platform

#endif  // VANDRIX_PLATFORM_ENGINE_OPERATIONS_H_
