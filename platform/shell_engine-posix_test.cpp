// Tests of the file-operation engine, on real files in a temporary folder
// that is each test's current directory.
#include "platform/shell_engine-posix.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using Paths = std::vector<std::string>;
using platform::RunFileOperation;

constexpr FILEOP_FLAGS kQuiet = FOF_NOERRORUI;

// The shell's list form: each path and a NUL, then one more NUL.
std::string List(const Paths& paths) {
  std::string list;
  for (const std::string& path : paths) list.append(path).push_back('\0');
  if (list.empty()) list.push_back('\0');
  return list + '\0';
}

struct Outcome {
  int code;
  BOOL aborted;
};

// Runs a request with the flags the program adds itself.
Outcome Request(UINT function, const Paths& from, const Paths& to, FILEOP_FLAGS flags = kQuiet) {
  const std::string from_list = List(from), to_list = List(to);
  SHFILEOPSTRUCTA request{};
  request.wFunc = function;
  request.pFrom = from_list.c_str();
  request.pTo = to_list.c_str();
  request.fFlags = flags | FOF_NOCONFIRMMKDIR | (function == FO_RENAME ? 0 : FOF_MULTIDESTFILES);
  request.fAnyOperationsAborted = TRUE;
  const int code = RunFileOperation(&request);
  return {code, request.fAnyOperationsAborted};
}

void Write(const std::string& path, const std::string& text) {
  const fs::path parent = fs::path(path).parent_path();
  if (!parent.empty()) fs::create_directories(parent);
  std::ofstream(path, std::ios::binary) << text;
}

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return in ? text.str() : "<unreadable>";
}

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

bool IsLink(const std::string& path) {
  return fs::is_symlink(fs::symlink_status(path));
}

// A folder on another file system than `near`, or "" (tests needing one skip).
std::string OtherFileSystemFolder(const std::string& near) {
  struct stat here, shm;
  if (stat(near.c_str(), &here) != 0 || stat("/dev/shm", &shm) != 0) return "";
  std::string pattern = "/dev/shm/vandrix-engine-XXXXXX";
  if (here.st_dev == shm.st_dev || !mkdtemp(&pattern[0])) return "";
  return pattern;
}

struct Case {
  const char* what;
  UINT function;
  Paths from, to;
  FILEOP_FLAGS flags;
  int code;
  Paths present, absent;
};

void ExpectPaths(const Paths& present, const Paths& absent) {
  for (const std::string& path : present) EXPECT_TRUE(Exists(path)) << path << " is missing";
  for (const std::string& path : absent) EXPECT_FALSE(Exists(path)) << path << " exists";
}

// Each test runs in its own temporary folder; Fresh() gives every table row
// a new folder of its own, with the same starting files.
class Engine : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/vandrix-engine-XXXXXX";
    ASSERT_NE(mkdtemp(&pattern[0]), nullptr);
    root_ = fs::canonical(pattern).string();
    old_cwd_ = fs::current_path();
    Fresh();
  }
  void TearDown() override {
    fs::current_path(old_cwd_);
    std::error_code ignored;
    fs::remove_all(root_, ignored);
    if (!other_.empty()) fs::remove_all(other_, ignored);
    unsetenv("XDG_DATA_HOME");
  }
  void Fresh() {
    here_ = root_ + "/case" + std::to_string(++cases_);
    fs::create_directory(here_);
    fs::current_path(here_);
    Write("a.txt", "A");
    Write("b.txt", "B");
    Write("d/f.txt", "F");
    Write("merge/d/old.txt", "O");
    Write("sub/x.txt", "X");
    fs::create_directory("out");
  }
  void Check(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.what);
      Fresh();
      EXPECT_EQ(Request(c.function, c.from, c.to, c.flags | kQuiet).code, c.code);
      ExpectPaths(c.present, c.absent);
    }
  }
  std::string root_, here_, other_;
  fs::path old_cwd_;
  int cases_ = 0;
};

// ---------------------------------------------------------------------------

TEST_F(Engine, DestinationRules) {
  const std::vector<Case> cases = {
      {"file into folder", FO_COPY, {"a.txt"}, {"out"}, 0, 0, {"a.txt", "out/a.txt"}, {}},
      {"file to new name", FO_COPY, {"a.txt"}, {"new/deep/c.txt"}, 0, 0, {"new/deep/c.txt"}, {}},
      {"several into new folder", FO_COPY, {"a.txt", "b.txt"}, {"made"}, 0, 0,
       {"made/a.txt", "made/b.txt"}, {}},
      {"slash names a folder", FO_COPY, {"a.txt"}, {"made/"}, 0, 0, {"made/a.txt"}, {}},
      {"paired", FO_COPY, {"a.txt", "b.txt"}, {"p.txt", "out"}, 0, 0, {"p.txt", "out/b.txt"},
       {"out/a.txt"}},
      {"folder to new name", FO_COPY, {"d"}, {"d2"}, 0, 0, {"d2/f.txt"}, {}},
      {"folder merges", FO_COPY, {"d/"}, {"merge"}, 0, 0, {"merge/d/f.txt", "merge/d/old.txt"}, {}},
      {"move into folder", FO_MOVE, {"a.txt"}, {"out"}, 0, 0, {"out/a.txt"}, {"a.txt"}},
      {"move merges", FO_MOVE, {"d"}, {"merge"}, 0, 0, {"merge/d/f.txt", "merge/d/old.txt"},
       {"d"}},
      {"delete ignores pTo", FO_DELETE, {"d", "a.txt"}, {"out"}, 0, 0, {"out", "b.txt"},
       {"d", "a.txt"}},
      {"count mismatch", FO_COPY, {"a.txt", "b.txt"}, {"p", "q", "r"}, 0, 0x7C, {}, {"p", "q"}},
      {"no destination", FO_MOVE, {"a.txt"}, {}, 0, 0x7C, {"a.txt"}, {}},
      {"no source", FO_DELETE, {}, {}, 0, 0x7C, {}, {}},
      {"unknown function", 9, {"a.txt"}, {"out"}, 0, 0x7C, {}, {"out/a.txt"}},
      {"missing copy source", FO_COPY, {"a.txt", "nope"}, {"out"}, 0, 2, {}, {"out/a.txt"}},
      {"missing delete source", FO_DELETE, {"a.txt", "nope"}, {}, 0, 2, {"a.txt"}, {}},
  };
  Check(cases);
}

TEST_F(Engine, ExistingTargets) {
  struct Row {
    UINT function;
    FILEOP_FLAGS flags;
    int code;
    BOOL aborted;
    const char* old_target;  // out/a.txt afterwards
    bool third;              // "out/a (3).txt" made
  };
  const std::vector<Row> rows = {
      {FO_COPY, 0, 0x4C7, TRUE, "OLD", false},
      {FO_COPY, FOF_NOCONFIRMATION, 0, FALSE, "A", false},
      {FO_COPY, FOF_RENAMEONCOLLISION, 0, FALSE, "OLD", true},
      {FO_MOVE, 0, 0x4C7, TRUE, "OLD", false},
      {FO_MOVE, FOF_NOCONFIRMATION, 0, FALSE, "A", false},
      {FO_MOVE, FOF_RENAMEONCOLLISION, 0, FALSE, "OLD", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.function << " flags " << row.flags);
    Fresh();
    Write("out/a.txt", "OLD");
    Write("out/a (2).txt", "TWO");
    const Outcome outcome = Request(row.function, {"a.txt"}, {"out"}, row.flags | kQuiet);
    EXPECT_EQ(outcome.code, row.code);
    EXPECT_EQ(outcome.aborted, row.aborted);
    EXPECT_EQ(Read("out/a.txt"), row.old_target);
    EXPECT_EQ(Read("out/a (2).txt"), "TWO");
    EXPECT_EQ(Exists("out/a (3).txt"), row.third);
    EXPECT_EQ(Exists("a.txt"), row.function == FO_COPY || row.aborted);
  }
}

TEST_F(Engine, Rename) {
  const std::vector<Case> cases = {
      {"bare name stays in folder", FO_RENAME, {"sub/x.txt"}, {"y.txt"}, 0, 0, {"sub/y.txt"},
       {"sub/x.txt", "y.txt"}},
      {"other folder", FO_RENAME, {"sub/x.txt"}, {"./x.txt"}, 0, 0x73, {"sub/x.txt"}, {"x.txt"}},
      {"exists, no confirmation", FO_RENAME, {"a.txt"}, {"b.txt"}, 0, 0x4C7, {"a.txt"}, {}},
      {"file replaces file", FO_RENAME, {"a.txt"}, {"b.txt"}, FOF_NOCONFIRMATION, 0, {"b.txt"},
       {"a.txt"}},
      {"folder never replaced", FO_RENAME, {"a.txt"}, {"sub"}, FOF_NOCONFIRMATION, 5,
       {"a.txt", "sub/x.txt"}, {}},
      {"folder never replaces", FO_RENAME, {"sub"}, {"a.txt"}, FOF_NOCONFIRMATION, 5,
       {"a.txt", "sub/x.txt"}, {}},
      {"two sources", FO_RENAME, {"a.txt", "b.txt"}, {"c.txt"}, 0, 0x7C, {"a.txt"}, {"c.txt"}},
  };
  Check(cases);
}

TEST_F(Engine, Refusals) {
  const std::vector<Case> cases = {
      {"copy onto itself", FO_COPY, {"a.txt"}, {"."}, 0, 0x71, {}, {}},
      {"move onto itself", FO_MOVE, {"a.txt"}, {"a.txt"}, 0, 0x71, {"a.txt"}, {}},
      {"copy into own tree", FO_COPY, {"d"}, {"d/in/deep"}, 0, 0x76, {}, {"d/in"}},
      {"copy folder into itself", FO_COPY, {"d"}, {"d"}, 0, 0x76, {}, {"d/d"}},
      {"move into own tree", FO_MOVE, {"d"}, {"d/in"}, 0, 0x76, {"d/f.txt"}, {"d/in"}},
      {"delete ..", FO_DELETE, {".."}, {}, 0, 0x7C, {"a.txt"}, {}},
      {"delete d/..", FO_DELETE, {"d/.."}, {}, 0, 0x7C, {"a.txt", "d/f.txt"}, {}},
  };
  Check(cases);
  ASSERT_EQ(mkfifo("d/pipe", 0600), 0);
  EXPECT_EQ(Request(FO_COPY, {"d"}, {"d2"}).code, platform::kErrorOther);
  ExpectPaths({"d2/f.txt"}, {"d2/pipe"});
}

// Run in a child shut in the test folder by chroot, so that a fault could
// only ever reach the test folder.
TEST_F(Engine, RootFolderIsNeverDeleted) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (chroot(here_.c_str()) != 0 || chdir("/") != 0) _exit(100);
    _exit(Request(FO_DELETE, {"/"}, {}).code == platform::kErrorAccessDenied ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 100) GTEST_SKIP() << "chroot is not allowed here";
  EXPECT_EQ(WEXITSTATUS(status), 0);
  ExpectPaths({"a.txt", "d/f.txt"}, {});
}

TEST_F(Engine, CopyKeepsBytesModeAndTime) {
  std::string bytes(300 * 1024, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 % 251);
  Write("big.bin", bytes);
  const struct timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
  for (const char* item : {"big.bin", "d"}) {
    ASSERT_EQ(chmod(item, 0750), 0);
    ASSERT_EQ(utimensat(AT_FDCWD, item, times, 0), 0);
  }
  ASSERT_EQ(Request(FO_COPY, {"big.bin", "d"}, {"out"}).code, 0);
  EXPECT_EQ(Read("out/big.bin"), bytes);
  for (const char* item : {"out/big.bin", "out/d"}) {
    struct stat st;
    ASSERT_EQ(stat(item, &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0750u) << item;
    EXPECT_EQ(st.st_mtim.tv_sec, 1000000000) << item;
  }
}

TEST_F(Engine, LinksAreNeverFollowedInsideATree) {
  Write(root_ + "/outside/keep.txt", "K");
  ASSERT_EQ(symlink((root_ + "/outside").c_str(), "d/link"), 0);
  ASSERT_EQ(symlink("a.txt", "la"), 0);
  ASSERT_EQ(symlink("nowhere", "dangling"), 0);
  ASSERT_EQ(Request(FO_COPY, {"d", "la"}, {"copy"}).code, 0);
  EXPECT_TRUE(IsLink("copy/d/link"));
  EXPECT_EQ(fs::read_symlink("copy/d/link"), root_ + "/outside");
  EXPECT_FALSE(IsLink("copy/la"));  // a link named as a source is followed
  EXPECT_EQ(Read("copy/la"), "A");
  EXPECT_EQ(Request(FO_COPY, {"dangling"}, {"out"}).code, 2);
  ASSERT_EQ(Request(FO_DELETE, {"copy", "d", "dangling"}, {}).code, 0);
  ExpectPaths({root_ + "/outside/keep.txt", "a.txt"}, {"copy", "d", "dangling"});
}

TEST_F(Engine, TrashKeepsItemAndRecordsWhereItWas) {
  setenv("XDG_DATA_HOME", (root_ + "/data").c_str(), 1);
  Write("my file%.txt", "1");
  ASSERT_EQ(Request(FO_DELETE, {"my file%.txt"}, {}, kQuiet | FOF_ALLOWUNDO).code, 0);
  Write("my file%.txt", "2");
  ASSERT_EQ(Request(FO_DELETE, {"my file%.txt", "d"}, {}, kQuiet | FOF_ALLOWUNDO).code, 0);
  const std::string trash = root_ + "/data/Trash/";
  EXPECT_EQ(Read(trash + "files/my file%.txt"), "1");
  EXPECT_EQ(Read(trash + "files/my file% (2).txt"), "2");
  EXPECT_EQ(Read(trash + "files/d/f.txt"), "F");
  const std::regex info("\\[Trash Info\\]\nPath=" + here_ + "/my%20file%25\\.txt\n" +
                        "DeletionDate=\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\n");
  EXPECT_TRUE(std::regex_match(Read(trash + "info/my file% (2).txt.trashinfo"), info));
  EXPECT_FALSE(Exists("my file%.txt"));
}

// Across file systems a move copies, then removes; the trash refuses.
TEST_F(Engine, AnotherFileSystem) {
  other_ = OtherFileSystemFolder(root_);
  if (other_.empty()) GTEST_SKIP() << "no second file system";
  setenv("XDG_DATA_HOME", other_.c_str(), 1);
  EXPECT_EQ(Request(FO_DELETE, {"b.txt"}, {}, kQuiet | FOF_ALLOWUNDO).code, platform::kErrorOther);
  EXPECT_EQ(Read("b.txt"), "B");
  EXPECT_TRUE(fs::is_empty(other_ + "/Trash/info"));
  ASSERT_EQ(symlink("f.txt", "d/link"), 0);
  ASSERT_EQ(Request(FO_MOVE, {"d", "a.txt"}, {other_ + "/to"}).code, 0);
  EXPECT_EQ(Read(other_ + "/to/d/f.txt"), "F");
  EXPECT_TRUE(IsLink(other_ + "/to/d/link"));
  ExpectPaths({other_ + "/to/a.txt"}, {"d", "a.txt"});
  // A fifo is never copied, so that folder's move fails: its partial copy
  // goes and the folder stays.
  Write("e/g.txt", "G");
  ASSERT_EQ(mkfifo("e/pipe", 0600), 0);
  EXPECT_EQ(Request(FO_MOVE, {"e"}, {other_ + "/to"}).code, platform::kErrorOther);
  ExpectPaths({"e/g.txt", "e/pipe"}, {other_ + "/to/e"});
}

// A copy that fails half way (the file-size limit stops the writes) leaves
// the old target as it was and no temporary file.
TEST_F(Engine, FailedCopyLeavesOldTargetAndNoTemporaryFile) {
  Write("big.bin", std::string(1 << 20, 'x'));
  Write("out/big.bin", "OLD");
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const struct rlimit limit = {64 * 1024, 64 * 1024};
    signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limit);
    _exit(Request(FO_COPY, {"big.bin"}, {"out"}, kQuiet | FOF_NOCONFIRMATION).code == 0 ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(Read("out/big.bin"), "OLD");
  EXPECT_EQ(std::distance(fs::directory_iterator("out"), fs::directory_iterator()), 1);
}

std::string StderrOf(UINT function, const Paths& from, const Paths& to, FILEOP_FLAGS flags) {
  testing::internal::CaptureStderr();
  Request(function, from, to, flags);
  return testing::internal::GetCapturedStderr();
}

TEST_F(Engine, ErrorLinesOnlyWithoutNoErrorUi) {
  ASSERT_EQ(mkfifo("pipe", 0600), 0);
  const std::string shown = StderrOf(FO_COPY, {"pipe", "a.txt"}, {"out"}, 0);
  EXPECT_NE(shown.find("copy 'pipe'"), std::string::npos) << shown;
  EXPECT_EQ(std::count(shown.begin(), shown.end(), '\n'), 1) << shown;
  EXPECT_EQ(StderrOf(FO_COPY, {"pipe"}, {"out"}, FOF_NOERRORUI), "");
  EXPECT_FALSE(Exists("out/pipe"));  // a fifo is never opened or copied
  EXPECT_TRUE(Exists("out/a.txt"));  // the items after a failed one go on
}

}  // namespace
