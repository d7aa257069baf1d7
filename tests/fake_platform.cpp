#include "fake_platform.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace vandrix_test {
namespace {

FakePlatform* current = nullptr;
FakeFiles* current_files = nullptr;

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

DWORD FakeAttributes(LPCSTR path) {
  const std::vector<std::string>& names = current_files->existing;
  const bool found = std::find(names.begin(), names.end(), path) != names.end();
  return found ? FILE_ATTRIBUTE_NORMAL : INVALID_FILE_ATTRIBUTES;
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

FakeFiles::FakeFiles(std::vector<std::string> existing_)
    : existing(std::move(existing_)) {
  current_files = this;
  previous_ = platform::ReplaceFileAttributes(FakeAttributes);
}

FakeFiles::~FakeFiles() {
  platform::ReplaceFileAttributes(previous_);
  current_files = nullptr;
}

std::string ListAsRead(const char* list) {
  if (list == nullptr) return "<null>";
  const char* p = list;
  while (*p) p += std::strlen(p) + 1;
  return std::string(list, p + 1);
}

}  // namespace vandrix_test
