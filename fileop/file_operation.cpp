#include "fileop/file_operation.h"

#include <cstddef>
#include <vector>

#include "platform/shell.h"

namespace vandrix {

std::vector<std::string> SplitPaths(const std::string& text) {
  std::vector<std::string> paths;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(';', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) paths.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return paths;
}

std::string PathList(const std::string& text) {
  std::string list;
  for (const std::string& path : SplitPaths(text)) list.append(path).push_back('\0');
  if (list.empty()) list.push_back('\0');
  list.push_back('\0');
  return list;
}

std::size_t PathCount(const std::string& text) { return SplitPaths(text).size(); }

WORD FinalFlags(WORD flags, WORD function, std::size_t destinations) {
  WORD final_flags = flags | FOF_NOCONFIRMMKDIR;
  if (function != FO_RENAME && destinations > 1) final_flags |= FOF_MULTIDESTFILES;
  return final_flags;
}

std::int32_t PerformFileOperation(std::string source, std::string destination,
                                  std::string title, const WORD& flags,
                                  const WORD& function) {
  const std::string from = PathList(source);
  const std::string to = PathList(destination);
  SHFILEOPSTRUCTA request{};
  request.hwnd = nullptr;
  request.wFunc = function;
  request.pFrom = from.c_str();
  request.pTo = to.c_str();
  request.fFlags = FinalFlags(flags, function, PathCount(destination));
  request.fAnyOperationsAborted = FALSE;
  request.hNameMappings = nullptr;
  request.lpszProgressTitle = title.c_str();
  const int answer = platform::SHFileOperationA(&request);
  return answer == 0 && !request.fAnyOperationsAborted ? 0 : 1;
}

}  // namespace vandrix
