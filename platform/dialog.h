// The message box: the program's only window of its own.
#ifndef VANDRIX_PLATFORM_DIALOG_H_
#define VANDRIX_PLATFORM_DIALOG_H_

#include "platform/types.h"

#ifndef _WIN32
constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_ICONINFORMATION = 0x00000040;
constexpr int IDOK = 1;
#endif

namespace platform {

/// Shows `text` under `caption` in a modal message box with the buttons and
/// icon of `style`, and waits for the user. Returns the button pressed.
/// On POSIX the caption and the text go to standard error, each line ended
/// by LF (CR LF pairs in `text` become LF), and the result is IDOK.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT style);

/// Signature of a stand-in for MessageBoxA.
using MessageBoxService = int (*)(HWND owner, LPCSTR text, LPCSTR caption,
                                  UINT style);

/// Test seam: until called again, MessageBoxA hands every call to `service`
/// instead of showing anything (nullptr restores the real box). Returns the
/// stand-in that was in place before.
MessageBoxService ReplaceMessageBox(MessageBoxService service);

}  // namespace platform

#endif  // VANDRIX_PLATFORM_DIALOG_H_
