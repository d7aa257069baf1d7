// Error words and result codes (see errors.h).
#include "engine/base/errors.h"

#include <cerrno>
#include <cstring>

namespace engine {

std::string ErrorText(int err) {
  if (err == kErrorMovedAway) return "it was moved away while the operation ran";
  if (err == kErrorInsideSource) return "the target lies inside the source folder";
  if (err == kErrorNoMatch) return "no item matches it";
  if (err == kErrorNotRegular) return "not a regular file";
  return std::strerror(err);
}

int ResultCodeFor(int err) {
  if (err == EACCES || err == EPERM) return kErrorAccessDenied;
  if (err == ENOENT) return kErrorFileNotFound;
  if (err == kErrorInsideSource) return kErrorDestinationInSource;
  return kErrorOther;
}

int SourceResultCodeFor(int err) {
  if (err == ENOENT || err == ENOTDIR || err == kErrorNoMatch) return kErrorFileNotFound;
  return ResultCodeFor(err);
}

}  // namespace engine
