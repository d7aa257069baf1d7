// The command tail (everything typed after the program's name) and its
// arguments.
//
// Arguments are separated by spaces (0x20) only. A double quote starts a
// quoted argument that runs to the next double quote (or to the end of the
// tail) and may hold spaces; there is no escape character. A pair of
// quotes with nothing between them is no argument at all. Every argument
// holds at least one byte, except a lone double quote at the very end of
// the tail, which is a last, empty argument.
#ifndef VANDRIX_CMDLINE_COMMAND_LINE_H_
#define VANDRIX_CMDLINE_COMMAND_LINE_H_

#include <cstddef>
#include <string>

namespace vandrix {

/// Returns where the command tail starts inside the raw command line `raw`
/// (program path first): after a quoted program path and the spaces that
/// follow it; after leading spaces (empty program name); or after the
/// program name's bytes above 0x20 and the spaces that follow, where a
/// control byte ends the name and starts the tail. A quote that never
/// closes takes the whole line. Null or empty `raw` gives an empty tail.
const char* LocateCommandTail(const char* raw);

/// Locates the tail of `raw` and keeps a copy of it for CommandTail and
/// CommandArgument, replacing any earlier one. Returns false when memory
/// runs out (nothing is then kept).
bool StoreCommandTail(const char* raw);

/// The stored command tail, exactly as typed; empty before StoreCommandTail.
std::string CommandTail();

/// For n == 0 the whole command tail; for n >= 1 the n-th argument of the
/// tail with its quotes removed, or the empty text when there are fewer.
/// Scans the tail afresh on every call.
std::string CommandArgument(unsigned n);

/// The splitting scanner: reads the next argument of `tail` from offset
/// `pos` into `argument` and moves `pos` past it. Returns false, leaving
/// `argument` untouched, when no argument is left. Successive calls from
/// pos 0 give exactly CommandArgument(1), CommandArgument(2), ...
bool NextArgument(const std::string& tail, std::size_t& pos,
                  std::string& argument);

/// True when every double quote of `tail` opens or closes an argument that
/// stands apart. False when a closing quote is followed by more than a
/// space ("C:\My Files"\a.txt: split, that is two arguments, where a
/// command prompt's programs read one path), when a quote stands inside an
/// unquoted run (C:\"My Files"), or when two quotes hold nothing (""; a
/// batch file's "%SRC%" with SRC empty, which would shift the arguments
/// after it into other places). A quote that never closes, also a lone
/// one at the end of the tail, stands apart.
bool QuotesStandApart(const std::string& tail);

}  // namespace vandrix

#endif  // VANDRIX_CMDLINE_COMMAND_LINE_H_
