// The shell's file-operation service on Windows: the system's own.
#include "platform/shell.h"

#include <cstddef>

#include "platform/stand_in.h"

// The program fills the record by field name; these pin the layout that the
// 32-bit shell expects (packed to one byte), so a header change is caught.
#ifndef _WIN64
static_assert(sizeof(SHFILEOPSTRUCTA) == 30, "SHFILEOPSTRUCTA is packed");
static_assert(offsetof(SHFILEOPSTRUCTA, fFlags) == 16, "fFlags offset");
static_assert(offsetof(SHFILEOPSTRUCTA, fAnyOperationsAborted) == 18,
              "fAnyOperationsAborted offset");
static_assert(offsetof(SHFILEOPSTRUCTA, lpszProgressTitle) == 26,
              "lpszProgressTitle offset");
#endif

namespace platform {
namespace {
StandIn<ShellService> stand_in;
}  // namespace

int SHFileOperationA(LPSHFILEOPSTRUCTA request) {
  return stand_in.Call(::SHFileOperationA, request);
}

ShellService ReplaceShellService(ShellService service) { return stand_in.Replace(service); }

}  // namespace platform
