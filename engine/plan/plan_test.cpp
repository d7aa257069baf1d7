// Tests of how a request's lists become items: where each goes, what a
// wildcard stands for.
#include "engine/base/errors.h"
#include "engine_fixture.h"

namespace engine_test {
namespace {

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
      // -n: a folder still merges; a file of the same name there stays, and
      // a move leaves its source.
      {"no clobber merges", FO_COPY, {"d"}, {"merge"}, kNoClobber, 0,
       {"merge/d/g.txt", "merge/d/old.txt"}, {}, [] {
         Write("d/g.txt", "G");
         Write("merge/d/f.txt", "OLD");
         return true;
       }, [] { EXPECT_EQ(Read("merge/d/f.txt"), "OLD"); }},
      {"no clobber merges a move", FO_MOVE, {"d"}, {"merge"}, kNoClobber, 0,
       {"merge/d/g.txt", "d/f.txt"}, {"d/g.txt"}, [] {
         Write("d/g.txt", "G");
         Write("merge/d/f.txt", "OLD");
         return true;
       }, [] { EXPECT_EQ(Read("merge/d/f.txt"), "OLD"); }},
      {"dry run makes no folder", FO_COPY, {"d", "a.txt"}, {"new/deep"}, kDryRun, 0,
       {"d/f.txt", "a.txt"}, {"new"}},
      {"dry run moves nothing", FO_MOVE, {"d"}, {"merge"}, kDryRun, 0, {"d/f.txt"},
       {"merge/d/f.txt"}},
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
      {"wildcard with a slash into a file", FO_COPY, {"merge/*/"}, {"noext"}, 0,
       engine::kErrorOther, {"merge/d/old.txt"}, {"noext/d"}},
      {"several into a file", FO_COPY, {"a.txt", "b.txt"}, {"noext"}, 0, engine::kErrorOther,
       {"a.txt"}, {"noext/a.txt"}},
      {"folder with a slash onto a file", FO_COPY, {"d/"}, {"noext"}, 0, 5, {"d/f.txt"},
       {"noext/f.txt"}, nullptr, [] { EXPECT_EQ(Read("noext"), "N"); }},
      // A trailing slash says "a folder": a file named so is no source,
      // and nothing is done. A link named so is a folder only to a copy,
      // which follows a link it is given; the others take the link itself.
      {"delete of a file with a slash", FO_DELETE, {"a.txt", "noext/"}, {}, kYes, 2,
       {"a.txt", "noext"}, {}},
      {"move of a file with a slash", FO_MOVE, {"noext/"}, {"out"}, 0, 2, {"noext"},
       {"out/noext"}},
      {"rename of a file with a slash", FO_RENAME, {"noext/"}, {"n2"}, 0, 2, {"noext"}, {"n2"}},
      {"trash of a file with a slash", FO_DELETE, {"noext/"}, {}, kYes | FOF_ALLOWUNDO, 2,
       {"noext"}, {"data/Trash/files/noext"},
       [] { return setenv("XDG_DATA_HOME", (fs::current_path() / "data").c_str(), 1) == 0; }},
      {"delete of a link to a folder with a slash", FO_DELETE, {"ld/"}, {}, kYes, 2,
       {"ld", "d/f.txt"}, {}, [] { return symlink("d", "ld") == 0; }},
      {"copy of a link to a folder with a slash", FO_COPY, {"ld/"}, {"out"}, 0, 0,
       {"out/ld/f.txt"}, {}, [] { return symlink("d", "ld") == 0; }},
      {"wildcard in destination", FO_COPY, {"a.txt"}, {"o*"}, 0, 0x7C, {"a.txt"}, {"o*"}},
      {"wildcard in destination folder part", FO_MOVE, {"a.txt"}, {"o?t/x"}, 0, 0x7C,
       {"a.txt"}, {}},
  };
  Check(cases);
}

// Fresh() makes a.txt b.txt [ab].txt .hidden noext d/f.txt merge/d/old.txt
// sub/x.txt out/.
TEST_F(Engine, Wildcards) {
  const std::vector<Case> cases = {
      {"star", FO_COPY, {"*.txt"}, {"out"}, 0, 0, {"out/a.txt", "out/b.txt", "out/[ab].txt"},
       {"out/noext", "out/.hidden"}},
      {"question mark", FO_COPY, {"?.txt"}, {"made"}, 0, 0, {"made/a.txt", "made/b.txt"},
       {"made/[ab].txt"}},
      {"case counts", FO_COPY, {"?.txt", "*.TXT"}, {"made"}, 0, 2, {}, {"made"}},
      {"*.* takes names without a dot, not dot files; out itself fails, the rest go on",
       FO_COPY, {"*.*"}, {"out"}, 0, 0x76, {"out/noext", "out/d/f.txt", "out/sub/x.txt"},
       {"out/out", "out/.hidden"}},
      // As in the shell, a name that starts with a dot is matched only by a
      // pattern that starts with one, and "." and ".." never.
      {"dot files only by a dot", FO_COPY, {"*d*"}, {"out"}, 0, 0, {"out/d/f.txt"},
       {"out/a.txt", "out/.hidden"}},
      {"only dot files: no match, nothing deleted", FO_DELETE, {"logs/*"}, {}, kYes, 2,
       {"logs/.keep", "logs/.git/HEAD"}, {}, [] {
         Write("logs/.keep", "");
         Write("logs/.git/HEAD", "H");
         return true;
       }},
      {"a dot pattern takes dot files, never . or ..", FO_DELETE, {"logs/.*"}, {}, kYes, 0,
       {"logs/keep", "a.txt"}, {"logs/.keep", "logs/.git"}, [] {
         Write("logs/.keep", "");
         Write("logs/.git/HEAD", "H");
         Write("logs/keep", "");
         return true;
       }},
      {"brackets are plain characters", FO_COPY, {"[ab]*"}, {"out"}, 0, 0, {"out/[ab].txt"},
       {"out/a.txt"}},
      // A wildcard that matches nothing, or whose folder cannot be read,
      // is a source that is not there: nothing is done.
      {"no match is an error", FO_COPY, {"nope*", "a.txt"}, {"out"}, 0, 2, {"a.txt"},
       {"out/a.txt"}},
      {"no match, move", FO_MOVE, {"*.tmp", "a.txt"}, {"out"}, 0, 2, {"a.txt"}, {"out/a.txt"}},
      {"no match, delete", FO_DELETE, {"d/*.tmp", "a.txt"}, {}, kYes, 2, {"a.txt", "d/f.txt"}, {}},
      {"a missing folder", FO_COPY, {"nowhere/*", "a.txt"}, {"out"}, 0, 2, {}, {"out/a.txt"}},
      {"a file for a folder", FO_DELETE, {"noext/*", "a.txt"}, {}, kYes, 2, {"noext", "a.txt"},
       {}},
      {"a folder that cannot be read", FO_COPY, {"locked/*"}, {"out"}, 0, 5, {}, {"out/s"},
       [] {  // as root every folder can be read: skipped
         Write("locked/s", "S");
         return chmod("locked", 0311) == 0 && geteuid() != 0;
       },
       [] { chmod("locked", 0755); }},
      {"files only: matched folders are no error", FO_COPY, {"s*"}, {"out"}, FOF_FILESONLY, 0,
       {"sub/x.txt"}, {"out/sub"}},
      {"only the last component", FO_COPY, {"s*/x.txt"}, {"out"}, 0, 2, {}, {"out/x.txt"}},
      {"inside a folder", FO_DELETE, {"d/*"}, {}, kYes, 0, {"d"}, {"d/f.txt"}},
      {"a slash takes only folders, never a link to one", FO_DELETE, {"w/*/"}, {}, kYes, 0,
       {"w/file.txt", "w/link", "d/f.txt"}, {"w/sub"}, [] {
         Write("w/file.txt", "");
         Write("w/sub/x", "");
         return symlink("../d", "w/link") == 0;
       }},
      {"a slash and only files: no match", FO_DELETE, {"w/*/"}, {}, kYes, 2, {"w/file.txt"}, {},
       [] {
         Write("w/file.txt", "");
         return true;
       }},
      {"move", FO_MOVE, {"sub/*"}, {"out"}, 0, 0, {"out/x.txt", "sub"}, {"sub/x.txt"}},
      {"files only skips matched folders", FO_COPY, {"*"}, {"out"}, FOF_FILESONLY, 0,
       {"out/a.txt", "out/noext"}, {"out/d", "out/sub", "out/merge"}},
      {"files only keeps named folders", FO_DELETE, {"d", "s*"}, {}, kYes | FOF_FILESONLY, 0,
       {"sub/x.txt"}, {"d"}},
      // --literal: every path is one name, a destination's too.
      {"literal: a name holding a wildcard", FO_DELETE, {"r?.txt"}, {}, kYes | kLiteral, 0,
       {"r1.txt"}, {"r?.txt"}, [] {
         Write("r?.txt", "");
         Write("r1.txt", "");
         return true;
       }},
      {"literal: no such name", FO_COPY, {"*.txt"}, {"out"}, kLiteral, 2, {}, {"out/a.txt"}},
      {"literal: a destination holding a wildcard", FO_COPY, {"a.txt"}, {"o*"}, kLiteral, 0,
       {"o*"}, {"o*/a.txt"}},
      {"literal: a rename", FO_RENAME, {"r?.txt"}, {"r*.txt"}, kLiteral, 0, {"r*.txt", "r1.txt"},
       {"r?.txt"}, [] {
         Write("r?.txt", "");
         Write("r1.txt", "");
         return true;
       }},
  };
  Check(cases);
}

}  // namespace
}  // namespace engine_test
