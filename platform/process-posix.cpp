// The process on POSIX, where no raw command line exists: one is built
// from the arguments, quoted so that the program's own splitting gives each
// argument back.
#include "platform/process.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace platform {
namespace {

std::string& CommandLine() {
  static std::string line;
  return line;
}

bool NeedsQuotes(const std::string& argument) {
  return argument.empty() || argument.find(' ') != std::string::npos;
}

void AppendArgument(std::string& line, const std::string& argument) {
  if (NeedsQuotes(argument))
    line += '"' + argument + '"';
  else
    line += argument;
}

}  // namespace

void RecordProcessArguments(int argc, char** argv) {
  std::string& line = CommandLine();
  line.clear();
  for (int i = 0; i < argc; ++i) {
    if (i > 0) line += ' ';
    AppendArgument(line, argv[i] ? argv[i] : "");
  }
}

LPSTR GetCommandLineA() { return &CommandLine()[0]; }

HRESULT CoInitialize(LPVOID) { return 0; }

void CoUninitialize() {}

void ExitProcess(UINT exit_code) {
  std::fflush(nullptr);
  std::_Exit(static_cast<int>(exit_code & 0xFFu));
}

}  // namespace platform
