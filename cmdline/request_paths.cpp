// The paths of a Vandrix.exe request, and the lines refused because the
// shell would act on other items than they name (see request_paths.h).
#include "cmdline/request_paths.h"

#include <cstddef>

#include "fileop/file_operation.h"
#include "platform/file.h"
#include "platform/shell.h"
#include "platform/text.h"

namespace vandrix {
namespace {

constexpr char kSeparators[] = "\\/";
constexpr char kFolderEnds[] = "\\/:";

bool HasWildcard(const std::string& text) { return text.find_first_of("*?") != std::string::npos; }

bool IsFound(const std::string& path) {
  return platform::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The look says that nothing is there; any other answer (found, access
// denied, a bad name, too long...) means that something may be.
bool IsSurelyAbsent(const std::string& path) {
  if (IsFound(path)) return false;
  const DWORD error = platform::GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

std::string WithoutTrailingSeparators(const std::string& path) {
  const std::size_t last = path.find_last_not_of(kSeparators);
  return last == std::string::npos ? path : path.substr(0, last + 1);
}

// Where the last part of `path` starts: after its last "\", "/" or ":".
std::size_t LastPartStart(const std::string& path) {
  const std::size_t end = path.find_last_of(kFolderEnds);
  return end == std::string::npos ? 0 : end + 1;
}

// The folder a wildcard's last part is matched in ("." for none).
std::string MatchFolder(const std::string& path) {
  const std::size_t start = LastPartStart(path);
  if (start == 0) return ".";
  const std::string folder = path.substr(0, start);
  return folder.back() == ':' ? folder : WithoutTrailingSeparators(folder);
}

// A ";" text that surely names no item as a whole, so that its parts name
// only the items meant.
bool SplitsSafely(const std::string& text) {
  if (text.find(';') == std::string::npos) return true;
  const std::string name = WithoutTrailingSeparators(text);
  const std::size_t start = LastPartStart(name);
  if (HasWildcard(name.substr(0, start))) return true;  // no such name
  if (HasWildcard(name.substr(start))) return IsSurelyAbsent(MatchFolder(name));
  return IsSurelyAbsent(name);
}

// An argument whose leading spaces, kept, name an item (its first path,
// when it is a list): trimming would name another.
bool LeadingSpacesNameAnItem(const std::string& argument) {
  if (argument.empty() || argument[0] != ' ') return false;
  const std::string kept = argument.substr(0, argument.find_last_not_of(' ') + 1);
  return IsFound(kept.substr(0, kept.find(';')));
}

// The full path of `path`, or empty when it cannot be had or reaches
// MAX_PATH.
std::string FullPath(const std::string& path) {
  char buffer[MAX_PATH];
  const DWORD length = platform::GetFullPathNameA(path.c_str(), MAX_PATH, buffer, nullptr);
  if (length == 0 || length >= MAX_PATH) return std::string();
  return std::string(buffer, length);
}

bool FullPathsFit(const std::vector<std::string>& paths) {
  for (const std::string& path : paths) {
    if (FullPath(path).empty()) return false;
  }
  return true;
}

// The full path of the folder `path` is in, upper-cased; empty when it
// cannot be had.
std::string FullFolderKey(const std::string& path) {
  std::string full = FullPath(WithoutTrailingSeparators(path));
  full = WithoutTrailingSeparators(full.substr(0, LastPartStart(full)));
  if (!full.empty()) platform::CharUpperBuffA(&full[0], static_cast<DWORD>(full.size()));
  return full;
}

// The new name of `item` for a rename, or empty when it is in another
// folder: a name without a folder part goes into the item's folder.
std::string NewNameBeside(const std::string& item, const std::string& name) {
  const std::string bare_item = WithoutTrailingSeparators(item);
  if (name.find_first_of(kFolderEnds) == std::string::npos)
    return bare_item.substr(0, LastPartStart(bare_item)) + name;
  const std::string folder = FullFolderKey(item);
  return !folder.empty() && folder == FullFolderKey(name) ? name : std::string();
}

// A rename's destination list with every new name beside its item; false
// when one is elsewhere.
bool PutNewNamesBeside(const std::vector<std::string>& items, std::string& destination) {
  const std::vector<std::string> names = SplitPaths(destination);
  std::string beside;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string name = NewNameBeside(items[i], names[i]);
    if (name.empty()) return false;
    beside += (i ? ";" : "") + name;
  }
  destination = beside;
  return true;
}

// The counts of the two lists: a source; a destination unless deleting;
// several destinations only one for each source (always so for a rename).
bool CountsMatch(WORD function, std::size_t sources, std::size_t destinations) {
  if (sources == 0) return false;
  if (function == FO_DELETE) return true;
  if (function == FO_RENAME) return destinations == sources;
  return destinations == 1 || destinations == sources;
}

bool ArgumentsFit(WORD function, const std::vector<std::string>& arguments) {
  if (arguments.size() != (function == FO_DELETE ? 1u : 2u)) return false;
  for (const std::string& argument : arguments) {
    if (TrimmedSpaces(argument).empty() || LeadingSpacesNameAnItem(argument)) return false;
  }
  return true;
}

}  // namespace

std::string TrimmedSpaces(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  const std::size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

bool ReadRequestPaths(WORD function, const std::vector<std::string>& arguments,
                      RequestPaths& paths) {
  if (!ArgumentsFit(function, arguments)) return false;
  paths.source = TrimmedSpaces(arguments[0]);
  paths.destination = arguments.size() > 1 ? TrimmedSpaces(arguments[1]) : std::string();
  if (!SplitsSafely(paths.source) || !SplitsSafely(paths.destination)) return false;
  const std::vector<std::string> sources = SplitPaths(paths.source);
  if (!CountsMatch(function, sources.size(), PathCount(paths.destination))) return false;
  if (function == FO_RENAME && !PutNewNamesBeside(sources, paths.destination)) return false;
  return FullPathsFit(sources) && FullPathsFit(SplitPaths(paths.destination));
}

}  // namespace vandrix
