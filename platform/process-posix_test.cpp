#include "platform/process.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cmdline/command_line.h"

namespace {

// The command line built from argv must split back into the same
// arguments, for everything the quoting rules can express.
TEST(GetCommandLineA, SplitsBackIntoTheArguments) {
  const std::vector<std::vector<std::string>> cases = {
      {"vandrix", "copy", "a", "b"},
      {"vandrix", "copy", "my file.txt", "/tmp/out dir"},
      {"vandrix", "/c", "del", "a;b; c"},
      {"vandrix", "copy", "  ", "a", "b"},
      {"vandrix", "-s", "move", "x\ty", "z"},
      {"/opt/my tools/vandrix", "ren", "a", "b"},
  };
  for (const std::vector<std::string>& args : cases) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    platform::RecordProcessArguments(static_cast<int>(argv.size()), argv.data());
    ASSERT_TRUE(vandrix::StoreCommandTail(platform::GetCommandLineA()));
    for (std::size_t i = 1; i < args.size(); ++i) {
      EXPECT_EQ(vandrix::CommandArgument(static_cast<unsigned>(i)), args[i])
          << platform::GetCommandLineA();
    }
    EXPECT_EQ(vandrix::CommandArgument(static_cast<unsigned>(args.size())), "");
  }
}

TEST(GetCommandLineA, EmptyArgumentsAreQuoted) {
  char prog[] = "vandrix", copy[] = "copy", empty[] = "", b[] = "b";
  char* argv[] = {prog, copy, empty, b};
  platform::RecordProcessArguments(4, argv);
  EXPECT_STREQ(platform::GetCommandLineA(), "vandrix copy \"\" b");
}

}  // namespace
