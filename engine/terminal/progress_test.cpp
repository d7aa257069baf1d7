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
    std::string shown;
    std::int64_t at_ms = 4000;  // when the line is drawn
  };
  const std::string deep = "folder/" + std::string(100, 'x') + "/end.txt";
  const std::string long_title = "-c copy " + std::string(60, 't') + " out";
  const std::string big = "src/holiday-video-from-the-long-summer-trip-to-the-north-part-2.bin";
  const Row rows[] = {
      {80, "Moving", "a.txt", {1, 0}, {4, 0}, "Moving: 25%, 1 of 4 items, 0 B of 0 B, 0 B/s: a.txt"},
      {60, "Moving", "a.txt", {1, 0}, {4, 0}, "Moving: 25%, 1 of 4 items, 0 B of 0 B, 0 B/s: a.txt"},
      {80, "Moving", deep.c_str(), {1, 0}, {1, 0},
       "Moving: 100%, 1 of 1 items, 0 B of 0 B, 0 B/s: ...xxxxxxxxxxxxxxxxxxxxx/end.txt"},
      {60, long_title.c_str(), "a.txt", {0, 0}, {2, 0},
       "-c copy tttt...: 0%, 0 of 2 items, 0 B of 0 B, 0 B/s: a.txt"},
      {40, "Copying", "a.txt", {1, 1 << 20}, {2, 2 << 20}, "Copying: 50%, 1.0 MiB of 2.0 MiB: a.txt"},
      {48, "Copying", "a.txt", {1, 1 << 20}, {2, 2 << 20}, "Copying: 50%, 1.0 MiB of 2.0 MiB: a.txt"},
      {30, "Copying", "a.txt", {1, 1 << 20}, {2, 2 << 20}, "Copying: 50%: a.txt"},
      {12, "Copying", "a.txt", {1, 1 << 20}, {2, 2 << 20}, "Cop...: 50%"},
      {6, "Copying", "a.txt", {1, 1 << 20}, {2, 2 << 20}, "50%"},
      {80, "Copy\x1b[2Jing", "a\nb\tc", {0, 0}, {1, 0}, "$'Copy\\033[2Jing': 0%, 0 of 1 items, 0 B of 0 B, 0 B/s: $'a\\nb\\tc'"},
      {1, "Copying", "a.txt", {0, 0}, {1, 0}, "0"},
      // A wide row shows it all; the share follows the bytes, not the items.
      {160, "-c copy src out", big.c_str(), {2, 3ull << 30}, {3065, 6ull << 30},
       "-c copy src out: 50%, 2 of 3065 items, 3.0 GiB of 6.0 GiB, 768.0 MiB/s: " + big},
      {1100, "Moving", deep.c_str(), {1, 0}, {1, 0}, "Moving: 100%, 1 of 1 items, 0 B of 0 B, 0 B/s: " + deep},
      // An 80-column row keeps a readable name: the rate goes, the title is cut.
      {80, "-c copy src out", big.c_str(), {2, 3ull << 30}, {3065, 6ull << 30},
       "-c copy s...: 50%, 2 of 3065 items, 3.0 GiB of 6.0 GiB: ...the-north-part-2.bin"},
      // The time left: once five seconds have passed and 1% is done.
      {160, "Copying", "a.bin", {1, 3 << 20}, {2, 4 << 20},
       "Copying: 75%, 1 of 2 items, 3.0 MiB of 4.0 MiB, 614.4 KiB/s, 0:02 left: a.bin", 5000},
      {160, "Copying", "a.bin", {1, 99 << 20}, {2, 100 << 20},
       "Copying: 99%, 1 of 2 items, 99.0 MiB of 100.0 MiB, 19.8 MiB/s: a.bin", 4999},
      {160, "Copying", "a.bin", {0, 1 << 20}, {2, 200 << 20},
       "Copying: 0%, 0 of 2 items, 1.0 MiB of 200.0 MiB, 17.1 KiB/s: a.bin", 60000},
      {160, "Copying", "a.bin", {0, 2 << 20}, {2, 200 << 20},
       "Copying: 1%, 0 of 2 items, 2.0 MiB of 200.0 MiB, 34.1 KiB/s, 1:39:00 left: a.bin", 60000},
      {160, "Deleting", "a", {1, 0}, {4, 0}, "Deleting: 25%, 1 of 4 items, 0 B of 0 B, 0 B/s, 0:30 left: a", 10000},
      {52, "Copying", "a.bin", {1, 3 << 20}, {2, 4 << 20}, "Copying: 75%, 3.0 MiB of 4.0 MiB, 0:02 left: a.bin", 5000},
      {36, "Copying", "a.bin", {1, 3 << 20}, {2, 4 << 20}, "Copying: 75%, 0:02 left: a.bin", 5000},
      {20, "Copying", "a.bin", {29, 0}, {50, 0}, "Copying: 58%: a.bin"},
      // A name or a title is cut between UTF-8 characters, never inside one.
      {20, "\xc3\x85\xc3\x85\xc3\x85\xc3\x85\xc3\x85", "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9", {0, 0}, {1, 0},
       "...: 0%: ...\xc3\xa9\xc3\xa9\xc3\xa9"},
      {25, "\xc3\x85\xc3\x85\xc3\x85\xc3\x85\xc3\x85", "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9", {0, 0}, {1, 0},
       "\xc3\x85...: 0%: \xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.width << " columns, " << row.title);
    {
      now = 0;
      engine::ProgressLine line(row.title, true, row.total, TestClock, row.width);
      line.Reach(row.done);
      now = row.at_ms;
      line.Step(row.name, 0, 0);
      const std::string shown = Taken();
      EXPECT_EQ(shown, "\r" + row.shown);
      EXPECT_LT(shown.size() - 1, std::max<std::size_t>(row.width, 2));
    }
    Taken();  // the clearing
  }
}

}  // namespace
