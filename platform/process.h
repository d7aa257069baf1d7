// The process: its raw command line, COM for its one thread, and its end.
#ifndef VANDRIX_PLATFORM_PROCESS_H_
#define VANDRIX_PLATFORM_PROCESS_H_

#include "platform/types.h"

namespace platform {

/// Hands the arguments that main() received to the platform layer. Where
/// the system keeps no raw command line (POSIX), GetCommandLineA is built
/// from them; on Windows this does nothing. Call once, first thing in main().
void RecordProcessArguments(int argc, char** argv);

/// The raw command line, program path first, NUL-terminated; never null.
/// On POSIX: the recorded arguments joined by single spaces, each one that
/// is empty or holds a space wrapped in double quotes.
LPSTR GetCommandLineA();

/// Initialises COM for the calling thread (`reserved` must be null).
/// On POSIX there is nothing to initialise; returns 0 (S_OK).
HRESULT CoInitialize(LPVOID reserved);

/// Releases what CoInitialize set up for the calling thread.
void CoUninitialize();

/// Ends the process with `exit_code`. POSIX keeps only its low byte.
[[noreturn]] void ExitProcess(UINT exit_code);

}  // namespace platform

#endif  // VANDRIX_PLATFORM_PROCESS_H_
