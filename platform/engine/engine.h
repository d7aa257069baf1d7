// The program's own file-operation engine, standing in for the Windows
// shell service on POSIX systems.
#ifndef VANDRIX_PLATFORM_ENGINE_ENGINE_H_
#define VANDRIX_PLATFORM_ENGINE_ENGINE_H_

#include "platform/engine/hooks.h"
#include "platform/shell.h"

namespace platform {
namespace engine {

/// Error codes the engine returns, with the values Windows uses for them.
constexpr int kErrorFileNotFound = 0x02;     ///< a source does not exist
constexpr int kErrorAccessDenied = 0x05;     ///< the system refused access
constexpr int kErrorSameFile = 0x71;         ///< source and target are one item
constexpr int kErrorDifferentFolder = 0x73;  ///< rename into another folder
constexpr int kErrorDestinationInSource = 0x76;  ///< target inside the source
constexpr int kErrorInvalidFiles = 0x7C;     ///< malformed path lists
constexpr int kErrorCancelled = 0x4C7;       ///< the operation was cancelled
constexpr int kErrorOther = 0x10000;         ///< any other failure

/// Performs `request` on the local file system: copy, move, delete or
/// rename of the paths in pFrom (NUL-separated, double-NUL-terminated), to
/// the paths in pTo where the operation has a target. Relative paths start
/// at the current directory; '*' and '?' in a source's last component match
/// entries of its folder (plan.h tells how items and destinations pair up;
/// operations.h what each function code does). Every source named without
/// a wildcard must exist, or nothing is done.
///
/// Safety: trees are walked relative to open folders and never through a
/// link (walk.h); an item never replaces itself or the item its link names,
/// and a folder never goes into itself by any path (checks.h); a copied file
/// reaches its target only whole (temp_file.h); a move across file systems
/// removes its source only once the copy is complete and removes nothing it
/// did not make (move.h); "." and ".." are never moved, renamed or deleted.
///
/// Replacing a file and deleting an item are confirmed first
/// (FOF_NOCONFIRMATION answers yes to all; see prompt.h): "no" skips the
/// item, "cancel" stops the operation. With FOF_ALLOWUNDO a delete only
/// moves items to the trash (trash.h). Unless FOF_SILENT, a progress line
/// may show on a terminal (progress.h); unless FOF_NOERRORUI, each failed
/// item is one line on standard error, its name quoted (quote.h). The items
/// after a failed one go on. Returns 0, or the first error code above
/// (kErrorCancelled when the user cancelled); sets fAnyOperationsAborted
/// when an item was skipped or the operation cancelled. `hooks` stand in
/// for the user, the clock and the terminal, or strike in the middle (see
/// hooks.h); the default is the real behaviour. Never throws: when memory
/// runs out the request stops, "vandrix: out of memory" is reported (unless
/// FOF_NOERRORUI) and the code is kErrorOther; any other exception is
/// reported the same way.
int RunFileOperation(LPSHFILEOPSTRUCTA request, const Hooks& hooks = Hooks{});

}  // namespace engine
}  // namespace platform

#endif  // VANDRIX_PLATFORM_ENGINE_ENGINE_H_
