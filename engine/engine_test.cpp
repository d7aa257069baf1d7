// Tests of the file-operation engine, on real files in a temporary folder
// that is each test's current directory.
#include "engine/engine.h"

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <new>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/base/errors.h"
#include "engine/terminal/progress.h"
#include "engine/terminal/prompt.h"
#include "platform/shell.h"

namespace {

// The engine is reached as the program reaches it: through the shell's
// request record, translated at the boundary (platform/shell-posix.cpp).
namespace fs = std::filesystem;
using Paths = std::vector<std::string>;
using engine::Answer;
using engine::Hooks;

constexpr FILEOP_FLAGS kQuiet = FOF_NOERRORUI;
constexpr FILEOP_FLAGS kYes = FOF_NOCONFIRMATION;

// The user, as the tests play it: answers given in turn, then "cancel" (as
// when nobody can be asked); the questions put are kept.
std::deque<Answer> answers;
Paths questions;

Answer Answerer(const std::string& question) {
  questions.push_back(question);
  if (answers.empty()) return Answer::kCancel;
  const Answer answer = answers.front();
  answers.pop_front();
  return answer;
}

// The hooks every request gets unless a test gives others: the user above.
Hooks Answering() {
  Hooks hooks;
  hooks.answer = Answerer;
  return hooks;
}

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
Outcome Request(UINT function, const Paths& from, const Paths& to, FILEOP_FLAGS flags = kQuiet,
                const char* title = nullptr, const Hooks& hooks = Answering()) {
  const std::string from_list = List(from), to_list = List(to);
  SHFILEOPSTRUCTA request{};
  request.lpszProgressTitle = title;
  request.wFunc = function;
  request.pFrom = from_list.c_str();
  request.pTo = to_list.c_str();
  request.fFlags = flags | FOF_NOCONFIRMMKDIR |
                   (function != FO_RENAME && to.size() > 1 ? FOF_MULTIDESTFILES : 0);
  request.fAnyOperationsAborted = TRUE;
  const int code = platform::SHFileOperationByEngine(&request, hooks);
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

// Mounts in a mount namespace private to this test program (they need the
// right to mount; else the test or row is skipped).
bool PrivateMounts() {
  return unshare(CLONE_NEWNS) == 0 &&
         mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

// A file system of its own: a tmpfs at `at`; "" when it cannot be mounted.
std::string MountScratchFileSystem(const std::string& at) {
  fs::create_directory(at);
  if (!PrivateMounts()) return "";
  return mount("vandrix", at.c_str(), "tmpfs", 0, "mode=0755") == 0 ? at : "";
}

// The folder `from` seen a second time at `at`.
bool BindMount(const std::string& from, const std::string& at) {
  fs::create_directory(at);
  return PrivateMounts() && mount(from.c_str(), at.c_str(), nullptr, MS_BIND, nullptr) == 0;
}

struct Case {
  const char* what;
  UINT function;
  Paths from, to;
  FILEOP_FLAGS flags;
  int code;
  Paths present, absent;
  std::function<bool()> setup = nullptr;  ///< more starting files; false skips the row
  std::function<void()> after = nullptr;  ///< more checks
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
    Write(".hidden", "H");
    Write("noext", "N");
    Write("[ab].txt", "L");
    fs::create_directory("out");
    answers.clear();
    questions.clear();
  }
  void Check(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.what);
      Fresh();
      if (c.setup && !c.setup()) {
        std::printf("[ SKIPPED  ] %s: not possible here\n", c.what);
        continue;
      }
      EXPECT_EQ(Request(c.function, c.from, c.to, c.flags | kQuiet).code, c.code);
      ExpectPaths(c.present, c.absent);
      if (c.after) c.after();
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
      {"delete ignores pTo", FO_DELETE, {"d", "a.txt"}, {"out"}, kYes, 0, {"out", "b.txt"},
       {"d", "a.txt"}},
      {"count mismatch", FO_COPY, {"a.txt", "b.txt"}, {"p", "q", "r"}, 0, 0x7C, {}, {"p", "q"}},
      {"no destination", FO_MOVE, {"a.txt"}, {}, 0, 0x7C, {"a.txt"}, {}},
      {"no source", FO_DELETE, {}, {}, 0, 0x7C, {}, {}},
      {"unknown function", 9, {"a.txt"}, {"out"}, 0, 0x7C, {}, {"out/a.txt"}},
      {"missing copy source", FO_COPY, {"a.txt", "nope"}, {"out"}, 0, 2, {}, {"out/a.txt"}},
      {"missing delete source", FO_DELETE, {"a.txt", "nope"}, {}, kYes, 2, {"a.txt"}, {}},
      {"wildcard takes one destination as folder", FO_COPY, {"a*"}, {"made"}, 0, 0,
       {"made/a.txt"}, {"made/b.txt"}},
      {"paired with a wildcard", FO_COPY, {"*.txt", "sub"}, {"t1", "t2"}, 0, 0,
       {"t1/a.txt", "t1/b.txt", "t1/[ab].txt", "t2/x.txt"}, {"t1/sub", "t2/sub"}},
      {"paired one to one", FO_MOVE, {"a.txt", "b.txt"}, {"out", "b2.txt"}, 0, 0,
       {"out/a.txt", "b2.txt"}, {"a.txt", "b.txt", "out/b.txt"}},
      // Into a file as into a folder, as the POSIX command line decides it
      // (it refuses these first): a wildcard, also with a trailing slash,
      // and several sources; one folder goes to the file's name.
      {"wildcard into a file", FO_COPY, {"sub/*"}, {"noext"}, 0, engine::kErrorOther,
       {"sub/x.txt"}, {"noext/x.txt"}, nullptr, [] { EXPECT_EQ(Read("noext"), "N"); }},
      {"wildcard with a slash into a file", FO_COPY, {"sub/*/"}, {"noext"}, 0,
       engine::kErrorOther, {"sub/x.txt"}, {"noext/x.txt"}},
      {"several into a file", FO_COPY, {"a.txt", "b.txt"}, {"noext"}, 0, engine::kErrorOther,
       {"a.txt"}, {"noext/a.txt"}},
      {"folder with a slash onto a file", FO_COPY, {"d/"}, {"noext"}, 0, 5, {"d/f.txt"},
       {"noext/f.txt"}, nullptr, [] { EXPECT_EQ(Read("noext"), "N"); }},
      {"wildcard in destination", FO_COPY, {"a.txt"}, {"o*"}, 0, 0x7C, {"a.txt"}, {"o*"}},
      {"wildcard in destination folder part", FO_MOVE, {"a.txt"}, {"o?t/x"}, 0, 0x7C,
       {"a.txt"}, {}},
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
  };
  Check(cases);
}

TEST_F(Engine, Refusals) {
  other_ = OtherFileSystemFolder(root_);  // where a move of "." would copy, then delete
  const std::string elsewhere = (other_.empty() ? root_ : other_) + "/elsewhere";
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
  };
  Check(cases);
  ASSERT_EQ(mkfifo("d/pipe", 0600), 0);
  EXPECT_EQ(Request(FO_COPY, {"d"}, {"d2"}).code, engine::kErrorOther);
  ExpectPaths({"d2/f.txt"}, {"d2/pipe"});
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

TEST_F(Engine, CopyKeepsBytesModeAndTime) {
  std::string bytes(300 * 1024, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 % 251);
  Write("big.bin", bytes);
  const struct timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
  struct Row {
    const char* item;
    mode_t mode, copied;  // the copy never gets the set-user-id or set-group-id bit
  };
  const std::vector<Row> rows = {
      {"big.bin", 0750, 0750}, {"d", 0750, 0750}, {"a.txt", 06755, 0755}};
  for (const Row& row : rows) {
    ASSERT_EQ(chmod(row.item, row.mode), 0);
    ASSERT_EQ(utimensat(AT_FDCWD, row.item, times, 0), 0);
  }
  ASSERT_EQ(Request(FO_COPY, {"big.bin", "d", "a.txt"}, {"out"}).code, 0);
  EXPECT_EQ(Read("out/big.bin"), bytes);
  for (const Row& row : rows) {
    struct stat st;
    const std::string copy = std::string("out/") + row.item;
    ASSERT_EQ(stat(copy.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, row.copied) << copy;
    EXPECT_EQ(st.st_mtim.tv_sec, 1000000000) << copy;
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
  ASSERT_EQ(Request(FO_DELETE, {"copy", "d", "dangling"}, {}, kQuiet | kYes).code, 0);
  ExpectPaths({root_ + "/outside/keep.txt", "a.txt"}, {"copy", "d", "dangling"});
}

TEST_F(Engine, TrashKeepsItemAndRecordsWhereItWas) {
  setenv("XDG_DATA_HOME", (root_ + "/data").c_str(), 1);
  Write("my file%.txt", "1");
  ASSERT_EQ(Request(FO_DELETE, {"my file%.txt"}, {}, kQuiet | kYes | FOF_ALLOWUNDO).code, 0);
  Write("my file%.txt", "2");
  answers = {Answer::kYes, Answer::kYes};
  ASSERT_EQ(Request(FO_DELETE, {"my file%.txt", "d"}, {}, kQuiet | FOF_ALLOWUNDO).code, 0);
  EXPECT_EQ(questions, (Paths{"move 'my file%.txt' to the trash", "move 'd' to the trash"}));
  const std::string trash = root_ + "/data/Trash/";
  EXPECT_EQ(Read(trash + "files/my file%.txt"), "1");
  EXPECT_EQ(Read(trash + "files/my file% (2).txt"), "2");
  EXPECT_EQ(Read(trash + "files/d/f.txt"), "F");
  const std::regex info("\\[Trash Info\\]\nPath=" + here_ + "/my%20file%25\\.txt\n" +
                        "DeletionDate=\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\n");
  EXPECT_TRUE(std::regex_match(Read(trash + "info/my file% (2).txt.trashinfo"), info));
  EXPECT_FALSE(Exists("my file%.txt"));
}

// Across file systems a move copies, then removes; a replacement there is
// asked about once.
TEST_F(Engine, AnotherFileSystem) {
  other_ = OtherFileSystemFolder(root_);
  if (other_.empty()) GTEST_SKIP() << "no second file system";
  ASSERT_EQ(symlink("f.txt", "d/link"), 0);
  Write(other_ + "/to/a.txt", "OLD");
  answers = {Answer::kYes};
  ASSERT_EQ(Request(FO_MOVE, {"d", "a.txt"}, {other_ + "/to"}).code, 0);
  EXPECT_EQ(questions.size(), 1u);
  EXPECT_EQ(Read(other_ + "/to/a.txt"), "A");
  EXPECT_EQ(Read(other_ + "/to/d/f.txt"), "F");
  EXPECT_TRUE(IsLink(other_ + "/to/d/link"));
  ExpectPaths({other_ + "/to/a.txt"}, {"d", "a.txt"});
  // A fifo is never copied, so that folder's move fails: its partial copy
  // goes and the folder stays.
  Write("e/g.txt", "G");
  ASSERT_EQ(mkfifo("e/pipe", 0600), 0);
  EXPECT_EQ(Request(FO_MOVE, {"e"}, {other_ + "/to"}).code, engine::kErrorOther);
  ExpectPaths({"e/g.txt", "e/pipe"}, {other_ + "/to/e"});
}

// Another program writes where a move across file systems is putting its
// copy: its item stays, and so does the source; neither is lost.
TEST_F(Engine, MoveAcrossFileSystemsNeverRemovesWhatItDidNotMake) {
  other_ = OtherFileSystemFolder(root_);
  if (other_.empty()) GTEST_SKIP() << "no second file system";
  const std::string to = other_ + "/to";
  using Bytes = std::vector<std::pair<std::string, std::string>>;  // path, bytes afterwards
  struct Row {
    const char* what;
    Paths from;
    std::function<void(Hooks&)> strike;  // sets a hook that plays the other program
    Bytes after, before = {};
  };
  const std::string gone = "<unreadable>";
  const std::vector<Row> rows = {
      {"another program makes the target file", {"a.txt"},
       [&](Hooks& h) {
         h.copy_step = [&] {
           if (!Exists(to + "/a.txt")) Write(to + "/a.txt", "THEIRS");
         };
       },
       {{to + "/a.txt", "THEIRS"}, {"a.txt", "A"}}},
      {"another move to the same target", {"a.txt"},
       [&](Hooks& h) {
         h.copy_step = [&] {
           if (Exists(to + "/a.txt")) return;
           const pid_t mover = fork();
           if (mover == 0)
             _exit(Request(FO_MOVE, {"b.txt"}, {to + "/a.txt"}, kQuiet | kYes).code == 0 ? 0 : 1);
           waitpid(mover, nullptr, 0);
         };
       },
       {{to + "/a.txt", "B"}, {"a.txt", "A"}, {"b.txt", gone}}},
      {"another program makes the target folder", {"d"},
       [&](Hooks& h) {
         h.folder_open = [&](const char*) {
           if (!Exists(to + "/d")) Write(to + "/d/theirs.txt", "T");
           return 0;
         };
       },
       {{to + "/d/theirs.txt", "T"}, {to + "/d/f.txt", gone}, {"d/f.txt", "F"}}},
      {"another program puts its file where the move replaces one", {"a.txt"},
       [&](Hooks& h) {
         h.copy_step = [&] {
           if (Read(to + "/a.txt") != "OLD") return;
           Write(to + "/new", "THEIRS");
           fs::rename(to + "/new", to + "/a.txt");
         };
       },
       {{to + "/a.txt", "THEIRS"}, {"a.txt", "A"}}, {{to + "/a.txt", "OLD"}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Fresh();
    fs::remove_all(to);
    fs::create_directory(to);
    for (const auto& [path, bytes] : row.before) Write(path, bytes);
    Hooks hooks = Answering();
    row.strike(hooks);
    EXPECT_NE(Request(FO_MOVE, row.from, {to}, kQuiet | kYes, nullptr, hooks).code, 0);
    for (const auto& [path, bytes] : row.after) EXPECT_EQ(Read(path), bytes) << path;
  }
}

// Entries of `folder`: a temporary file left behind shows up here.
Paths EntriesOf(const std::string& folder) {
  Paths names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// A full disk half way through (the file-size limit stops the writes), in a
// copy and in a move to another file system: the source stays whole, the
// old target stays as it was, and no temporary file is left. A copy keeps the
// folders it made (empty here); a move removes its partial copy.
TEST_F(Engine, FullDiskLeavesSourceOldTargetAndNoTemporaryFile) {
  const std::string big(1 << 20, 'x');
  other_ = OtherFileSystemFolder(root_);
  struct Row {
    const char* what;
    UINT function;
    std::string to;
    Paths left;  // in `to` afterwards
  };
  const std::vector<Row> rows = {
      {"copy", FO_COPY, "out", {"big.bin", "bigd"}},
      {"move across file systems", FO_MOVE, other_ + "/to", {"big.bin"}}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    if (row.function == FO_MOVE && other_.empty()) continue;  // no second file system
    Fresh();
    Write("big.bin", big);
    Write("bigd/big.bin", big);
    Write(row.to + "/big.bin", "OLD");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      const struct rlimit limit = {64 * 1024, 64 * 1024};
      signal(SIGXFSZ, SIG_IGN);
      setrlimit(RLIMIT_FSIZE, &limit);
      _exit(Request(row.function, {"big.bin", "bigd"}, {row.to, row.to + "/bigd"}, kQuiet | kYes)
                        .code == 0
                ? 1
                : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(Read("big.bin"), big);
    EXPECT_EQ(Read("bigd/big.bin"), big);
    EXPECT_EQ(Read(row.to + "/big.bin"), "OLD");
    EXPECT_EQ(EntriesOf(row.to), row.left);
    if (Exists(row.to + "/bigd")) {
      EXPECT_EQ(EntriesOf(row.to + "/bigd"), Paths{});
    }
  }
}

// A tree three times deeper than the descriptors the process may open:
// a copy (with its progress count) and a delete keep only a few open.
TEST_F(Engine, TreeDeeperThanTheDescriptorLimit) {
  constexpr int kLimit = 64;
  std::string deepest = "deep";
  for (int i = 0; i < 3 * kLimit; ++i) deepest += "/d";
  struct Row {
    const char* what;
    UINT function;
    Paths to;
    std::string present, absent;
  };
  const std::vector<Row> rows = {
      {"copy", FO_COPY, {"out"}, "out/" + deepest + "/f", ""},
      {"delete", FO_DELETE, {}, "", "deep"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Fresh();
    Write(deepest + "/f", "F");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      Hooks hooks = Answering();
      hooks.terminal = true;  // the progress count walks the tree first
      const struct rlimit limit = {kLimit, kLimit};
      const bool limited = setrlimit(RLIMIT_NOFILE, &limit) == 0;
      _exit(limited && Request(row.function, {"deep"}, row.to, kQuiet | kYes, nullptr, hooks)
                                   .code == 0
                ? 0
                : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    if (!row.present.empty()) {
      EXPECT_EQ(Read(row.present), "F");
    }
    if (!row.absent.empty()) {
      EXPECT_FALSE(Exists(row.absent));
    }
  }
}

// The signal a copy step raises (see SignalDuringCopy...).
int signal_to_raise = 0;

// SIGINT, SIGTERM or SIGHUP in the middle of a copy: the temporary file goes,
// the old target stays, and the process still dies of the signal. A signal
// that was ignored before stays ignored, and the copy completes.
TEST_F(Engine, SignalDuringCopyLeavesOldTargetAndNoTemporaryFile) {
  const std::string big(1 << 20, 'x');
  struct Row {
    int number;
    bool ignored;
  };
  const std::vector<Row> rows = {
      {SIGINT, false}, {SIGTERM, false}, {SIGHUP, false}, {SIGHUP, true}};
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(strsignal(row.number)) + (row.ignored ? ", ignored" : ""));
    Fresh();
    Write("big.bin", big);
    Write("out/big.bin", "OLD");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      if (row.ignored) signal(row.number, SIG_IGN);
      signal_to_raise = row.number;
      Hooks hooks = Answering();
      hooks.copy_step = [] { raise(signal_to_raise); };
      const int code = Request(FO_COPY, {"big.bin"}, {"out"}, kQuiet | kYes, nullptr, hooks).code;
      _exit(code == 0 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    if (row.ignored) {
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
      EXPECT_EQ(Read("out/big.bin"), big);
    } else {
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == row.number) << status;
      EXPECT_EQ(Read("out/big.bin"), "OLD");
    }
    EXPECT_EQ(EntriesOf("out"), Paths{"big.bin"});
  }
}

void CountingHandler(int) {}

// The actions the signals had before an operation are theirs again after it.
TEST_F(Engine, SignalActionsAreRestoredAfterTheOperation) {
  struct sigaction mine {}, before[3], after;
  mine.sa_handler = CountingHandler;
  const int numbers[] = {SIGINT, SIGTERM, SIGHUP};
  for (int i = 0; i < 3; ++i) ASSERT_EQ(sigaction(numbers[i], &mine, &before[i]), 0);
  ASSERT_EQ(Request(FO_COPY, {"a.txt"}, {"out"}).code, 0);
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(sigaction(numbers[i], &before[i], &after), 0);
    EXPECT_EQ(after.sa_handler, CountingHandler) << strsignal(numbers[i]);
  }
}

// A folder named "bad" cannot be opened, as if its permissions forbade it.
int RefuseBad(const char* name) {
  return fs::path(name).filename() == "bad" ? EACCES : 0;
}

// A folder that cannot be read in the middle of a tree fails on its own:
// everything else is copied or deleted, the call reports the error, and a
// delete keeps the failing folder and its parents.
TEST_F(Engine, UnreadableFolderInATreeFailsOnlyItself) {
  const std::vector<Case> cases = {
      {"copy", FO_COPY, {"t"}, {"out/t"}, 0, engine::kErrorAccessDenied,
       {"out/t/a.txt", "out/t/p/q.txt", "out/t/z/y.txt", "t/p/bad/x.txt", "t/z/y.txt"},
       {"out/t/p/bad"}},
      {"delete", FO_DELETE, {"t"}, {}, kYes, engine::kErrorAccessDenied, {"t/p/bad/x.txt"},
       {"t/a.txt", "t/p/q.txt", "t/z"}},
      {"a folder named in the request", FO_DELETE, {"bad", "a.txt"}, {}, kYes,
       engine::kErrorAccessDenied, {"bad/x.txt"}, {"a.txt"}},
  };
  Hooks hooks = Answering();
  hooks.folder_open = RefuseBad;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Fresh();
    for (const char* path : {"t/a.txt", "t/p/bad/x.txt", "t/p/q.txt", "t/z/y.txt", "bad/x.txt"})
      Write(path, path);
    EXPECT_EQ(Request(c.function, c.from, c.to, c.flags | kQuiet, nullptr, hooks).code, c.code);
    ExpectPaths(c.present, c.absent);
  }
}

// A folder merge of a move (src/sub into dst/sub) during which src/sub is
// swapped for a link to an outside folder with entries of the same names:
// the move goes on in the folder it opened, and the outside folder is
// never touched, on one file system or across two.
TEST_F(Engine, MergeNeverFollowsALinkSwappedIn) {
  other_ = OtherFileSystemFolder(root_);
  Paths targets = {"dst"};
  if (!other_.empty()) targets.push_back(other_ + "/dst");
  for (const std::string& dst : targets) {
    SCOPED_TRACE(dst);
    Fresh();
    fs::remove_all(dst);
    for (const char* name : {"src/sub/inner/i.txt", "src/sub/z1", "src/sub/z2"}) Write(name, "SRC");
    Write(dst + "/sub/inner/old.txt", "OLD");
    Write("outside/z1", "OUT");
    Write("outside/z2", "OUT");
    const std::string outside = here_ + "/outside";
    Hooks hooks = Answering();
    hooks.folder_open = [&](const char* name) {
      if (fs::path(name).filename() == "inner" && !IsLink("src/sub")) {
        fs::rename("src/sub", "src/real");
        fs::create_directory_symlink(outside, "src/sub");
      }
      return 0;
    };
    Request(FO_MOVE, {"src/sub"}, {dst}, kQuiet | kYes, nullptr, hooks);
    EXPECT_EQ(Read("outside/z1"), "OUT");
    EXPECT_EQ(Read("outside/z2"), "OUT");
    EXPECT_EQ(Read(dst + "/sub/z1"), "SRC");
    EXPECT_EQ(Read(dst + "/sub/inner/i.txt"), "SRC");
  }
}

// Removed by the first copy step (see SourceRemovedDuring...).
Paths doomed;

void RemoveDoomed() {
  for (const std::string& path : doomed) unlink(path.c_str());
  doomed.clear();
}

// A source removed while the operation runs fails as not found; the other
// items go on.
TEST_F(Engine, SourceRemovedDuringTheOperationFailsAsNotFound) {
  other_ = OtherFileSystemFolder(root_);
  struct Row {
    const char* what;
    UINT function;
    Paths from, to, doomed, present, absent;
  };
  const std::string moved = other_ + "/to";
  std::vector<Row> rows = {
      {"a file later in a tree", FO_COPY, {"t"}, {"out/t"}, {"t/c.txt"},
       {"out/t/a.txt", "out/t/b.txt", "out/t/d.txt"}, {"out/t/c.txt"}},
      {"a later source", FO_COPY, {"t/a.txt", "t/c.txt", "t/d.txt"}, {"out", "out", "out"},
       {"t/c.txt"}, {"out/a.txt", "out/d.txt"}, {"out/c.txt"}},
  };
  if (!other_.empty())
    rows.push_back({"a later source, moved across file systems", FO_MOVE,
                    {"t/a.txt", "t/c.txt", "t/d.txt"},
                    {moved + "/a.txt", moved + "/c.txt", moved + "/d.txt"}, {"t/c.txt"},
                    {moved + "/a.txt", moved + "/d.txt"}, {moved + "/c.txt", "t/a.txt", "t/d.txt"}});
  Hooks hooks = Answering();
  hooks.copy_step = RemoveDoomed;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Fresh();
    for (const char* name : {"a", "b", "c", "d"})
      Write(std::string("t/") + name + ".txt", std::string(4096, *name));
    doomed = row.doomed;
    EXPECT_EQ(Request(row.function, row.from, row.to, kQuiet | kYes, nullptr, hooks).code,
              engine::kErrorFileNotFound);
    ExpectPaths(row.present, row.absent);
  }
}

std::string StderrOf(UINT function, const Paths& from, const Paths& to, FILEOP_FLAGS flags,
                     const Hooks& hooks = Answering()) {
  testing::internal::CaptureStderr();
  Request(function, from, to, flags, nullptr, hooks);
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
  Hooks starved = Answering();
  starved.folder_open = [](const char*) -> int { throw std::bad_alloc(); };
  EXPECT_EQ(StderrOf(FO_COPY, {"d"}, {"out"}, 0, starved), "vandrix: out of memory\n");
  // Each line says what was being done, to which item and where; a name
  // that would break the line or drive the terminal is shown quoted.
  ASSERT_EQ(mkfifo("p\nq\033[31mRED", 0600), 0);
  Write("out/d", "a file where a folder would go");
  struct Line {
    UINT function;
    Paths from, to;
    const char* shown;
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
  };
  for (const Line& line : lines)
    EXPECT_EQ(StderrOf(line.function, line.from, line.to, kYes),
              std::string("vandrix: ") + line.shown + "\n");
}

// Fresh() makes a.txt b.txt [ab].txt .hidden noext d/f.txt merge/d/old.txt
// sub/x.txt out/.
TEST_F(Engine, Wildcards) {
  const std::vector<Case> cases = {
      {"star", FO_COPY, {"*.txt"}, {"out"}, 0, 0, {"out/a.txt", "out/b.txt", "out/[ab].txt"},
       {"out/noext", "out/.hidden"}},
      {"question mark, case counts", FO_COPY, {"?.txt", "*.TXT"}, {"made"}, 0, 0,
       {"made/a.txt", "made/b.txt"}, {"made/[ab].txt"}},
      {"*.* takes names without a dot and dot files; out itself fails, the rest go on", FO_COPY,
       {"*.*"}, {"out"}, 0, 0x76, {"out/noext", "out/.hidden", "out/d/f.txt", "out/sub/x.txt"},
       {"out/out"}},
      {"dot files are ordinary", FO_COPY, {"*d*"}, {"out"}, 0, 0, {"out/.hidden", "out/d/f.txt"},
       {"out/a.txt"}},
      {"brackets are plain characters", FO_COPY, {"[ab]*"}, {"out"}, 0, 0, {"out/[ab].txt"},
       {"out/a.txt"}},
      {"no match is no error", FO_COPY, {"nope*", "nowhere/*", "a.txt"}, {"out"}, 0, 0,
       {"out/a.txt"}, {}},
      {"only the last component", FO_COPY, {"s*/x.txt"}, {"out"}, 0, 2, {}, {"out/x.txt"}},
      {"inside a folder", FO_DELETE, {"d/*"}, {}, kYes, 0, {"d"}, {"d/f.txt"}},
      {"move", FO_MOVE, {"sub/*"}, {"out"}, 0, 0, {"out/x.txt", "sub"}, {"sub/x.txt"}},
      {"files only skips matched folders", FO_COPY, {"*"}, {"out"}, FOF_FILESONLY, 0,
       {"out/a.txt", "out/noext"}, {"out/d", "out/sub", "out/merge"}},
      {"files only keeps named folders", FO_DELETE, {"d", "s*"}, {}, kYes | FOF_FILESONLY, 0,
       {"sub/x.txt"}, {"d"}},
  };
  Check(cases);
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
  };
  const Answer y = Answer::kYes, n = Answer::kNo, all = Answer::kAll, c = Answer::kCancel;
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
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Fresh();
    Write("out/a.txt", "OLD");
    Write("merge/d/f.txt", "OLD");
    Write("d/g.txt", "G");
    answers = row.given;
    const Outcome outcome = Request(row.function, row.from, row.to);
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

// Without a terminal nobody can be asked: replacing and deleting are
// cancelled, and one line says so and how to go ahead. Run in a child in a
// session of its own, which has no controlling terminal.
TEST_F(Engine, NoTerminalCancels) {
  Write("out/a.txt", "OLD");
  int output[2];
  ASSERT_EQ(pipe(output), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (setsid() < 0 || dup2(output[1], STDERR_FILENO) < 0) _exit(100);
    const Outcome replace = Request(FO_COPY, {"a.txt", "b.txt"}, {"out"}, 0, nullptr, Hooks{});
    const Outcome remove = Request(FO_DELETE, {"b.txt", "d"}, {}, 0, nullptr, Hooks{});
    const bool cancelled = replace.code == engine::kErrorCancelled &&
                           remove.code == engine::kErrorCancelled;
    _exit(cancelled && replace.aborted && remove.aborted ? 0 : 1);
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
            "vandrix: kept 'b.txt': no terminal to ask; pass -c to delete\n");
  EXPECT_EQ(Read("out/a.txt"), "OLD");
  ExpectPaths({"b.txt", "d/f.txt"}, {"out/b.txt"});
}


// Items on another file system than the home trash go to the trash at the
// top of their own file system, recorded relative to it.
TEST_F(Engine, TrashOnTheItemsOwnFileSystem) {
  setenv("XDG_DATA_HOME", (root_ + "/data").c_str(), 1);
  const std::string top = MountScratchFileSystem(root_ + "/mnt");
  if (top.empty()) GTEST_SKIP() << "cannot mount a file system here";
  Write(top + "/in/my file.txt", "1");
  Write(top + "/in/my file (2).txt", "x");
  Write(top + "/first", "");
  const std::string trash = top + "/.Trash-" + std::to_string(getuid());
  EXPECT_EQ(Request(FO_DELETE, {top + "/first"}, {}, kQuiet | kYes | FOF_ALLOWUNDO).code, 0);
  struct stat st;
  ASSERT_EQ(stat(trash.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  Write(trash + "/files/my file.txt", "taken");
  EXPECT_EQ(Request(FO_DELETE, {top + "/in/my file.txt"}, {}, kQuiet | kYes | FOF_ALLOWUNDO).code,
            0);
  EXPECT_EQ(Read(trash + "/files/my file (2).txt"), "1");
  const std::regex info("\\[Trash Info\\]\nPath=in/my%20file\\.txt\nDeletionDate=.*\n");
  EXPECT_TRUE(std::regex_match(Read(trash + "/info/my file (2).txt.trashinfo"), info));
  EXPECT_TRUE(Exists(trash + "/info/first.trashinfo"));
  EXPECT_FALSE(Exists(root_ + "/data/Trash/files"));
  // A trash that cannot be used, or an item that cannot go: the item stays,
  // no record of it is left, and the next item (b.txt) still goes.
  struct Row {
    const char* what;
    std::function<bool()> prepare;  // false: not possible here
    std::string item, info;         // the item, and where its record would be
  };
  const std::string home = here_ + "/d/data";
  const std::vector<Row> rows = {
      {"the trash is a file",
       [&] {
         Write(trash, "not a folder");
         return true;
       },
       top + "/in", trash + "/info"},
      {"the trash is someone else's",
       [&] {
         return fs::create_directory(trash) && chmod(trash.c_str(), 0700) == 0 &&
                chown(trash.c_str(), getuid() + 1, -1) == 0;
       },
       top + "/in", trash + "/info"},
      {"the trash is open to others",
       [&] { return fs::create_directory(trash) && chmod(trash.c_str(), 0755) == 0; },
       top + "/in", trash + "/info"},
      {"the item is a mount point", [] { return true; }, top, trash + "/info"},
      {"the item holds the trash", [&] { return setenv("XDG_DATA_HOME", home.c_str(), 1) == 0; },
       here_ + "/d", home + "/Trash/info"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    fs::remove_all(trash);
    Write("b.txt", "B");
    if (!row.prepare()) {
      std::printf("[ SKIPPED  ] %s: not possible here\n", row.what);
      continue;
    }
    EXPECT_EQ(Request(FO_DELETE, {row.item, "b.txt"}, {}, kQuiet | kYes | FOF_ALLOWUNDO).code,
              engine::kErrorOther);
    EXPECT_TRUE(Exists(row.item));
    EXPECT_FALSE(Exists("b.txt"));
    EXPECT_FALSE(Exists(row.info + "/" + fs::path(row.item).filename().string() + ".trashinfo"));
    EXPECT_FALSE(Exists(row.item + "/" + fs::path(trash).filename().string()));
    setenv("XDG_DATA_HOME", (root_ + "/data").c_str(), 1);
  }
  EXPECT_EQ(Read(top + "/in/my file (2).txt"), "x");
  EXPECT_EQ(Read("d/f.txt"), "F");
  umount2(top.c_str(), MNT_DETACH);
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
