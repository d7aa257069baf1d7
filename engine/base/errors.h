// The engine's one error convention, its own error numbers, and the result
// codes a request ends with.
//
// A function that can fail returns an int: 0 when it did what it says,
// else an errno value saying why. The few reasons the system has no errno
// for are the engine's own numbers below, past errno's range; ErrorText
// words them all. (Functions given the Session report there instead: see
// session/session.h.)
#ifndef VANDRIX_ENGINE_BASE_ERRORS_H_
#define VANDRIX_ENGINE_BASE_ERRORS_H_

#include <string>

namespace engine {

/// The engine's own error numbers (errno's are all far below them).
constexpr int kErrorMovedAway = 0x1001;      ///< a folder moved away while worked in
constexpr int kErrorInsideSource = 0x1002;   ///< a target folder lies inside the source
constexpr int kErrorNoMatch = 0x1003;        ///< a wildcard matches no item
constexpr int kErrorNotRegular = 0x1004;     ///< a file to copy is no regular file

/// The words for an errno value or one of the engine's own numbers.
std::string ErrorText(int err);

/// The result codes a request ends with, with the values Windows' shell
/// service uses for them (0: success).
constexpr int kErrorFileNotFound = 0x02;     ///< a source does not exist
constexpr int kErrorAccessDenied = 0x05;     ///< the system refused access
constexpr int kErrorSameFile = 0x71;         ///< source and target are one item
constexpr int kErrorDifferentFolder = 0x73;  ///< rename into another folder
constexpr int kErrorDestinationInSource = 0x76;  ///< target inside the source
constexpr int kErrorInvalidFiles = 0x7C;     ///< malformed path lists
constexpr int kErrorCancelled = 0x4C7;       ///< the operation was cancelled
constexpr int kErrorOther = 0x10000;         ///< any other failure

/// The result code of a failure with the errno value (or own number) `err`.
int ResultCodeFor(int err);

/// The result code of a source that cannot be looked at for the reason
/// `err`: a missing item, a file where a folder should be on its path, or
/// a wildcard that matches nothing is a source not found.
int SourceResultCodeFor(int err);

}  // namespace engine

#endif  // VANDRIX_ENGINE_BASE_ERRORS_H_
