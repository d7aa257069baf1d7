// What vandrix prints when asked for its help or its version.
#ifndef VANDRIX_USAGE_POSIX_HELP_H_
#define VANDRIX_USAGE_POSIX_HELP_H_

#include <string>

namespace vandrix {

/// The help for the POSIX command line, lines ended by LF: the usage, the
/// operations, the options, how paths and the destination are read, the
/// questions and the progress line, the exit status, and the maker's
/// credit (notice " - " web address) as its last line.
std::string PosixHelpText();

/// "Vandrix version X.Y.Z.W" and a LF: the first line of the usage text.
std::string PosixVersionText();

}  // namespace vandrix

#endif  // VANDRIX_USAGE_POSIX_HELP_H_
