// RunMain on any command tail, against the recording platform: the exit
// code, the usage box and the one request to the shell keep their rules.
// The first input byte sets the shell's answer (bit 0: fails with 2) and
// its aborted flag (bit 1); the rest, up to any NUL, is the tail. On the
// fake disk, every path that ends in "!" names an existing item; full paths
// are made from the current folder C:\cwd.
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
  if (length > 0 && path[length - 1] == '!') return FILE_ATTRIBUTE_NORMAL;
  platform::SetLastError(ERROR_FILE_NOT_FOUND);
  return INVALID_FILE_ATTRIBUTES;
}

// A source or destination that must not be split: it holds ";" and names
// an item as a whole (a wildcard's is looked for in its folder instead).
bool Unsplittable(const std::string& paths) {
  return paths.find(';') != std::string::npos && paths.find_first_of("*?") == std::string::npos &&
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

// What the arguments ask for, read with the one-pass scanner: the
// operation word and the paths after it, untrimmed.
struct Request {
  std::string operation;
  std::vector<std::string> paths;
  bool known = false;
};

Request Expected(const std::string& tail) {
  Request expected;
  std::size_t pos = 0;
  std::string argument;
  while (vandrix::NextArgument(tail, pos, argument) && !argument.empty()) {
    if (argument[0] == '/' || argument[0] == '-') continue;
    if (!expected.operation.empty() || expected.known) {
      expected.paths.push_back(argument);
      continue;
    }
    std::string word = Trim(argument);  // the operation word: known, or -1 at once
    for (char& c : word) if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    expected.operation = word;
    for (const char* known : {"COPY", "MOVE", "DEL", "DELETE", "REN", "RENAME"})
      if (word == known) expected.known = true;
    if (!expected.known) break;
  }
  return expected;
}

std::size_t PathsTaken(const std::string& operation) {
  return operation == "DEL" || operation == "DELETE" ? 1 : 2;
}

// A line the program must take as it stands: quotes apart, the number of
// paths the operation takes, none of spaces only, starting with a space,
// holding ";" or anywhere near MAX_PATH, and no rename (its folder rule has
// its own table).
bool PlainlyMeant(const std::string& tail, const Request& request) {
  if (!request.known || !vandrix::QuotesStandApart(tail)) return false;
  if (request.operation.compare(0, 3, "REN") == 0) return false;
  if (request.paths.size() != PathsTaken(request.operation)) return false;
  for (const std::string& path : request.paths) {
    if (Trim(path).empty() || path[0] == ' ' || path.find(';') != std::string::npos) return false;
    if (path.size() > 200) return false;
  }
  return true;
}

bool FitsMaxPath(const std::vector<std::string>& paths) {
  char buffer[MAX_PATH];
  for (const std::string& path : paths) {
    const DWORD length = vandrix_test::FakeFullPath(path.c_str(), MAX_PATH, buffer, nullptr);
    if (length == 0 || length >= MAX_PATH) return false;
  }
  return true;
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
  const platform::FullPathService full_path = platform::ReplaceFullPath(vandrix_test::FakeFullPath);
  from_paths.clear();
  to_paths.clear();
  const std::int32_t code = vandrix::RunMain();
  platform::ReplaceFileAttributes(disk);
  platform::ReplaceFullPath(full_path);
  platform::ReplaceShellService(recorder);

  FUZZ_CHECK(code == -1 || code == 0 || code == 1);
  FUZZ_CHECK(fake.requests.size() <= 1);
  if (IsUsageRequest(tail)) {
    FUZZ_CHECK(fake.boxes.size() == 1 && fake.requests.empty() && code == -1);
    return 0;
  }
  FUZZ_CHECK(fake.boxes.empty());

  const Request expected = Expected(tail);
  if (PlainlyMeant(tail, expected)) FUZZ_CHECK(fake.requests.size() == 1);
  if (fake.requests.empty()) {
    FUZZ_CHECK(code == -1);
    return 0;
  }
  // Taken: only as the line names its items.
  const vandrix_test::RecordedRequest& request = fake.requests[0];
  const UINT function = FunctionOf(expected.operation);
  FUZZ_CHECK(expected.known && vandrix::QuotesStandApart(tail));
  FUZZ_CHECK(expected.paths.size() == PathsTaken(expected.operation));
  const std::string source = Trim(expected.paths[0]);
  const std::string destination = expected.paths.size() > 1 ? Trim(expected.paths[1]) : "";
  FUZZ_CHECK(!Unsplittable(source) && !Unsplittable(destination));
  FUZZ_CHECK(request.wFunc == function);
  FUZZ_CHECK(from_paths == Segments(source) && !from_paths.empty());
  if (function == FO_RENAME) FUZZ_CHECK(to_paths.size() == from_paths.size());
  if (function != FO_RENAME) FUZZ_CHECK(to_paths == Segments(destination));
  if (function != FO_DELETE) FUZZ_CHECK(to_paths.size() == 1 || to_paths.size() == from_paths.size());
  FUZZ_CHECK(FitsMaxPath(from_paths) && FitsMaxPath(to_paths));
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
