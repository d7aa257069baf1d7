// What vandrix prints when asked for its help or its version.
#ifndef VANDRIX_USAGE_POSIX_HELP_H_
#define VANDRIX_USAGE_POSIX_HELP_H_

#include <string>

namespace vandrix {

/// The help for the POSIX command line, lines ended by LF: the usage, the
/// operations, the options, what users of cp, mv and rm should know, how
/// paths and the destination are read, the
/// questions and the progress line, the exit status, and the maker's
/// credit (notice " - " web address) as its last line.
std::string PosixHelpText();

/// The version as GNU programs print it, lines ended by LF: "vandrix
/// X.Y.Z.W" (the version after the last space), the maker's copyright
/// notice, the licence, that it is free software, and that there is no
/// warranty.
std::string PosixVersionText();

}  // namespace vandrix

#endif  // VANDRIX_USAGE_POSIX_HELP_H_
