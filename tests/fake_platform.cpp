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

bool Holds(const std::vector<std::string>& names, LPCSTR path) {
  return std::find(names.begin(), names.end(), path) != names.end();
}

DWORD WhyNotFound(LPCSTR path) {
  if (Holds(current_files->unreadable, path)) return ERROR_ACCESS_DENIED;
  if (std::strpbrk(path, "*?")) return ERROR_INVALID_NAME;
  if (std::strlen(path) >= MAX_PATH) return ERROR_FILENAME_EXCED_RANGE;
  return ERROR_FILE_NOT_FOUND;
}

DWORD FakeAttributes(LPCSTR path) {
  if (Holds(current_files->existing, path)) return FILE_ATTRIBUTE_NORMAL;
  platform::SetLastError(WhyNotFound(path));
  return INVALID_FILE_ATTRIBUTES;
}

// `path` ("\"-separated) with "." and ".." parts after its root (the
// first `root` bytes) resolved; a closing "\" is kept.
std::string Resolved(const std::string& path, std::size_t root) {
  std::vector<std::string> parts;
  std::size_t start = root;
  while (start < path.size()) {
    const std::size_t end = std::min(path.find('\\', start), path.size());
    const std::string part = path.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (part != "." && !part.empty()) {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string full = path.substr(0, root);
  for (const std::string& part : parts) full += part + "\\";
  if (!parts.empty() && path.back() != '\\') full.pop_back();
  return full;
}

// The full path Windows makes of `text` with C:\cwd current on every drive.
std::string FakeFull(std::string text) {
  std::replace(text.begin(), text.end(), '/', '\\');
  const bool drive = text.size() >= 2 && text[1] == ':';
  if (drive && text.size() >= 3 && text[2] == '\\') return Resolved(text, 3);
  if (drive) return Resolved(text.substr(0, 2) + "\\cwd\\" + text.substr(2), 3);
  if (text.compare(0, 2, "\\\\") == 0) return Resolved(text, 2);
  if (!text.empty() && text[0] == '\\') return Resolved("C:" + text, 3);
  return Resolved("C:\\cwd\\" + text, 3);
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

FakeFiles::FakeFiles(std::vector<std::string> existing_, std::vector<std::string> unreadable_)
    : existing(std::move(existing_)), unreadable(std::move(unreadable_)) {
  current_files = this;
  previous_ = platform::ReplaceFileAttributes(FakeAttributes);
  previous_full_path_ = platform::ReplaceFullPath(FakeFullPath);
}

FakeFiles::~FakeFiles() {
  platform::ReplaceFileAttributes(previous_);
  platform::ReplaceFullPath(previous_full_path_);
  current_files = nullptr;
}

DWORD FakeFullPath(LPCSTR path, DWORD size, LPSTR buffer, LPSTR* file_part) {
  if (*path == '\0') {
    platform::SetLastError(ERROR_INVALID_NAME);
    return 0;
  }
  const std::string full = FakeFull(path);
  if (full.size() + 1 > size) return static_cast<DWORD>(full.size() + 1);
  std::memcpy(buffer, full.c_str(), full.size() + 1);
  const std::size_t last = full.rfind('\\') + 1;
  if (file_part) *file_part = last < full.size() ? buffer + last : nullptr;
  return static_cast<DWORD>(full.size());
}

std::string ListAsRead(const char* list) {
  if (list == nullptr) return "<null>";
  const char* p = list;
  while (*p) p += std::strlen(p) + 1;
  return std::string(list, p + 1);
}

}  // namespace vandrix_test
