// The common ground of the engine's tests: each test runs in a temporary
// folder of its own, which is its current directory, and reaches the engine
// as the program does. Every helper the engine's test files share is here.
#ifndef VANDRIX_TESTS_ENGINE_FIXTURE_H_
#define VANDRIX_TESTS_ENGINE_FIXTURE_H_

#include <linux/capability.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/engine.h"
#include "engine/terminal/prompt.h"
#include "platform/shell.h"

namespace engine_test {

// The engine is reached as the program reaches it: through the shell's
// request record, translated at the boundary (platform/shell-posix.cpp).
namespace fs = std::filesystem;
using Paths = std::vector<std::string>;
using engine::Answer;
using engine::Hooks;

inline constexpr FILEOP_FLAGS kQuiet = FOF_NOERRORUI;
inline constexpr FILEOP_FLAGS kYes = FOF_NOCONFIRMATION;
// vandrix's own options, which the shell's flag word has no room for: the
// tests give them as bits above it, and such a request reaches the engine
// as vandrix's command line hands it over (the record's request, and these).
inline constexpr unsigned kNoClobber = 1u << 16;
inline constexpr unsigned kDryRun = 1u << 17;
inline constexpr unsigned kVerbose = 1u << 18;
inline constexpr unsigned kLiteral = 1u << 19;
inline constexpr unsigned kUpdate = 1u << 20;
// Four workers for a tree's files (--jobs 4): more than this machine's
// cores, so that they race each other and the walk.
inline constexpr unsigned kWorkers = 1u << 21;

// The user, as the tests play it: answers given in turn, then "cancel" (as
// when nobody can be asked); the questions put are kept.
inline std::deque<Answer> answers;
inline Paths questions;

inline Answer Answerer(const std::string& question) {
  questions.push_back(question);
  if (answers.empty()) return Answer::kCancel;
  const Answer answer = answers.front();
  answers.pop_front();
  return answer;
}

// The hooks every request gets unless a test gives others: the user above.
inline Hooks Answering() {
  Hooks hooks;
  hooks.answer = Answerer;
  return hooks;
}

// The shell's list form: each path and a NUL, then one more NUL.
inline std::string List(const Paths& paths) {
  std::string list;
  for (const std::string& path : paths) list.append(path).push_back('\0');
  if (list.empty()) list.push_back('\0');
  return list + '\0';
}

struct Outcome {
  int code;
  BOOL aborted;
};

// The request with vandrix's own options of `flags` (above the flag word).
inline Outcome WithOwnOptions(const SHFILEOPSTRUCTA& record, unsigned flags,
                              const Hooks& hooks) {
  engine::Request request = platform::EngineRequestOf(record);
  request.options.no_clobber = (flags & kNoClobber) != 0;
  request.options.dry_run = (flags & kDryRun) != 0;
  request.options.verbose = (flags & kVerbose) != 0;
  request.options.literal = (flags & kLiteral) != 0;
  request.options.update = (flags & kUpdate) != 0;
  if ((flags & kWorkers) != 0) request.options.jobs = 4;
  const engine::Outcome outcome = engine::RunFileOperation(request, hooks);
  return {outcome.code, outcome.aborted ? TRUE : FALSE};
}

// Runs a request with the flags the program adds itself.
inline Outcome Request(UINT function, const Paths& from, const Paths& to,
                       unsigned flags = kQuiet, const char* title = nullptr,
                       const Hooks& hooks = Answering()) {
  const std::string from_list = List(from), to_list = List(to);
  SHFILEOPSTRUCTA request{};
  request.lpszProgressTitle = title;
  request.wFunc = function;
  request.pFrom = from_list.c_str();
  request.pTo = to_list.c_str();
  request.fFlags = static_cast<FILEOP_FLAGS>(flags) | FOF_NOCONFIRMMKDIR |
                   (function != FO_RENAME && to.size() > 1 ? FOF_MULTIDESTFILES : 0);
  request.fAnyOperationsAborted = TRUE;
  if (flags > 0xFFFF) return WithOwnOptions(request, flags, hooks);
  const int code = platform::SHFileOperationByEngine(&request, hooks);
  return {code, request.fAnyOperationsAborted};
}

inline void Write(const std::string& path, const std::string& text) {
  const fs::path parent = fs::path(path).parent_path();
  if (!parent.empty()) fs::create_directories(parent);
  std::ofstream(path, std::ios::binary) << text;
}

inline std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return in ? text.str() : "<unreadable>";
}

inline bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

inline bool IsLink(const std::string& path) {
  return fs::is_symlink(fs::symlink_status(path));
}

// A folder on another file system than `near`, or "" (tests needing one skip).
inline std::string OtherFileSystemFolder(const std::string& near) {
  struct stat here, shm;
  if (stat(near.c_str(), &here) != 0 || stat("/dev/shm", &shm) != 0) return "";
  std::string pattern = "/dev/shm/vandrix-engine-XXXXXX";
  if (here.st_dev == shm.st_dev || !mkdtemp(&pattern[0])) return "";
  return pattern;
}

// Whether this thread may read and write any file whatever its mode (the
// rights root has; a worker started later gets this thread's): `on` gives
// them back, when it may. True when it is so now.
inline bool FileRights(bool on) {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[2]{};
  if (syscall(SYS_capget, &header, data) != 0) return !on;
  const unsigned rights = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);
  data[0].effective = on ? data[0].effective | (rights & data[0].permitted)
                         : data[0].effective & ~rights;
  return syscall(SYS_capset, &header, data) == 0 &&
         ((data[0].effective & rights) != 0) == on;
}

// Mounts in a mount namespace private to this test program (they need the
// right to mount; else the test or row is skipped).
inline bool PrivateMounts() {
  return unshare(CLONE_NEWNS) == 0 &&
         mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

// A file system of its own: a tmpfs (or `type`) at `at`; "" when it cannot
// be mounted.
inline std::string MountScratchFileSystem(const std::string& at, const char* type = "tmpfs") {
  fs::create_directory(at);
  if (!PrivateMounts()) return "";
  return mount("vandrix", at.c_str(), type, 0, "mode=0755") == 0 ? at : "";
}

// The folder `from` seen a second time at `at`.
inline bool BindMount(const std::string& from, const std::string& at) {
  fs::create_directory(at);
  return PrivateMounts() && mount(from.c_str(), at.c_str(), nullptr, MS_BIND, nullptr) == 0;
}

struct Case {
  const char* what;
  UINT function;
  Paths from, to;
  unsigned flags;  ///< FOF_ bits and vandrix's own (kNoClobber, ...)
  int code;
  Paths present, absent;
  std::function<bool()> setup = nullptr;  ///< more starting files; false skips the row
  std::function<void()> after = nullptr;  ///< more checks
};

inline void ExpectPaths(const Paths& present, const Paths& absent) {
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
      testing::internal::CaptureStdout();  // what -v and a dry run say
      const int code = Request(c.function, c.from, c.to, c.flags | kQuiet).code;
      testing::internal::GetCapturedStdout();
      EXPECT_EQ(code, c.code);  // a failure said while captured would go unseen
      ExpectPaths(c.present, c.absent);
      if (c.after) c.after();
    }
  }
  std::string root_, here_, other_;
  fs::path old_cwd_;
  int cases_ = 0;
};

// Entries of `folder`: a temporary file left behind shows up here.
inline Paths EntriesOf(const std::string& folder) {
  Paths names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

inline std::string StderrOf(UINT function, const Paths& from, const Paths& to,
                            unsigned flags, const Hooks& hooks = Answering()) {
  testing::internal::CaptureStderr();
  Request(function, from, to, flags, nullptr, hooks);
  return testing::internal::GetCapturedStderr();
}

}  // namespace engine_test

#endif  // VANDRIX_TESTS_ENGINE_FIXTURE_H_
