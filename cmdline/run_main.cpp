#include "cmdline/run_main.h"

#include <cstddef>
#include <vector>

#include "cmdline/command_line.h"
#include "cmdline/operations.h"
#include "cmdline/options.h"
#include "cmdline/request_paths.h"
#include "fileop/file_operation.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "usage/usage.h"

namespace vandrix {
namespace {

constexpr const char* kUsageRequests[] = {"/?", "/H", "-?", "-H"};
constexpr std::size_t kMostPaths = 2;  // a source and a destination

std::string UpperCased(std::string text) {
  if (!text.empty())
    platform::CharUpperBuffA(&text[0], static_cast<DWORD>(text.size()));
  return text;
}

bool IsUsageRequest(const std::string& tail) {
  if (tail.empty()) return true;
  for (const char* request : kUsageRequests) {
    if (tail.find(request) != std::string::npos) return true;
  }
  return false;
}

// The flag an option argument adds: its text after the "/" or "-",
// upper-cased and trimmed, must be one of the option letters; else 0.
WORD OptionBit(const std::string& argument) {
  const std::string key = TrimmedSpaces(UpperCased(argument.substr(1))).substr(0, 2);
  for (const OptionLetter& option : kOptionLetters) {
    if (key.size() == 1 && key[0] == option.letter) return option.bit;
  }
  return 0;
}

WORD FunctionCode(const std::string& operation) {
  for (const OperationWord& known : kOperationWords) {
    if (operation == known.word) return known.function;
  }
  return 0;
}

}  // namespace

int IsOptionArgument(const std::string& text) {
  return !text.empty() && (text[0] == '/' || text[0] == '-') ? 1 : 0;
}

int IsKnownOperation(const std::string& text) {
  return FunctionCode(text) != 0 ? 1 : 0;
}

std::int32_t RunMain() {
  const std::string tail = CommandTail();
  if (IsUsageRequest(tail)) {
    ShowUsage();
    return -1;
  }
  if (!QuotesStandApart(tail)) return -1;
  WORD flags = 0;
  std::string operation, argument;
  std::vector<std::string> paths;
  std::size_t pos = 0;
  while (NextArgument(tail, pos, argument) && !argument.empty()) {
    if (IsOptionArgument(argument)) {
      flags |= OptionBit(argument);
    } else if (operation.empty()) {
      operation = TrimmedSpaces(UpperCased(argument));
      if (!IsKnownOperation(operation)) return -1;
    } else if (paths.size() < kMostPaths + 1) {  // one more is refused all the same
      paths.push_back(argument);
    }
  }
  if (operation.empty()) return -1;
  const WORD function = FunctionCode(operation);
  RequestPaths request;
  if (!ReadRequestPaths(function, paths, request)) return -1;
  return PerformFileOperation(request.source, request.destination, tail, flags, function);
}

}  // namespace vandrix
