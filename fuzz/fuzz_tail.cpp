// LocateCommandTail on any raw command line: the tail lies inside the line
// (never past its NUL), and the program name, when there is one, is not
// part of it.
#include <cstring>
#include <memory>

#include "cmdline/command_line.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::string line = vandrix_fuzz::UpToNul(data, size);
  // A buffer of exactly the line and its NUL, so that reading past the NUL
  // is an overflow the address sanitizer sees.
  std::unique_ptr<char[]> raw(new char[line.size() + 1]);
  std::memcpy(raw.get(), line.c_str(), line.size() + 1);
  const char* begin = raw.get();
  const char* end = begin + line.size();

  const char* tail = vandrix::LocateCommandTail(begin);
  FUZZ_CHECK(tail >= begin && tail <= end);
  FUZZ_CHECK(std::strlen(tail) == static_cast<std::size_t>(end - tail));
  if (!line.empty()) FUZZ_CHECK(tail > begin);  // a name or spaces went first
  FUZZ_CHECK(*tail != ' ');                      // spaces before it are skipped
  if (line[0] == '"' && line.find('"', 1) == std::string::npos)
    FUZZ_CHECK(tail == end);                     // an open quote takes it all
  FUZZ_CHECK(*vandrix::LocateCommandTail(nullptr) == '\0');
  return 0;
}
