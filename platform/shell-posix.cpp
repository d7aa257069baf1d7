// The shell's file-operation service on POSIX: requests go to the
// program's own engine (platform/engine/).
#include "platform/shell.h"

#include <utility>

#include "platform/engine/engine.h"

namespace platform {
namespace {
ShellService replacement = nullptr;
}  // namespace

int SHFileOperationA(LPSHFILEOPSTRUCTA request) {
  if (replacement) return replacement(request);
  return engine::RunFileOperation(request);
}

ShellService ReplaceShellService(ShellService service) {
  return std::exchange(replacement, service);
}

}  // namespace platform
