// The message box on Windows: the system's own.
#include "platform/dialog.h"

#include <utility>

namespace platform {
namespace {
MessageBoxService replacement = nullptr;
}  // namespace

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT style) {
  if (replacement) return replacement(owner, text, caption, style);
  return ::MessageBoxA(owner, text, caption, style);
}

MessageBoxService ReplaceMessageBox(MessageBoxService service) {
  return std::exchange(replacement, service);
}

}  // namespace platform
