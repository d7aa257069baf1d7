// The message box on POSIX: there is no window, so the caption and the text
// go to standard error, with LF line ends.
#include "platform/dialog.h"

#include <cstdio>
#include <string>

#include "platform/stand_in.h"

namespace platform {
namespace {

StandIn<MessageBoxService> stand_in;

std::string WithLineFeeds(const char* text) {
  std::string out;
  for (const char* p = text; *p; ++p) {
    if (p[0] == '\r' && p[1] == '\n') continue;
    out += *p;
  }
  return out;
}

// Standard error stands in for the box.
int ShowOnStandardError(HWND, LPCSTR text, LPCSTR caption, UINT) {
  std::string shown = WithLineFeeds(caption ? caption : "") + "\n\n" +
                      WithLineFeeds(text ? text : "") + "\n";
  std::fputs(shown.c_str(), stderr);
  std::fflush(stderr);
  return IDOK;
}

}  // namespace

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT style) {
  return stand_in.Call(ShowOnStandardError, owner, text, caption, style);
}

MessageBoxService ReplaceMessageBox(MessageBoxService service) {
  return stand_in.Replace(service);
}

}  // namespace platform
