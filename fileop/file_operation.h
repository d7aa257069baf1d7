// The one place where the program acts on files: a request to the shell's
// file-operation service.
#ifndef VANDRIX_FILEOP_FILE_OPERATION_H_
#define VANDRIX_FILEOP_FILE_OPERATION_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/types.h"

namespace vandrix {

/// The shell's path-list form of `text`: each ";"-separated path followed
/// by a NUL byte, the list closed by one more NUL. Empty segments are
/// dropped (an empty path would end the list early and hide the paths
/// after it); a segment of spaces is kept as it is. A text with no path
/// gives two NUL bytes.
std::string PathList(const std::string& text);

/// The paths PathList(text) holds, in order (empty segments are not paths).
std::vector<std::string> SplitPaths(const std::string& text);

/// How many paths PathList(text) holds (empty segments are not paths).
std::size_t PathCount(const std::string& text);

/// The flags the shell receives: `flags` plus FOF_NOCONFIRMMKDIR, plus
/// FOF_MULTIDESTFILES when the destination list names more than one path
/// (`destinations`) and `function` is not FO_RENAME. The shell reads that
/// flag as "one destination per source": with several sources and a single
/// destination folder it would handle only the first source, so one
/// destination never carries it.
WORD FinalFlags(WORD flags, WORD function, std::size_t destinations);

/// Has the shell perform `function` (FO_COPY, FO_MOVE, FO_DELETE or
/// FO_RENAME) on the ";"-separated paths of `source`, with `destination` as
/// target (its list is built and passed for a delete too) and `title` as
/// progress title. Returns 0 when the shell reports success and nothing
/// aborted, else 1.
std::int32_t PerformFileOperation(std::string source, std::string destination,
                                  std::string title, const WORD& flags,
                                  const WORD& function);

}  // namespace vandrix

#endif  // VANDRIX_FILEOP_FILE_OPERATION_H_
