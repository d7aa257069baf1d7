// RunMain on any command tail, against the recording platform: the exit
// code, the usage box and the one request to the shell keep their rules.
// The first input byte sets the shell's answer (bit 0: fails with 2) and
// its aborted flag (bit 1); the rest, up to any NUL, is the tail. On the
// fake disk, every path that ends in "!" names an existing item.
#include <cstring>
#include <vector>

#include "cmdline/command_line.h"
#include "cmdline/run_main.h"
#include "fake_platform.h"
#include "fuzz_check.h"

namespace {

constexpr WORD kOptionBits = FOF_ALLOWUNDO | FOF_FILESONLY | FOF_NOCONFIRMATION |
                             FOF_NOCONFIRMMKDIR | FOF_NOERRORUI |
                             FOF_RENAMEONCOLLISION | FOF_SILENT |
                             FOF_SIMPLEPROGRESS;

platform::ShellService recorder = nullptr;

DWORD FakeAttributes(LPCSTR path) {
  const std::size_t length = std::strlen(path);
  return length > 0 && path[length - 1] == '!' ? FILE_ATTRIBUTE_NORMAL
                                               : INVALID_FILE_ATTRIBUTES;
}

// A source or destination that must not be split: it holds ";" and names
// an item as a whole.
bool Unsplittable(const std::string& paths) {
  return paths.find(';') != std::string::npos &&
         FakeAttributes(paths.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The paths of a double-NUL-terminated list, read as the shell reads it:
// up to the first empty path. An empty list must still hold its two NULs.
std::vector<std::string> PathsAsRead(const char* list) {
  std::vector<std::string> paths;
  if (list[0] == '\0') FUZZ_CHECK(list[1] == '\0');
  for (const char* p = list; *p; p += std::strlen(p) + 1) paths.emplace_back(p);
  return paths;
}

// Sees each raw request before the recorder does.
std::vector<std::string> from_paths, to_paths;
int InspectRequest(LPSHFILEOPSTRUCTA request) {
  FUZZ_CHECK(request->pFrom != nullptr && request->pTo != nullptr);
  from_paths = PathsAsRead(request->pFrom);
  to_paths = PathsAsRead(request->pTo);
  return recorder(request);
}

// The non-empty ";" segments of a source or destination argument.
std::vector<std::string> Segments(const std::string& text) {
  std::vector<std::string> segments;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(';', start);
    const std::string segment = text.substr(start, end - start);
    if (!segment.empty()) segments.push_back(segment);
    if (end == std::string::npos) return segments;
    start = end + 1;
  }
}

bool IsUsageRequest(const std::string& tail) {
  if (tail.empty()) return true;
  for (const char* request : {"/?", "/H", "-?", "-H"})
    if (tail.find(request) != std::string::npos) return true;
  return false;
}

std::string Trim(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// What the arguments ask for, read with the one-pass scanner.
struct Request {
  std::string operation, source, destination;
  bool known = false;
};

Request Expected(const std::string& tail) {
  Request expected;
  std::size_t pos = 0, positional = 0;
  std::string argument;
  while (vandrix::NextArgument(tail, pos, argument) && !argument.empty()) {
    if (argument[0] == '/' || argument[0] == '-') continue;
    ++positional;
    if (positional == 1) {  // the operation word: known, or -1 at once
      std::string word = Trim(argument);
      for (char& c : word) if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
      expected.operation = word;
      for (const char* known : {"COPY", "MOVE", "DEL", "DELETE", "REN", "RENAME"})
        if (word == known) expected.known = true;
      if (!expected.known) break;
    } else if (expected.source.empty()) {
      expected.source = Trim(argument);
    } else if (expected.destination.empty()) {
      expected.destination = Trim(argument);
    }
  }
  return expected;
}

UINT FunctionOf(const std::string& word) {
  if (word == "MOVE") return FO_MOVE;
  if (word == "COPY") return FO_COPY;
  if (word == "DEL" || word == "DELETE") return FO_DELETE;
  return FO_RENAME;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  if (size == 0) return 0;
  const int answer = (data[0] & 1) ? 2 : 0;
  const BOOL aborted = (data[0] & 2) ? TRUE : FALSE;
  const std::string raw = "p " + vandrix_fuzz::UpToNul(data + 1, size - 1);
  FUZZ_CHECK(vandrix::StoreCommandTail(raw.c_str()));
  const std::string tail = vandrix::CommandTail();

  vandrix_test::FakePlatform fake(answer, aborted);
  recorder = platform::ReplaceShellService(InspectRequest);
  const platform::FileAttributesService disk = platform::ReplaceFileAttributes(FakeAttributes);
  from_paths.clear();
  to_paths.clear();
  const std::int32_t code = vandrix::RunMain();
  platform::ReplaceFileAttributes(disk);
  platform::ReplaceShellService(recorder);

  FUZZ_CHECK(code == -1 || code == 0 || code == 1);
  FUZZ_CHECK(fake.requests.size() <= 1);
  if (IsUsageRequest(tail)) {
    FUZZ_CHECK(fake.boxes.size() == 1 && fake.requests.empty() && code == -1);
    return 0;
  }
  FUZZ_CHECK(fake.boxes.empty());

  const Request expected = Expected(tail);
  if (!expected.known || Unsplittable(expected.source) || Unsplittable(expected.destination)) {
    FUZZ_CHECK(fake.requests.empty() && code == -1);
    return 0;
  }
  FUZZ_CHECK(fake.requests.size() == 1);
  const vandrix_test::RecordedRequest& request = fake.requests[0];
  const UINT function = FunctionOf(expected.operation);
  FUZZ_CHECK(request.wFunc == function);
  FUZZ_CHECK(request.wFunc >= FO_MOVE && request.wFunc <= FO_RENAME);
  FUZZ_CHECK(from_paths == Segments(expected.source));
  FUZZ_CHECK(to_paths == Segments(expected.destination));
  for (const auto* paths : {&from_paths, &to_paths})
    for (const std::string& path : *paths) FUZZ_CHECK(!path.empty());
  FUZZ_CHECK(request.fFlags & FOF_NOCONFIRMMKDIR);
  // One destination per source only when several are listed, never for a rename.
  FUZZ_CHECK(((request.fFlags & FOF_MULTIDESTFILES) != 0) ==
             (function != FO_RENAME && to_paths.size() > 1));
  FUZZ_CHECK((request.fFlags & ~(kOptionBits | FOF_MULTIDESTFILES)) == 0);
  FUZZ_CHECK(request.hwnd_null && request.mappings_null && !request.aborted_on_entry);
  FUZZ_CHECK(request.title == tail);
  FUZZ_CHECK(code == ((answer == 0 && !aborted) ? 0 : 1));
  return 0;
}
