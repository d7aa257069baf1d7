// What the POSIX command line refuses after a look at the disk (see
// refusal_on_disk.h).
#include "cmdline/refusal_on_disk.h"

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

// Several items go into one destination: several sources, or a wildcard in
// the one source, as the engine's planner reads it from the list.
bool GoesIntoFolder(const PosixCommand& command) {
  if (PathCount(command.destination) > 1) return false;  // pairs
  if (PathCount(command.source) > 1) return true;
  const std::string only = PathList(command.source).c_str();
  return engine::HasWildcard(only);
}

// A path holding ";" that may name an item as a whole: the item of that
// name or, when its last part holds a wildcard, what that part matches in
// its folder (an item of that very name, too, is in that folder).
bool MayNameAnItem(const std::string& path) {
  if (path.find(';') == std::string::npos) return false;
  return MayExist(engine::HasWildcard(path) ? engine::ParentOf(path) : path);
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
  if (const std::string* path = Unsplittable(command))
    return "will not split " + engine::Quoted(*path) + " at ';': an item of that name may exist";
  const bool copy_or_move = command.function == FO_COPY || command.function == FO_MOVE;
  if (copy_or_move && GoesIntoFolder(command) && IsNonFolder(command.destination))
    return "target " + engine::Quoted(command.destination) +
           " is not a folder, and several items go into a folder";
  return std::string();
}

}  // namespace vandrix
