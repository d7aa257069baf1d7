#include "cmdline/run_main.h"

#include <cstddef>

#include "cmdline/command_line.h"
#include "cmdline/operations.h"
#include "cmdline/options.h"
#include "fileop/file_operation.h"
#include "platform/file.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "usage/usage.h"

namespace vandrix {
namespace {

constexpr const char* kUsageRequests[] = {"/?", "/H", "-?", "-H"};

std::string UpperCased(std::string text) {
  if (!text.empty())
    platform::CharUpperBuffA(&text[0], static_cast<DWORD>(text.size()));
  return text;
}

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  const std::size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
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
  const std::string key = Trimmed(UpperCased(argument.substr(1))).substr(0, 2);
  for (const OptionLetter& option : kOptionLetters) {
    if (key.size() == 1 && key[0] == option.letter) return option.bit;
  }
  return 0;
}

// A source or destination that holds ";" and yet names an existing item as
// a whole: split, it would name other items than the one meant.
bool NamesAnItemHoldingSemicolon(const std::string& paths) {
  return paths.find(';') != std::string::npos &&
         platform::GetFileAttributesA(paths.c_str()) != INVALID_FILE_ATTRIBUTES;
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
  WORD flags = 0;
  std::string operation, source, destination, argument;
  std::size_t pos = 0;
  while (NextArgument(tail, pos, argument) && !argument.empty()) {
    if (IsOptionArgument(argument)) {
      flags |= OptionBit(argument);
    } else if (operation.empty()) {
      operation = Trimmed(UpperCased(argument));
      if (!IsKnownOperation(operation)) return -1;
    } else if (source.empty()) {
      source = Trimmed(argument);
    } else if (destination.empty()) {
      destination = Trimmed(argument);
    }
  }
  if (operation.empty()) return -1;
  if (NamesAnItemHoldingSemicolon(source) || NamesAnItemHoldingSemicolon(destination))
    return -1;
  const WORD function = FunctionCode(operation);
  return PerformFileOperation(source, destination, tail, flags, function);
}

}  // namespace vandrix
