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
/// (each a file, FILE_ATTRIBUTE_NORMAL) and nothing else.
class FakeFiles {
 public:
  explicit FakeFiles(std::vector<std::string> existing);
  ~FakeFiles();
  FakeFiles(const FakeFiles&) = delete;
  FakeFiles& operator=(const FakeFiles&) = delete;

  std::vector<std::string> existing;

 private:
  platform::FileAttributesService previous_;
};

/// The bytes of a double-NUL-terminated list, as the shell reads it: up to
/// and including the NUL that follows the last path (or the first NUL of an
/// empty list).
std::string ListAsRead(const char* list);

}  // namespace vandrix_test

#endif  // VANDRIX_TESTS_FAKE_PLATFORM_H_
