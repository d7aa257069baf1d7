// Attribute queries on Windows: the system's own.
#include "platform/file.h"

#include "platform/stand_in.h"

namespace platform {
namespace {
StandIn<FileAttributesService> stand_in;
StandIn<FullPathService> full_path_stand_in;
}  // namespace

DWORD GetFileAttributesA(LPCSTR path) { return stand_in.Call(::GetFileAttributesA, path); }

DWORD GetLastError() { return ::GetLastError(); }

void SetLastError(DWORD error) { ::SetLastError(error); }

DWORD GetFullPathNameA(LPCSTR path, DWORD size, LPSTR buffer, LPSTR* file_part) {
  return full_path_stand_in.Call(::GetFullPathNameA, path, size, buffer, file_part);
}

FileAttributesService ReplaceFileAttributes(FileAttributesService service) {
  return stand_in.Replace(service);
}

FullPathService ReplaceFullPath(FullPathService service) {
  return full_path_stand_in.Replace(service);
}

}  // namespace platform
