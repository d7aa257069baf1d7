// Tests that no temporary file is left behind: on a full disk, on a
// signal.
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cstring>

#include "engine_fixture.h"

namespace engine_test {
namespace {

// A full disk half way through (the file-size limit stops the writes), in a
// copy and in a move to another file system: the source stays whole, the
// old target stays as it was, and no temporary file is left; a folder that
// was not there is not made at all (no hidden folder either). The same with
// workers writing the folder's file; and when SIGXFSZ, which the limit
// sends the worker (where it is blocked), is not ignored, it ends the run
// as it would end a run without workers, leaving nothing.
TEST_F(Engine, FullDiskLeavesSourceOldTargetAndNoTemporaryFile) {
  const std::string big(1 << 20, 'x');
  other_ = OtherFileSystemFolder(root_);
  struct Row {
    const char* what;
    UINT function;
    std::string to;
    Paths left;  // in `to` afterwards
    unsigned flags = 0;
    bool dies = false;  // of SIGXFSZ, which is not ignored
  };
  const std::vector<Row> rows = {
      {"copy", FO_COPY, "out", {"big.bin"}},
      {"move across file systems", FO_MOVE, other_ + "/to", {"big.bin"}},
      {"copy, with workers", FO_COPY, "out", {"big.bin"}, kWorkers},
      {"a folder's copy, with workers, SIGXFSZ not ignored", FO_COPY, "out", {"big.bin"},
       kWorkers, true}};
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
      prctl(PR_SET_DUMPABLE, 0);  // no core file
      signal(SIGXFSZ, row.dies ? SIG_DFL : SIG_IGN);
      setrlimit(RLIMIT_FSIZE, &limit);
      const Paths from = row.dies ? Paths{"bigd"} : Paths{"big.bin", "bigd"};
      const Paths to = row.dies ? Paths{row.to + "/bigd"} : Paths{row.to, row.to + "/bigd"};
      _exit(Request(row.function, from, to, kQuiet | kYes | row.flags).code == 0 ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    if (row.dies) {
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << status;
    } else {
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    EXPECT_EQ(Read("big.bin"), big);
    EXPECT_EQ(Read("bigd/big.bin"), big);
    EXPECT_EQ(Read(row.to + "/big.bin"), "OLD");
    EXPECT_EQ(EntriesOf(row.to), row.left);
    if (Exists(row.to + "/bigd")) {
      EXPECT_EQ(EntriesOf(row.to + "/bigd"), Paths{});
    }
  }
}

// The signal a copy step raises, and at which step (see SignalDuringCopy...).
int signal_to_raise = 0;
int steps_to_signal = 0;

void CountingHandler(int) {}

// Everything under `folder`, as paths relative to it, sorted.
Paths TreeOf(const std::string& folder) {
  Paths paths;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    paths.push_back(fs::relative(entry.path(), folder).string());
  std::sort(paths.begin(), paths.end());
  return paths;
}

// A signal that ends the process (SIGINT, SIGQUIT, SIGPIPE, SIGXFSZ, ...) in
// the middle of a copy: the temporary file goes, the old target stays, and
// the process still dies of the signal. A new tree (t: a.bin, sub/b.bin,
// sub/deep/c.bin, one copy step each) goes whole, wherever the signal
// strikes; copied into an existing folder, the files placed before it stay
// (one by one), and the new folder inside goes whole. A signal that was
// ignored or had a handler of the caller's before is left to it, and the
// copy completes. The same with workers copying the new tree's files (t,
// and w: 120 small files in 10 folders), the signal sent by one of them:
// nothing of the tree is left, and nothing appears after the exit.
TEST_F(Engine, SignalDuringCopyLeavesOldTargetAndNoTemporaryFile) {
  const std::string big(1 << 20, 'x');
  const Paths whole = {"big.bin",   "t",        "t/a.bin",         "t/sub",
                       "t/sub/b.bin", "t/sub/deep", "t/sub/deep/c.bin"};
  struct Row {
    int number;
    void (*before)(int);  // the action the signal has when the request starts
    const char* item = "big.bin";  // copied into out (out/big.bin is "OLD")
    int step = 1;                  // the copy step the signal comes at
    bool merge = false;            // out/ITEM is a folder already
    Paths left = {"big.bin"};      // under out afterwards
    unsigned flags = 0;            // kWorkers: copied by workers
  };
  const std::vector<Row> rows = {
      {SIGINT, SIG_DFL},    {SIGTERM, SIG_DFL},   {SIGHUP, SIG_DFL},   {SIGHUP, SIG_IGN},
      {SIGQUIT, SIG_DFL},   {SIGXFSZ, SIG_DFL},   {SIGPIPE, SIG_DFL},  {SIGALRM, SIG_DFL},
      {SIGUSR1, SIG_DFL},   {SIGUSR2, SIG_DFL},   {SIGVTALRM, SIG_DFL}, {SIGPROF, SIG_DFL},
      {SIGABRT, SIG_DFL},   {SIGXCPU, SIG_DFL},   {SIGRTMIN, SIG_DFL}, {SIGRTMAX, SIG_DFL},
      {SIGINT, CountingHandler},
      {SIGINT, SIG_DFL, "t", 1},  // in the new tree's top folder
      {SIGINT, SIG_DFL, "t", 2},  // a folder down
      {SIGINT, SIG_DFL, "t", 3},  // the last file, just before the tree is placed
      {SIGTERM, SIG_DFL, "t", 2},
      {SIGINT, SIG_DFL, "t", 2, true, {"big.bin", "t", "t/a.bin"}},
      {SIGINT, CountingHandler, "t", 2, false, whole},
      {SIGINT, SIG_DFL, "t", 1, false, {"big.bin"}, kWorkers},
      {SIGINT, SIG_DFL, "t", 2, false, {"big.bin"}, kWorkers},
      {SIGINT, SIG_DFL, "t", 3, false, {"big.bin"}, kWorkers},
      {SIGTERM, SIG_DFL, "t", 2, false, {"big.bin"}, kWorkers},
      {SIGINT, SIG_DFL, "w", 1, false, {"big.bin"}, kWorkers},
      {SIGINT, SIG_DFL, "w", 60, false, {"big.bin"}, kWorkers},
      {SIGTERM, SIG_DFL, "w", 90, false, {"big.bin"}, kWorkers},
      {SIGINT, SIG_DFL, "w", 120, false, {"big.bin"}, kWorkers},  // the last file
      {SIGINT, SIG_DFL, "t", 2, true, {"big.bin", "t", "t/a.bin"}, kWorkers},
      {SIGINT, CountingHandler, "t", 2, false, whole, kWorkers}};
  for (const Row& row : rows) {
    const bool dies = row.before == SIG_DFL;
    SCOPED_TRACE(std::string(strsignal(row.number)) + (dies ? "" : ", not the default action") +
                 ", " + row.item + " at step " + std::to_string(row.step) +
                 (row.merge ? " into its folder" : "") + (row.flags ? ", with workers" : ""));
    Fresh();
    Write("big.bin", big);
    Write("out/big.bin", "OLD");
    for (const char* file : {"t/a.bin", "t/sub/b.bin", "t/sub/deep/c.bin"}) Write(file, big);
    for (int i = 0; row.item == std::string("w") && i < 120; ++i)
      Write("w/f" + std::to_string(i % 6) + (i % 20 == 7 ? "/in/" : "/") + std::to_string(i),
            std::string(4096, 'w'));
    if (row.merge) fs::create_directory(std::string("out/") + row.item);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      prctl(PR_SET_DUMPABLE, 0);  // no core file of the signals that leave one
      signal(row.number, row.before);
      signal_to_raise = row.number;
      steps_to_signal = row.step;
      Hooks hooks = Answering();
      hooks.copy_step = [] {
        if (--steps_to_signal == 0) kill(getpid(), signal_to_raise);  // the process: a worker blocks it
      };
      const int code =
          Request(FO_COPY, {row.item}, {"out"}, kQuiet | kYes | row.flags, nullptr, hooks).code;
      _exit(code == 0 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    if (!dies) {
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
      EXPECT_EQ(Read("out/" + row.left.back()), big);
    } else {
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == row.number) << status;
      EXPECT_EQ(Read("out/big.bin"), "OLD");
      usleep(20000);  // for anything that would still be written after the exit
    }
    EXPECT_EQ(TreeOf("out"), row.left);
  }
}

// The actions the signals had before an operation are theirs again after it.
TEST_F(Engine, SignalActionsAreRestoredAfterTheOperation) {
  struct Row {
    int number;
    void (*action)(int);
  };
  const std::vector<Row> rows = {{SIGINT, CountingHandler}, {SIGTERM, CountingHandler},
                                 {SIGHUP, CountingHandler}, {SIGQUIT, SIG_DFL},
                                 {SIGPIPE, SIG_DFL},        {SIGRTMIN, SIG_DFL}};
  std::vector<struct sigaction> before(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    struct sigaction mine {};
    mine.sa_handler = rows[i].action;
    ASSERT_EQ(sigaction(rows[i].number, &mine, &before[i]), 0);
  }
  ASSERT_EQ(Request(FO_COPY, {"a.txt"}, {"out"}).code, 0);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    struct sigaction after;
    ASSERT_EQ(sigaction(rows[i].number, &before[i], &after), 0);
    EXPECT_EQ(after.sa_handler, rows[i].action) << strsignal(rows[i].number);
  }
}

}  // namespace
}  // namespace engine_test
