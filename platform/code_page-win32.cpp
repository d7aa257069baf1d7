// The code page on Windows: the system makes the ANSI command line from the
// wide one, and puts "?" or a look-alike for what the code page lacks.
#include "platform/code_page.h"

#include <cwchar>
#include <memory>
#include <new>

namespace platform {
namespace {

// `text` read from the ANSI code page; null when a byte is no character of
// it, or memory runs out.
std::unique_ptr<wchar_t[]> FromCodePage(LPCSTR text) {
  const int count = ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, -1, nullptr, 0);
  if (count <= 0) return nullptr;
  std::unique_ptr<wchar_t[]> wide(new (std::nothrow) wchar_t[count]);
  if (!wide) return nullptr;
  if (::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, -1, wide.get(), count) != count)
    return nullptr;
  return wide;
}

}  // namespace

BOOL CommandLineFitsCodePage() {
  const LPCWSTR wide = ::GetCommandLineW();
  const LPCSTR ansi = ::GetCommandLineA();
  if (wide == nullptr || ansi == nullptr) return FALSE;
  const std::unique_ptr<wchar_t[]> back = FromCodePage(ansi);
  return back && std::wcscmp(back.get(), wide) == 0 ? TRUE : FALSE;
}

}  // namespace platform
