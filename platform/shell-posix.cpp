// The shell's file-operation service on POSIX: requests go to the
// program's own engine (platform/engine/).
#include "platform/shell.h"

#include "platform/engine/engine.h"
#include "platform/stand_in.h"

namespace platform {
namespace {

StandIn<ShellService> stand_in;

int RunEngine(LPSHFILEOPSTRUCTA request) { return engine::RunFileOperation(request); }

}  // namespace

int SHFileOperationA(LPSHFILEOPSTRUCTA request) { return stand_in.Call(RunEngine, request); }

ShellService ReplaceShellService(ShellService service) { return stand_in.Replace(service); }

}  // namespace platform
