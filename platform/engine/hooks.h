// What a caller may put in place of the engine's contact with the world: the
// user, the clock, the terminal, and two points where a test can strike in
// the middle of an operation. A default Hooks is the real behaviour.
#ifndef VANDRIX_PLATFORM_ENGINE_HOOKS_H_
#define VANDRIX_PLATFORM_ENGINE_HOOKS_H_

#include <functional>
#include <string>

#include "platform/engine/progress.h"
#include "platform/engine/prompt.h"

namespace platform {
namespace engine {

/// Stand-ins for one request; every member left empty means the real thing.
struct Hooks {
  /// Answers each question ("replace 'out/a.txt'") instead of the terminal.
  std::function<Answer(const std::string& question)> answer;
  /// The clock the progress line reads instead of the system's monotonic one.
  MonotonicClock clock = nullptr;
  /// Standard error counts as a terminal for the progress line.
  bool terminal = false;
  /// Called after every step of a file's bytes being copied.
  std::function<void()> copy_step;
  /// Called before a folder is opened to walk it, with the name it is opened
  /// by (a path for an item named in the request, an entry's name inside a
  /// tree); a non-zero return is the errno the opening then fails with.
  std::function<int(const char* name)> folder_open;
};

}  // namespace engine
}  // namespace platform

#endif  // VANDRIX_PLATFORM_ENGINE_HOOKS_H_
