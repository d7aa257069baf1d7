// Tests of the progress line's timing and layout, with a clock the test sets.
#include "platform/engine/progress.h"

#include <cstdint>
#include <string>

#include <gtest/gtest.h>

namespace {

std::int64_t now = 0;
std::int64_t TestClock() { return now; }

class ProgressLine : public ::testing::Test {
 protected:
  void SetUp() override {
    now = 0;
    testing::internal::CaptureStderr();
  }
  void TearDown() override {
    testing::internal::GetCapturedStderr();
  }
  static std::string Taken() {
    const std::string text = testing::internal::GetCapturedStderr();
    testing::internal::CaptureStderr();
    return text;
  }
};

TEST_F(ProgressLine, QuietForASecondThenAFewTimesASecond) {
  platform::engine::ProgressLine line("Copying", true, {10, 3 * 1024 * 1024}, TestClock);
  now = 900;
  line.Step("a.txt", 1, 1024);
  EXPECT_EQ(Taken(), "");
  now = 1000;
  line.Step("b.txt", 1, 1536);
  EXPECT_EQ(Taken(), "\rCopying: 2 of 10 items, 2.5 KB of 3.0 MB: b.txt");
  now = 1200;
  line.Step("c.txt", 1, 0);
  EXPECT_EQ(Taken(), "");
  now = 1250;
  line.Reach({9, 1024});
  EXPECT_EQ(Taken(), "\rCopying: 9 of 10 items, 2.5 KB of 3.0 MB: c.txt");
  line.Clear();
  EXPECT_EQ(Taken(), "\r" + std::string(47, ' ') + "\r");
  line.Clear();
  EXPECT_EQ(Taken(), "");
}

TEST_F(ProgressLine, LongNamesAreCutToFitTheLine) {
  const std::string name = "folder/" + std::string(100, 'x') + "/end.txt";
  {
    platform::engine::ProgressLine line("Moving", true, {1, 0}, TestClock);
    now = 5000;
    line.Step(name, 1, 0);
    const std::string shown = Taken();
    EXPECT_LE(shown.size(), 80u);
    EXPECT_EQ(shown.substr(shown.size() - 12), "xxxx/end.txt");
    EXPECT_NE(shown.find(": ..."), std::string::npos) << shown;
  }
  EXPECT_EQ(Taken().substr(0, 2), "\r ");  // cleared when it goes
}

}  // namespace
