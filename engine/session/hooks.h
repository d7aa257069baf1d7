// What a caller may put in place of the engine's contact with the world: the
// user, the clock, the terminal, and two points where a test can strike in
// the middle of an operation. A default Hooks is the real behaviour.
#ifndef VANDRIX_ENGINE_SESSION_HOOKS_H_
#define VANDRIX_ENGINE_SESSION_HOOKS_H_

#include <functional>
#include <string>

#include "engine/io/walk.h"
#include "engine/terminal/progress.h"
#include "engine/terminal/prompt.h"

namespace engine {

/// Stand-ins for one request; every member left empty means the real thing.
struct Hooks {
  /// Answers each question ("replace 'out/a.txt'") instead of the terminal.
  std::function<Answer(const std::string& question)> answer;
  /// The clock the progress line reads instead of the system's monotonic one.
  MonotonicClock clock = nullptr;
  /// Standard error counts as a terminal for the progress line.
  bool terminal = false;
  /// Called after every step of a file's bytes being copied (by a worker,
  /// one at a time, where workers copy: a signal it sends must go to the
  /// process, kill(2), as a worker blocks every signal).
  std::function<void()> copy_step;
  /// Called before a folder is opened to walk it (see walk.h).
  FolderOpenHook folder_open;
};

}  // namespace engine

#endif  // VANDRIX_ENGINE_SESSION_HOOKS_H_
