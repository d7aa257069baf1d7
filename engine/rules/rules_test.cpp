// Tests of what an item meets at its target and what is never done: an
// existing target, a rename's clashes, refusals, the root folder.
#include <sys/wait.h>

#include "engine/base/errors.h"
#include "engine_fixture.h"

namespace engine_test {
namespace {

TEST_F(Engine, ExistingTargets) {
  struct Row {
    UINT function;
    unsigned flags;
    int code;
    BOOL aborted;
    const char* old_target;  // out/a.txt afterwards
    bool third;              // "out/a (3).txt" made
    long long later_ns = 0;  // out/a.txt was changed this long after a.txt (less: before)
  };
  constexpr long long kSecond = 1'000'000'000, kMinute = 60 * kSecond;
  const std::vector<Row> rows = {
      {FO_COPY, 0, 0x4C7, TRUE, "OLD", false},
      {FO_COPY, FOF_NOCONFIRMATION, 0, FALSE, "A", false},
      {FO_COPY, FOF_RENAMEONCOLLISION, 0, FALSE, "OLD", true},
      {FO_MOVE, 0, 0x4C7, TRUE, "OLD", false},
      {FO_MOVE, FOF_NOCONFIRMATION, 0, FALSE, "A", false},
      {FO_MOVE, FOF_RENAMEONCOLLISION, 0, FALSE, "OLD", true},
      // -n skips, asking nothing (the user here would cancel), and wins over -c.
      {FO_COPY, kNoClobber, 0, FALSE, "OLD", false},
      {FO_MOVE, kNoClobber, 0, FALSE, "OLD", false},
      {FO_MOVE, kNoClobber | FOF_NOCONFIRMATION, 0, FALSE, "OLD", false},
      // --update skips a file as new or newer, asking nothing; an older one
      // is replaced as ever (asked: the user here cancels), to the
      // nanosecond.
      {FO_COPY, kUpdate, 0, FALSE, "OLD", false, kMinute},
      {FO_COPY, kUpdate | FOF_NOCONFIRMATION, 0, FALSE, "OLD", false, 0},
      {FO_COPY, kUpdate | FOF_NOCONFIRMATION, 0, FALSE, "A", false, -1},
      {FO_COPY, kUpdate, 0x4C7, TRUE, "OLD", false, -kMinute},
      {FO_MOVE, kUpdate | FOF_NOCONFIRMATION, 0, FALSE, "OLD", false, 1},
      {FO_MOVE, kUpdate | FOF_NOCONFIRMATION, 0, FALSE, "A", false, -kMinute},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.function << " flags " << row.flags);
    Fresh();
    Write("out/a.txt", "OLD");
    Write("out/a (2).txt", "TWO");
    const long long then = 1'000'000'000 * kSecond, there = then + row.later_ns;
    const struct timespec source[2] = {{0, UTIME_OMIT}, {then / kSecond, then % kSecond}};
    const struct timespec target[2] = {{0, UTIME_OMIT}, {there / kSecond, there % kSecond}};
    ASSERT_EQ(utimensat(AT_FDCWD, "a.txt", source, 0), 0);
    ASSERT_EQ(utimensat(AT_FDCWD, "out/a.txt", target, 0), 0);
    const Outcome outcome = Request(row.function, {"a.txt"}, {"out"}, row.flags | kQuiet);
    EXPECT_EQ(outcome.code, row.code);
    EXPECT_EQ(outcome.aborted, row.aborted);
    EXPECT_EQ(Read("out/a.txt"), row.old_target);
    EXPECT_EQ(Read("out/a (2).txt"), "TWO");
    EXPECT_EQ(Exists("out/a (3).txt"), row.third);
    EXPECT_EQ(Exists("a.txt"),
              row.function == FO_COPY || (std::string(row.old_target) == "OLD" && !row.third));
  }
}

TEST_F(Engine, Rename) {
  const std::vector<Case> cases = {
      {"bare name stays in folder", FO_RENAME, {"sub/x.txt"}, {"y.txt"}, 0, 0, {"sub/y.txt"},
       {"sub/x.txt", "y.txt"}},
      {"other folder", FO_RENAME, {"sub/x.txt"}, {"./x.txt"}, 0, 0x73, {"sub/x.txt"}, {"x.txt"}},
      {"exists, nobody to ask", FO_RENAME, {"a.txt"}, {"b.txt"}, 0, 0x4C7, {"a.txt"}, {}},
      {"collision takes next free name", FO_RENAME, {"a.txt"}, {"b.txt"},
       FOF_RENAMEONCOLLISION, 0, {"b.txt", "b (2).txt"}, {"a.txt", "b (3).txt"}},
      {"folder collision", FO_RENAME, {"sub"}, {"d"}, FOF_RENAMEONCOLLISION, 0,
       {"d/f.txt", "d (2)/x.txt"}, {"sub", "d/x.txt"}},
      {"wildcard source", FO_RENAME, {"a.*"}, {"c.txt"}, kYes, 0x7C, {"a.txt"}, {"c.txt"}},
      {"file replaces file", FO_RENAME, {"a.txt"}, {"b.txt"}, FOF_NOCONFIRMATION, 0, {"b.txt"},
       {"a.txt"}},
      {"folder never replaced", FO_RENAME, {"a.txt"}, {"sub"}, FOF_NOCONFIRMATION, 5,
       {"a.txt", "sub/x.txt"}, {}},
      {"folder never replaces", FO_RENAME, {"sub"}, {"a.txt"}, FOF_NOCONFIRMATION, 5,
       {"a.txt", "sub/x.txt"}, {}},
      {"two sources", FO_RENAME, {"a.txt", "b.txt"}, {"c.txt"}, 0, 0x7C, {"a.txt"}, {"c.txt"}},
      {"no clobber keeps the name's file", FO_RENAME, {"a.txt"}, {"b.txt"}, kNoClobber | kYes, 0,
       {"a.txt", "b.txt"}, {}, nullptr, [] { EXPECT_EQ(Read("b.txt"), "B"); }},
  };
  Check(cases);
}

TEST_F(Engine, Refusals) {
  other_ = OtherFileSystemFolder(root_);  // where a move of "." would copy, then delete
  const std::string elsewhere = (other_.empty() ? root_ : other_) + "/elsewhere";
  const std::string across = (other_.empty() ? root_ : other_) + "/across";
  const auto second_f = [] {
    Write("sub/f.txt", "S");
    return true;
  };
  const auto first_f_in = [](const std::string& folder) {
    return [folder] {
      EXPECT_EQ(Read(folder + "/f.txt"), "F");
      fs::remove_all(folder + "/f.txt");
    };
  };
  const std::vector<Case> cases = {
      {"copy onto itself", FO_COPY, {"a.txt"}, {"."}, 0, 0x71, {}, {}},
      {"move onto itself", FO_MOVE, {"a.txt"}, {"a.txt"}, 0, 0x71, {"a.txt"}, {}},
      {"copy into own tree", FO_COPY, {"d"}, {"d/in/deep"}, 0, 0x76, {}, {"d/in"}},
      {"copy folder into itself", FO_COPY, {"d"}, {"d"}, 0, 0x76, {}, {"d/d"}},
      {"move into own tree", FO_MOVE, {"d"}, {"d/in"}, 0, 0x76, {"d/f.txt"}, {"d/in"}},
      {"copy into itself by another path", FO_COPY, {"d"}, {"nothere/../d/x"}, 0, 0x76, {},
       {"d/x"}},
      {"copy into itself through a link", FO_COPY, {"d"}, {"dlink/x"}, 0, 0x76, {}, {"d/x"},
       [] { return symlink("d", "dlink") == 0; }},
      {"copy into itself through a bind mount", FO_COPY, {"d"}, {"bound/x"}, 0, 0x76, {},
       {"d/x"}, [] { return BindMount("d", "bound"); },
       [] { umount2("bound", MNT_DETACH); }},
      {"delete ..", FO_DELETE, {".."}, {}, 0, 0x7C, {"a.txt"}, {}},
      {"delete d/..", FO_DELETE, {"d/.."}, {}, 0, 0x7C, {"a.txt", "d/f.txt"}, {}},
      {"move . elsewhere", FO_MOVE, {".", "sub/."}, {elsewhere}, 0, 0x7C,
       {"a.txt", "d/f.txt", "sub/x.txt"}, {elsewhere}},
      {"move a link onto the file it names", FO_MOVE, {"f.txt"}, {"d"}, kYes, 0x71, {"f.txt"},
       {}, [] { return symlink("d/f.txt", "f.txt") == 0; },
       [] { EXPECT_EQ(Read("d/f.txt"), "F"); }},
      {"rename a link onto the file it names", FO_RENAME, {"lb"}, {"b.txt"}, kYes, 0x71,
       {"lb"}, {}, [] { return symlink("b.txt", "lb") == 0; },
       [] { EXPECT_EQ(Read("b.txt"), "B"); }},
      {"copy a tree whose link names the file it would replace", FO_COPY, {"t"}, {"out"}, kYes,
       0x71, {"t/x"}, {},
       [this] {
         Write("out/t/x", "X");
         return fs::create_directory("t") && symlink((here_ + "/out/t/x").c_str(), "t/x") == 0;
       },
       [] { EXPECT_EQ(Read("out/t/x"), "X"); }},
      // What the request itself placed is never replaced or merged into: a
      // second item of the same name is refused and stays where it is.
      {"two files of one name into a folder", FO_MOVE, {"d/f.txt", "sub/f.txt"}, {"out"}, kYes,
       engine::kErrorOther, {"sub/f.txt"}, {"d/f.txt"}, second_f, first_f_in("out")},
      {"two files of one name, copied", FO_COPY, {"d/f.txt", "sub/f.txt"}, {"out"}, kYes,
       engine::kErrorOther, {"d/f.txt", "sub/f.txt"}, {}, second_f, first_f_in("out")},
      {"two wildcards", FO_MOVE, {"d/*", "sub/*"}, {"out"}, kYes, engine::kErrorOther,
       {"out/x.txt", "sub/f.txt"}, {"d/f.txt", "sub/x.txt"}, second_f, first_f_in("out")},
      {"two files of one name across file systems", FO_MOVE, {"d/f.txt", "sub/f.txt"}, {across},
       kYes, engine::kErrorOther, {"sub/f.txt"}, {"d/f.txt"}, second_f, first_f_in(across)},
      {"two sources to one new name", FO_MOVE, {"a.txt", "b.txt"}, {"x.txt", "x.txt"}, kYes,
       engine::kErrorOther, {"b.txt"}, {"a.txt"}, nullptr,
       [] { EXPECT_EQ(Read("x.txt"), "A"); }},
      {"two folders of one name", FO_MOVE, {"d", "merge/d"}, {"out"}, kYes, engine::kErrorOther,
       {"out/d/f.txt", "merge/d/old.txt"}, {"out/d/old.txt", "d"}},
      {"-r gives the second a free name", FO_COPY, {"d/f.txt", "sub/f.txt"}, {"out"},
       FOF_RENAMEONCOLLISION, 0, {"out/f (2).txt"}, {}, second_f, first_f_in("out")},
  };
  Check(cases);
  // A FIFO in a tree fails on its own: into a folder that is there the rest
  // arrives; a new tree is not made at all, and leaves no hidden folder.
  ASSERT_EQ(mkfifo("d/pipe", 0600), 0);
  ASSERT_EQ(mkdir("into", 0755) + mkdir("into/d", 0755), 0);
  EXPECT_EQ(Request(FO_COPY, {"d"}, {"into"}).code, engine::kErrorOther);
  ExpectPaths({"into/d/f.txt"}, {"into/d/pipe"});
  EXPECT_EQ(Request(FO_COPY, {"d"}, {"d2"}).code, engine::kErrorOther);
  ExpectPaths({"d/f.txt"}, {"d2"});
  for (const std::string& name : EntriesOf(".")) EXPECT_EQ(name.find(".d2."), std::string::npos);
}

// Run in a child shut in the test folder by chroot, so that a fault could
// only ever reach the test folder.
TEST_F(Engine, RootFolderIsNeverDeleted) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (chroot(here_.c_str()) != 0 || chdir("/") != 0) _exit(100);
    _exit(Request(FO_DELETE, {"/"}, {}).code == engine::kErrorAccessDenied ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 100) GTEST_SKIP() << "chroot is not allowed here";
  EXPECT_EQ(WEXITSTATUS(status), 0);
  ExpectPaths({"a.txt", "d/f.txt"}, {});
}

}  // namespace
}  // namespace engine_test
