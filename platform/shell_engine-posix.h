// The program's own file-operation engine, standing in for the Windows
// shell service on POSIX systems.
#ifndef VANDRIX_PLATFORM_SHELL_ENGINE_POSIX_H_
#define VANDRIX_PLATFORM_SHELL_ENGINE_POSIX_H_

#include "platform/shell.h"

namespace platform {

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
/// the paths in pTo where the operation has a target. Returns 0 when every
/// item succeeded, else the first error code above; sets
/// fAnyOperationsAborted when an item was skipped.
int RunFileOperation(LPSHFILEOPSTRUCTA request);

}  // namespace platform

#endif  // VANDRIX_PLATFORM_SHELL_ENGINE_POSIX_H_
