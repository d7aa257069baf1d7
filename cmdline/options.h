// The options both command lines take: the letter, the long name vandrix
// also reads, the shell flag each adds (or vandrix's own option), and what
// vandrix's help says of it. The help lists the options in this order; the
// manual page and the shell completions name the same ones (a test
// compares them).
#ifndef VANDRIX_CMDLINE_OPTIONS_H_
#define VANDRIX_CMDLINE_OPTIONS_H_

#include "platform/shell.h"

namespace vandrix {

/// vandrix's own options: the shell's flag word has no bit free for them,
/// so they travel beside it (PosixCommand::own) and reach the engine
/// directly. Vandrix.exe takes none of them: to it their letters are
/// unknown options, ignored as ever.
inline constexpr unsigned kVerbose = 1u << 0;      ///< say each item done
inline constexpr unsigned kNoClobber = 1u << 1;    ///< never replace a file
inline constexpr unsigned kDryRun = 1u << 2;       ///< change nothing, say what would be done
inline constexpr unsigned kInteractive = 1u << 3;  ///< ask (the default, said explicitly)
inline constexpr unsigned kLiteral = 1u << 4;      ///< every path one name: no wildcard, no ";" list
inline constexpr unsigned kUpdate = 1u << 5;       ///< skip a file whose target is as new or newer
inline constexpr unsigned kJobs = 1u << 6;         ///< workers asked for (PosixCommand::jobs)

/// The most workers --jobs may ask for.
inline constexpr unsigned kMostJobs = 64;

/// An option: its letter (upper case), its long name (after "--") and the
/// flag it adds to the request, or the own option it sets. An option
/// without a letter has '\0'; only an option with a flag has a Windows
/// form ("/c"). An option with a value takes it glued to its letter
/// ("-j4") or to its name after "=" ("--jobs=4"), or as the next argument.
struct OptionLetter {
  char letter;
  const char* name;
  WORD bit;
  unsigned own;
  const char* help;             ///< for vandrix's help; '\n' starts a further line
  const char* value = nullptr;  ///< what its value is called ("N"); null: it takes none
};

/// The options, in the order the help lists them.
inline constexpr OptionLetter kOptionLetters[] = {
    {'C', "yes", FOF_NOCONFIRMATION, 0, "answer yes to every question (replace, delete)"},
    {'D', "make-folders", FOF_NOCONFIRMMKDIR, 0,
     "make missing folders without asking (always on)"},
    {'E', "quiet", FOF_NOERRORUI, 0, "do not print the one-line error reports"},
    {'F', "files-only", FOF_FILESONLY, 0,
     "take only the files a wildcard matches, not the folders"},
    {'I', "interactive", 0, kInteractive,
     "ask before replacing a file or deleting (the default;\nnot with -c)"},
    {'N', "no-clobber", 0, kNoClobber,
     "never replace a file: skip it without asking, no failure\n(a folder still merges into a "
     "folder); wins over -c,\nnot with -r"},
    {'\0', "update", 0, kUpdate,
     "copy or move a file only over an older one: a target\nas new or newer is skipped without asking, no failure\n(an older one is replaced as ever); not with -r or -n"},
    {'P', "no-names", FOF_SIMPLEPROGRESS, 0, "show no names on the progress line"},
    {'R', "keep-both", FOF_RENAMEONCOLLISION, 0,
     "give an item a free name, \"a (2).txt\", when its name is\ntaken, instead of replacing what "
     "is there"},
    {'S', "no-progress", FOF_SILENT, 0, "show no progress line"},
    {'U', "trash", FOF_ALLOWUNDO, 0,
     "del moves the items to the desktop trash instead of\ndeleting them; an item that cannot go "
     "there is kept"},
    {'V', "verbose", 0, kVerbose,
     "say each item done on standard output: 'a' -> 'out/a',\nremoved 'x', trashed 'x', made "
     "folder 'new'"},
    {'\0', "dry-run", 0, kDryRun,
     "change and ask nothing: say on standard output what\nwould be done (would copy 'a' -> "
     "'out/a', would ask:\nreplace 'out/a', ...) and exit as the run would"},
    {'\0', "literal", 0, kLiteral,
     "take every path as one name, whatever it holds: no\nwildcard, no ; list"},
    {'J', "jobs", 0, kJobs,
     "copy a new folder's files and delete a folder's with N\nworkers side by side (1 to 64; "
     "1: none); by default\nas many as the cores, at most 8, and none on a\nrotating disk",
     "N"},
};

/// Options that say opposite things of the same items: each alone is
/// clear, all together are refused with `why`. A contradiction holds when
/// the flag `bit` (none when 0) and every own option of `own` are given.
struct Contradiction {
  WORD bit;
  unsigned own;
  const char* why;
};

inline constexpr Contradiction kContradictions[] = {
    {FOF_RENAMEONCOLLISION, kNoClobber,
     "-n (--no-clobber) skips an item whose name is taken, -r (--keep-both) gives it a free "
     "name: give one of them"},
    {FOF_NOCONFIRMATION, kInteractive,
     "-i (--interactive) asks, -c (--yes) answers yes: give one of them"},
    {FOF_RENAMEONCOLLISION, kUpdate,
     "--update skips a file whose target is as new or newer, -r (--keep-both) gives it a free "
     "name: give one of them"},
    {0, kNoClobber | kUpdate,
     "-n (--no-clobber) replaces nothing, --update replaces what is older: give one of them"},
};

/// The operations an option acts on, as bits: 1 << FO_COPY, and so on.
inline constexpr unsigned OperationBit(WORD function) { return 1u << function; }
inline constexpr unsigned kOnCopyOrMove = OperationBit(FO_COPY) | OperationBit(FO_MOVE);

/// An option that acts on some operations only (vandrix refuses it with
/// the others, saying what it does); an option not listed here acts on
/// every operation.
struct OptionScope {
  const char* name;     ///< the option's long name
  unsigned operations;  ///< OperationBit of each operation it acts on
  const char* does;     ///< what it does, for the refusal: "it ..."
};

inline constexpr OptionScope kOptionScopes[] = {
    {"trash", OperationBit(FO_DELETE), "makes del move the items to the trash"},
    {"files-only", kOnCopyOrMove | OperationBit(FO_DELETE),
     "takes only the files a wildcard matches"},
    {"keep-both", kOnCopyOrMove | OperationBit(FO_RENAME),
     "gives an item a free name where its name is taken"},
    {"no-clobber", kOnCopyOrMove | OperationBit(FO_RENAME),
     "skips an item whose name is taken"},
    {"update", kOnCopyOrMove, "skips a file whose target is as new or newer"},
    {"jobs", OperationBit(FO_COPY) | OperationBit(FO_DELETE),
     "copies a new folder's files and deletes a folder's with workers side by side"},
};

}  // namespace vandrix

#endif  // VANDRIX_CMDLINE_OPTIONS_H_
