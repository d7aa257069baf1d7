// The options both command lines take: the letter, the long name vandrix
// also reads, the shell flag each adds, and what vandrix's help says of it.
// The help lists the options in this order; the manual page and the shell
// completions name the same ones (a test compares them).
#ifndef VANDRIX_CMDLINE_OPTIONS_H_
#define VANDRIX_CMDLINE_OPTIONS_H_

#include "platform/shell.h"

namespace vandrix {

/// An option: its letter (upper case), its long name (after "--") and the
/// flag it adds to the request. An option without a letter has '\0'.
struct OptionLetter {
  char letter;
  const char* name;
  WORD bit;
  const char* help;  ///< for vandrix's help; '\n' starts a further line
};

/// The options, in the order the help lists them.
inline constexpr OptionLetter kOptionLetters[] = {
    {'C', "yes", FOF_NOCONFIRMATION, "answer yes to every question (replace, delete)"},
    {'D', "make-folders", FOF_NOCONFIRMMKDIR, "make missing folders without asking (always on)"},
    {'E', "quiet", FOF_NOERRORUI, "do not print the one-line error reports"},
    {'F', "files-only", FOF_FILESONLY, "take only the files a wildcard matches, not the folders"},
    {'P', "no-names", FOF_SIMPLEPROGRESS, "show no names on the progress line"},
    {'R', "keep-both", FOF_RENAMEONCOLLISION,
     "give an item a free name, \"a (2).txt\", when its name is\ntaken, instead of replacing what is there"},
    {'S', "no-progress", FOF_SILENT, "show no progress line"},
    {'U', "trash", FOF_ALLOWUNDO,
     "del moves the items to the desktop trash instead of\ndeleting them; an item that cannot go there is kept"},
};

}  // namespace vandrix

#endif  // VANDRIX_CMDLINE_OPTIONS_H_
