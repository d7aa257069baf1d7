// The option letters both command lines take, and the shell flag of each.
#ifndef VANDRIX_CMDLINE_OPTIONS_H_
#define VANDRIX_CMDLINE_OPTIONS_H_

#include "platform/shell.h"

namespace vandrix {

/// An option letter (upper case) and the flag it adds to the request.
struct OptionLetter {
  char letter;
  WORD bit;
};

/// The option letters, in the order they are tried.
inline constexpr OptionLetter kOptionLetters[] = {
    {'U', FOF_ALLOWUNDO},     {'F', FOF_FILESONLY},
    {'C', FOF_NOCONFIRMATION}, {'D', FOF_NOCONFIRMMKDIR},
    {'E', FOF_NOERRORUI},     {'R', FOF_RENAMEONCOLLISION},
    {'S', FOF_SILENT},        {'P', FOF_SIMPLEPROGRESS},
};

}  // namespace vandrix

#endif  // VANDRIX_CMDLINE_OPTIONS_H_
