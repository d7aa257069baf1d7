// Text conversion in the system's ANSI code page.
#ifndef VANDRIX_PLATFORM_TEXT_H_
#define VANDRIX_PLATFORM_TEXT_H_

#include "platform/types.h"

namespace platform {

/// Upper-cases the `length` bytes at `text` in place, by the rules of the
/// current ANSI code page (POSIX: ASCII letters only; other bytes are kept).
/// Returns the number of bytes processed.
DWORD CharUpperBuffA(LPSTR text, DWORD length);

}  // namespace platform

#endif  // VANDRIX_PLATFORM_TEXT_H_
