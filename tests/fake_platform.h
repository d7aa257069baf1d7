// A recording stand-in for the message box and the shell service, for
// tests of what the program asks of the platform.
#ifndef VANDRIX_TESTS_FAKE_PLATFORM_H_
#define VANDRIX_TESTS_FAKE_PLATFORM_H_

#include <string>
#include <vector>

#include "platform/dialog.h"
#include "platform/file.h"
#include "platform/shell.h"

namespace vandrix_test {

/// One SHFileOperationA request, as the shell read it.
struct RecordedRequest {
  bool hwnd_null;
  UINT wFunc;
  std::string from;  ///< pFrom up to and including the NUL that ends the list
  std::string to;    ///< pTo, the same way
  WORD fFlags;
  BOOL aborted_on_entry;
  bool mappings_null;
  std::string title;
};

/// One MessageBoxA call.
struct RecordedBox {
  bool owner_null;
  std::string text;
  std::string caption;
  UINT style;
};

/// While alive, replaces the message box and the shell service with
/// recorders. The shell answers `answer` and sets fAnyOperationsAborted to
/// `aborted`.
class FakePlatform {
 public:
  explicit FakePlatform(int answer = 0, BOOL aborted = FALSE);
  ~FakePlatform();
  FakePlatform(const FakePlatform&) = delete;
  FakePlatform& operator=(const FakePlatform&) = delete;

  std::vector<RecordedRequest> requests;
  std::vector<RecordedBox> boxes;
  int answer;
  BOOL aborted;

 private:
  platform::ShellService previous_shell_;
  platform::MessageBoxService previous_box_;
};

/// While alive, GetFileAttributesA finds the items named in `existing`
/// (each a file, FILE_ATTRIBUTE_NORMAL) and nothing else. A failed look
/// says why as Windows does: ERROR_ACCESS_DENIED for a path in
/// `unreadable`, ERROR_INVALID_NAME for a path holding "*" or "?",
/// ERROR_FILENAME_EXCED_RANGE for one of MAX_PATH bytes or more, else
/// ERROR_FILE_NOT_FOUND. GetFullPathNameA answers as Windows does with the
/// current folder C:\cwd (on every drive): "/" becomes "\", and "." and
/// ".." parts are resolved.
class FakeFiles {
 public:
  explicit FakeFiles(std::vector<std::string> existing,
                     std::vector<std::string> unreadable = {});
  ~FakeFiles();
  FakeFiles(const FakeFiles&) = delete;
  FakeFiles& operator=(const FakeFiles&) = delete;

  std::vector<std::string> existing;
  std::vector<std::string> unreadable;

 private:
  platform::FileAttributesService previous_;
  platform::FullPathService previous_full_path_;
};

/// GetFullPathNameA as FakeFiles answers it (current folder C:\cwd), for
/// ReplaceFullPath.
DWORD FakeFullPath(LPCSTR path, DWORD size, LPSTR buffer, LPSTR* file_part);

/// The bytes of a double-NUL-terminated list, as the shell reads it: up to
/// and including the NUL that follows the last path (or the first NUL of an
/// empty list).
std::string ListAsRead(const char* list);

}  // namespace vandrix_test

#endif  // VANDRIX_TESTS_FAKE_PLATFORM_H_
