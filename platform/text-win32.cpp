// ANSI upper-casing on Windows: the system's own, for the current code page.
#include "platform/text.h"

namespace platform {

DWORD CharUpperBuffA(LPSTR text, DWORD length) {
  return ::CharUpperBuffA(text, length);
}

}  // namespace platform
