// Tests of deleting to the trash.
#include <regex>

#include "engine/base/errors.h"
#include "engine_fixture.h"

namespace engine_test {
namespace {

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
    bool foreseen = true;           // a dry run fails as the run does
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
       here_ + "/d", home + "/Trash/info", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    fs::remove_all(trash);
    Write("b.txt", "B");
    if (!row.prepare()) {
      std::printf("[ SKIPPED  ] %s: not possible here\n", row.what);
      continue;
    }
    const unsigned to_trash = kQuiet | kYes | FOF_ALLOWUNDO;
    if (row.foreseen) {
      testing::internal::CaptureStdout();
      const int dry = Request(FO_DELETE, {row.item, "b.txt"}, {}, to_trash | kDryRun).code;
      testing::internal::GetCapturedStdout();
      EXPECT_EQ(dry, engine::kErrorOther);
    }
    EXPECT_EQ(Request(FO_DELETE, {row.item, "b.txt"}, {}, to_trash).code, engine::kErrorOther);
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

}  // namespace
}  // namespace engine_test
