// Attribute queries and folder listings on Windows: the system's own.
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

bool FolderNames(LPCSTR folder, std::vector<std::string>& names) {
  WIN32_FIND_DATAA found;
  const HANDLE search = ::FindFirstFileA((std::string(folder) + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (::FindNextFileA(search, &found));
  const DWORD why = ::GetLastError();
  ::FindClose(search);
  ::SetLastError(why);
  return why == ERROR_NO_MORE_FILES;
}

FileAttributesService ReplaceFileAttributes(FileAttributesService service) {
  return stand_in.Replace(service);
}

FullPathService ReplaceFullPath(FullPathService service) {
  return full_path_stand_in.Replace(service);
}

}  // namespace platform
