#include "cmdline/run_main.h"

#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "cmdline/command_line.h"
#include "fake_platform.h"
#include "platform/shell.h"

namespace vandrix {
namespace {

using namespace std::string_literals;
using vandrix_test::FakeFiles;
using vandrix_test::FakePlatform;
using vandrix_test::RecordedRequest;

// Always added; FOF_MULTIDESTFILES only with one destination per source.
constexpr WORD kCopyFlags = FOF_NOCONFIRMMKDIR;
constexpr WORD kPairedFlags = FOF_NOCONFIRMMKDIR | FOF_MULTIDESTFILES;

// The items on disk while the table runs; every other path names nothing,
// and a look at the unreadable ones fails for want of rights.
const char* const kExisting[] = {"C:\\t\\old;new", "a.txt", "C:\\t", "C:\\t\\logs;old",
                                 "C:\\t\\d\\old;new", " b.txt", "."};
const char* const kUnreadable[] = {"C:\\locked\\a;b"};

// A relative name of `length` bytes: its full path is 7 bytes longer
// (C:\cwd\), so 253 bytes reach MAX_PATH.
std::string Long(std::size_t length) { return std::string(length, 'n'); }

struct RunCase {
  std::string tail;
  int exit_code;
  bool usage;
  // The request the shell receives when the exit code is not -1; the path
  // lists as the shell reads them.
  UINT function;
  std::string from;
  std::string to;
  WORD flags;
};


const RunCase kRunCases[] = {
    // Usage: empty tail or a usage request anywhere in the raw tail.
    {"", -1, true, 0, ""s, ""s, 0},
    {"/?", -1, true, 0, ""s, ""s, 0},
    {"-H", -1, true, 0, ""s, ""s, 0},
    {"-?", -1, true, 0, ""s, ""s, 0},
    {"/c /H copy a b", -1, true, 0, ""s, ""s, 0},
    {"copy C:\\-Home\\a.txt D:\\", -1, true, 0, ""s, ""s, 0},
    {"copy D:\\Data/Help x", -1, true, 0, ""s, ""s, 0},
    // Rejections: no box, no request.
    {"/h", -1, false, 0, ""s, ""s, 0},
    {"-h copy", -1, false, 0, ""s, ""s, 0},  // "-h": unknown option; no paths
    {"frob a b", -1, false, 0, ""s, ""s, 0},
    {"/c /s", -1, false, 0, ""s, ""s, 0},
    {"\"  \" copy a b", -1, false, 0, ""s, ""s, 0},
    {"\"\"", -1, false, 0, ""s, ""s, 0},
    {"\t", -1, false, 0, ""s, ""s, 0},
    {"copyx a b", -1, false, 0, ""s, ""s, 0},
    {"/ copy", -1, false, 0, ""s, ""s, 0},
    // Operations.
    {"copy a.txt b.txt", 0, false, FO_COPY, "a.txt\0\0"s, "b.txt\0\0"s, kCopyFlags},
    {"Copy a b", 0, false, FO_COPY, "a\0\0"s, "b\0\0"s, kCopyFlags},
    {"COPY a b", 0, false, FO_COPY, "a\0\0"s, "b\0\0"s, kCopyFlags},
    {"move a b", 0, false, FO_MOVE, "a\0\0"s, "b\0\0"s, kCopyFlags},
    {"del /u C:\\Temp\\*.tmp", 0, false, FO_DELETE, "C:\\Temp\\*.tmp\0\0"s, "\0"s, kCopyFlags | FOF_ALLOWUNDO},
    {"delete a", 0, false, FO_DELETE, "a\0\0"s, "\0"s, kCopyFlags},
    {"ren C:\\x\\old.txt C:\\x\\new.txt", 0, false, FO_RENAME, "C:\\x\\old.txt\0\0"s, "C:\\x\\new.txt\0\0"s, FOF_NOCONFIRMMKDIR},
    {"rename a b", 0, false, FO_RENAME, "a\0\0"s, "b\0\0"s, FOF_NOCONFIRMMKDIR},
    // A path missing or too many, or one of spaces only: the shell would
    // take the destination for the source, or ignore the third path.
    {"copy", -1, false, 0, ""s, ""s, 0},
    {"copy a", -1, false, 0, ""s, ""s, 0},
    {"copy -notes.txt C:\\t\\backup\\notes.txt", -1, false, 0, ""s, ""s, 0},
    {"copy a b c", -1, false, 0, ""s, ""s, 0},
    {"copy C:\\t\\b.txt C:\\t\\c.txt C:\\t\\out", -1, false, 0, ""s, ""s, 0},
    {"del C:\\t\\a.txt C:\\t\\b.txt", -1, false, 0, ""s, ""s, 0},
    {"delete a b", -1, false, 0, ""s, ""s, 0},
    {"copy move a b", -1, false, 0, ""s, ""s, 0},
    {"copy \"  \" a b", -1, false, 0, ""s, ""s, 0},
    {"copy ; D:\\Out", -1, false, 0, ""s, ""s, 0},
    {"move a.txt ;", -1, false, 0, ""s, ""s, 0},
    // Quotes: glued to more text, inside a run, or holding nothing.
    {"/c /s del \"C:\\t\\My Files\"\\old.txt", -1, false, 0, ""s, ""s, 0},
    {"del \"C:\\t\\My Files\"\\*.tmp", -1, false, 0, ""s, ""s, 0},
    {"copy C:\\\"My Files\"\\a.txt D:\\", -1, false, 0, ""s, ""s, 0},
    {"copy \"\" C:\\t\\backup\\notes.txt", -1, false, 0, ""s, ""s, 0},
    {"copy a.txt \"\" D:\\", -1, false, 0, ""s, ""s, 0},
    {"copy \"a b\"c d", -1, false, 0, ""s, ""s, 0},
    {"copy \"a b\" \"C:\\My Out\"", 0, false, FO_COPY, "a b\0\0"s, "C:\\My Out\0\0"s, kCopyFlags},
    {"copy a b \"", 0, false, FO_COPY, "a\0\0"s, "b\0\0"s, kCopyFlags},
    {"copy \"C:\\My Files\\a.txt D:\\", -1, false, 0, ""s, ""s, 0},  // no destination
    // Leading spaces kept by Windows in names: refused where they name an
    // item, trimmed where they do not.
    {"del \" b.txt\"", -1, false, 0, ""s, ""s, 0},
    {"del \" b.txt;x\"", -1, false, 0, ""s, ""s, 0},
    {"del \" c.txt\"", 0, false, FO_DELETE, "c.txt\0\0"s, "\0"s, kCopyFlags},
    // A full path of MAX_PATH bytes or more.
    {"del " + Long(252), 0, false, FO_DELETE, Long(252) + "\0\0"s, "\0"s, kCopyFlags},
    {"del " + Long(253), -1, false, 0, ""s, ""s, 0},
    {"copy a.txt D:\\" + Long(257), -1, false, 0, ""s, ""s, 0},
    {"copy a.txt;" + Long(253) + " D:\\Out", -1, false, 0, ""s, ""s, 0},
    {"del \\" + Long(257), -1, false, 0, ""s, ""s, 0},
    // A rename stays in its folder: a bare new name goes there, another
    // folder is refused (full paths compared, in any letter case).
    {"ren C:\\t\\sub\\a.txt b.txt", 0, false, FO_RENAME, "C:\\t\\sub\\a.txt\0\0"s, "C:\\t\\sub\\b.txt\0\0"s, FOF_NOCONFIRMMKDIR},
    {"ren C:\\t\\sub\\ new", 0, false, FO_RENAME, "C:\\t\\sub\\\0\0"s, "C:\\t\\new\0\0"s, FOF_NOCONFIRMMKDIR},
    {"ren C:a.txt b.txt", 0, false, FO_RENAME, "C:a.txt\0\0"s, "C:b.txt\0\0"s, FOF_NOCONFIRMMKDIR},
    {"ren C:\\t\\sub\\a.txt C:\\t\\b.txt", -1, false, 0, ""s, ""s, 0},
    {"ren sub\\a.txt sub\\..\\b.txt", -1, false, 0, ""s, ""s, 0},
    {"ren sub\\a.txt .\\SUB/b.txt", 0, false, FO_RENAME, "sub\\a.txt\0\0"s, ".\\SUB/b.txt\0\0"s, FOF_NOCONFIRMMKDIR},
    {"ren C:\\T\\a.txt c:\\t\\b.txt", 0, false, FO_RENAME, "C:\\T\\a.txt\0\0"s, "c:\\t\\b.txt\0\0"s, FOF_NOCONFIRMMKDIR},
    {"ren a;b x", -1, false, 0, ""s, ""s, 0},
    {"ren C:\\t\\a;C:\\u\\b x;y", 0, false, FO_RENAME, "C:\\t\\a\0C:\\u\\b\0\0"s, "C:\\t\\x\0C:\\u\\y\0\0"s, FOF_NOCONFIRMMKDIR},
    {"copy \" -a.txt\" D:\\", 0, false, FO_COPY, "-a.txt\0\0"s, "D:\\\0\0"s, kCopyFlags},
    {"\" copy\" a b", 0, false, FO_COPY, "a\0\0"s, "b\0\0"s, kCopyFlags},
    {"copy \"a b.txt \" \"  D:\\My Out \"", 0, false, FO_COPY, "a b.txt\0\0"s, "D:\\My Out\0\0"s, kCopyFlags},
    {"copy \"a.txt;b.txt\" D:\\Out", 0, false, FO_COPY, "a.txt\0b.txt\0\0"s, "D:\\Out\0\0"s, kCopyFlags},
    {"copy a.txt;;b.txt D:\\Out", 0, false, FO_COPY, "a.txt\0b.txt\0\0"s, "D:\\Out\0\0"s, kCopyFlags},
    {"copy \"a.txt; b.txt\" x", 0, false, FO_COPY, "a.txt\0 b.txt\0\0"s, "x\0\0"s, kCopyFlags},
    // One destination takes every source; a list of them pairs up.
    {"move a;b;c D:\\Out", 0, false, FO_MOVE, "a\0b\0c\0\0"s, "D:\\Out\0\0"s, kCopyFlags},
    {"copy a;b x;y", 0, false, FO_COPY, "a\0b\0\0"s, "x\0y\0\0"s, kPairedFlags},
    {"move a;b ;x;;", 0, false, FO_MOVE, "a\0b\0\0"s, "x\0\0"s, kCopyFlags},
    {"del a;b x;y", -1, false, 0, ""s, ""s, 0},
    // A list of destinations of another length than the sources'.
    {"move a.txt;b.txt x.txt;y.txt;z.txt", -1, false, 0, ""s, ""s, 0},
    {"copy a.txt x.txt;y.txt", -1, false, 0, ""s, ""s, 0},
    {"ren a;b x;y", 0, false, FO_RENAME, "a\0b\0\0"s, "x\0y\0\0"s, FOF_NOCONFIRMMKDIR},
    // A source or destination that names an existing item holding ";" is
    // refused before anything is done; a list that names no item splits.
    {"/c /s del \"C:\\t\\old;new\"", -1, false, 0, ""s, ""s, 0},
    {"del \"  C:\\t\\old;new \"", -1, false, 0, ""s, ""s, 0},
    {"copy a.txt C:\\t\\old;new", -1, false, 0, ""s, ""s, 0},
    {"ren C:\\t\\old;new C:\\t\\x", -1, false, 0, ""s, ""s, 0},
    {"del C:\\t\\old;new;x", 0, false, FO_DELETE, "C:\\t\\old\0new\0x\0\0"s, "\0"s, kCopyFlags},
    {"copy C:\\t\\old;C:\\t\\new D:\\Out", 0, false, FO_COPY, "C:\\t\\old\0C:\\t\\new\0\0"s, "D:\\Out\0\0"s, kCopyFlags},
    // A ";" text splits only where the look finds nothing: not where its
    // folder (for a wildcard) or the text without its trailing "\" may be
    // there, nor where the look fails otherwise (no rights, too long).
    {"del \"C:\\t\\logs;old\\*.tmp\"", -1, false, 0, ""s, ""s, 0},
    {"del \"C:\\t\\old;new*\"", -1, false, 0, ""s, ""s, 0},
    {"del *.tmp;*.bak", -1, false, 0, ""s, ""s, 0},
    {"del \"C:\\t\\d\\old;new\\\"", -1, false, 0, ""s, ""s, 0},
    {"del C:\\locked\\a;b", -1, false, 0, ""s, ""s, 0},
    {"del C:\\t\\" + Long(200) + ";" + Long(60), -1, false, 0, ""s, ""s, 0},
    {"del \"C:\\t\\logs;new\\*.tmp\"", 0, false, FO_DELETE, "C:\\t\\logs\0new\\*.tmp\0\0"s, "\0"s, kCopyFlags},
    {"del \"C:\\t\\x;y\\\"", 0, false, FO_DELETE, "C:\\t\\x\0y\\\0\0"s, "\0"s, kCopyFlags},
    {"del C:\\t\\*.tmp;C:\\t\\*.bak", 0, false, FO_DELETE, "C:\\t\\*.tmp\0C:\\t\\*.bak\0\0"s, "\0"s, kCopyFlags},
    // Options: anywhere, any case, "/" or "-", exactly one letter.
    {"copy a.txt b.txt /c", 0, false, FO_COPY, "a.txt\0\0"s, "b.txt\0\0"s, kCopyFlags | FOF_NOCONFIRMATION},
    {"/u /f /c /d /e /r /s /p copy a b", 0, false, FO_COPY, "a\0\0"s, "b\0\0"s, 0x07DC},
    {"-U -F -C -D -E -R -S -P copy a b", 0, false, FO_COPY, "a\0\0"s, "b\0\0"s, 0x07DC},
    {"/x copy a b", 0, false, FO_COPY, "a\0\0"s, "b\0\0"s, kCopyFlags},
    {"/cs /undo -sp --c copy a b", 0, false, FO_COPY, "a\0\0"s, "b\0\0"s, kCopyFlags},
    {"\"/ u\" copy a b \"-s \"", 0, false, FO_COPY, "a\0\0"s, "b\0\0"s, kCopyFlags | FOF_ALLOWUNDO | FOF_SILENT},
    {"/s /s /s copy a b", 0, false, FO_COPY, "a\0\0"s, "b\0\0"s, kCopyFlags | FOF_SILENT},
    {"/h copy a b", 0, false, FO_COPY, "a\0\0"s, "b\0\0"s, kCopyFlags},
    {"\t/u copy a b", -1, false, 0, ""s, ""s, 0},  // tab first: operation word
};

TEST(RunMain, InterpretsTheCommandTail) {
  const FakeFiles files({std::begin(kExisting), std::end(kExisting)},
                        {std::begin(kUnreadable), std::end(kUnreadable)});
  for (const RunCase& c : kRunCases) {
    SCOPED_TRACE("tail [" + c.tail + "]");
    ASSERT_TRUE(StoreCommandTail(("prog " + c.tail).c_str()));
    FakePlatform fake;
    EXPECT_EQ(RunMain(), c.exit_code);
    EXPECT_EQ(fake.boxes.size(), c.usage ? 1u : 0u);
    if (c.exit_code == -1) {
      EXPECT_TRUE(fake.requests.empty());
      continue;
    }
    ASSERT_EQ(fake.requests.size(), 1u);
    const RecordedRequest& r = fake.requests[0];
    EXPECT_EQ(r.wFunc, c.function);
    EXPECT_EQ(r.from, c.from);
    EXPECT_EQ(r.to, c.to);
    EXPECT_EQ(r.fFlags, c.flags);
    EXPECT_EQ(r.title, CommandTail());
    EXPECT_TRUE(r.hwnd_null);
    EXPECT_TRUE(r.mappings_null);
    EXPECT_EQ(r.aborted_on_entry, FALSE);
  }
}

struct AnswerCase {
  int answer;
  BOOL aborted;
  int exit_code;
};

TEST(RunMain, FoldsTheShellsAnswerIntoTheExitCode) {
  const AnswerCase cases[] = {
      {0, FALSE, 0},     {0, TRUE, 1},      {2, FALSE, 1},
      {0x4C7, TRUE, 1},  {-1, FALSE, 1},    {0x10000, FALSE, 1},
  };
  ASSERT_TRUE(StoreCommandTail("prog /c copy a b"));
  for (const AnswerCase& c : cases) {
    FakePlatform fake(c.answer, c.aborted);
    EXPECT_EQ(RunMain(), c.exit_code) << c.answer << " aborted " << c.aborted;
  }
}

TEST(RunMain, ProgressTitleIsTheWholeTail) {
  ASSERT_TRUE(StoreCommandTail("prog   /p copy  a   b  "));
  FakePlatform fake;
  EXPECT_EQ(RunMain(), 0);
  ASSERT_EQ(fake.requests.size(), 1u);
  EXPECT_EQ(fake.requests[0].title, "/p copy  a   b  ");
  EXPECT_EQ(fake.requests[0].fFlags, kCopyFlags | FOF_SIMPLEPROGRESS);
}

TEST(RunMain, ManyArgumentsAreAllSeen) {
  // Options after thousands of ignored ones still count.
  std::string tail = "copy a b";
  for (int i = 0; i < 5000; ++i) tail += " /x";
  tail += " /s";
  ASSERT_TRUE(StoreCommandTail(("prog " + tail).c_str()));
  FakePlatform fake;
  EXPECT_EQ(RunMain(), 0);
  ASSERT_EQ(fake.requests.size(), 1u);
  EXPECT_EQ(fake.requests[0].fFlags, kCopyFlags | FOF_SILENT);
}

TEST(IsOptionArgument, LooksAtTheFirstByteOnly) {
  EXPECT_EQ(IsOptionArgument("/c"), 1);
  EXPECT_EQ(IsOptionArgument("-"), 1);
  EXPECT_EQ(IsOptionArgument(" /c"), 0);
  EXPECT_EQ(IsOptionArgument("a/c"), 0);
  EXPECT_EQ(IsOptionArgument(""), 0);
}

TEST(IsKnownOperation, MatchesTheSixWordsExactly) {
  for (const char* word : {"COPY", "MOVE", "DEL", "DELETE", "REN", "RENAME"})
    EXPECT_EQ(IsKnownOperation(word), 1) << word;
  for (const char* word : {"copy", "COPY ", "DELE", "", "RENAMED", "MOV"})
    EXPECT_EQ(IsKnownOperation(word), 0) << word;
}

}  // namespace
}  // namespace vandrix
