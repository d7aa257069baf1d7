// The main routine: interprets the command tail and performs the request.
#ifndef VANDRIX_CMDLINE_RUN_MAIN_H_
#define VANDRIX_CMDLINE_RUN_MAIN_H_

#include <cstdint>
#include <string>

namespace vandrix {

/// 1 if the first byte of `text` is "/" or "-", else 0 (also when empty).
int IsOptionArgument(const std::string& text);

/// 1 if `text` is, byte for byte, COPY, MOVE, REN, RENAME, DEL or DELETE.
int IsKnownOperation(const std::string& text);

/// Runs the program on the stored command tail and returns its exit code:
///   -1  the usage was shown (empty tail, or the tail holds "/?", "/H",
///       "-?" or "-H" anywhere); or the operation word is missing or
///       unknown; or the line is refused because the shell could act on an
///       item it does not name (nothing is touched and nothing is shown): a
///       quote glued to other text or two quotes holding nothing
///       (QuotesStandApart), or paths that ReadRequestPaths refuses (a
///       missing or extra path, a ";" text that may name an item, lists of
///       other lengths, a leading space that names another item, a full
///       path of MAX_PATH or more, a rename into another folder);
///    0  the shell performed the operation;
///    1  the shell reported an error or that something was aborted.
/// Options ("/" or "-" and one letter of U F C D E R S P, any case) may
/// stand anywhere; unknown options are ignored. The tail is read once, in
/// one pass.
std::int32_t RunMain();

}  // namespace vandrix

#endif  // VANDRIX_CMDLINE_RUN_MAIN_H_
