// The message box on Windows: the system's own.
#include "platform/dialog.h"

#include "platform/stand_in.h"

namespace platform {
namespace {
StandIn<MessageBoxService> stand_in;
}  // namespace

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT style) {
  return stand_in.Call(::MessageBoxA, owner, text, caption, style);
}

MessageBoxService ReplaceMessageBox(MessageBoxService service) {
  return stand_in.Replace(service);
}

}  // namespace platform
