// Upper-casing on POSIX: ASCII letters only, whatever the locale, so that
// bytes of other code pages pass through unchanged.
#include "platform/text.h"

namespace platform {

DWORD CharUpperBuffA(LPSTR text, DWORD length) {
  for (DWORD i = 0; i < length; ++i) {
    if (text[i] >= 'a' && text[i] <= 'z') text[i] = static_cast<char>(text[i] - 'a' + 'A');
  }
  return length;
}

}  // namespace platform
