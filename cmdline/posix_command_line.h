// The command line of the POSIX program, read from argv the way Linux
// tools read theirs:
//
//   vandrix [OPTION]... OPERATION PATH...
//
// Options are "-" and letters of c d e f i n p r s u v (lower case), alone
// or combined ("-cs"), or "--" and a long name written in full ("--yes",
// "--dry-run", "--update"; the names are in options.h), anywhere on the
// line; before the operation word, "/" and one letter of the Windows
// options ("/c", "/C") is the same option. "-h", "-?", "/?" and "--help"
// ask for the help,
// "--version" for the version; "--" ends the options. Every other argument
// is positional: the first is the operation word, the others are paths,
// whatever their first byte ("-" and "/x" alone included, and "/c" after
// the operation word).
#ifndef VANDRIX_CMDLINE_POSIX_COMMAND_LINE_H_
#define VANDRIX_CMDLINE_POSIX_COMMAND_LINE_H_

#include <cstdint>
#include <string>
#include <vector>

#include "platform/types.h"

namespace vandrix {

/// What a command line asks for.
enum class PosixAction { kRun, kHelp, kVersion, kRefuse };

/// A command line, read.
struct PosixCommand {
  PosixAction action = PosixAction::kRefuse;
  std::string message;               ///< kRefuse: the lines for standard error
  WORD function = 0;                 ///< FO_COPY, FO_MOVE, FO_DELETE or FO_RENAME
  std::vector<std::string> sources;  ///< the source paths, one an argument
  std::string source;                ///< the sources joined by ";"
  std::string destination;           ///< the last path; empty for a delete
  WORD flags = 0;                    ///< the option bits (FOF_...)
  unsigned own = 0;                  ///< vandrix's own options (kVerbose, ...)
  unsigned jobs = 0;                 ///< --jobs: workers for a tree's files; 0: not said
  std::string title;                 ///< the progress title
};

/// Reads `args` (args[0] is the program's name; may be missing). Scanning
/// left to right, the first help request, version request or unknown
/// option decides alone. Else: COPY and MOVE (any case) take two or more
/// paths, the last being the destination; DEL and DELETE one or more; REN
/// and RENAME exactly two. Refused (kRefuse, one line naming the fault and
/// pointing to --help): no arguments (a usage line and the hint), an
/// unknown option, no or an unknown operation word, another number of
/// paths, an empty path, a ";" list of destinations that does not name as
/// many paths as the sources (a list of as many pairs them up; with
/// --literal a destination is one path, whatever it holds), an upper-case
/// letter after "-" (the Windows forms "/C" take any case), an option that
/// has no effect on the operation (options.h, kOptionScopes: -u but with
/// del, -r, -n and --update with del, -f and --update with ren, -j but with
/// copy and del) or on the paths (-f when no source holds a wildcard, or
/// with --literal), options that contradict each other (-n and -r, -i and
/// -c, --update and -r or -n), an option's value that is missing or not one
/// it takes (--jobs: 1 to kMostJobs). A refusal names an argument as
/// engine::Quoted shows it ($'\033[2J' for a control character), never as
/// raw bytes, and an option by its letter and long name with what it does.
/// The title is the operation word and the paths, quoted ("copy 'a.txt' to
/// 'out'"). Looks at nothing but `args`.
PosixCommand ParsePosixCommandLine(const std::vector<std::string>& args);

/// What one run prints, and its exit code.
struct PosixReply {
  std::int32_t exit_code = 0;  ///< 0, 1, or -1 (255 to the parent): refused
  std::string out;             ///< for standard output
  std::string err;             ///< for standard error
};

/// Carries out a command that runs (kRun): returns 0 when everything was
/// done, else 1. The POSIX program hands it to its own engine; the tests
/// of the command line hand it to the (recording) shell service.
using PosixPerformer = std::int32_t (*)(const PosixCommand& command);

/// Reads `args`, checks the disk, then: the help or the version in `out`,
/// exit code 0; a refusal in `err`, -1, nothing touched; else what
/// `perform` gives for the command (0 or 1).
PosixReply RunPosixCommandLine(const std::vector<std::string>& args, PosixPerformer perform);

/// The program: RunPosixCommandLine on the `argc` arguments at `argv`, its
/// texts written to standard output and standard error; returns its exit
/// code, or 1 when the help or version cannot be written. When memory runs
/// out, prints "vandrix: out of memory" on standard error and returns 1.
std::int32_t RunPosixProgram(int argc, const char* const* argv, PosixPerformer perform);

}  // namespace vandrix

#endif  // VANDRIX_CMDLINE_POSIX_COMMAND_LINE_H_
