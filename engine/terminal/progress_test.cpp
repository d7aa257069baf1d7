// Tests of the progress line's timing and layout, with a clock the test sets,
// drawn on a pseudo-terminal and read back by its columns.
#include "engine/terminal/progress.h"

#include <fcntl.h>
#include <locale.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <wchar.h>

#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using engine::ProgressCounts;

std::int64_t now = 0;
std::int64_t TestClock() { return now; }

// Standard error on a pseudo-terminal `width` columns wide while it lives.
class Terminal {
 public:
  explicit Terminal(unsigned short width) {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
    const int slave = ::open(::ptsname(master_), O_RDWR | O_NOCTTY);
    struct termios raw;
    if (slave < 0 || ::tcgetattr(slave, &raw) != 0) return;
    ::cfmakeraw(&raw);
    struct winsize size {};
    size.ws_row = 24;
    size.ws_col = width;
    if (::tcsetattr(slave, TCSANOW, &raw) != 0 || ::ioctl(master_, TIOCSWINSZ, &size) != 0) return;
    std::fflush(stderr);
    saved_ = ::dup(STDERR_FILENO);
    ok_ = saved_ >= 0 && ::dup2(slave, STDERR_FILENO) >= 0;
    ::close(slave);
  }
  ~Terminal() {
    std::fflush(stderr);
    if (saved_ >= 0) {
      ::dup2(saved_, STDERR_FILENO);
      ::close(saved_);
    }
    if (master_ >= 0) ::close(master_);
  }
  bool ok() const { return ok_; }
  // What was written to the terminal since the last call: a BEL marks its
  // end, as the line never writes one.
  std::string Written() {
    std::fflush(stderr);
    if (::write(STDERR_FILENO, "\a", 1) != 1) return "<not written>";
    std::string text;
    char buffer[4096];
    for (struct pollfd ready{master_, POLLIN, 0}; ::poll(&ready, 1, 5000) == 1;) {
      const ssize_t got = ::read(master_, buffer, sizeof buffer);
      if (got <= 0) break;
      text.append(buffer, static_cast<std::size_t>(got));
      if (text.back() == '\a') return text.substr(0, text.size() - 1);
    }
    return text + "<no end>";
  }

 private:
  int master_ = -1, saved_ = -1;
  bool ok_ = false;
};

// The row of a UTF-8 terminal as xterm keeps it, `width` columns: each cell
// holds a character and the zero-width ones after it, the cell after a
// wide character its right half; writing over half of a wide character
// blanks the other half. It understands "\r" and printable characters,
// as wide as wcwidth says; anything else, and a character that would reach
// the last column (the line never touches it) or wrap, is a fault.
class Screen {
 public:
  explicit Screen(std::size_t width)
      : cells_(width, " "), utf8_(::newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr)) {}
  ~Screen() {
    if (utf8_) ::freelocale(utf8_);
  }
  void Feed(const std::string& bytes) {
    const locale_t before = ::uselocale(utf8_);
    std::mbstate_t state{};
    for (std::size_t at = 0; at < bytes.size() && fault.empty();) {
      wchar_t c = 0;
      const std::size_t size = std::mbrtowc(&c, bytes.data() + at, bytes.size() - at, &state);
      if (size == 0 || size > bytes.size() - at) {
        fault = "not UTF-8 at byte " + std::to_string(at);
        break;
      }
      Put(c, ::wcwidth(c), bytes.substr(at, size));
      at += size;
    }
    ::uselocale(before);
  }
  // The row, its blanks at the end cut.
  std::string Text() const {
    std::string text;
    for (const std::string& cell : cells_) text += cell == kRightHalf ? "" : cell;
    return text.substr(0, text.find_last_not_of(' ') + 1);
  }
  std::string fault;

 private:
  static constexpr const char* kRightHalf = "";
  void Put(wchar_t c, int width, const std::string& bytes) {
    if (c == L'\r') {
      column_ = 0;
    } else if (width < 0) {
      fault = "a control character";
    } else if (width == 0) {
      const std::size_t base = column_ > 0 && cells_[column_ - 1] == kRightHalf ? 2 : 1;
      if (column_ >= base) cells_[column_ - base] += bytes;
    } else if (column_ + static_cast<std::size_t>(width) >= cells_.size()) {
      fault = "the last column reached at column " + std::to_string(column_);
    } else {
      for (std::size_t i = column_; i < column_ + static_cast<std::size_t>(width); ++i) Blank(i);
      cells_[column_] = bytes;
      if (width == 2) cells_[column_ + 1] = kRightHalf;
      column_ += static_cast<std::size_t>(width);
    }
  }
  // Cell `i` is written: a wide character it was half of is blanked.
  void Blank(std::size_t i) {
    if (cells_[i] == kRightHalf) cells_[i - 1] = " ";
    if (i + 1 < cells_.size() && cells_[i + 1] == kRightHalf && cells_[i] != kRightHalf)
      cells_[i + 1] = " ";
    cells_[i] = " ";
  }
  std::vector<std::string> cells_;
  std::size_t column_ = 0;
  locale_t utf8_;
};

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
  const std::string first = "Copying:  0%,  2 of 10 items,    2.5 KiB of 3.0 MiB,    2.5 KiB/s: b.txt";
  EXPECT_EQ(Taken(), "\r" + first);
  now = 1200;
  line.Step("c.txt", 1, 0);
  EXPECT_EQ(Taken(), "");
  now = 1250;
  line.Reach({9, 2 * 1024 * 1024});
  // The counts keep their places.
  const std::string second = "Copying: 66%,  9 of 10 items,    2.0 MiB of 3.0 MiB,    1.6 MiB/s: c.txt";
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
    std::string shown;  // the row of the terminal afterwards, its blanks at the end cut
    std::int64_t at_ms = 4000;  // when the line is drawn
    const char* locale = "C.UTF-8";  // LC_CTYPE
    const char* before = nullptr;    // a name drawn first (250 ms before), to be wiped
  };
  const std::string deep = "folder/" + std::string(100, 'x') + "/end.txt";
  const std::string long_title = "-c copy " + std::string(60, 't') + " out";
  const std::string big = "src/holiday-video-from-the-long-summer-trip-to-the-north-part-2.bin";
  const char* const photos = "copy 'Photos' to 'Backup'";
  const char* const chinese = "copy '照片' to '备份'";
  const char* const cjk = "海滩日落_假期视频_第二部分/海滩日落_00556.mkv";
  const char* const emoji = "🎉生日派对🎂_照片_2024.jpg";
  const char* const marks = "Cafe\xcc\x81 Ame\xcc\x81lie \xe2\x80\x93 re\xcc\x81sume\xcc\x81 final.odt";
  const char* const latin1 = "caf\xe9 latin1 name.txt";
  const ProgressCounts some{3, 3 << 20}, all{10, 6 << 20};
  std::string a10, a15, e9;  // Å ten and fifteen times, é nine times
  for (int i = 0; i < 15; ++i) a15 += "\xc3\x85";
  a10 = a15.substr(0, 20);
  for (int i = 0; i < 9; ++i) e9 += "\xc3\xa9";
  const Row rows[] = {
      {80, "Moving", "a.txt", {1, 0}, {4, 0}, "Moving: 25%, 1 of 4 items: a.txt"},
      {60, "Moving", "a.txt", {1, 0}, {4, 0}, "Moving: 25%, 1 of 4 items: a.txt"},
      {80, "Moving", deep.c_str(), {1, 0}, {1, 0},
       "Moving: 100%, 1 of 1 items: ...xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx/end.txt"},
      {60, long_title.c_str(), "a.txt", {0, 0}, {2, 0},
       "-c copy tttttttttttttttttttttt...:  0%, 0 of 2 items: a.txt"},
      {40, "Copying", "a.txt", {1, 1 << 20}, {2, 2 << 20}, "Copying: 50%: a.txt"},
      {48, "Copying", "a.txt", {1, 1 << 20}, {2, 2 << 20}, "Copying: 50%,    1.0 MiB of 2.0 MiB: a.txt"},
      {30, "Copying", "a.txt", {1, 1 << 20}, {2, 2 << 20}, "Copying: 50%: a.txt"},
      {12, "Copying", "a.txt", {1, 1 << 20}, {2, 2 << 20}, "Cop...: 50%"},
      {6, "Copying", "a.txt", {1, 1 << 20}, {2, 2 << 20}, "50%"},
      {80, "Copy\x1b[2Jing", "a\nb\tc", {0, 0}, {1, 0}, "$'Copy\\033[2Jing':  0%, 0 of 1 items: $'a\\nb\\tc'"},
      {1, "Copying", "a.txt", {0, 0}, {1, 0}, "0"},
      // A wide row shows it all; the share follows the bytes, not the items.
      {160, "-c copy src out", big.c_str(), {2, 3ull << 30}, {3065, 6ull << 30},
       "-c copy src out: 50%,    2 of 3065 items,    3.0 GiB of 6.0 GiB,  768.0 MiB/s: " + big},
      {1100, "Moving", deep.c_str(), {1, 0}, {1, 0}, "Moving: 100%, 1 of 1 items: " + deep},
      // An 80-column row keeps a readable name: the items go, the title is
      // cut, the rate stays.
      {80, "-c copy src out", big.c_str(), {2, 3ull << 30}, {3065, 6ull << 30},
       "-c copy s...: 50%,    3.0 GiB of 6.0 GiB,  768.0 MiB/s: ...the-north-part-2.bin"},
      // The time left: once five seconds have passed and 1% is done.
      {160, "Copying", "a.bin", {1, 3 << 20}, {2, 4 << 20},
       "Copying: 75%, 1 of 2 items,    3.0 MiB of 4.0 MiB,  614.4 KiB/s, 0:02 left: a.bin", 5000},
      {160, "Copying", "a.bin", {1, 99 << 20}, {2, 100 << 20},
       "Copying: 99%, 1 of 2 items,   99.0 MiB of 100.0 MiB,   19.8 MiB/s: a.bin", 4999},
      {160, "Copying", "a.bin", {0, 1 << 20}, {2, 200 << 20},
       "Copying:  0%, 0 of 2 items,    1.0 MiB of 200.0 MiB,   17.1 KiB/s: a.bin", 60000},
      {160, "Copying", "a.bin", {0, 2 << 20}, {2, 200 << 20},
       "Copying:  1%, 0 of 2 items,    2.0 MiB of 200.0 MiB,   34.1 KiB/s, 1:39:00 left: a.bin", 60000},
      {160, "Deleting", "a", {1, 0}, {4, 0}, "Deleting: 25%, 1 of 4 items, 0:30 left: a", 10000},
      {52, "Copying", "a.bin", {1, 3 << 20}, {2, 4 << 20}, "Copying: 75%, 0:02 left: a.bin", 5000},
      {56, "Copying", "a.bin", {1, 3 << 20}, {2, 4 << 20}, "Copying: 75%,    3.0 MiB of 4.0 MiB, 0:02 left: a.bin", 5000},
      {36, "Copying", "a.bin", {1, 3 << 20}, {2, 4 << 20}, "Copying: 75%, 0:02 left: a.bin", 5000},
      {20, "Copying", "a.bin", {29, 0}, {50, 0}, "Copying: 58%: a.bin"},
      // Drawn over a longer line on a terminal 80 and 40 columns wide: names
      // in Chinese, with emoji, with combining marks and of bytes that are
      // no UTF-8, measured and cut in columns, never inside a character or
      // between a letter and its mark; the line before is wiped.
      {80, photos, cjk, some, all, "copy 'Pho...: 50%,    3.0 MiB of 6.0 MiB,  768.0 KiB/s: .../海滩日落_00556.mkv", 4000, "C.UTF-8", big.c_str()},
      {40, photos, cjk, some, all, "copy 'Pho...: 50%: ...滩日落_00556.mkv", 4000, "C.UTF-8", big.c_str()},
      {80, photos, emoji, some, all, "copy 'Pho...: 50%,    3.0 MiB of 6.0 MiB,  768.0 KiB/s: ...派对🎂_照片_2024.jpg", 4000, "C.UTF-8", big.c_str()},
      {40, photos, emoji, some, all, "copy 'Pho...: 50%: ...🎂_照片_2024.jpg", 4000, "C.UTF-8", big.c_str()},
      {80, photos, marks, some, all, "copy 'Pho...: 50%,    3.0 MiB of 6.0 MiB,  768.0 KiB/s: ...e \xe2\x80\x93 re\xcc\x81sume\xcc\x81 final.odt", 4000, "C.UTF-8", big.c_str()},
      {40, photos, marks, some, all, "copy 'Pho...: 50%: ... re\xcc\x81sume\xcc\x81 final.odt", 4000, "C.UTF-8", big.c_str()},
      {80, photos, latin1, some, all, "copy 'Pho...: 50%,    3.0 MiB of 6.0 MiB,  768.0 KiB/s: ...351 latin1 name.txt'", 4000, "C.UTF-8", cjk},
      {40, photos, latin1, some, all, "copy 'Pho...: 50%: ... latin1 name.txt'", 4000, "C.UTF-8", cjk},
      {80, chinese, cjk, some, all, "copy '照...: 50%,    3.0 MiB of 6.0 MiB,  768.0 KiB/s: .../海滩日落_00556.mkv", 4000, "C.UTF-8", big.c_str()},
      {40, chinese, cjk, some, all, "copy '照...: 50%: ...滩日落_00556.mkv", 4000, "C.UTF-8", big.c_str()},
      // In the C locale a character past ASCII shows as "?", one column.
      {80, chinese, cjk, some, all, "copy '?\?'...: 50%,    3.0 MiB of 6.0 MiB,  768.0 KiB/s: ..._?\??\?/?\??\?_00556.mkv", 4000, "C", big.c_str()},
      {40, chinese, cjk, some, all, "copy '?\?'...: 50%: ...?\?/?\??\?_00556.mkv", 4000, "C", big.c_str()},
      {80, photos, marks, some, all, "copy 'Pho...: 50%,    3.0 MiB of 6.0 MiB,  768.0 KiB/s: ...? re?sume? final.odt", 4000, "C", big.c_str()},
      {40, photos, latin1, some, all, "copy 'Pho...: 50%: ... latin1 name.txt'", 4000, "C", cjk},
      // A name or a title is cut between characters of two bytes, never
      // inside one.
      {20, "\xc3\x85\xc3\x85\xc3\x85\xc3\x85\xc3\x85", e9.c_str(), {0, 0}, {1, 0},
       "\xc3\x85...:  0%: ...\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9"},
      {30, a15.c_str(), e9.c_str(), {0, 0}, {1, 0}, a10 + "...:  0%: " + e9},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.width << " columns, " << row.locale << ", " << row.title
                                    << ", " << row.name);
    ASSERT_NE(std::setlocale(LC_CTYPE, row.locale), nullptr);
    Terminal terminal(static_cast<unsigned short>(row.width));
    ASSERT_TRUE(terminal.ok());
    Screen screen(std::max<std::size_t>(row.width, 2));  // one column is drawn as one of two
    {
      now = 0;
      engine::ProgressLine line(row.title, true, row.total, TestClock);
      line.Reach(row.done);
      if (row.before) {
        now = row.at_ms - 250;
        line.Step(row.before, 0, 0);
      }
      now = row.at_ms;
      line.Step(row.name, 0, 0);
      screen.Feed(terminal.Written());
      EXPECT_EQ(screen.Text(), row.shown);
    }
    screen.Feed(terminal.Written());  // the clearing
    EXPECT_EQ(screen.Text(), "");
    EXPECT_EQ(screen.fault, "");
  }
  std::setlocale(LC_CTYPE, "C");
}

}  // namespace
