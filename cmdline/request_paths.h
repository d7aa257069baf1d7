// The source and the destination of a Vandrix.exe request, read from the
// arguments that name them, and the lines refused because the shell would
// act on other items than the ones they name.
#ifndef VANDRIX_CMDLINE_REQUEST_PATHS_H_
#define VANDRIX_CMDLINE_REQUEST_PATHS_H_

#include <string>
#include <vector>

#include "platform/types.h"

namespace vandrix {

/// `text` without its leading and trailing spaces (0x20 only, never tabs).
std::string TrimmedSpaces(const std::string& text);

/// What the shell is given: each a ";" list of paths.
struct RequestPaths {
  std::string source;
  std::string destination;
};

/// Reads the paths of operation `function` (FO_COPY, FO_MOVE, FO_DELETE or
/// FO_RENAME) from `arguments`, the positional arguments after the
/// operation word with their quotes removed, untrimmed. Each text is
/// trimmed of spaces. Returns false, and the line is to be refused with
/// nothing touched, when the shell could act on an item the line does not
/// name:
///  - a copy, move or rename without exactly a source and a destination, a
///    delete without exactly one source, an argument of spaces only, or a
///    list that names no path (a dropped argument would make the
///    destination the source, a third path would be ignored);
///  - a text whose leading spaces trimming removed names an item with them
///    (" a.txt" beside "a.txt": Windows keeps leading spaces in names);
///  - a text holding ";" that may name an item as a whole: it is split only
///    when GetFileAttributesA says that nothing is there (file or path not
///    found) for the text without its trailing "\" or "/" or, when its last
///    part holds a wildcard, for the folder that part is in; a wildcard in
///    an earlier part names no item;
///  - a destination list of several paths, but not as many as the sources;
///    for a rename, lists of different lengths;
///  - a path whose full path (GetFullPathNameA) reaches MAX_PATH, or whose
///    full path cannot be had;
///  - a rename whose new name is in another folder than its item (full
///    folder paths compared in any letter case).
/// A rename's new name without a folder part ("\", "/" or a drive's ":")
/// is put in the folder of its item: `ren C:\t\sub\a.txt b.txt` renames
/// to C:\t\sub\b.txt.
bool ReadRequestPaths(WORD function, const std::vector<std::string>& arguments,
                      RequestPaths& paths);

}  // namespace vandrix

#endif  // VANDRIX_CMDLINE_REQUEST_PATHS_H_
