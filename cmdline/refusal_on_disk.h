// What the POSIX command line refuses after a look at the disk.
#ifndef VANDRIX_CMDLINE_REFUSAL_ON_DISK_H_
#define VANDRIX_CMDLINE_REFUSAL_ON_DISK_H_

#include <string>

#include "cmdline/posix_command_line.h"

namespace vandrix {

/// For a kRun `command`: why the file system rules it out, or empty. A
/// copy or move of several sources (or of a wildcard, by the engine's own
/// wildcard test) whose destination is an existing item other than a
/// folder; a path argument holding ";" that may name an item as a whole
/// (it would be split): the item of that very name, or, when its last part
/// holds a wildcard, its folder when the folder's name holds the ";", else
/// an entry of that folder the last part matches; a source holding
/// '*' or '?' that names an item and, as a wildcard, would also match
/// others (by the engine's own matching: it would stand for them all). With --literal (kLiteral) a
/// path is one name, never split nor matched: only several sources onto
/// a file are refused. The reason names the path quoted (engine::Quoted).
std::string RefusalOnDisk(const PosixCommand& command);

}  // namespace vandrix

#endif  // VANDRIX_CMDLINE_REFUSAL_ON_DISK_H_
