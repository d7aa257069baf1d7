// What is at a path: the attribute query and the folder listing the command
// line needs before it splits a path list, puts several items into a
// destination or reads a name as a wildcard, and the full path it checks
// against MAX_PATH.
#ifndef VANDRIX_PLATFORM_FILE_H_
#define VANDRIX_PLATFORM_FILE_H_

#include <string>
#include <vector>

#include "platform/types.h"

#ifndef _WIN32
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x00000010;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x00000080;
constexpr DWORD FILE_ATTRIBUTE_REPARSE_POINT = 0x00000400;
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_GEN_FAILURE = 31;
constexpr DWORD ERROR_INVALID_NAME = 123;
constexpr DWORD ERROR_FILENAME_EXCED_RANGE = 206;
constexpr DWORD MAX_PATH = 260;
#endif

namespace platform {

/// The attributes of the item at `path`: FILE_ATTRIBUTE_DIRECTORY for a
/// folder, FILE_ATTRIBUTE_NORMAL for an item with no other attribute, or
/// INVALID_FILE_ATTRIBUTES when the look fails (GetLastError tells why).
/// On POSIX a symbolic link has FILE_ATTRIBUTE_REPARSE_POINT, plus
/// FILE_ATTRIBUTE_DIRECTORY when it leads to a folder; a dangling link
/// exists too.
DWORD GetFileAttributesA(LPCSTR path);

/// Why the last failed call of this layer failed: ERROR_FILE_NOT_FOUND or
/// ERROR_PATH_NOT_FOUND when nothing is there, another code otherwise.
DWORD GetLastError();

/// Sets what GetLastError answers until the next failure of this layer.
void SetLastError(DWORD error);

/// Writes the full path of `path` (made absolute from the current folder;
/// on Windows also "." and ".." resolved and "/" made "\\") into the
/// `size` bytes at `buffer`. Returns its length without the closing NUL;
/// when it does not fit, the size it needs with the NUL (so a result of
/// `size` or more means "too long", and nothing usable was written); 0 when
/// it fails (GetLastError tells why). `file_part`, when not null, receives
/// where the last part starts in `buffer`, or null.
DWORD GetFullPathNameA(LPCSTR path, DWORD size, LPSTR buffer, LPSTR* file_part);

/// Appends the names of the entries of the folder `folder` ("." and ".."
/// left out, in no particular order) to `names`. False when the folder
/// cannot be read to its end (GetLastError tells why).
bool FolderNames(LPCSTR folder, std::vector<std::string>& names);

/// Signature of a stand-in for GetFileAttributesA.
using FileAttributesService = DWORD (*)(LPCSTR path);

/// Test seam: until called again, GetFileAttributesA asks `service` instead
/// of the file system (nullptr restores the real look); GetLastError is then
/// left as it was, unless the stand-in calls SetLastError. Returns the
/// stand-in that was in place before.
FileAttributesService ReplaceFileAttributes(FileAttributesService service);

/// Signature of a stand-in for GetFullPathNameA.
using FullPathService = DWORD (*)(LPCSTR path, DWORD size, LPSTR buffer, LPSTR* file_part);

/// Test seam for GetFullPathNameA, as ReplaceFileAttributes is for the look.
FullPathService ReplaceFullPath(FullPathService service);

}  // namespace platform

#endif  // VANDRIX_PLATFORM_FILE_H_
