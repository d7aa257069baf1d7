// Renaming an item within its folder (see rename.h).
#include "platform/engine/rename.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/engine/checks.h"
#include "platform/engine/engine.h"
#include "platform/engine/file_system.h"
#include "platform/engine/quote.h"

namespace platform {
namespace engine {
namespace {

bool InSameFolder(const std::string& source, const std::string& target) {
  struct stat a, b;
  return StatOf(ParentOf(source), a, true) && StatOf(ParentOf(target), b, true) &&
         SameItem(a, b);
}

}  // namespace

bool RenameJob(Session& s, const Job& job) {
  const std::string& source = job.source;
  std::string target = job.target;
  struct stat from, there;
  if (!InSameFolder(source, target))
    return s.Fail(source, target, kErrorDifferentFolder, "the new name is in another folder");
  if (!StatOf(source, from, false)) return s.FailErrno(source, target, errno);
  bool taken = StatOf(target, there, false);
  if (taken && SameFile(AT_FDCWD, source, from, there))
    return s.Fail(source, target, kErrorSameFile, "the source and the target are the same item");
  if (taken && s.Has(FOF_RENAMEONCOLLISION)) {
    const Fd parent(::open(ParentOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!parent.ok()) return s.FailErrno(source, target, errno);
    target = Join(ParentOf(target), FreeName(parent.get(), NameOf(target), S_ISDIR(from.st_mode)));
    taken = false;
  }
  if (taken && (S_ISDIR(from.st_mode) || S_ISDIR(there.st_mode)))
    return s.Fail(source, target, kErrorAccessDenied, "only a file may replace a file");
  if (taken && !s.ConfirmReplace(target)) return false;
  const int err = Place(AT_FDCWD, source, AT_FDCWD, target, taken ? &there : nullptr);
  return err == 0 || s.FailErrno(source, target, err);
}

}  // namespace engine
}  // namespace platform
