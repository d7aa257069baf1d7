// Splitting the command tail: CommandArgument(n) agrees with the one-pass
// scanner, and the arguments keep the documented shape. The tail is the
// input after a program name "p" and one space.
#include <algorithm>
#include <vector>

#include "cmdline/command_line.h"
#include "fuzz_check.h"

namespace {

// CommandArgument scans afresh on every call: only this many are compared
// one by one, so a run stays linear-ish in the input.
constexpr unsigned kComparedArguments = 48;

std::vector<std::string> Split(const std::string& tail) {
  std::vector<std::string> arguments;
  std::size_t pos = 0;
  std::string argument;
  while (vandrix::NextArgument(tail, pos, argument)) {
    FUZZ_CHECK(pos <= tail.size());
    arguments.push_back(argument);
  }
  FUZZ_CHECK(pos == tail.size());  // the scanner read the whole tail
  return arguments;
}

// The arguments written back as a tail: quoted when they hold a space, a
// lone quote for a last empty one.
std::string Joined(const std::vector<std::string>& arguments) {
  std::string tail;
  for (const std::string& argument : arguments) {
    if (!tail.empty()) tail += ' ';
    if (argument.empty()) tail += '"';
    else if (argument.find(' ') != std::string::npos) tail += '"' + argument + '"';
    else tail += argument;
  }
  return tail;
}

void CheckShape(const std::string& tail, const std::vector<std::string>& arguments) {
  std::size_t bytes = 0;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    bytes += argument.size();
    if (argument.empty()) {
      // Only a lone quote at the very end gives an empty argument.
      FUZZ_CHECK(i + 1 == arguments.size());
      FUZZ_CHECK(!tail.empty() && tail.back() == '"');
      continue;
    }
    FUZZ_CHECK(argument[0] != '"');
    if (argument.find(' ') != std::string::npos)  // quoted: no quote inside
      FUZZ_CHECK(argument.find('"') == std::string::npos);
    FUZZ_CHECK(tail.find(argument) != std::string::npos);
  }
  FUZZ_CHECK(bytes <= tail.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::string input = vandrix_fuzz::UpToNul(data, size);
  const std::string raw = "p " + input;
  FUZZ_CHECK(vandrix::StoreCommandTail(raw.c_str()));
  const std::string tail = vandrix::CommandTail();
  const std::size_t first = input.find_first_not_of(' ');
  FUZZ_CHECK(tail == (first == std::string::npos ? "" : input.substr(first)));
  FUZZ_CHECK(vandrix::CommandArgument(0) == tail);

  const std::vector<std::string> arguments = Split(tail);
  CheckShape(tail, arguments);
  FUZZ_CHECK(Split(Joined(arguments)) == arguments);

  const unsigned count = static_cast<unsigned>(arguments.size());
  const unsigned compared = std::min(count, kComparedArguments);
  for (unsigned n = 1; n <= compared; ++n)
    FUZZ_CHECK(vandrix::CommandArgument(n) == arguments[n - 1]);
  if (count > 0) FUZZ_CHECK(vandrix::CommandArgument(count) == arguments.back());
  FUZZ_CHECK(vandrix::CommandArgument(count + 1).empty());
  return 0;
}
