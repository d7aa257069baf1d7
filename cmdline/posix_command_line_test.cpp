#include "cmdline/posix_command_line.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cmdline/options.h"
#include "fake_platform.h"
#include "fileop/file_operation.h"
#include "platform/shell.h"

namespace vandrix {
namespace {

using namespace std::string_literals;
using vandrix_test::FakePlatform;
using vandrix_test::RecordedRequest;

constexpr WORD kCopyFlags = FOF_NOCONFIRMMKDIR;  // one destination
constexpr WORD kPairedFlags = FOF_NOCONFIRMMKDIR | FOF_MULTIDESTFILES;
constexpr WORD kAllOptions = 0x07DC;  // c d e f p r s u
constexpr WORD kCopyOptions = kAllOptions & ~FOF_ALLOWUNDO;  // all but u, del's alone

struct PosixCase {
  std::vector<std::string> args;  // after the program's name
  int exit_code;                  // -1: refused, nothing asked of the shell
  const char* out;                // how standard output starts
  const char* err;                // a part of standard error ("" for none)
  // The request the shell receives, when the exit code is not -1 and the
  // output is empty: the path lists as the shell reads them.
  UINT function;
  std::string from;
  std::string to;
  WORD flags;
  unsigned own = 0;   // vandrix's own options, beside the request
  unsigned jobs = 0;  // --jobs
};

// The command as vandrix's performer gets it; carried out here through the
// (recording) shell service, as Vandrix.exe has its request carried out.
PosixCommand performed;

std::int32_t ThroughShell(const PosixCommand& command) {
  performed = command;
  return PerformFileOperation(command.source, command.destination, command.title, command.flags,
                              command.function);
}

const PosixCase kPosixCases[] = {
    // Operations and counts.
    {{"copy", "a.txt", "out"}, 0, "", "", FO_COPY, "a.txt\0\0"s, "out\0\0"s, kCopyFlags},
    {{"COPY", "1.txt", "2.txt", "3.txt", "out"}, 0, "", "", FO_COPY, "1.txt\0002.txt\0003.txt\0\0"s, "out\0\0"s, kCopyFlags},
    {{"Move", "1.txt", "2.txt", "out/"}, 0, "", "", FO_MOVE, "1.txt\0002.txt\0\0"s, "out/\0\0"s, kCopyFlags},
    {{"del", "1.txt", "2.txt", "3.txt"}, 0, "", "", FO_DELETE, "1.txt\0002.txt\0003.txt\0\0"s, "\0"s, kCopyFlags},
    {{"delete", "x"}, 0, "", "", FO_DELETE, "x\0\0"s, "\0"s, kCopyFlags},
    {{"ren", "draft.txt", "final.txt"}, 0, "", "", FO_RENAME, "draft.txt\0\0"s, "final.txt\0\0"s, FOF_NOCONFIRMMKDIR},
    {{"RENAME", "a", "b"}, 0, "", "", FO_RENAME, "a\0\0"s, "b\0\0"s, FOF_NOCONFIRMMKDIR},
    {{"copy", "a.txt;b.txt", "c.txt", "out"}, 0, "", "", FO_COPY, "a.txt\0b.txt\0c.txt\0\0"s, "out\0\0"s, kCopyFlags},
    {{"copy", "a.txt"}, -1, "", "copy takes two or more paths (SOURCE... DEST), not 1", 0, ""s, ""s, 0},
    {{"move"}, -1, "", "move takes two or more paths (SOURCE... DEST), not 0", 0, ""s, ""s, 0},
    {{"del"}, -1, "", "del takes one or more paths, not 0", 0, ""s, ""s, 0},
    {{"ren", "a", "b", "c"}, -1, "", "ren takes exactly two paths (OLD NEW), not 3", 0, ""s, ""s, 0},
    {{"rename", "a"}, -1, "", "rename takes exactly two paths", 0, ""s, ""s, 0},
    {{"frob", "a", "b"}, -1, "", "unknown operation 'frob'", 0, ""s, ""s, 0},
    {{"a.txt", "copy", "out"}, -1, "", "unknown operation 'a.txt'", 0, ""s, ""s, 0},
    {{"-c", "-s"}, -1, "", "vandrix: no operation given", 0, ""s, ""s, 0},
    {{}, -1, "", "Usage: vandrix [OPTION]... OPERATION PATH...\nTry 'vandrix --help'", 0, ""s, ""s, 0},
    {{"copy", "", "out"}, -1, "", "an empty argument names no file", 0, ""s, ""s, 0},
    {{"copy", "a", "x;y"}, -1, "", "the destination list names 2 paths for 1 sources", 0, ""s, ""s, 0},
    {{"copy", "a", "b", "c", "x;y"}, -1, "", "names 2 paths for 3 sources", 0, ""s, ""s, 0},
    {{"move", "a;b", "x;y"}, 0, "", "", FO_MOVE, "a\0b\0\0"s, "x\0y\0\0"s, kPairedFlags},
    {{"copy", "a", "b", "x;;y;"}, 0, "", "", FO_COPY, "a\0b\0\0"s, "x\0y\0\0"s, kPairedFlags},
    // Options: alone, combined, either case, anywhere, Windows forms.
    {{"-c", "copy", "a", "b"}, 0, "", "", FO_COPY, "a\0\0"s, "b\0\0"s, kCopyFlags | FOF_NOCONFIRMATION},
    {{"copy", "a", "b", "-s"}, 0, "", "", FO_COPY, "a\0\0"s, "b\0\0"s, kCopyFlags | FOF_SILENT},
    {{"copy", "-cs", "a", "b"}, 0, "", "", FO_COPY, "a\0\0"s, "b\0\0"s, kCopyFlags | FOF_NOCONFIRMATION | FOF_SILENT},
    {{"-cdefprs", "copy", "a*", "b"}, 0, "", "", FO_COPY, "a*\0\0"s, "b\0\0"s, kCopyFlags | kCopyOptions},
    {{"-cdefpsu", "del", "a*"}, 0, "", "", FO_DELETE, "a*\0\0"s, "\0"s, kCopyFlags | (kAllOptions & ~FOF_RENAMEONCOLLISION)},
    {{"/c", "/D", "/e", "/F", "/p", "/R", "/s", "copy", "a*", "b"}, 0, "", "", FO_COPY, "a*\0\0"s, "b\0\0"s, kCopyFlags | kCopyOptions},
    {{"/U", "/C", "del", "a"}, 0, "", "", FO_DELETE, "a\0\0"s, "\0"s, kCopyFlags | FOF_ALLOWUNDO | FOF_NOCONFIRMATION},
    // After the operation word a Windows form is a path, never an option.
    {{"copy", "a", "b", "/s"}, 0, "", "", FO_COPY, "a\0b\0\0"s, "/s\0\0"s, kCopyFlags},
    {{"/c", "del", "/c", "/S"}, 0, "", "", FO_DELETE, "/c\0/S\0\0"s, "\0"s, kCopyFlags | FOF_NOCONFIRMATION},
    {{"-u", "-u", "del", "a"}, 0, "", "", FO_DELETE, "a\0\0"s, "\0"s, kCopyFlags | FOF_ALLOWUNDO},
    // After "-" the letters are lower case: an upper-case one is refused,
    // naming the option of its lower case.
    {{"-CDEFPRS", "copy", "a", "b"}, -1, "", "unknown option 'C' in '-CDEFPRS': the letters are lower case, and -c is --yes", 0, ""s, ""s, 0},
    {{"-R", "copy", "Photos", "B2"}, -1, "", "vandrix: unknown option '-R': the letters are lower case, and -r is --keep-both; try 'vandrix --help'\n", 0, ""s, ""s, 0},
    {{"-cV", "del", "a"}, -1, "", "unknown option 'V' in '-cV': the letters are lower case, and -v is --verbose", 0, ""s, ""s, 0},
    {{"copy", "a", "b", "-U"}, -1, "", "unknown option '-U': the letters are lower case, and -u is --trash", 0, ""s, ""s, 0},
    {{"-X", "copy", "a", "b"}, -1, "", "vandrix: unknown option '-X'; try 'vandrix --help'\n", 0, ""s, ""s, 0},
    // An option that has no effect on the operation is refused, saying
    // what it does.
    {{"-cu", "copy", "Photos", "B2"}, -1, "", "vandrix: -u (--trash) has no effect on copy: it makes del move the items to the trash; try 'vandrix --help'\n", 0, ""s, ""s, 0},
    {{"move", "a", "b", "--trash"}, -1, "", "-u (--trash) has no effect on move: it makes del", 0, ""s, ""s, 0},
    {{"/u", "ren", "a", "b"}, -1, "", "-u (--trash) has no effect on ren:", 0, ""s, ""s, 0},
    {{"-r", "del", "a"}, -1, "", "-r (--keep-both) has no effect on del: it gives an item a free name where its name is taken", 0, ""s, ""s, 0},
    {{"/R", "delete", "a"}, -1, "", "-r (--keep-both) has no effect on delete:", 0, ""s, ""s, 0},
    {{"-n", "del", "a"}, -1, "", "-n (--no-clobber) has no effect on del: it skips an item whose name is taken", 0, ""s, ""s, 0},
    {{"--update", "del", "a"}, -1, "", "vandrix: --update has no effect on del: it skips a file whose target is as new or newer; try", 0, ""s, ""s, 0},
    {{"--update", "ren", "a", "b"}, -1, "", "--update has no effect on ren:", 0, ""s, ""s, 0},
    {{"-f", "copy", "a.txt", "b.txt", "out"}, -1, "", "-f (--files-only) has no effect on these paths: it takes only the files a wildcard matches, and no source holds one", 0, ""s, ""s, 0},
    {{"-fc", "del", "x/a;y/b"}, -1, "", "-f (--files-only) has no effect on these paths", 0, ""s, ""s, 0},
    {{"-fc", "del", "x/a", "y/*"}, 0, "", "", FO_DELETE, "x/a\0y/*\0\0"s, "\0"s, kCopyFlags | FOF_FILESONLY | FOF_NOCONFIRMATION},
    {{"-f", "ren", "a?", "b"}, -1, "", "-f (--files-only) has no effect on ren: it takes only the files a wildcard matches", 0, ""s, ""s, 0},
    // Long names, written in full, mixed with letters.
    {{"--yes", "--make-folders", "--quiet", "--files-only", "--no-names", "--keep-both", "--no-progress", "copy", "a*", "b"}, 0, "", "", FO_COPY, "a*\0\0"s, "b\0\0"s, kCopyFlags | kCopyOptions},
    {{"copy", "a", "b", "--yes"}, 0, "", "", FO_COPY, "a\0\0"s, "b\0\0"s, kCopyFlags | FOF_NOCONFIRMATION},
    {{"-c", "--trash", "del", "a"}, 0, "", "", FO_DELETE, "a\0\0"s, "\0"s, kCopyFlags | FOF_NOCONFIRMATION | FOF_ALLOWUNDO},
    {{"--yes", "-u", "del", "a", "--no-progress"}, 0, "", "", FO_DELETE, "a\0\0"s, "\0"s, kCopyFlags | FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_SILENT},
    {{"-c", "--files-only", "--keep-both", "move", "a*", "out"}, 0, "", "", FO_MOVE, "a*\0\0"s, "out\0\0"s, kCopyFlags | FOF_NOCONFIRMATION | FOF_FILESONLY | FOF_RENAMEONCOLLISION},
    {{"-c", "--quiet", "--no-names", "ren", "a", "b"}, 0, "", "", FO_RENAME, "a\0\0"s, "b\0\0"s, FOF_NOCONFIRMMKDIR | FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SIMPLEPROGRESS},
    {{"-c", "del", "--", "--trash"}, 0, "", "", FO_DELETE, "--trash\0\0"s, "\0"s, kCopyFlags | FOF_NOCONFIRMATION},
    {{"-u", "del", "--trash"}, -1, "", "del takes one or more paths, not 0", 0, ""s, ""s, 0},
    {{"--ye", "copy", "a", "b"}, -1, "", "unknown option '--ye'", 0, ""s, ""s, 0},
    {{"-c", "--no", "del", "a"}, -1, "", "unknown option '--no'", 0, ""s, ""s, 0},
    {{"--YES", "copy", "a", "b"}, -1, "", "unknown option '--YES'", 0, ""s, ""s, 0},
    {{"--yes=no", "copy", "a", "b"}, -1, "", "unknown option '--yes=no'", 0, ""s, ""s, 0},
    {{"-c", "-yes", "copy", "a", "b"}, -1, "", "unknown option 'y' in '-yes'", 0, ""s, ""s, 0},
    {{"/yes", "copy", "a", "b"}, -1, "", "unknown operation '/yes'", 0, ""s, ""s, 0},
    {{"-x", "copy", "a", "b"}, -1, "", "vandrix: unknown option '-x'; try 'vandrix --help'\n", 0, ""s, ""s, 0},
    {{"--upd", "copy", "a", "b"}, -1, "", "unknown option '--upd'", 0, ""s, ""s, 0},
    {{"copy", "a", "b", "-cxs"}, -1, "", "unknown option 'x' in '-cxs'", 0, ""s, ""s, 0},
    {{"--frob", "copy", "a", "b"}, -1, "", "unknown option '--frob'", 0, ""s, ""s, 0},
    {{"--help=x"}, -1, "", "unknown option '--help=x'", 0, ""s, ""s, 0},
    {{"copy", "-notes.txt", "out"}, -1, "", "unknown option 'o' in '-notes.txt'", 0, ""s, ""s, 0},
    // vandrix's own options: beside the shell's request, alone or with the
    // others; no Windows form; two that contradict each other are refused.
    {{"-n", "copy", "a", "b"}, 0, "", "", FO_COPY, "a\0\0"s, "b\0\0"s, kCopyFlags, kNoClobber},
    {{"copy", "a", "b", "--no-clobber", "-c"}, 0, "", "", FO_COPY, "a\0\0"s, "b\0\0"s, kCopyFlags | FOF_NOCONFIRMATION, kNoClobber},
    {{"-cnv", "move", "a", "b"}, 0, "", "", FO_MOVE, "a\0\0"s, "b\0\0"s, kCopyFlags | FOF_NOCONFIRMATION, kNoClobber | kVerbose},
    {{"-v", "--verbose", "-u", "del", "a"}, 0, "", "", FO_DELETE, "a\0\0"s, "\0"s, kCopyFlags | FOF_ALLOWUNDO, kVerbose},
    {{"--dry-run", "del", "a*"}, 0, "", "", FO_DELETE, "a*\0\0"s, "\0"s, kCopyFlags, kDryRun},
    {{"-cu", "--dry-run", "-v", "del", "a", "b"}, 0, "", "", FO_DELETE, "a\0b\0\0"s, "\0"s, kCopyFlags | FOF_NOCONFIRMATION | FOF_ALLOWUNDO, kDryRun | kVerbose},
    {{"--dry-run", "-n", "copy", "a", "b"}, 0, "", "", FO_COPY, "a\0\0"s, "b\0\0"s, kCopyFlags, kDryRun | kNoClobber},
    {{"-i", "--interactive", "-u", "del", "a"}, 0, "", "", FO_DELETE, "a\0\0"s, "\0"s, kCopyFlags | FOF_ALLOWUNDO, kInteractive},
    {{"copy", "/n", "/v", "/i"}, 0, "", "", FO_COPY, "/n\0/v\0\0"s, "/i\0\0"s, kCopyFlags},
    // --literal has no letter: each path one name, beside the request.
    {{"--literal", "del", "a*"}, 0, "", "", FO_DELETE, "a*\0\0"s, "\0"s, kCopyFlags, kLiteral},
    {{"-l", "del", "a*"}, -1, "", "unknown option '-l'", 0, ""s, ""s, 0},
    // --jobs N: its value glued, after "=", or the next argument.
    {{"-j", "4", "copy", "a", "b"}, 0, "", "", FO_COPY, "a\0\0"s, "b\0\0"s, kCopyFlags, kJobs, 4},
    {{"copy", "a", "b", "-cj2"}, 0, "", "", FO_COPY, "a\0\0"s, "b\0\0"s, kCopyFlags | FOF_NOCONFIRMATION, kJobs, 2},
    {{"--jobs", "64", "del", "a"}, 0, "", "", FO_DELETE, "a\0\0"s, "\0"s, kCopyFlags, kJobs, 64},
    {{"--jobs=1", "-s", "del", "a"}, 0, "", "", FO_DELETE, "a\0\0"s, "\0"s, kCopyFlags | FOF_SILENT, kJobs, 1},
    {{"-j", "0", "copy", "a", "b"}, -1, "", "vandrix: -j (--jobs) wants a number of workers from 1 to 64, not '0'; try 'vandrix --help'\n", 0, ""s, ""s, 0},
    {{"--jobs", "x", "del", "a"}, -1, "", "-j (--jobs) wants a number of workers from 1 to 64, not 'x'", 0, ""s, ""s, 0},
    {{"--jobs=", "del", "a"}, -1, "", "from 1 to 64, not ''", 0, ""s, ""s, 0},
    {{"-j65", "del", "a"}, -1, "", "from 1 to 64, not '65'", 0, ""s, ""s, 0},
    {{"-j", "-4", "del", "a"}, -1, "", "not '-4'", 0, ""s, ""s, 0},
    {{"del", "a", "-j"}, -1, "", "-j (--jobs) wants a number of workers from 1 to 64 after it", 0, ""s, ""s, 0},
    {{"/j", "del", "a"}, -1, "", "unknown operation '/j'", 0, ""s, ""s, 0},
    {{"-j", "2", "move", "a", "b"}, -1, "", "-j (--jobs) has no effect on move: it copies a new folder's files and deletes a folder's with workers side by side", 0, ""s, ""s, 0},
    {{"--jobs=2", "ren", "a", "b"}, -1, "", "-j (--jobs) has no effect on ren", 0, ""s, ""s, 0},
    {{"-v", "del", "--", "--dry-run"}, 0, "", "", FO_DELETE, "--dry-run\0\0"s, "\0"s, kCopyFlags, kVerbose},
    {{"--update", "copy", "a", "b"}, 0, "", "", FO_COPY, "a\0\0"s, "b\0\0"s, kCopyFlags, kUpdate},
    {{"-cv", "move", "a", "b", "--update"}, 0, "", "", FO_MOVE, "a\0\0"s, "b\0\0"s, kCopyFlags | FOF_NOCONFIRMATION, kUpdate | kVerbose},
    {{"--update", "--dry-run", "copy", "a", "b"}, 0, "", "", FO_COPY, "a\0\0"s, "b\0\0"s, kCopyFlags, kUpdate | kDryRun},
    {{"--update", "-r", "copy", "a", "b"}, -1, "", "--update skips a file whose target is as new or newer, -r (--keep-both) gives it a free name: give one of them", 0, ""s, ""s, 0},
    {{"-n", "--update", "move", "a", "b"}, -1, "", "-n (--no-clobber) replaces nothing, --update replaces what is older: give one of them", 0, ""s, ""s, 0},
    {{"-u", "--update", "del", "a"}, -1, "", "--update has no effect on del", 0, ""s, ""s, 0},
    {{"-U", "copy", "a", "b"}, -1, "", "unknown option '-U'", 0, ""s, ""s, 0},
    {{"-f", "--literal", "del", "a*"}, -1, "", "-f (--files-only) has no effect with --literal", 0, ""s, ""s, 0},
    {{"-n", "-r", "copy", "a", "b"}, -1, "", "vandrix: -n (--no-clobber) skips an item whose name is taken, -r (--keep-both) gives it a free name: give one of them; try 'vandrix --help'\n", 0, ""s, ""s, 0},
    {{"--keep-both", "--dry-run", "--no-clobber", "copy", "a", "b"}, -1, "", "-n (--no-clobber) skips", 0, ""s, ""s, 0},
    {{"-ci", "del", "a"}, -1, "", "-i (--interactive) asks, -c (--yes) answers yes: give one of them", 0, ""s, ""s, 0},
    {{"--dry-run=yes", "del", "a"}, -1, "", "unknown option '--dry-run=yes'", 0, ""s, ""s, 0},
    {{"--dry", "del", "a"}, -1, "", "unknown option '--dry'", 0, ""s, ""s, 0},
    // A hostile name is shown quoted, never as a control sequence.
    {{"copy", "-c\033[2J", "a", "b"}, -1, "", "unknown option $'\\033' in $'-c\\033[2J'", 0, ""s, ""s, 0},
    {{"--\033]0;owned\a"}, -1, "", "unknown option $'--\\033]0;owned\\a'", 0, ""s, ""s, 0},
    {{"\033[2Jcopy", "a", "b"}, -1, "", "unknown operation $'\\033[2Jcopy'", 0, ""s, ""s, 0},
    // "--" ends the options; paths start with any byte.
    {{"-c", "del", "--", "-notes.txt", "-s"}, 0, "", "", FO_DELETE, "-notes.txt\0-s\0\0"s, "\0"s, kCopyFlags | FOF_NOCONFIRMATION},
    {{"--", "copy", "--", "--help"}, 0, "", "", FO_COPY, "--\0\0"s, "--help\0\0"s, kCopyFlags},
    {{"copy", "/srv/in/report.txt", "/srv/out"}, 0, "", "", FO_COPY, "/srv/in/report.txt\0\0"s, "/srv/out\0\0"s, kCopyFlags},
    {{"-cs", "copy", "Pictures/Holiday.jpg", "C:\\-Home", "out"}, 0, "", "", FO_COPY, "Pictures/Holiday.jpg\0C:\\-Home\0\0"s, "out\0\0"s, kCopyFlags | FOF_NOCONFIRMATION | FOF_SILENT},
    {{"copy", "-", "/x", "/h"}, 0, "", "", FO_COPY, "-\0/x\0\0"s, "/h\0\0"s, kCopyFlags},
    {{"copy", "/cs", "/"}, 0, "", "", FO_COPY, "/cs\0\0"s, "/\0\0"s, kCopyFlags},
    {{"copy", " a ", "b"}, 0, "", "", FO_COPY, " a \0\0"s, "b\0\0"s, kCopyFlags},
    // Help and version: anywhere, the first decisive argument wins.
    {{"--help"}, 0, "Usage: vandrix [OPTION]... OPERATION PATH...\n", "", 0, ""s, ""s, 0},
    {{"-h"}, 0, "Usage: vandrix", "", 0, ""s, ""s, 0},
    {{"-H"}, 0, "Usage: vandrix", "", 0, ""s, ""s, 0},
    {{"-?"}, 0, "Usage: vandrix", "", 0, ""s, ""s, 0},
    {{"/?"}, 0, "Usage: vandrix", "", 0, ""s, ""s, 0},
    {{"-c", "copy", "a", "b", "-sh"}, 0, "Usage: vandrix", "", 0, ""s, ""s, 0},
    {{"copy", "a", "b", "/?"}, 0, "Usage: vandrix", "", 0, ""s, ""s, 0},
    {{"--help", "-x"}, 0, "Usage: vandrix", "", 0, ""s, ""s, 0},
    {{"-x", "--help"}, -1, "", "unknown option '-x'", 0, ""s, ""s, 0},
    {{"--version"}, 0, "vandrix 1.0.0.1\nCopyright (C) ", "", 0, ""s, ""s, 0},
    {{"frob", "--version"}, 0, "vandrix 1.0.0.1\n", "", 0, ""s, ""s, 0},
    {{"/h"}, -1, "", "unknown operation '/h'", 0, ""s, ""s, 0},
};

std::vector<std::string> WithName(const std::vector<std::string>& args) {
  std::vector<std::string> all{"vandrix"};
  all.insert(all.end(), args.begin(), args.end());
  return all;
}

TEST(PosixCommandLine, ReadsArgvTheLinuxWay) {
  for (const PosixCase& c : kPosixCases) {
    const std::vector<std::string> args = WithName(c.args);
    SCOPED_TRACE(testing::PrintToString(args));
    FakePlatform fake;
    const PosixReply reply = RunPosixCommandLine(args, ThroughShell);
    EXPECT_EQ(reply.exit_code, c.exit_code);
    EXPECT_EQ(reply.out.rfind(c.out, 0), 0u) << reply.out;
    if (*c.err == '\0') {
      EXPECT_EQ(reply.err, "");
    } else {
      EXPECT_NE(reply.err.find(c.err), std::string::npos) << reply.err;
    }
    if (c.exit_code == -1) {  // one line; the bare usage and its hint are two
      EXPECT_EQ(std::count(reply.err.begin(), reply.err.end(), '\n'), c.args.empty() ? 2 : 1);
    }
    if (c.exit_code == -1 || !reply.out.empty()) {
      EXPECT_TRUE(fake.requests.empty());
      continue;
    }
    ASSERT_EQ(fake.requests.size(), 1u);
    const RecordedRequest& r = fake.requests[0];
    EXPECT_EQ(r.wFunc, c.function);
    EXPECT_EQ(r.from, c.from);
    EXPECT_EQ(r.to, c.to);
    EXPECT_EQ(r.fFlags, c.flags);
    EXPECT_EQ(performed.own, c.own);
    EXPECT_EQ(performed.jobs, c.jobs);
  }
}

// The progress title: the operation and its paths, quoted as the error
// lines quote them; the options are left out.
TEST(PosixCommandLine, TitleIsTheOperationAndItsPathsQuoted) {
  const std::vector<std::vector<std::string>> lines = {
      {"-c", "copy", "my file.txt", "b;c", "out", "-s"}, {"--yes", "del", "a\nb", "-v"},
      {"ren", "old", "new"}};
  const char* const titles[] = {"copy 'my file.txt' 'b;c' to 'out'", "del $'a\\nb'",
                                "ren 'old' to 'new'"};
  for (std::size_t i = 0; i < lines.size(); ++i) {
    FakePlatform fake;
    std::vector<std::string> args = {"/opt/my tools/vandrix"};
    args.insert(args.end(), lines[i].begin(), lines[i].end());
    RunPosixCommandLine(args, ThroughShell);
    ASSERT_EQ(fake.requests.size(), 1u);
    EXPECT_EQ(fake.requests[0].title, titles[i]);
  }
}

struct DiskCase {
  std::vector<std::string> paths;  // after "copy" or "del"; {} is the scratch folder
  bool copy;
  const char* refusal;  // a part of the refusal, or null when it runs
  bool wild_names = false;  // needs names holding '*' or '?', which Windows has not
};

// `text` with each "{}" replaced by `root`.
std::string InScratch(std::string text, const std::string& root) {
  for (std::size_t at; (at = text.find("{}")) != std::string::npos;) text.replace(at, 2, root);
  return text;
}

// Several items never go onto an existing file, and a name that holds ";"
// is never split into other paths.
TEST(PosixCommandLine, LooksAtTheDiskBeforeSplittingOrCopyingOntoAFile) {
  namespace fs = std::filesystem;
  const fs::path scratch = fs::temp_directory_path() / "vandrix-posix-command-line";
  fs::remove_all(scratch);
  fs::create_directories(scratch / "folder");
  std::ofstream(scratch / "file.txt") << "keep";
  std::ofstream(scratch / "x;y") << "keep";
  std::ofstream(scratch / "f\177x") << "keep";
  std::ofstream(scratch / "g\177;h") << "keep";
  for (const char* name : {"report?.txt", "report1.txt", "reportA.txt", "x*", "xylophone", "solo?"})
    std::ofstream(scratch / name) << "keep";
  const bool wild_names = fs::exists(scratch / "x*");
  const DiskCase cases[] = {
      {{"a", "b", "{}file.txt"}, true, "target '{}file.txt' is not a folder"},
      {{"a;b", "{}file.txt"}, true, "is not a folder"},
      {{"*.txt", "{}file.txt"}, true, "is not a folder"},
      {{"in/a?", "{}file.txt"}, true, "is not a folder"},
      {{"a", "{}file.txt"}, true, nullptr},
      // Where the items go, decided as the engine's planner decides it.
      {{"{}folder/*", "{}file.txt"}, true, "is not a folder"},
      {{"{}folder/*/", "{}file.txt"}, true, "is not a folder"},
      {{"{}folder/", "{}file.txt"}, true, nullptr},
      {{"a*/b", "{}file.txt"}, true, nullptr},
      {{"a", "b", "{}folder"}, true, nullptr},
      {{"a", "b", "{}missing"}, true, nullptr},
      {{"{}x;y"}, false, "will not split '{}x;y' at ';'"},
      {{"{}x;y", "{}folder"}, true, "will not split"},
      {{"{}x;z"}, false, nullptr},
      {{"a;b", "{}x;y"}, true, "will not split '{}x;y' at ';'"},
      {{"{}missing/x;y"}, false, nullptr},
      // A wildcard matches in its folder: in a folder whose name holds the
      // ";", anything may match; else an entry that matches it may.
      {{"{}folder;old/*.tmp"}, false, nullptr},
      {{"{}x;y/*.tmp"}, false, "will not split"},
      {{"{}x;*"}, false, "will not split '{}x;*' at ';'"},
      {{"{}file.txt;*.tmp"}, false, nullptr},
      {{"--literal", "{}x;y"}, false, nullptr},
      {{"--literal", "a", "b", "{}file.txt"}, true, "is not a folder"},
      {{"--literal", "*.txt", "{}file.txt"}, true, nullptr},
      // A wildcard that names an item and matches others stands for
      // either: refused, unless it is --literal.
      {{"{}report?.txt"}, false, "'{}report?.txt' names an item, and as a wildcard other items too ('{}report1.txt'): give --literal", true},
      {{"{}x*", "{}folder"}, true, "other items too ('{}x;y')", true},
      {{"a;{}report?.txt"}, false, "'{}report?.txt' names an item", true},
      {{"--literal", "{}report?.txt"}, false, nullptr, true},
      {{"{}solo?"}, false, nullptr, true},
      {{"{}report?.tx?"}, false, nullptr, true},
      // A hostile name is shown quoted, never as a control sequence.
      {{"a", "b", "{}f\177x"}, true, "f\\177x' is not a folder"},
      {{"{}g\177;h"}, false, "g\\177;h' at ';'"},
  };
  const std::string root = scratch.generic_string() + "/";
  for (const DiskCase& c : cases) {
    if (c.wild_names && !wild_names) continue;
    std::vector<std::string> args{"vandrix", c.copy ? "copy" : "del"};
    for (const std::string& path : c.paths) args.push_back(InScratch(path, root));
    SCOPED_TRACE(testing::PrintToString(args));
    FakePlatform fake;
    const PosixReply reply = RunPosixCommandLine(args, ThroughShell);
    EXPECT_EQ(reply.exit_code, c.refusal ? -1 : 0);
    EXPECT_EQ(fake.requests.size(), c.refusal ? 0u : 1u);
    if (c.refusal) {
      EXPECT_NE(reply.err.find(InScratch(c.refusal, root)), std::string::npos) << reply.err;
    }
  }
  fs::remove_all(scratch);
}

}  // namespace
}  // namespace vandrix
