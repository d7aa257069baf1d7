// The operation words both command lines take, and the shell function code
// of each.
#ifndef VANDRIX_CMDLINE_OPERATIONS_H_
#define VANDRIX_CMDLINE_OPERATIONS_H_

#include <cstddef>

#include "platform/shell.h"

namespace vandrix {

/// Any number of paths.
inline constexpr std::size_t kAnyCount = static_cast<std::size_t>(-1);

/// An operation word and what it asks of the shell. The counts and their
/// wording are the POSIX command line's, where every path is an argument.
struct OperationWord {
  const char* word;            ///< as compared, upper case
  const char* name;            ///< as the POSIX command line's messages name it
  WORD function;               ///< FO_COPY, FO_MOVE, FO_DELETE or FO_RENAME
  std::size_t fewest, most;    ///< paths
  const char* wanted;          ///< the paths it takes, in words
};

/// The operation words, in the order they are tried.
inline constexpr OperationWord kOperationWords[] = {
    {"COPY", "copy", FO_COPY, 2, kAnyCount, "two or more paths (SOURCE... DEST)"},
    {"MOVE", "move", FO_MOVE, 2, kAnyCount, "two or more paths (SOURCE... DEST)"},
    {"DEL", "del", FO_DELETE, 1, kAnyCount, "one or more paths"},
    {"DELETE", "delete", FO_DELETE, 1, kAnyCount, "one or more paths"},
    {"REN", "ren", FO_RENAME, 2, 2, "exactly two paths (OLD NEW)"},
    {"RENAME", "rename", FO_RENAME, 2, 2, "exactly two paths (OLD NEW)"},
};

}  // namespace vandrix

#endif  // VANDRIX_CMDLINE_OPERATIONS_H_
