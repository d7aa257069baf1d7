// The code page on POSIX: a process gets its arguments as bytes, and the
// program hands the same bytes on; nothing is converted.
#include "platform/code_page.h"

namespace platform {

BOOL CommandLineFitsCodePage() { return TRUE; }

}  // namespace platform
