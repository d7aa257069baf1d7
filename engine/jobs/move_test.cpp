// Tests of moving across file systems and merging into a folder.
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>

#include "engine/base/errors.h"
#include "engine_fixture.h"

namespace engine_test {
namespace {

// An extended attribute of `path`, or "<none>".
std::string Attribute(const std::string& path, const char* name) {
  std::string value(256, '\0');
  const ssize_t size = getxattr(path.c_str(), name, &value[0], value.size());
  return size < 0 ? "<none>" : value.substr(0, static_cast<std::size_t>(size));
}

bool SetAttribute(const std::string& path, const char* name, const std::string& value) {
  return setxattr(path.c_str(), name, value.data(), value.size(), 0) == 0;
}

struct stat StatusOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
  return st;
}

// Across file systems a move copies, then removes; a replacement there is
// asked about once, and the items arrive as they were.
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
  // A fifo is never copied, so that folder's move fails: its copy is never
  // placed and the folder stays.
  Write("e/g.txt", "G");
  ASSERT_EQ(mkfifo("e/pipe", 0600), 0);
  EXPECT_EQ(Request(FO_MOVE, {"e"}, {other_ + "/to"}, kQuiet | kDryRun).code,
            engine::kErrorOther);  // as the run ends
  EXPECT_EQ(Request(FO_MOVE, {"e"}, {other_ + "/to"}).code, engine::kErrorOther);
  ExpectPaths({"e/g.txt", "e/pipe"}, {other_ + "/to/e"});
  EXPECT_EQ(EntriesOf(other_ + "/to"), (Paths{"a.txt", "d"}));  // nor a hidden folder
  // It keeps the items as they were, as mv does: hard links inside the
  // tree, owner and group, extended attributes (POSIX ACLs among them) and
  // file capabilities, where the process may set them (rows it may not are
  // skipped).
  const std::string moved = other_ + "/k";
  const std::string acl("\2\0\0\0\1\0\6\0\377\377\377\377\2\0\4\0\350\3\0\0"
                        "\4\0\4\0\377\377\377\377\20\0\4\0\377\377\377\377"
                        "\40\0\4\0\377\377\377\377", 44);
  const std::string cap("\1\0\0\2\0\40\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 20);  // cap_net_raw
  const std::string overlay = root_ + "/overlay", lower = overlay + "/lower";
  const auto linked = [](const std::string& to, const Paths& names) {  // one file, all of them
    const struct stat first = StatusOf(to + "/" + names[0]);
    EXPECT_EQ(first.st_nlink, names.size());
    for (const std::string& name : names) EXPECT_EQ(StatusOf(to + "/" + name).st_ino, first.st_ino);
  };
  struct Row {
    const char* what;
    std::function<bool()> prepare;  // makes the folder k; false: not possible here
    std::function<void()> check;    // of `moved`
    Paths from = {"k"};             // ... moved to `to`, else into other_
    std::string to = "";
  };
  const std::vector<Row> rows = {
      {"hard links stay links",
       [] {
         Write("k/sub/a", "L");
         return link("k/sub/a", "k/b") == 0 && link("k/sub/a", "k/c") == 0;
       },
       [&] { linked(moved, {"sub/a", "b", "c"}); }},
      {"hard links stay links between separate sources",
       [] {
         Write("k/f1", "1");
         Write("k/d1/x", "X");
         fs::create_directory("k/d2");
         return link("k/f1", "k/f2") == 0 && link("k/d1/x", "k/d2/y") == 0;
       },
       [&] {
         linked(moved, {"f1", "f2"});
         linked(moved, {"d1/x", "d2/y"});
       },
       {"k/f1", "k/f2", "k/d1", "k/d2"}, moved},
      {"hard links stay links into folders that are there",
       [&] {
         Write("k/f1", "1");
         fs::create_directories(moved + "/sub");
         return link("k/f1", "k/f2") == 0 && fs::create_directory("k/sub") &&
                link("k/f1", "k/sub/f3") == 0;
       },
       [&] { linked(moved, {"f1", "f2", "sub/f3"}); }},
      {"a folder of an overlay's lower layer, whose rename is refused",
       [&] {
         if (MountScratchFileSystem(overlay).empty()) return false;  // its layers on a tmpfs
         Write(lower + "/k/a1", "A");
         Write(lower + "/k/sub/b", "B");
         for (const char* folder : {"upper", "work", "m"}) fs::create_directories(overlay + "/" + folder);
         if (link((lower + "/k/a1").c_str(), (lower + "/k/sub/a2").c_str()) == 0 &&
             mount("overlay", (overlay + "/m").c_str(), "overlay", 0,
                   ("redirect_dir=off,lowerdir=" + lower + ",upperdir=" + overlay +
                    "/upper,workdir=" + overlay + "/work").c_str()) == 0)
           return true;
         umount2(overlay.c_str(), MNT_DETACH);
         return false;
       },
       [&] {
         linked(overlay + "/m/moved", {"a1", "sub/a2"});
         EXPECT_EQ(Read(overlay + "/m/moved/sub/b"), "B");
         umount2((overlay + "/m").c_str(), MNT_DETACH);
         umount2(overlay.c_str(), MNT_DETACH);
       },
       {overlay + "/m/k"}, overlay + "/m/moved"},
      {"owner and group, and the set-user-id bit with them",
       [] {
         Write("k/o", "O");
         return chown("k/o", 65534, 65534) == 0 && chown("k", 65534, 65534) == 0 &&
                chmod("k/o", 04755) == 0;
       },
       [&] {
         for (const std::string& item : {moved, moved + "/o"}) {
           EXPECT_EQ(StatusOf(item).st_uid, 65534u) << item;
           EXPECT_EQ(StatusOf(item).st_gid, 65534u) << item;
         }
         EXPECT_EQ(StatusOf(moved + "/o").st_mode & 07777, 04755u);
       }},
      {"extended attributes, of files and folders",
       [] {
         Write("k/x", "X");
         return SetAttribute("k/x", "user.note", "kept") && SetAttribute("k", "user.f", "F");
       },
       [&] {
         EXPECT_EQ(Attribute(moved + "/x", "user.note"), "kept");
         EXPECT_EQ(Attribute(moved, "user.f"), "F");
       }},
      {"a POSIX ACL",
       [&] {
         Write("k/acl", "A");
         return SetAttribute("k/acl", "system.posix_acl_access", acl);
       },
       [&] { EXPECT_EQ(Attribute(moved + "/acl", "system.posix_acl_access"), acl); }},
      {"a file capability",
       [&] {
         Write("k/cap", "C");
         return chown("k/cap", 65534, 65534) == 0 && SetAttribute("k/cap", "security.capability", cap);
       },
       [&] { EXPECT_EQ(Attribute(moved + "/cap", "security.capability"), cap); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Fresh();
    fs::remove_all(moved);
    if (!row.prepare()) {
      std::printf("[ SKIPPED  ] %s: not possible here\n", row.what);
      continue;
    }
    EXPECT_EQ(Request(FO_MOVE, row.from, {row.to.empty() ? other_ : row.to}, kQuiet | kYes).code, 0);
    for (const std::string& item : row.from) EXPECT_FALSE(Exists(item)) << item;
    row.check();
  }
  // A file system that takes no extended attributes: the items move without
  // them, and one line says so for all of them.
  Fresh();
  const std::string ram = MountScratchFileSystem(root_ + "/ram", "ramfs");
  if (ram.empty()) GTEST_SKIP() << "cannot mount a file system here";
  Write("k/x1", "1");
  Write("k/x2", "2");
  ASSERT_TRUE(SetAttribute("k/x1", "user.note", "1") && SetAttribute("k/x2", "user.note", "2"));
  EXPECT_EQ(StderrOf(FO_MOVE, {"k"}, {ram}, kYes),
            "vandrix: kept no extended attributes for '" + ram +
                "/k/x1' (nor for any other item on its file system): Operation not supported\n");
  EXPECT_EQ(Read(ram + "/k/x2"), "2");
  EXPECT_FALSE(Exists("k"));
  umount2(ram.c_str(), MNT_DETACH);
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
    std::string said = "";  // on standard output, with -v
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
      // A failed move takes back only what it made, item by item.
      {"another program saves a file in the partial copy of a failed move", {"d"},
       [&](Hooks& h) {
         mkfifo("d/zz", 0600);  // never copied: the move fails
         h.copy_step = [&] {
           if (!Exists(to + "/d/foreign.txt")) Write(to + "/d/foreign.txt", "THEIRS");
         };
       },
       {{to + "/d/foreign.txt", "THEIRS"}, {to + "/d/f.txt", gone}, {"d/f.txt", "F"}}},
      // The source goes item by item, only what was copied and is unchanged.
      {"a file made in the source while it is copied stays", {"d"},
       [&](Hooks& h) {
         h.copy_step = [&] {
           if (!Exists("d/late.txt")) Write("d/late.txt", "LATE");
         };
       },
       {{"d/late.txt", "LATE"}, {to + "/d/late.txt", gone}, {to + "/d/f.txt", "F"},
        {"d/f.txt", gone}},
       {}, "copied 'd' -> '" + to + "/d'\n"},
      {"a file changed after it was copied stays", {"d"},
       [&](Hooks& h) {
         Write("d/g.txt", "G");
         h.copy_step = [&, step = 0]() mutable {  // f.txt is copied; g.txt is being copied
           if (++step == 2 && Read("d/f.txt") == "F") Write("d/f.txt", "CHANGED");
         };
       },
       {{"d/f.txt", "CHANGED"}, {to + "/d/f.txt", "F"}, {to + "/d/g.txt", "G"},
        {"d/g.txt", gone}},
       {}, "copied 'd' -> '" + to + "/d'\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Fresh();
    fs::remove_all(to);
    fs::create_directory(to);
    for (const auto& [path, bytes] : row.before) Write(path, bytes);
    Hooks hooks = Answering();
    row.strike(hooks);
    testing::internal::CaptureStdout();
    EXPECT_NE(Request(FO_MOVE, row.from, {to}, kQuiet | kYes | kVerbose, nullptr, hooks).code, 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), row.said);
    for (const auto& [path, bytes] : row.after) EXPECT_EQ(Read(path), bytes) << path;
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

}  // namespace
}  // namespace engine_test
