// Attribute queries on Windows: the system's own.
#include "platform/file.h"

namespace platform {

DWORD GetFileAttributesA(LPCSTR path) { return ::GetFileAttributesA(path); }

DWORD GetLastError() { return ::GetLastError(); }

}  // namespace platform
