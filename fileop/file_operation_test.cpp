#include "fileop/file_operation.h"

#include <cstddef>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "fake_platform.h"
#include "platform/shell.h"

namespace vandrix {
namespace {

using namespace std::string_literals;
using vandrix_test::FakePlatform;

struct ListCase {
  std::string text;
  std::string list;
};

TEST(PathList, EncodesTheShellsDoubleNulList) {
  const ListCase cases[] = {
      {"a.txt", "a.txt\0\0"s},
      {"a.txt;b.txt", "a.txt\0b.txt\0\0"s},
      {"C:\\In\\a.txt;C:\\In\\b.txt", "C:\\In\\a.txt\0C:\\In\\b.txt\0\0"s},
      {"", "\0\0"s},
      // Empty segments would end the list early and hide what follows.
      {"a.txt;;b.txt", "a.txt\0b.txt\0\0"s},
      {";a.txt", "a.txt\0\0"s},
      {"a.txt;", "a.txt\0\0"s},
      {";;;", "\0\0"s},
      {";", "\0\0"s},
      // Spaces inside the list are the user's: kept as they are.
      {"a.txt; b.txt", "a.txt\0 b.txt\0\0"s},
      {"a; ;b", "a\0 \0b\0\0"s},
      {"*.tmp;C:\\x\\..\\y\\", "*.tmp\0C:\\x\\..\\y\\\0\0"s},
  };
  for (const ListCase& c : cases) EXPECT_EQ(PathList(c.text), c.list) << c.text;
}

// One destination for several sources is a folder they all go into: only a
// list of destinations (one per source) carries FOF_MULTIDESTFILES.
TEST(FinalFlags, AddsNoConfirmMkdirAndMultiDestOnlyForSeveralDestinations) {
  struct FlagCase {
    WORD flags;
    WORD function;
    std::size_t destinations;
    WORD expected;
  };
  const FlagCase cases[] = {
      {0, FO_COPY, 0, 0x0200},   {0, FO_COPY, 1, 0x0200},   {0, FO_COPY, 2, 0x0201},
      {0, FO_MOVE, 0, 0x0200},   {0, FO_MOVE, 1, 0x0200},   {0, FO_MOVE, 2, 0x0201},
      {0, FO_DELETE, 0, 0x0200}, {0, FO_DELETE, 1, 0x0200}, {0, FO_DELETE, 2, 0x0201},
      {0, FO_RENAME, 0, 0x0200}, {0, FO_RENAME, 1, 0x0200}, {0, FO_RENAME, 2, 0x0200},
      {FOF_NOCONFIRMATION, FO_COPY, 1, 0x0210},
      {FOF_NOCONFIRMATION, FO_COPY, 3, 0x0211},
      {FOF_NOCONFIRMMKDIR, FO_RENAME, 1, 0x0200},
      {0x05DC, FO_RENAME, 2, 0x07DC},
      {0x05DC, FO_DELETE, 2, 0x07DD},
  };
  for (const FlagCase& c : cases) {
    EXPECT_EQ(FinalFlags(c.flags, c.function, c.destinations), c.expected)
        << c.flags << " for " << c.function << " with " << c.destinations;
  }
}

TEST(PathCount, CountsThePathsOfTheList) {
  const std::pair<const char*, std::size_t> cases[] = {
      {"", 0}, {";", 0}, {";;;", 0}, {"D:\\Out", 1}, {"D:\\Out;", 1},
      {"x;;y", 2}, {"a; ", 2}, {"a;b;c", 3},
  };
  for (const auto& c : cases) EXPECT_EQ(PathCount(c.first), c.second) << c.first;
}

TEST(PerformFileOperation, FillsEveryFieldOfTheRequest) {
  FakePlatform fake;
  const WORD flags = FOF_SILENT;
  const WORD function = FO_DELETE;
  EXPECT_EQ(PerformFileOperation("a;b", "D:\\Out", "/s del a;b D:\\Out", flags,
                                 function),
            0);
  ASSERT_EQ(fake.requests.size(), 1u);
  const vandrix_test::RecordedRequest& r = fake.requests[0];
  EXPECT_TRUE(r.hwnd_null);
  EXPECT_EQ(r.wFunc, FO_DELETE);
  EXPECT_EQ(r.from, "a\0b\0\0"s);
  EXPECT_EQ(r.to, "D:\\Out\0\0"s);  // passed for a delete too
  EXPECT_EQ(r.fFlags, FOF_SILENT | 0x0200);  // one destination
  EXPECT_EQ(r.aborted_on_entry, FALSE);
  EXPECT_TRUE(r.mappings_null);
  EXPECT_EQ(r.title, "/s del a;b D:\\Out");
}

TEST(PerformFileOperation, SuccessOnlyWhenNothingFailedOrAborted) {
  struct AnswerCase {
    int answer;
    BOOL aborted;
    int result;
  };
  const AnswerCase cases[] = {
      {0, FALSE, 0}, {0, TRUE, 1}, {2, FALSE, 1}, {0x7C, TRUE, 1}, {-5, FALSE, 1},
  };
  const WORD flags = 0;
  const WORD function = FO_COPY;
  for (const AnswerCase& c : cases) {
    FakePlatform fake(c.answer, c.aborted);
    EXPECT_EQ(PerformFileOperation("a", "b", "copy a b", flags, function), c.result)
        << c.answer << " aborted " << c.aborted;
  }
}

}  // namespace
}  // namespace vandrix
