// A request to the engine, in its own terms, and what became of it.
#ifndef VANDRIX_ENGINE_REQUEST_H_
#define VANDRIX_ENGINE_REQUEST_H_

#include <string>

#include "engine/base/path_text.h"
#include "engine/session/options.h"

namespace engine {

/// What a request does (numbered as the Windows shell numbers them, so that
/// a caller's unknown number is reported as it was given).
enum class Operation : unsigned { kMove = 1, kCopy = 2, kDelete = 3, kRename = 4 };

/// One request: an operation on source paths, to target paths where the
/// operation has targets.
struct Request {
  Operation operation = Operation::kCopy;
  Paths sources;
  Paths targets;
  Options options;
  Caller caller;
  std::string title;  ///< heads the progress line; empty: the operation's own
};

/// What became of a request.
struct Outcome {
  int code = 0;          ///< 0, or the first failure's result code (base/errors.h)
  bool aborted = false;  ///< an item was skipped, or the request cancelled
};

}  // namespace engine

#endif  // VANDRIX_ENGINE_REQUEST_H_
