// The shell's file-operation service: request record, codes and flags.
#ifndef VANDRIX_PLATFORM_SHELL_H_
#define VANDRIX_PLATFORM_SHELL_H_

#include "platform/types.h"

#ifdef _WIN32

#include <shellapi.h>

#else  // POSIX: the same record, codes and flag values as on Windows.

typedef WORD FILEOP_FLAGS;

/// A request for the shell's file-operation service.
typedef struct _SHFILEOPSTRUCTA {
  HWND hwnd;                    ///< owner of any window shown; may be null
  UINT wFunc;                   ///< FO_MOVE, FO_COPY, FO_DELETE or FO_RENAME
  LPCSTR pFrom;                 ///< source paths, NUL after each, one more NUL at the end
  LPCSTR pTo;                   ///< destination paths, the same form
  FILEOP_FLAGS fFlags;          ///< FOF_ bits
  BOOL fAnyOperationsAborted;   ///< set by the service when something was skipped
  LPVOID hNameMappings;         ///< unused; null
  PCSTR lpszProgressTitle;      ///< title of the progress display
} SHFILEOPSTRUCTA, *LPSHFILEOPSTRUCTA;

constexpr UINT FO_MOVE = 0x0001;
constexpr UINT FO_COPY = 0x0002;
constexpr UINT FO_DELETE = 0x0003;
constexpr UINT FO_RENAME = 0x0004;

constexpr FILEOP_FLAGS FOF_MULTIDESTFILES = 0x0001;
constexpr FILEOP_FLAGS FOF_CONFIRMMOUSE = 0x0002;
constexpr FILEOP_FLAGS FOF_SILENT = 0x0004;
constexpr FILEOP_FLAGS FOF_RENAMEONCOLLISION = 0x0008;
constexpr FILEOP_FLAGS FOF_NOCONFIRMATION = 0x0010;
constexpr FILEOP_FLAGS FOF_WANTMAPPINGHANDLE = 0x0020;
constexpr FILEOP_FLAGS FOF_ALLOWUNDO = 0x0040;
constexpr FILEOP_FLAGS FOF_FILESONLY = 0x0080;
constexpr FILEOP_FLAGS FOF_SIMPLEPROGRESS = 0x0100;
constexpr FILEOP_FLAGS FOF_NOCONFIRMMKDIR = 0x0200;
constexpr FILEOP_FLAGS FOF_NOERRORUI = 0x0400;

#endif  // _WIN32

namespace platform {

/// Performs the copy, move, delete or rename that `request` describes.
/// Returns 0 on success, else an error code; sets
/// request->fAnyOperationsAborted when an item was skipped or the user
/// cancelled. On POSIX the program's own engine does the work.
int SHFileOperationA(LPSHFILEOPSTRUCTA request);

/// Signature of a stand-in for SHFileOperationA.
using ShellService = int (*)(LPSHFILEOPSTRUCTA request);

/// Test seam: until called again, SHFileOperationA hands every request to
/// `service` instead of acting on files (nullptr restores the real service).
/// Returns the stand-in that was in place before.
ShellService ReplaceShellService(ShellService service);

}  // namespace platform

#ifndef _WIN32
namespace engine {
struct Hooks;
struct Request;
}  // namespace engine

namespace platform {

/// POSIX: what SHFileOperationA does, the program's own engine performing
/// `request`, with `hooks` standing in for the user, the clock and the
/// terminal (engine/session/hooks.h; the engine's tests use this).
int SHFileOperationByEngine(LPSHFILEOPSTRUCTA request, const engine::Hooks& hooks);

/// POSIX: the engine's own request (engine/request.h) for `record`, as
/// SHFileOperationA hands it over: its function, lists, flags and title, in
/// the words of vandrix's command line. vandrix, whose own options have no
/// room in the record, adds them to it and calls the engine itself.
engine::Request EngineRequestOf(const SHFILEOPSTRUCTA& record);

}  // namespace platform
#endif  // _WIN32

#endif  // VANDRIX_PLATFORM_SHELL_H_
