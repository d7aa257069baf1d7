// The process on Windows: a thin pass-through to the system.
#include "platform/process.h"

#include <objbase.h>

namespace platform {

void RecordProcessArguments(int, char**) {}

LPSTR GetCommandLineA() { return ::GetCommandLineA(); }

HRESULT CoInitialize(LPVOID reserved) { return ::CoInitialize(reserved); }

void CoUninitialize() { ::CoUninitialize(); }

void ExitProcess(UINT exit_code) { ::ExitProcess(exit_code); }

}  // namespace platform
