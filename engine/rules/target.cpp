// Where an item goes (see target.h).
#include "engine/rules/target.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

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
  const FolderMade made = [&s](const std::string& path, Fd parent, const struct stat* status) {
    if (status) s.record().MadeFolder(std::move(parent), NameOf(path), *status, path);
    s.Done(Session::Deed::kMakeFolder, path);
  };
  const int err = MakeFolders(ParentOf(target), 0777, folder, S_ISDIR(st.st_mode) ? &st : nullptr,
                              made, s.options().dry_run);
  if (err == kErrorInsideSource) return RefuseInside(s, source, target);
  if (err != 0) return s.FailErrno(source, target, err);
  to = {folder.get(), NameOf(target), target};
  return true;
}

void RemoveFoldersLeftEmpty(Session& s) {
  auto& folders = s.record().FoldersMade();
  for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder) {
    struct stat st;
    if (StatAt(folder->parent.get(), folder->name, st, false) != 0 ||
        !(IdentityOf(st) == folder->made))
      continue;  // another item has its name by now
    if (::unlinkat(folder->parent.get(), folder->name.c_str(), AT_REMOVEDIR) == 0)
      s.Done(Session::Deed::kRemove, folder->shown);
    else if (errno != ENOTEMPTY && errno != EEXIST)
      s.Report(kErrorOther, "cannot remove the empty folder " + Quoted(folder->shown) +
                                " made for the request: " + ErrorText(errno));
  }
  folders.clear();
}

bool RefuseInside(Session& s, const std::string& source, const std::string& target) {
  return s.FailErrno(source, target, kErrorInsideSource);
}

}  // namespace engine
