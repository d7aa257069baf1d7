// The ANSI code page and the command line: whether the bytes the program
// reads are exactly the characters it was started with.
#ifndef VANDRIX_PLATFORM_CODE_PAGE_H_
#define VANDRIX_PLATFORM_CODE_PAGE_H_

#include "platform/types.h"

namespace platform {

/// TRUE when the raw command line (GetCommandLineA) holds every character
/// the process was started with: read back from the ANSI code page, it is
/// the wide command line (GetCommandLineW) unchanged. FALSE when the code
/// page could not hold a character (the system put "?" in its place, or a
/// look-alike such as '"' for U+FF02 or "-" for U+2010) or a conversion
/// failed. Always TRUE on POSIX, where a process is started with bytes.
BOOL CommandLineFitsCodePage();

}  // namespace platform

#endif  // VANDRIX_PLATFORM_CODE_PAGE_H_
