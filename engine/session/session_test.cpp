// Tests of what the user sees and answers: error lines, questions, no
// terminal, the progress line.
#include <sys/wait.h>

#include <cstdint>
#include <cstring>
#include <new>

#include "engine/base/errors.h"
#include "engine_fixture.h"

namespace engine_test {
namespace {

TEST_F(Engine, ErrorLinesOnlyWithoutNoErrorUi) {
  ASSERT_EQ(mkfifo("pipe", 0600), 0);
  const std::string shown = StderrOf(FO_COPY, {"pipe", "a.txt"}, {"out"}, 0);
  EXPECT_NE(shown.find("copy 'pipe'"), std::string::npos) << shown;
  EXPECT_EQ(std::count(shown.begin(), shown.end(), '\n'), 1) << shown;
  EXPECT_EQ(StderrOf(FO_COPY, {"pipe"}, {"out"}, FOF_NOERRORUI), "");
  EXPECT_FALSE(Exists("out/pipe"));  // a fifo is never opened or copied
  EXPECT_TRUE(Exists("out/a.txt"));  // the items after a failed one go on
  Hooks starved = Answering();
  starved.folder_open = [](const char*) -> int { throw std::bad_alloc(); };
  EXPECT_EQ(StderrOf(FO_COPY, {"d"}, {"out"}, 0, starved), "vandrix: out of memory\n");
  // Each line says what was being done, to which item and where; a name
  // that would break the line or drive the terminal is shown quoted.
  ASSERT_EQ(mkfifo("p\nq\033[31mRED", 0600), 0);
  ASSERT_EQ(mkfifo("merge/d/pipe", 0600), 0);
  Write("out/d", "a file where a folder would go");
  struct Line {
    UINT function;
    Paths from, to;
    const char* shown;
    unsigned flags = 0;
  };
  const Line lines[] = {
      {FO_COPY, {"p\nq\033[31mRED"}, {"out"},
       "cannot copy $'p\\nq\\033[31mRED' to $'out/p\\nq\\033[31mRED': not a regular file, "
       "folder or link"},
      {FO_COPY, {"d"}, {"out"},
       "cannot copy 'd' to 'out/d': it exists, and a folder and a file never replace each other"},
      {FO_MOVE, {"a.txt"}, {"a.txt"}, "cannot move 'a.txt' to 'a.txt': the source and the target "
                                      "are the same item"},
      {FO_COPY, {"d"}, {"d/in"}, "cannot copy 'd' to 'd/in': the target lies inside the source folder"},
      {FO_RENAME, {"sub/x.txt"}, {"./x.txt"},
       "cannot rename 'sub/x.txt' to './x.txt': the new name is in another folder"},
      {FO_COPY, {"a.txt", "b.txt"}, {"p", "q", "r"},
       "cannot copy: 2 sources and 3 destinations do not pair up"},
      {FO_MOVE, {"a.txt"}, {}, "cannot move: no destination given"},
      {FO_COPY, {"a.txt"}, {"o*"}, "cannot copy: a destination holds a wildcard: 'o*'"},
      {FO_RENAME, {"a.txt", "b.txt"}, {"c.txt"},
       "cannot rename: a rename takes one item and one new name, not 2 sources and 1 new name"},
      {FO_DELETE, {}, {}, "cannot delete: no source given"},
      {9, {"a.txt"}, {"out"}, "cannot carry out: no such operation: 9"},
      {FO_COPY, {"d/*.tmp"}, {"out"}, "no item matches 'd/*.tmp'"},
      {FO_COPY, {"sub/x.txt", "sub/x.txt"}, {"out"},
       "will not replace 'out/x.txt', just placed there from 'sub/x.txt'"},
      {FO_COPY, {"d", "sub/x.txt"}, {"out/e", "out/e/f.txt"},  // placed with its folder
       "will not replace 'out/e/f.txt', just placed there from 'd/f.txt'"},
      {FO_DELETE, {"noext/*"}, {}, "cannot read the folder 'noext' of 'noext/*': Not a directory"},
      // A folder given a free name: its entries are named where they went.
      {FO_COPY, {"d", "merge/d"}, {"new"},
       "cannot copy 'merge/d/pipe' to 'new/d (2)/pipe': not a regular file, folder or link\n"
       "vandrix: cannot copy 'merge/d' to 'new/d (2)': not all of it arrived, so none of it was "
       "placed", FOF_RENAMEONCOLLISION},
      {FO_COPY, {"d", "merge/d"}, {"new2"},
       "cannot copy 'merge/d/pipe' to 'new2/d (2)/pipe': not a regular file, folder or link\n"
       "vandrix: cannot copy 'merge/d' to 'new2/d (2)': not all of it arrived, so none of it was "
       "placed", FOF_RENAMEONCOLLISION | kWorkers},
  };
  for (const Line& line : lines)
    EXPECT_EQ(StderrOf(line.function, line.from, line.to, kYes | line.flags),
              std::string("vandrix: ") + line.shown + "\n");
}

// What the user answers, and what is left afterwards. Fresh() files, plus
// out/a.txt ("OLD") and merge/d/f.txt ("OLD").
TEST_F(Engine, Confirmations) {
  struct Row {
    const char* what;
    UINT function;
    Paths from, to;
    std::deque<Answer> given;
    int code;
    BOOL aborted;
    std::size_t asked;
    Paths present, absent;
    const char* said = nullptr;  // standard error, when checked
  };
  const Answer y = Answer::kYes, n = Answer::kNo, all = Answer::kAll, c = Answer::kCancel;
  const Answer nobody = Answer::kNobody;
  const std::vector<Row> rows = {
      {"replace: yes", FO_COPY, {"a.txt"}, {"out"}, {y}, 0, FALSE, 1, {}, {}},
      {"replace: no skips", FO_COPY, {"a.txt", "b.txt"}, {"out"}, {n}, 0, TRUE, 1, {"out/b.txt"},
       {}},
      {"replace: cancel stops the rest", FO_COPY, {"a.txt", "b.txt"}, {"out"}, {c}, 0x4C7, TRUE,
       1, {}, {"out/b.txt"}},
      {"replace deep in a merge: no", FO_MOVE, {"d"}, {"merge"}, {n}, 0, TRUE, 1,
       {"d/f.txt", "merge/d/old.txt"}, {}},
      {"replace deep in a copy: cancel stops the rest of the tree", FO_COPY, {"d", "a.txt"},
       {"merge"}, {c}, 0x4C7, TRUE, 1, {"merge/d/old.txt"}, {"merge/d/g.txt", "merge/a.txt"}},
      {"rename: yes", FO_RENAME, {"b.txt"}, {"out/a.txt"}, {y}, 0x73, FALSE, 0, {"b.txt"}, {}},
      {"rename over a file: yes", FO_RENAME, {"a.txt"}, {"b.txt"}, {y}, 0, FALSE, 1, {"b.txt"},
       {"a.txt"}},
      {"delete: yes, no", FO_DELETE, {"a.txt", "b.txt"}, {}, {y, n}, 0, TRUE, 2, {"b.txt"},
       {"a.txt"}},
      {"delete: all", FO_DELETE, {"a.txt", "b.txt", "d"}, {}, {all}, 0, FALSE, 1, {},
       {"a.txt", "b.txt", "d"}},
      {"delete: cancel", FO_DELETE, {"a.txt", "b.txt"}, {}, {y, c}, 0x4C7, TRUE, 2, {"b.txt"},
       {"a.txt"}},
      // A cancel says how many items were not done: the one asked about
      // (some of its tree may be done) and those after it.
      {"cancel: the count of items not done", FO_COPY, {"a.txt", "b.txt", "d"}, {"out"}, {c},
       0x4C7, TRUE, 1, {}, {"out/b.txt", "out/d"}, "vandrix: cancelled: 3 of 3 items not done\n"},
      {"cancel in a tree: its item counts", FO_COPY, {"a.txt", "d", "noext"}, {"merge"}, {c},
       0x4C7, TRUE, 1, {"merge/a.txt"}, {"merge/noext"},
       "vandrix: cancelled: 2 of 3 items not done\n"},
      {"delete: cancel the last", FO_DELETE, {"a.txt"}, {}, {c}, 0x4C7, TRUE, 1, {"a.txt"}, {},
       "vandrix: cancelled: 1 of 1 item not done\n"},
      // With nobody to ask, the item is kept and the rest goes on.
      {"nobody to ask: kept, the rest goes on", FO_COPY, {"a.txt", "b.txt"}, {"out"}, {nobody},
       0, TRUE, 1, {"out/b.txt"}, {},
       "vandrix: kept 'out/a.txt': no terminal to ask; pass -c to replace\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Fresh();
    Write("out/a.txt", "OLD");
    Write("merge/d/f.txt", "OLD");
    Write("d/g.txt", "G");
    answers = row.given;
    testing::internal::CaptureStderr();
    const Outcome outcome = Request(row.function, row.from, row.to, row.said ? 0 : kQuiet);
    const std::string said = testing::internal::GetCapturedStderr();
    if (row.said) {
      EXPECT_EQ(said, row.said);
    }
    EXPECT_EQ(outcome.code, row.code);
    EXPECT_EQ(outcome.aborted, row.aborted);
    EXPECT_EQ(questions.size(), row.asked);
    ExpectPaths(row.present, row.absent);
  }
  Fresh();
  Write("out/a.txt", "OLD");
  answers = {Answer::kYes};
  EXPECT_EQ(Request(FO_COPY, {"a.txt"}, {"out"}).code, 0);
  EXPECT_EQ(questions, Paths{"replace 'out/a.txt'"});
  EXPECT_EQ(Read("out/a.txt"), "A");
}

// Without a terminal nobody can be asked: each file that would be replaced
// and each item that would be deleted is kept, a line says so and how to
// go ahead, and the rest goes on (a new file is copied). Run in a child in
// a session of its own, which has no controlling terminal.
TEST_F(Engine, NoTerminalKeepsEachItemAndGoesOn) {
  Write("out/a.txt", "OLD");
  int output[2];
  ASSERT_EQ(pipe(output), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (setsid() < 0 || dup2(output[1], STDERR_FILENO) < 0) _exit(100);
    const Outcome replace = Request(FO_COPY, {"a.txt", "b.txt"}, {"out"}, 0, nullptr, Hooks{});
    const Outcome remove = Request(FO_DELETE, {"b.txt", "d"}, {}, 0, nullptr, Hooks{});
    const bool kept = replace.code == 0 && remove.code == 0;
    _exit(kept && replace.aborted && remove.aborted ? 0 : 1);
  }
  close(output[1]);
  std::string shown;
  char buffer[256];
  for (ssize_t got; (got = read(output[0], buffer, sizeof buffer)) > 0;) shown.append(buffer, got);
  close(output[0]);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(shown,
            "vandrix: kept 'out/a.txt': no terminal to ask; pass -c to replace\n"
            "vandrix: kept 'b.txt': no terminal to ask; pass -c to delete\n"
            "vandrix: kept 'd': no terminal to ask; pass -c to delete\n");
  EXPECT_EQ(Read("out/a.txt"), "OLD");
  ExpectPaths({"b.txt", "d/f.txt", "out/b.txt"}, {});
}

// Every entry of `folder` and below, with a file's bytes and a link's text:
// what a dry run must leave as it was.
std::string Listing(const std::string& folder) {
  std::string listing;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const std::string path = entry.path().string();
    listing += path + (IsLink(path)                ? " -> " + fs::read_symlink(path).string()
                       : entry.is_regular_file() ? " = " + Read(path)
                                                 : "/") + "\n";
  }
  return listing;
}

// The tree w: w/a/f0..f9, w/b/f0..f4, w/b/in/f0..f4, w/b/z0..z4 and
// w/c.txt (in w/b a folder comes between files).
void MakeW() {
  for (const char* files : {"a/f9", "b/f4", "b/in/f4", "b/z4"})
    for (char last = '0'; last <= files[std::strlen(files) - 1]; ++last)
      Write(std::string("w/") + std::string(files, std::strlen(files) - 1) + last, "w");
  Write("w/c.txt", "c");
}

// What -v says of w in the walk's order: copied to `to`, each folder before
// its entries, or (`to` empty) removed, each folder after them, each line
// started by `removed` ("removed ", "would remove ").
std::string SaidOfW(const std::string& to, const std::string& removed = "removed ") {
  const auto line = [&](const std::string& item) {
    return to.empty() ? removed + "'" + item + "'\n"
                      : "'" + item + "' -> '" + to + item.substr(1) + "'\n";
  };
  const auto files = [&](const std::string& stem, int count) {
    std::string said;
    for (int i = 0; i < count; ++i) said += line(stem + std::to_string(i));
    return said;
  };
  const auto folder = [&](const std::string& name, const std::string& inside) {
    return to.empty() ? inside + line(name) : line(name) + inside;
  };
  return folder("w", folder("w/a", files("w/a/f", 10)) +
                         folder("w/b", files("w/b/f", 5) + folder("w/b/in", files("w/b/in/f", 5)) +
                                           files("w/b/z", 5)) +
                         line("w/c.txt"));
}

// What vandrix's -v and --dry-run say on standard output, item by item; a
// dry run changes nothing, asks nothing, and ends as the run would. Fresh()
// files, plus out/a.txt ("OLD"), the fifo sub/pipe and the tree w
// (MakeW). With workers the lines are the same, in the walk's order.
TEST_F(Engine, SaysEachItemDone) {
  setenv("XDG_DATA_HOME", (root_ + "/data").c_str(), 1);
  const std::string copied = SaidOfW("new"), removed = SaidOfW("");
  const std::string would_remove = SaidOfW("", "would remove ");
  struct Row {
    UINT function;
    Paths from, to;
    unsigned flags;
    int code;
    const char* said;
  };
  const unsigned v = kVerbose | kYes, dry = kDryRun;
  const std::vector<Row> rows = {
      {FO_COPY, {"d", "b.txt"}, {"new/deep"}, v, 0,
       "made folder 'new'\nmade folder 'new/deep'\n'd' -> 'new/deep/d'\n"
       "'d/f.txt' -> 'new/deep/d/f.txt'\n'b.txt' -> 'new/deep/b.txt'\n"},
      {FO_COPY, {"d", "b.txt"}, {"new/deep"}, dry, 0,
       "would make folder 'new'\nwould make folder 'new/deep'\nwould copy 'd' -> 'new/deep/d'\n"
       "would copy 'd/f.txt' -> 'new/deep/d/f.txt'\nwould copy 'b.txt' -> 'new/deep/b.txt'\n"},
      {FO_COPY, {"d"}, {"merge"}, v, 0, "'d/f.txt' -> 'merge/d/f.txt'\n"},
      // A new tree is said once placed; one that is not placed (a fifo in
      // sub) is not said at all.
      {FO_COPY, {"sub", "b.txt"}, {"out"}, v, engine::kErrorOther, "'b.txt' -> 'out/b.txt'\n"},
      {FO_COPY, {"sub", "b.txt"}, {"out"}, v | kWorkers, engine::kErrorOther,
       "'b.txt' -> 'out/b.txt'\n"},
      {FO_COPY, {"w"}, {"new"}, v | kWorkers, 0, copied.c_str()},
      {FO_DELETE, {"w"}, {}, v | kWorkers, 0, removed.c_str()},
      {FO_COPY, {"w"}, {"new"}, v, 0, copied.c_str()},
      {FO_DELETE, {"w"}, {}, v, 0, removed.c_str()},
      {FO_COPY, {"sub", "b.txt"}, {"out"}, dry, engine::kErrorOther,
       "would copy 'b.txt' -> 'out/b.txt'\n"},
      {FO_COPY, {"d", "merge/d"}, {"out"}, v | FOF_RENAMEONCOLLISION, 0,
       "'d' -> 'out/d'\n'd/f.txt' -> 'out/d/f.txt'\n'merge/d' -> 'out/d (2)'\n"
       "'merge/d/old.txt' -> 'out/d (2)/old.txt'\n"},
      {FO_COPY, {"d", "merge/d"}, {"out"}, v | FOF_RENAMEONCOLLISION | kWorkers, 0,
       "'d' -> 'out/d'\n'd/f.txt' -> 'out/d/f.txt'\n'merge/d' -> 'out/d (2)'\n"
       "'merge/d/old.txt' -> 'out/d (2)/old.txt'\n"},
      {FO_COPY, {"a.txt", "b.txt"}, {"out"}, dry, 0,
       "would ask: replace 'out/a.txt'\nwould copy 'a.txt' -> 'out/a.txt' (replacing it)\n"
       "would copy 'b.txt' -> 'out/b.txt'\n"},
      {FO_COPY, {"a.txt", "b.txt"}, {"out"}, v | kNoClobber, 0,
       "skipped 'a.txt': 'out/a.txt' exists\n'b.txt' -> 'out/b.txt'\n"},
      {FO_COPY, {"a.txt", "b.txt"}, {"out"}, dry | kNoClobber, 0,
       "would skip 'a.txt': 'out/a.txt' exists\nwould copy 'b.txt' -> 'out/b.txt'\n"},
      {FO_COPY, {"a.txt", "b.txt"}, {"out"}, v | kUpdate, 0,
       "skipped 'a.txt': 'out/a.txt' is newer\n'b.txt' -> 'out/b.txt'\n"},
      {FO_COPY, {"a.txt", "b.txt"}, {"out"}, dry | kUpdate, 0,
       "would skip 'a.txt': 'out/a.txt' is newer\nwould copy 'b.txt' -> 'out/b.txt'\n"},
      {FO_COPY, {"b.txt"}, {"out/a.txt"}, v | kUpdate, 0, "skipped 'b.txt': 'out/a.txt' is as new\n"},
      {FO_MOVE, {"out/a.txt"}, {"a.txt"}, dry | kUpdate, 0,
       "would ask: replace 'a.txt'\nwould move 'out/a.txt' -> 'a.txt' (replacing it)\n"},
      {FO_COPY, {"a.txt", "./a.txt"}, {"merge"}, dry | FOF_RENAMEONCOLLISION, 0,
       "would copy 'a.txt' -> 'merge/a.txt'\nwould copy './a.txt' -> 'merge/a (2).txt'\n"},
      {FO_COPY, {"a.txt", "./a.txt"}, {"merge"}, dry, engine::kErrorOther,
       "would copy 'a.txt' -> 'merge/a.txt'\n"},
      {FO_COPY, {"d"}, {"d/in"}, dry, engine::kErrorDestinationInSource, ""},
      {FO_MOVE, {"d", "b.txt"}, {"merge"}, v, 0,
       "'d/f.txt' -> 'merge/d/f.txt'\n'b.txt' -> 'merge/b.txt'\n"},
      {FO_MOVE, {"sub"}, {"new/sub"}, dry, 0,
       "would make folder 'new'\nwould move 'sub' -> 'new/sub'\n"},
      {FO_RENAME, {"a.txt"}, {"b.txt"}, dry, 0,
       "would ask: replace 'b.txt'\nwould rename 'a.txt' -> 'b.txt' (replacing it)\n"},
      {FO_DELETE, {"d", "b.txt"}, {}, v, 0, "removed 'd/f.txt'\nremoved 'd'\nremoved 'b.txt'\n"},
      {FO_DELETE, {"d"}, {}, dry, 0,
       "would ask: delete 'd'\nwould remove 'd/f.txt'\nwould remove 'd'\n"},
      {FO_DELETE, {"w"}, {}, dry | kYes | kWorkers, 0, would_remove.c_str()},
      {FO_DELETE, {"noext"}, {}, v | FOF_ALLOWUNDO, 0, "trashed 'noext'\n"},
      {FO_DELETE, {"*.txt"}, {}, dry | FOF_ALLOWUNDO | kYes, 0,
       "would trash '[ab].txt'\nwould trash 'a.txt'\nwould trash 'b.txt'\n"},
      {FO_DELETE, {"*.tmp"}, {}, dry | kYes, engine::kErrorFileNotFound, ""},
      // An earlier item takes a later source away, and two targets are one
      // place however they are written: the dry run fails as the run does.
      {FO_DELETE, {"a.txt", "a.txt"}, {}, dry | kYes, engine::kErrorFileNotFound,
       "would remove 'a.txt'\n"},
      {FO_DELETE, {"d", "d/f.txt"}, {}, dry | kYes, engine::kErrorFileNotFound,
       "would remove 'd/f.txt'\nwould remove 'd'\n"},
      {FO_MOVE, {"d", "d/f.txt"}, {"out"}, dry | kYes, engine::kErrorFileNotFound,
       "would move 'd' -> 'out/d'\n"},
      {FO_COPY, {"d", "merge/d"}, {"out/x", "./out/x"}, dry | kYes, engine::kErrorOther,
       "would copy 'd' -> 'out/x'\nwould copy 'd/f.txt' -> 'out/x/f.txt'\n"},
      {FO_COPY, {"a.txt", "b.txt"}, {"new/x", "new/../new/x"}, dry | kYes, engine::kErrorOther,
       "would make folder 'new'\nwould copy 'a.txt' -> 'new/x'\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.function << " " << testing::PrintToString(row.from)
                                    << " flags " << std::hex << row.flags);
    Fresh();
    fs::remove_all(root_ + "/data");
    Write("out/a.txt", "OLD");
    ASSERT_EQ(mkfifo("sub/pipe", 0600), 0);  // never copied
    // out/a.txt was changed a minute after a.txt, and b.txt with it.
    const struct timespec then[2] = {{0, UTIME_OMIT}, {1000000000, 0}};
    const struct timespec later[2] = {{0, UTIME_OMIT}, {1000000060, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, "a.txt", then, 0), 0);
    ASSERT_EQ(utimensat(AT_FDCWD, "out/a.txt", later, 0), 0);
    ASSERT_EQ(utimensat(AT_FDCWD, "b.txt", later, 0), 0);
    MakeW();
    const std::string before = Listing(here_);
    testing::internal::CaptureStdout();
    const int code = Request(row.function, row.from, row.to, row.flags | kQuiet).code;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), row.said);
    EXPECT_EQ(code, row.code);
    if (row.flags & kDryRun) {
      EXPECT_EQ(Listing(here_), before);
      EXPECT_FALSE(Exists(root_ + "/data/Trash"));
      EXPECT_TRUE(questions.empty());
      answers = {Answer::kAll};  // as the dry run goes on
      testing::internal::CaptureStdout();
      const int run = Request(row.function, row.from, row.to, (row.flags & ~dry) | kQuiet).code;
      testing::internal::GetCapturedStdout();
      EXPECT_EQ(run, row.code) << "the run ends otherwise than its dry run";
    }
  }
}

// ---------------------------------------------------------------------------
// Progress, with standard error taken for a terminal and a clock that moves
// 300 ms each time it is read.

std::int64_t fake_now = 0;
std::int64_t FakeClock() { return fake_now += 300; }

class Progress : public Engine {
 protected:
  std::string Shown(FILEOP_FLAGS flags) {
    Hooks hooks = Answering();
    hooks.terminal = true;
    hooks.clock = FakeClock;
    testing::internal::CaptureStderr();
    EXPECT_EQ(Request(FO_COPY, {"a.txt", "b.txt", "d"}, {"out"}, flags, "Backing up", hooks).code,
              0);
    return testing::internal::GetCapturedStderr();
  }
};

TEST_F(Progress, LineShowsTitleCountsAndNameThenIsCleared) {
  const std::string shown = Shown(kQuiet);
  EXPECT_NE(shown.find("\rBacking up: 100%, 4 of 4 items, 3 B of 3 B"), std::string::npos) << shown;
  EXPECT_NE(shown.find(": d/f.txt"), std::string::npos) << shown;
  EXPECT_EQ(shown.find('\n'), std::string::npos) << shown;
  const std::size_t last = shown.rfind('\r', shown.size() - 2);
  ASSERT_NE(last, std::string::npos);
  EXPECT_EQ(shown.substr(last), "\r" + std::string(shown.size() - last - 2, ' ') + "\r");
  EXPECT_GT(shown.size() - last, 30u) << "the clearing covers the line";
}

TEST_F(Progress, SimpleProgressHidesNamesAndSilentHidesAll) {
  const std::string simple = Shown(kQuiet | FOF_SIMPLEPROGRESS | FOF_NOCONFIRMATION);
  EXPECT_NE(simple.find("Backing up: "), std::string::npos) << simple;
  EXPECT_EQ(simple.find("txt"), std::string::npos) << simple;
  EXPECT_EQ(Shown(kQuiet | FOF_SILENT | FOF_NOCONFIRMATION), "");
}

}  // namespace
}  // namespace engine_test
