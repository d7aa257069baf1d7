// Attribute queries on Windows: the system's own.
#include "platform/file.h"

#include "platform/stand_in.h"

namespace platform {
namespace {
StandIn<FileAttributesService> stand_in;
}  // namespace

DWORD GetFileAttributesA(LPCSTR path) { return stand_in.Call(::GetFileAttributesA, path); }

DWORD GetLastError() { return ::GetLastError(); }

FileAttributesService ReplaceFileAttributes(FileAttributesService service) {
  return stand_in.Replace(service);
}

}  // namespace platform
