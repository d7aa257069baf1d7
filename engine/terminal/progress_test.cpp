// Tests of the progress line's timing and layout, with a clock the test sets.
#include "engine/terminal/progress.h"

#include <cstdint>
#include <string>

#include <gtest/gtest.h>

namespace {

using engine::ProgressCounts;

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
  engine::ProgressLine line("Copying", true, {10, 3 * 1024 * 1024}, TestClock, 80);
  now = 900;
  line.Step("a.txt", 1, 1024);
  EXPECT_EQ(Taken(), "");
  now = 1000;
  line.Step("b.txt", 1, 1536);
  const std::string first = "Copying: 0%, 2 of 10 items, 2.5 KiB of 3.0 MiB, 2.5 KiB/s: b.txt";
  EXPECT_EQ(Taken(), "\r" + first);
  now = 1200;
  line.Step("c.txt", 1, 0);
  EXPECT_EQ(Taken(), "");
  now = 1250;
  line.Reach({9, 2 * 1024 * 1024});
  const std::string second = "Copying: 66%, 9 of 10 items, 2.0 MiB of 3.0 MiB, 1.6 MiB/s: c.txt";
  EXPECT_EQ(Taken(), "\r" + second);
  line.Clear();
  EXPECT_EQ(Taken(), "\r" + std::string(second.size(), ' ') + "\r");
  line.Clear();
  EXPECT_EQ(Taken(), "");
}

// What one redraw shows in a row of a given width: never more than the row
// less its last column, the title cut first, then the name, then the counts.
TEST_F(ProgressLine, FitsTheRowWithoutWrapping) {
  struct Row {
    std::size_t width;
    const char* title;
    const char* name;
    ProgressCounts done, total;
    const char* shown;
  };
  const std::string deep = "folder/" + std::string(100, 'x') + "/end.txt";
  const std::string long_title = "-c copy " + std::string(60, 't') + " out";
  const Row rows[] = {
      {80, "Moving", "a.txt", {1, 0}, {4, 0}, "Moving: 25%, 1 of 4 items, 0 B of 0 B, 0 B/s: a.txt"},
      {60, "Moving", "a.txt", {1, 0}, {4, 0}, "Moving: 25%, 1 of 4 items, 0 B of 0 B, 0 B/s: a.txt"},
      {80, "Moving", deep.c_str(), {1, 0}, {1, 0},
       "Moving: 100%, 1 of 1 items, 0 B of 0 B, 0 B/s: ...xxxxxxxxxxxxxxxxxxxxx/end.txt"},
      {60, long_title.c_str(), "a.txt", {0, 0}, {2, 0},
       "-c copy ttttttttttt...: 0%, 0 of 2 items, 0 B of 0 B, 0 B/s"},
      {40, "Copying", "a.txt", {1, 1 << 20}, {2, 2 << 20}, "Copying: 50%, 1 of 2 items: a.txt"},
      {48, "Copying", "a.txt", {1, 1 << 20}, {2, 2 << 20}, "Copying: 50%, 1 of 2 items, 1.0 MiB of 2.0 MiB"},
      {30, "Copying", "a.txt", {1, 1 << 20}, {2, 2 << 20}, "Copying: 50%, 1 of 2 items"},
      {12, "Copying", "a.txt", {1, 1 << 20}, {2, 2 << 20}, "Cop...: 50%"},
      {6, "Copying", "a.txt", {1, 1 << 20}, {2, 2 << 20}, "50%"},
      {80, "Copy\x1b[2Jing", "a\nb\tc", {0, 0}, {1, 0}, "$'Copy\\033[2Jing': 0%, 0 of 1 items, 0 B of 0 B, 0 B/s: $'a\\nb\\tc'"},
      {1, "Copying", "a.txt", {0, 0}, {1, 0}, "0"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.width << " columns, " << row.title);
    {
      now = 0;
      engine::ProgressLine line(row.title, true, row.total, TestClock, row.width);
      line.Reach(row.done);
      now = 4000;
      line.Step(row.name, 0, 0);
      const std::string shown = Taken();
      EXPECT_EQ(shown, std::string("\r") + row.shown);
      EXPECT_LT(shown.size() - 1, std::max<std::size_t>(row.width, 2));
    }
    Taken();  // the clearing
  }
}

}  // namespace
