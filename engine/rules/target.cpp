// Where an item goes (see target.h).
#include "engine/rules/target.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "engine/base/errors.h"
#include "engine/base/path_text.h"
#include "engine/base/quote.h"
#include "engine/io/identity.h"
#include "engine/io/lookup.h"
#include "engine/io/make_folders.h"

namespace engine {

bool OpenTarget(Session& s, const std::string& source, const std::string& target, bool follow,
                Fd& folder, Target& to) {
  struct stat st;
  if (const int err = StatOf(source, st, follow)) return s.FailErrno(source, err);
  if (s.options().dry_run && s.record().Vanished(source)) return s.FailErrno(source, ENOENT);
  const FolderMade made = [&s](const std::string& path, int parent, const struct stat* status) {
    struct stat up;
    if (status && ::fstat(parent, &up) == 0) s.record().MadeFolder(path, up, *status);
    s.Done(Session::Deed::kMakeFolder, path);
  };
  const int err = MakeFolders(ParentOf(target), 0777, folder, S_ISDIR(st.st_mode) ? &st : nullptr,
                              made, s.options().dry_run);
  if (err == kErrorInsideSource) return RefuseInside(s, source, target);
  if (err != 0) return s.FailErrno(source, target, err);
  to = {folder.get(), NameOf(target), target};
  return true;
}

namespace {

// Removes the folder made, when it is still where it was made and empty.
void RemoveWhenEmpty(Session& s, const RequestRecord::NewFolder& folder) {
  const Fd parent(::open(ParentOf(folder.shown).c_str(), kLookUpFolder));
  const std::string name = NameOf(folder.shown);
  struct stat up, st;
  if (!parent.ok() || ::fstat(parent.get(), &up) != 0 || !(IdentityOf(up) == folder.parent) ||
      StatAt(parent.get(), name, st, false) != 0 || !(IdentityOf(st) == folder.made))
    return;  // moved, or another item has its name by now
  if (::unlinkat(parent.get(), name.c_str(), AT_REMOVEDIR) == 0)
    s.Done(Session::Deed::kRemove, folder.shown);
  else if (errno != ENOTEMPTY && errno != EEXIST)
    s.Report(kErrorOther, "cannot remove the empty folder " + Quoted(folder.shown) +
                              " made for the request: " + ErrorText(errno));
}

}  // namespace

void RemoveFoldersLeftEmpty(Session& s) {
  const auto& folders = s.record().FoldersMade();
  for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder) RemoveWhenEmpty(s, *folder);
}

bool RefuseInside(Session& s, const std::string& source, const std::string& target) {
  return s.FailErrno(source, target, kErrorInsideSource);
}

}  // namespace engine
