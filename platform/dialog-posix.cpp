// The message box on POSIX: there is no window, so the caption and the text
// go to standard error, with LF line ends.
#include "platform/dialog.h"

#include <cstdio>
#include <string>
#include <utility>

namespace platform {
namespace {

MessageBoxService replacement = nullptr;

std::string WithLineFeeds(const char* text) {
  std::string out;
  for (const char* p = text; *p; ++p) {
    if (p[0] == '\r' && p[1] == '\n') continue;
    out += *p;
  }
  return out;
}

}  // namespace

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT style) {
  if (replacement) return replacement(owner, text, caption, style);
  std::string shown = WithLineFeeds(caption ? caption : "") + "\n\n" +
                      WithLineFeeds(text ? text : "") + "\n";
  std::fputs(shown.c_str(), stderr);
  std::fflush(stderr);
  return IDOK;
}

MessageBoxService ReplaceMessageBox(MessageBoxService service) {
  return std::exchange(replacement, service);
}

}  // namespace platform
