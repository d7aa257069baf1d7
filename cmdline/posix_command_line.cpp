#include "cmdline/posix_command_line.h"

#include <cctype>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <utility>

#include "cmdline/operations.h"
#include "cmdline/options.h"
#include "cmdline/refusal_on_disk.h"
#include "engine/base/path_text.h"
#include "engine/base/quote.h"
#include "fileop/file_operation.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "usage/posix_help.h"

namespace vandrix {
namespace {

constexpr char kHint[] = "; try 'vandrix --help'\n";
constexpr char kUsageLine[] =
    "Usage: vandrix [OPTION]... OPERATION PATH...\n"
    "Try 'vandrix --help' for more information.\n";

// The first decisive argument met while scanning.
enum class Stop { kNone, kHelp, kVersion, kUnknown };

struct Scan {
  WORD flags = 0;
  unsigned own = 0;
  unsigned jobs = 0;
  bool options_ended = false;
  Stop stop = Stop::kNone;
  std::string unknown;  // the unknown option, as the refusal names it
  const OptionLetter* awaiting = nullptr;  // takes the next argument as its value
  std::string bad_value;                   // why an option's value is refused
  std::vector<std::string> positional;
};

// The platform's upper-casing, as the Windows command line's.
char Upper(char c) {
  platform::CharUpperBuffA(&c, 1);
  return c;
}

// The option of a letter (either case), else null.
const OptionLetter* LetterOption(char letter) {
  const char upper = Upper(letter);
  for (const OptionLetter& option : kOptionLetters) {
    if (option.letter != '\0' && option.letter == upper) return &option;
  }
  return nullptr;
}

bool IsHelpLetter(char c) { return c == 'h' || c == 'H' || c == '?'; }

// "-" and at least one byte; or "/" and "?"; or, before the operation word
// only, "/" and the letter of an option Vandrix.exe knows (vandrix's own
// letters have no Windows form): after it "/s" is a path.
bool IsOption(const std::string& argument, bool before_operation) {
  if (argument.size() < 2) return false;
  if (argument[0] == '-') return true;
  if (argument[0] != '/' || argument.size() != 2) return false;
  const OptionLetter* option = LetterOption(argument[1]);
  return argument[1] == '?' || (before_operation && option != nullptr && option->bit != 0);
}

void Take(const OptionLetter& option, Scan& scan) {
  scan.flags |= option.bit;
  scan.own |= option.own;
}

void StopAtUnknown(const std::string& named, Scan& scan) {
  scan.stop = Stop::kUnknown;
  scan.unknown = named;
}

// "-j (--jobs) wants a number of workers from 1 to 64": what `option`
// takes, for its refusal.
std::string Wanted(const OptionLetter& option) {
  const std::string name = std::string("--") + option.name;
  const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(option.letter)));
  return std::string("-") + letter + " (" + name + ") wants a number of workers from 1 to " +
         std::to_string(kMostJobs);
}

// The value `text` of `option` (the only one with a value is --jobs).
void TakeValue(const OptionLetter& option, const std::string& text, Scan& scan) {
  Take(option, scan);
  unsigned long jobs = 0;
  const bool digits = !text.empty() && text.size() <= 3 &&
                      text.find_first_not_of("0123456789") == std::string::npos;
  if (digits) jobs = std::stoul(text);
  if (jobs >= 1 && jobs <= kMostJobs) {
    scan.jobs = static_cast<unsigned>(jobs);
  } else if (scan.bad_value.empty()) {
    scan.bad_value = Wanted(option) + ", not " + engine::Quoted(text);
  }
}

// The option of a long name, written in full, else null.
const OptionLetter* NamedOption(const std::string& name) {
  for (const OptionLetter& option : kOptionLetters) {
    if (name == option.name) return &option;
  }
  return nullptr;
}

// "--name": an option, help or version. Only a full name counts: an
// abbreviation that works today could name another option tomorrow.
void ReadLong(const std::string& argument, Scan& scan) {
  const std::size_t equals = argument.find('=');
  const OptionLetter* valued = NamedOption(argument.substr(2, equals - 2));
  if (equals != std::string::npos && valued != nullptr && valued->value != nullptr)
    return TakeValue(*valued, argument.substr(equals + 1), scan);
  const OptionLetter* option = NamedOption(argument.substr(2));
  if (option != nullptr && option->value != nullptr) {
    scan.awaiting = option;
  } else if (argument == "--help") {
    scan.stop = Stop::kHelp;
  } else if (argument == "--version") {
    scan.stop = Stop::kVersion;
  } else if (option != nullptr) {
    Take(*option, scan);
  } else {
    StopAtUnknown(engine::Quoted(argument), scan);
  }
}

// How a refusal names the unknown letter at `i` of `argument`.
std::string NamedLetter(const std::string& argument, std::size_t i) {
  if (argument.size() == 2) return engine::Quoted(argument);
  return engine::Quoted(std::string(1, argument[i])) + " in " + engine::Quoted(argument);
}

// On Linux the letters after "-" are lower case (a cp user's -R is no
// option here); only the Windows forms ("/C") take any case.
bool WrongCase(const std::string& argument, std::size_t i) {
  return argument[0] == '-' && argument[i] >= 'A' && argument[i] <= 'Z';
}

// What the refusal of a letter of the wrong case adds: its option.
std::string CaseNote(const std::string& argument, std::size_t i, const OptionLetter* option) {
  if (option == nullptr || !WrongCase(argument, i)) return std::string();
  return std::string(": the letters are lower case, and -") +
         static_cast<char>(argument[i] - 'A' + 'a') + " is --" + option->name;
}

// "-cs" or "/c": letters after the first byte, each an option or help.
void ReadLetters(const std::string& argument, Scan& scan) {
  for (std::size_t i = 1; i < argument.size() && scan.stop == Stop::kNone; ++i) {
    const OptionLetter* option = LetterOption(argument[i]);
    if (IsHelpLetter(argument[i])) {
      scan.stop = Stop::kHelp;
    } else if (option == nullptr || WrongCase(argument, i)) {
      StopAtUnknown(NamedLetter(argument, i) + CaseNote(argument, i, option), scan);
    } else if (option->value == nullptr) {
      Take(*option, scan);
    } else if (i + 1 < argument.size()) {  // "-j4": the rest is its value
      return TakeValue(*option, argument.substr(i + 1), scan);
    } else {
      scan.awaiting = option;
    }
  }
}

void ReadArgument(const std::string& argument, Scan& scan) {
  if (const OptionLetter* option = std::exchange(scan.awaiting, nullptr)) {
    TakeValue(*option, argument, scan);
  } else if (scan.options_ended || !IsOption(argument, scan.positional.empty())) {
    scan.positional.push_back(argument);
  } else if (argument == "--") {
    scan.options_ended = true;
  } else if (argument[1] == '-') {
    ReadLong(argument, scan);
  } else {
    ReadLetters(argument, scan);
  }
}

PosixCommand Refused(const std::string& why) {
  PosixCommand command;
  command.action = PosixAction::kRefuse;
  command.message = "vandrix: " + why + kHint;
  return command;
}

PosixCommand Decided(PosixAction action) {
  PosixCommand command;
  command.action = action;
  return command;
}

const OperationWord* FindOperationWord(const std::string& word) {
  std::string upper = word;
  if (!upper.empty()) platform::CharUpperBuffA(&upper[0], static_cast<DWORD>(upper.size()));
  for (const OperationWord& operation : kOperationWords) {
    if (upper == operation.word) return &operation;
  }
  return nullptr;
}

std::string Joined(const std::vector<std::string>& paths) {
  std::string text;
  for (std::size_t i = 0; i < paths.size(); ++i) {
    if (i > 0) text += ';';
    text += paths[i];
  }
  return text;
}

// The progress title: the operation and its paths, quoted as the error
// lines quote them ("copy 'a.txt' 'b.txt' to 'out'"); not the options.
std::string Title(const OperationWord& operation, const PosixCommand& command) {
  std::string title = operation.name;
  for (const std::string& source : command.sources) title += ' ' + engine::Quoted(source);
  if (operation.function != FO_DELETE) title += " to " + engine::Quoted(command.destination);
  return title;
}

// What is wrong with the paths for `operation`, or empty.
std::string PathsProblem(const OperationWord& operation,
                         const std::vector<std::string>& paths) {
  const std::size_t n = paths.size();
  if (n < operation.fewest || n > operation.most)
    return std::string(operation.name) + " takes " + operation.wanted +
           ", not " + std::to_string(n);
  for (const std::string& path : paths) {
    if (path.empty()) return "an empty argument names no file";
  }
  return std::string();
}

// A list of destinations pairs up with the sources: as many of each.
std::string PairsProblem(const PosixCommand& command) {
  const std::size_t destinations = PathCount(command.destination);
  const std::size_t sources = PathCount(command.source);
  if (destinations <= 1 || destinations == sources) return std::string();
  return "the destination list names " + std::to_string(destinations) +
         " paths for " + std::to_string(sources) + " sources";
}

// Why the scanned options cannot go together (options.h), or null.
const char* ContradictionOf(const Scan& scan) {
  for (const Contradiction& c : kContradictions) {
    if ((c.bit == 0 || (scan.flags & c.bit) != 0) && (scan.own & c.own) == c.own) return c.why;
  }
  return nullptr;
}

bool Given(const OptionLetter& option, const Scan& scan) {
  return (scan.flags & option.bit) != 0 || (scan.own & option.own) != 0;
}

// "-u (--trash)", or "--update" for an option without a letter.
std::string OptionShown(const OptionLetter& option) {
  const std::string name = std::string("--") + option.name;
  if (option.letter == '\0') return name;
  return std::string("-") + static_cast<char>(option.letter - 'A' + 'a') + " (" + name + ")";
}

// An option given that does nothing for `operation` (kOptionScopes), as
// the refusal says it, or empty.
std::string InapplicableOption(const OperationWord& operation, const Scan& scan) {
  for (const OptionScope& scope : kOptionScopes) {
    const OptionLetter* option = NamedOption(scope.name);
    if (option == nullptr || !Given(*option, scan) ||
        (scope.operations & OperationBit(operation.function)) != 0)
      continue;
    return OptionShown(*option) + " has no effect on " + operation.name + ": it " + scope.does;
  }
  return std::string();
}

// -f without a wildcard among the sources: the shell expanded it, or there
// was none, or --literal makes every path one name, and -f would leave out
// nothing.
std::string FilesOnlyWithoutWildcard(const PosixCommand& command) {
  if ((command.flags & FOF_FILESONLY) == 0) return std::string();
  if ((command.own & kLiteral) != 0)
    return "-f (--files-only) has no effect with --literal: it takes only the files a wildcard "
           "matches, and --literal makes every path one name";
  const std::string list = PathList(command.source);
  for (const char* path = list.c_str(); *path != '\0'; path += std::strlen(path) + 1) {
    if (engine::HasWildcard(path)) return std::string();
  }
  return "-f (--files-only) has no effect on these paths: it takes only the files a wildcard "
         "matches, and no source holds one (quote it for vandrix: '*.txt')";
}

PosixCommand Request(const OperationWord& operation, std::vector<std::string> paths,
                     const Scan& scan) {
  PosixCommand command = Decided(PosixAction::kRun);
  command.function = operation.function;
  command.flags = scan.flags;
  command.own = scan.own;
  command.jobs = scan.jobs;
  if (operation.function != FO_DELETE) {
    command.destination = paths.back();
    paths.pop_back();
  }
  command.source = Joined(paths);
  command.sources = std::move(paths);
  command.title = Title(operation, command);
  return command;
}

PosixCommand Interpreted(const Scan& scan) {
  if (scan.awaiting != nullptr) return Refused(Wanted(*scan.awaiting) + " after it");
  if (!scan.bad_value.empty()) return Refused(scan.bad_value);
  if (scan.positional.empty())
    return Refused("no operation given (copy, move, del or ren)");
  const std::string& word = scan.positional[0];
  const OperationWord* operation = FindOperationWord(word);
  if (operation == nullptr)
    return Refused("unknown operation " + engine::Quoted(word) + " (copy, move, del or ren)");
  std::vector<std::string> paths(scan.positional.begin() + 1, scan.positional.end());
  const std::string problem = PathsProblem(*operation, paths);
  if (!problem.empty()) return Refused(problem);
  const std::string inapplicable = InapplicableOption(*operation, scan);
  if (!inapplicable.empty()) return Refused(inapplicable);
  if (const char* why = ContradictionOf(scan)) return Refused(why);
  PosixCommand command = Request(*operation, std::move(paths), scan);
  // With --literal a destination is one path, whatever it holds.
  const std::string unpaired = (scan.own & kLiteral) != 0 ? std::string() : PairsProblem(command);
  if (!unpaired.empty()) return Refused(unpaired);
  const std::string files_only = FilesOnlyWithoutWildcard(command);
  return files_only.empty() ? command : Refused(files_only);
}

bool Write(const std::string& text, std::FILE* stream) {
  if (text.empty()) return true;
  return std::fwrite(text.data(), 1, text.size(), stream) == text.size() &&
         std::fflush(stream) == 0;
}

// Writes the reply's texts. Help or version that cannot be written ends
// with 1; an error line that cannot be written leaves nothing to tell.
std::int32_t Delivered(const PosixReply& reply) {
  if (!Write(reply.out, stdout)) {
    static_cast<void>(Write("vandrix: cannot write to standard output\n", stderr));
    return 1;
  }
  static_cast<void>(Write(reply.err, stderr));
  return reply.exit_code;
}

}  // namespace

PosixCommand ParsePosixCommandLine(const std::vector<std::string>& args) {
  if (args.size() <= 1) {
    PosixCommand command = Decided(PosixAction::kRefuse);
    command.message = kUsageLine;
    return command;
  }
  Scan scan;
  for (std::size_t i = 1; i < args.size() && scan.stop == Stop::kNone; ++i)
    ReadArgument(args[i], scan);
  if (scan.stop == Stop::kHelp) return Decided(PosixAction::kHelp);
  if (scan.stop == Stop::kVersion) return Decided(PosixAction::kVersion);
  if (scan.stop == Stop::kUnknown) return Refused("unknown option " + scan.unknown);
  return Interpreted(scan);
}

PosixReply RunPosixCommandLine(const std::vector<std::string>& args, PosixPerformer perform) {
  PosixCommand command = ParsePosixCommandLine(args);
  if (command.action == PosixAction::kRun) {
    const std::string why = RefusalOnDisk(command);
    if (!why.empty()) command = Refused(why);
  }
  switch (command.action) {
    case PosixAction::kHelp: return {0, PosixHelpText(), ""};
    case PosixAction::kVersion: return {0, PosixVersionText(), ""};
    case PosixAction::kRefuse: return {-1, "", command.message};
    case PosixAction::kRun: break;
  }
  return {perform(command), "", ""};
}

std::int32_t RunPosixProgram(int argc, const char* const* argv, PosixPerformer perform) {
  try {
    const std::vector<std::string> args(argv, argv + (argc > 0 ? argc : 0));
    return Delivered(RunPosixCommandLine(args, perform));
  } catch (const std::bad_alloc&) {
    // Nothing is left to report a failed write to.
    static_cast<void>(std::fputs("vandrix: out of memory\n", stderr));
    return 1;
  }
}

}  // namespace vandrix
