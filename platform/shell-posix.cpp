// The shell's file-operation service on POSIX: requests go to the
// program's own engine (shell_engine-posix.cpp).
#include "platform/shell.h"

#include <utility>

#include "platform/shell_engine-posix.h"

namespace platform {
namespace {
ShellService replacement = nullptr;
}  // namespace

int SHFileOperationA(LPSHFILEOPSTRUCTA request) {
  if (replacement) return replacement(request);
  return RunFileOperation(request);
}

ShellService ReplaceShellService(ShellService service) {
  return std::exchange(replacement, service);
}

}  // namespace platform
