// Where an item goes (see target.h).
#include "engine/rules/target.h"

#include <sys/stat.h>

#include <cerrno>

#include "engine/base/errors.h"
#include "engine/base/path_text.h"
#include "engine/io/lookup.h"
#include "engine/io/make_folders.h"

namespace engine {

bool OpenTarget(Session& s, const std::string& source, const std::string& target, bool follow,
                Fd& folder, Target& to) {
  struct stat st;
  if (const int err = StatOf(source, st, follow)) return s.FailErrno(source, err);
  if (s.options().dry_run && s.record().Vanished(source)) return s.FailErrno(source, ENOENT);
  FolderMade made;
  if (s.telling())
    made = [&s](const std::string& path) { s.Done(Session::Deed::kMakeFolder, path); };
  const int err = MakeFolders(ParentOf(target), 0777, folder, S_ISDIR(st.st_mode) ? &st : nullptr,
                              made, s.options().dry_run);
  if (err == kErrorInsideSource) return RefuseInside(s, source, target);
  if (err != 0) return s.FailErrno(source, target, err);
  to = {folder.get(), NameOf(target), target};
  return true;
}

bool RefuseInside(Session& s, const std::string& source, const std::string& target) {
  return s.FailErrno(source, target, kErrorInsideSource);
}

}  // namespace engine
