// What the POSIX command line refuses after a look at the disk (see
// refusal_on_disk.h).
#include "cmdline/refusal_on_disk.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "cmdline/options.h"
#include "engine/base/path_text.h"
#include "engine/base/quote.h"
#include "fileop/file_operation.h"
#include "platform/file.h"
#include "platform/shell.h"

namespace vandrix {
namespace {

// True unless `path` certainly names nothing (a failed look counts as
// "may name something").
bool MayExist(const std::string& path) {
  if (platform::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  const DWORD error = platform::GetLastError();
  return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

// An existing item that is not a folder (nor a link to one).
bool IsNonFolder(const std::string& path) {
  const DWORD attributes = platform::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Literal(const PosixCommand& command) { return (command.own & kLiteral) != 0; }

// Several items go into one destination: several sources, or a wildcard in
// the one source, as the engine's planner reads it from the list (with
// --literal: several arguments).
bool GoesIntoFolder(const PosixCommand& command) {
  if (Literal(command)) return command.sources.size() > 1;
  if (PathCount(command.destination) > 1) return false;  // pairs
  if (PathCount(command.source) > 1) return true;
  const std::string only = PathList(command.source).c_str();
  return engine::HasWildcard(only);
}

// A folder itself, not a link to one: what "*/" matches.
bool IsRealFolder(const std::string& path) {
  const DWORD attributes = platform::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// When the wildcard `path` names an item itself and also matches another
// entry of its folder (as the engine's planner matches), the first such
// entry's path; else empty.
std::string OtherMatch(const std::string& path) {
  const std::string trimmed = engine::WithoutTrailingSlashes(path);
  const std::size_t slash = trimmed.rfind('/');
  const std::string beside = slash == std::string::npos ? "" : trimmed.substr(0, slash + 1);
  std::vector<std::string> names;
  if (platform::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES ||
      !platform::FolderNames(engine::ParentOf(path).c_str(), names))
    return std::string();
  const std::string pattern = engine::NameOf(path);
  std::sort(names.begin(), names.end());  // the first one the engine would take
  for (const std::string& name : names) {
    if (name == pattern || !engine::MatchesPattern(pattern, name)) continue;
    if (!engine::EndsInSlash(path) || IsRealFolder(beside + name)) return beside + name;
  }
  return std::string();
}

// A source path that is a wildcard naming an item, and so stands for that
// item or for all it matches (`other` is set to one of those); or empty.
std::string Ambiguous(const PosixCommand& command, std::string& other) {
  const std::string list = PathList(command.source);
  for (const char* path = list.c_str(); *path != '\0'; path += std::strlen(path) + 1) {
    if (!engine::HasWildcard(path)) continue;
    other = OtherMatch(path);
    if (!other.empty()) return path;
  }
  return std::string();
}

// True unless the wildcard `path` (";" in its last part only) certainly
// matches nothing in its folder: a folder that cannot be listed may.
bool MayMatch(const std::string& path) {
  std::vector<std::string> names;
  if (!platform::FolderNames(engine::ParentOf(path).c_str(), names)) {
    const DWORD error = platform::GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
  }
  const std::string pattern = engine::NameOf(path);
  return std::any_of(names.begin(), names.end(), [&pattern](const std::string& name) {
    return engine::MatchesPattern(pattern, name);
  });
}

// A path holding ";" that may name an item as a whole: the item of that
// name or, when its last part holds a wildcard, what that part matches in
// its folder: any of it when the folder's own name holds the ";" (an item
// of that very name, too, is in that folder), else an entry it matches.
bool MayNameAnItem(const std::string& path) {
  if (path.find(';') == std::string::npos) return false;
  if (!engine::HasWildcard(path)) return MayExist(path);
  const std::string folder = engine::ParentOf(path);
  return folder.find(';') != std::string::npos ? MayExist(folder) : MayMatch(path);
}

// A path argument holding ";" that may name an item as a whole.
const std::string* Unsplittable(const PosixCommand& command) {
  for (const std::string& source : command.sources) {
    if (MayNameAnItem(source)) return &source;
  }
  return MayNameAnItem(command.destination) ? &command.destination : nullptr;
}

}  // namespace

std::string RefusalOnDisk(const PosixCommand& command) {
  const std::string* path = Literal(command) ? nullptr : Unsplittable(command);
  if (path)
    return "will not split " + engine::Quoted(*path) + " at ';': an item of that name may exist";
  std::string other;
  const std::string wild = Literal(command) ? std::string() : Ambiguous(command, other);
  if (!wild.empty())
    return engine::Quoted(wild) + " names an item, and as a wildcard other items too (" +
           engine::Quoted(other) + "): give --literal for that item alone, or a wildcard " +
           "that names no item for all it matches";
  const bool copy_or_move = command.function == FO_COPY || command.function == FO_MOVE;
  if (copy_or_move && GoesIntoFolder(command) && IsNonFolder(command.destination))
    return "target " + engine::Quoted(command.destination) +
           " is not a folder, and several items go into a folder";
  return std::string();
}

}  // namespace vandrix
