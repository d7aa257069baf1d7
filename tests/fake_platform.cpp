#include "fake_platform.h"

#include <cstring>

namespace vandrix_test {
namespace {

FakePlatform* current = nullptr;

int RecordRequest(LPSHFILEOPSTRUCTA request) {
  current->requests.push_back(RecordedRequest{
      request->hwnd == nullptr, request->wFunc, ListAsRead(request->pFrom),
      ListAsRead(request->pTo), request->fFlags,
      request->fAnyOperationsAborted, request->hNameMappings == nullptr,
      request->lpszProgressTitle ? request->lpszProgressTitle : "<null>"});
  request->fAnyOperationsAborted = current->aborted;
  return current->answer;
}

int RecordBox(HWND owner, LPCSTR text, LPCSTR caption, UINT style) {
  current->boxes.push_back(
      RecordedBox{owner == nullptr, text, caption, style});
  return IDOK;
}

}  // namespace

FakePlatform::FakePlatform(int answer_, BOOL aborted_)
    : answer(answer_), aborted(aborted_) {
  current = this;
  previous_shell_ = platform::ReplaceShellService(RecordRequest);
  previous_box_ = platform::ReplaceMessageBox(RecordBox);
}

FakePlatform::~FakePlatform() {
  platform::ReplaceShellService(previous_shell_);
  platform::ReplaceMessageBox(previous_box_);
  current = nullptr;
}

std::string ListAsRead(const char* list) {
  if (list == nullptr) return "<null>";
  const char* p = list;
  while (*p) p += std::strlen(p) + 1;
  return std::string(list, p + 1);
}

}  // namespace vandrix_test
