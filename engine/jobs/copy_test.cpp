// Tests of copying a tree: bytes, mode and times, links, depth, folders
// that cannot be read, sources that go away meanwhile.
#include <poll.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "engine/base/errors.h"
#include "engine_fixture.h"

namespace engine_test {
namespace {

// Folders get their modes on the way out, the top of a new tree too, and a
// file in a new tree a mode the umask would cut.
TEST_F(Engine, CopyKeepsBytesModeAndTime) {
  std::string bytes(300 * 1024, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 % 251);
  Write("big.bin", bytes);
  Write("d/in/deep/s", "S");
  const struct timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
  struct Row {
    const char* item;
    mode_t mode, copied;  // the copy never gets the set-user-id or set-group-id bit
  };
  const std::vector<Row> rows = {
      {"big.bin", 0750, 0750},     {"d", 0750, 0750},          {"a.txt", 06755, 0755},
      {"d/f.txt", 0666, 0666},     {"d/in", 0711, 0711},       {"d/in/deep", 0751, 0751},
      {"d/in/deep/s", 04775, 0775}};
  for (const Row& row : rows) {
    ASSERT_EQ(chmod(row.item, row.mode), 0);
    ASSERT_EQ(utimensat(AT_FDCWD, row.item, times, 0), 0);
  }
  const mode_t umask_before = umask(022);
  ASSERT_EQ(Request(FO_COPY, {"big.bin", "d", "a.txt"}, {"out"}).code, 0);
  umask(umask_before);
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

// A tree three times deeper than the descriptors the process may open:
// a copy (with its progress count) and a delete keep only a few open. With
// workers, which keep the folders they work in open, and with a file on
// every level, so that they run out of descriptors to keep: the walk then
// does the rest itself.
TEST_F(Engine, TreeDeeperThanTheDescriptorLimit) {
  constexpr int kLimit = 64;
  std::string deepest = "deep";
  for (int i = 0; i < 3 * kLimit; ++i) deepest += "/d";
  struct Row {
    const char* what;
    UINT function;
    Paths to;
    std::string present, absent;
    unsigned flags = 0;
    bool every_level = false;  ///< a file "g" on every level too
  };
  const std::vector<Row> rows = {
      {"copy", FO_COPY, {"out"}, "out/" + deepest + "/f", ""},
      {"delete", FO_DELETE, {}, "", "deep"},
      {"copy, with workers", FO_COPY, {"out"}, "out/" + deepest + "/f", "", kWorkers},
      {"delete, with workers", FO_DELETE, {}, "", "deep", kWorkers},
      {"copy, a file on every level, with workers", FO_COPY, {"out"}, "out/" + deepest + "/f",
       "", kWorkers, true},
      {"delete, a file on every level, with workers", FO_DELETE, {}, "", "deep", kWorkers, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Fresh();
    Write(deepest + "/f", "F");
    for (fs::path level = deepest; row.every_level && !level.empty(); level = level.parent_path())
      Write((level / "g").string(), "G");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      Hooks hooks = Answering();
      hooks.terminal = true;  // the progress count walks the tree first
      const struct rlimit limit = {kLimit, kLimit};
      const bool limited = setrlimit(RLIMIT_NOFILE, &limit) == 0;
      _exit(limited && Request(row.function, {"deep"}, row.to, kQuiet | kYes | row.flags, nullptr,
                               hooks)
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

// A folder named "bad" cannot be opened, as if its permissions forbade it.
int RefuseBad(const char* name) {
  return fs::path(name).filename() == "bad" ? EACCES : 0;
}

// Another program, while a new tree that failed is removed: on the first
// file removed from out/.t.vandrix-XXXXXX/z/many it moves that folder to
// kept/many. The removal must then stop rather than climb into kept; if it
// removes anything there, the whole test process ends at once, so that a
// removal that climbs goes no further.
std::atomic<bool> mover_done{false};
std::thread mover;

void MoveManyAway() {
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  std::string many;
  while (many.empty() && std::chrono::steady_clock::now() < give_up && !mover_done) {
    for (const std::string& name : EntriesOf("out"))
      if (fs::is_directory("out/" + name + "/z/many")) many = "out/" + name + "/z/many";
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  const int events = inotify_init1(IN_CLOEXEC);
  if (many.empty() || events < 0) return;
  const int in_many = inotify_add_watch(events, many.c_str(), IN_DELETE);
  const int in_kept = inotify_add_watch(events, "kept", IN_DELETE);
  bool moved = false;
  while (!mover_done && std::chrono::steady_clock::now() < give_up) {
    struct pollfd ready = {events, POLLIN, 0};
    if (poll(&ready, 1, 10) <= 0) continue;
    alignas(struct inotify_event) char buffer[4096];
    const ssize_t got = read(events, buffer, sizeof buffer);
    for (ssize_t at = 0; at < got;) {
      const auto* event = reinterpret_cast<const struct inotify_event*>(buffer + at);
      at += sizeof *event + event->len;
      if (event->wd == in_kept) {
        std::fprintf(stderr, "the removal of a hidden folder climbed out of it into kept\n");
        _exit(1);
      }
      if (event->wd == in_many && !moved) moved = rename(many.c_str(), "kept/many") == 0;
    }
  }
  close(events);
}

// What a request said on standard error (see UnreadableFolder...).
std::string said;

// `path` gets `mode`, and this thread (and the workers it starts) no longer
// reads or writes a file its mode forbids, root or not; false when that
// cannot be made so.
bool Forbidden(const char* path, mode_t mode, int access) {
  return chmod(path, mode) == 0 && FileRights(false) &&
         faccessat(AT_FDCWD, path, access, AT_EACCESS) != 0;
}

// The lines of a tree whose folder t/p/bad cannot be read and whose file
// t/z/y.txt cannot be read, or removed: each said once, in the walk's order,
// with or without workers.
const char kCopyLines[] =
    "vandrix: cannot copy 't/p/bad' to 'out/t/p/bad': Permission denied\n"
    "vandrix: cannot copy 't/z/y.txt' to 'out/t/z/y.txt': Permission denied\n"
    "vandrix: cannot copy 't' to 'out/t': not all of it arrived, so none of it was placed\n";
const char kDeleteLines[] =
    "vandrix: cannot delete 't/p/bad': Permission denied\n"
    "vandrix: cannot delete 't/z/y.txt': Permission denied\n";

// A folder that cannot be read in the middle of a tree fails on its own:
// everything else is copied into the folders that are there or deleted, the
// call reports the error, and a delete keeps the failing folder and its
// parents. A new tree that did not arrive whole is not made at all. The
// same with workers, and with a file that cannot be read or removed.
TEST_F(Engine, UnreadableFolderInATreeFailsOnlyItself) {
  const auto made = [] { return fs::create_directories("out/t/p"); };
  const auto unreadable = [] { return Forbidden("t/z/y.txt", 0, R_OK); };
  const auto fixed = [] { return Forbidden("t/z", 0555, W_OK); };
  const auto copy_lines = [] {
    FileRights(true);
    EXPECT_EQ(said, kCopyLines);
    EXPECT_EQ(EntriesOf("out"), Paths{});
  };
  const auto delete_lines = [] {
    FileRights(true);
    EXPECT_EQ(said, kDeleteLines);
  };
  const std::vector<Case> cases = {
      {"copy into folders that are there", FO_COPY, {"t"}, {"out"}, 0,
       engine::kErrorAccessDenied,
       {"out/t/a.txt", "out/t/p/q.txt", "out/t/z/y.txt", "t/p/bad/x.txt", "t/z/y.txt"},
       {"out/t/p/bad"}, made},
      {"copy of a new tree", FO_COPY, {"t"}, {"out/t"}, 0, engine::kErrorAccessDenied,
       {"t/p/bad/x.txt", "t/z/y.txt"}, {"out/t"},
       [] { return true; }, [] { EXPECT_EQ(EntriesOf("out"), Paths{}); }},
      {"copy of a new tree into folders it makes, which go again", FO_COPY, {"t"},
       {"new/deep/t"}, 0, engine::kErrorAccessDenied, {"t/p/bad/x.txt"}, {"new"}},
      {"... which stay when another item arrives in them", FO_COPY, {"t", "a.txt"}, {"new/deep"},
       0, engine::kErrorAccessDenied, {"new/deep/a.txt"}, {"new/deep/t"}},
      {"copy of a new tree, a folder of it moved away while it is removed", FO_COPY, {"t"},
       {"out/t"}, 0, engine::kErrorAccessDenied, {"kept/precious.txt", "t/z/many/f1"},
       {"out/t"},
       [] {
         Write("kept/precious.txt", "mine");
         for (int i = 1; i <= 3000; ++i) Write("t/z/many/f" + std::to_string(i), "");
         fs::create_directory("out");
         mover_done = false;
         mover = std::thread(MoveManyAway);
         return true;
       },
       [] {
         mover_done = true;
         mover.join();
       }},
      {"delete", FO_DELETE, {"t"}, {}, kYes, engine::kErrorAccessDenied, {"t/p/bad/x.txt"},
       {"t/a.txt", "t/p/q.txt", "t/z"}},
      {"a folder named in the request", FO_DELETE, {"bad", "a.txt"}, {}, kYes,
       engine::kErrorAccessDenied, {"bad/x.txt"}, {"a.txt"}},
      {"copy of a new tree, with workers", FO_COPY, {"t"}, {"out/t"}, kWorkers,
       engine::kErrorAccessDenied, {"t/p/bad/x.txt", "t/z/y.txt"}, {"out/t"},
       [] { return true; }, [] { EXPECT_EQ(EntriesOf("out"), Paths{}); }},
      {"delete, with workers", FO_DELETE, {"t"}, {}, kYes | kWorkers, engine::kErrorAccessDenied,
       {"t/p/bad/x.txt"}, {"t/a.txt", "t/p/q.txt", "t/z"}},
      {"copy of a new tree, a file of it unreadable", FO_COPY, {"t"}, {"out/t"}, 0,
       engine::kErrorAccessDenied, {"t/z/y.txt"}, {"out/t"}, unreadable, copy_lines},
      {"copy of a new tree, a file of it unreadable, with workers", FO_COPY, {"t"}, {"out/t"},
       kWorkers, engine::kErrorAccessDenied, {"t/z/y.txt"}, {"out/t"}, unreadable, copy_lines},
      {"delete, a file that cannot go", FO_DELETE, {"t"}, {}, kYes, engine::kErrorAccessDenied,
       {"t/p/bad/x.txt", "t/z/y.txt"}, {"t/a.txt", "t/p/q.txt"}, fixed, delete_lines},
      {"delete, a file that cannot go, with workers", FO_DELETE, {"t"}, {}, kYes | kWorkers,
       engine::kErrorAccessDenied, {"t/p/bad/x.txt", "t/z/y.txt"}, {"t/a.txt", "t/p/q.txt"},
       fixed, delete_lines},
  };
  Hooks hooks = Answering();
  hooks.folder_open = RefuseBad;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Fresh();
    for (const char* path : {"t/a.txt", "t/p/bad/x.txt", "t/p/q.txt", "t/z/y.txt", "bad/x.txt"})
      Write(path, path);
    if (c.setup && !c.setup()) {
      FileRights(true);
      std::printf("[ SKIPPED  ] %s: not possible here\n", c.what);
      continue;
    }
    testing::internal::CaptureStderr();
    EXPECT_EQ(Request(c.function, c.from, c.to, c.flags, nullptr, hooks).code, c.code);
    said = testing::internal::GetCapturedStderr();
    ExpectPaths(c.present, c.absent);
    if (c.after) c.after();
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
    const char* there = nullptr;  ///< a target folder made first, if any
  };
  const std::string moved = other_ + "/to";
  std::vector<Row> rows = {
      {"a file later in a tree, into its folder", FO_COPY, {"t"}, {"out"}, {"t/c.txt"},
       {"out/t/a.txt", "out/t/b.txt", "out/t/d.txt"}, {"out/t/c.txt"}, "out/t"},
      {"a file later in a new tree", FO_COPY, {"t"}, {"out/t"}, {"t/c.txt"}, {"t/d.txt"},
       {"out/t"}},
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
    if (row.there) {
      ASSERT_TRUE(fs::create_directories(row.there));
    }
    doomed = row.doomed;
    EXPECT_EQ(Request(row.function, row.from, row.to, kQuiet | kYes, nullptr, hooks).code,
              engine::kErrorFileNotFound);
    ExpectPaths(row.present, row.absent);
    if (row.absent == Paths{"out/t"}) {
      EXPECT_EQ(EntriesOf("out"), Paths{});  // nor a hidden folder
    }
  }
}

}  // namespace
}  // namespace engine_test
