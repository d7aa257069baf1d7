#include "cmdline/command_line.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vandrix {
namespace {

struct TailCase {
  const char* raw;
  const char* tail;
};

TEST(LocateCommandTail, FindsTheTextAfterTheProgramName) {
  const TailCase cases[] = {
      {"prog a b", "a b"},
      {"prog   a  b ", "a  b "},
      {"\"C:\\Program Files\\x\\prog.exe\"   /s copy a b", "/s copy a b"},
      {"\"prog\"x y", "x y"},            // no space needed after the quote
      {"\"prog\"", ""},
      {"\"never closed a b", ""},         // the quote swallows the line
      {"prog\t/u x", "\t/u x"},           // a control byte starts the tail
      {"\tprog a", "a"},                  // a leading tab is part of the name
      {" prog a", "prog a"},              // leading spaces: empty name
      {"   ", ""},
      {"prog", ""},
      {"", ""},
      {"pr\xE9g\x80 a", "a"},             // high bytes belong to the name
      {"prog\x01x y", "\x01x y"},
  };
  for (const TailCase& c : cases) {
    EXPECT_STREQ(LocateCommandTail(c.raw), c.tail) << "raw: [" << c.raw << "]";
  }
  EXPECT_STREQ(LocateCommandTail(nullptr), "");
}

struct SplitCase {
  const char* tail;
  std::vector<std::string> arguments;
  bool apart;  // QuotesStandApart: every quote opens or closes an argument of its own
};

std::vector<std::string> ScanAll(const std::string& tail) {
  std::vector<std::string> out;
  std::size_t pos = 0;
  std::string argument;
  while (NextArgument(tail, pos, argument)) out.push_back(argument);
  return out;
}

const SplitCase kSplitCases[] = {
    {"a b c", {"a", "b", "c"}, true},
    {"  a   b  ", {"a", "b"}, true},
    {"\"a b\" c", {"a b", "c"}, true},
    {"\"a b\"c", {"a b", "c"}, false},
    {"\"C:\\My Files\"\\a.txt x", {"C:\\My Files", "\\a.txt", "x"}, false},
    {"C:\\\"My Files\"\\a.txt", {"C:\\\"My", "Files\"\\a.txt"}, false},
    {"\"\" a", {"a"}, false},
    {"a \"\" b", {"a", "b"}, false},
    {"\"\"\"\"x", {"x"}, false},
    {"\"  \" x", {"  ", "x"}, true},
    {"\"unterminated x", {"unterminated x"}, true},
    {"a \"", {"a", ""}, true},                 // lone quote at the end: empty last
    {"ab\"cd ef\"", {"ab\"cd", "ef\""}, false},  // a quote inside a run is a byte
    {"a\tb c", {"a\tb", "c"}, true},            // tabs are ordinary bytes
    {"C:\\dir\\ \\\\srv\\x\\", {"C:\\dir\\", "\\\\srv\\x\\"}, true},
    {"", {}, true},
    {"   ", {}, true},
    {"\"\"", {}, false},
    {"\"", {""}, true},
};

TEST(CommandArgument, SplitsTheTail) {
  for (const SplitCase& c : kSplitCases) {
    ASSERT_TRUE(StoreCommandTail((std::string("prog ") + c.tail).c_str()));
    const std::string stored = CommandTail();
    EXPECT_EQ(CommandArgument(0), stored) << c.tail;
    for (std::size_t i = 0; i < c.arguments.size(); ++i) {
      EXPECT_EQ(CommandArgument(static_cast<unsigned>(i + 1)), c.arguments[i])
          << "tail [" << c.tail << "] argument " << i + 1;
    }
    EXPECT_EQ(CommandArgument(static_cast<unsigned>(c.arguments.size() + 1)), "")
        << c.tail;
    EXPECT_EQ(CommandArgument(1000), "") << c.tail;
  }
}

TEST(NextArgument, GivesTheSameArgumentsInOnePass) {
  for (const SplitCase& c : kSplitCases) {
    EXPECT_EQ(ScanAll(c.tail), c.arguments) << "tail [" << c.tail << "]";
  }
}

TEST(QuotesStandApart, FindsQuotesGluedToTextOrHoldingNothing) {
  for (const SplitCase& c : kSplitCases) {
    EXPECT_EQ(QuotesStandApart(c.tail), c.apart) << "tail [" << c.tail << "]";
  }
}

TEST(CommandTail, KeepsTheTailExactlyAsTyped) {
  ASSERT_TRUE(StoreCommandTail("prog   /c copy  \"a b\"   x  "));
  EXPECT_EQ(CommandTail(), "/c copy  \"a b\"   x  ");
  ASSERT_TRUE(StoreCommandTail("prog"));
  EXPECT_EQ(CommandTail(), "");
  EXPECT_EQ(CommandArgument(1), "");
}

}  // namespace
}  // namespace vandrix
