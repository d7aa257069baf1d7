// What happens to an item at its target (see decide.h).
#include "engine/rules/decide.h"

#include "engine/base/errors.h"
#include "engine/base/path_text.h"
#include "engine/base/quote.h"
#include "engine/io/lookup.h"

namespace engine {
namespace {

bool SameAsSource(const Entry& source, Sameness sameness, const Target& target,
                  const struct stat& there) {
  if (SameFile(source.folder, source.name, source.st, there)) return true;
  struct stat named;
  return sameness == Sameness::kFollowed && StatAt(target.folder, target.name, named, true) == 0 &&
         SameItem(source.st, named);
}

// A dry run's target that the run would have placed an item at by then
// (record.h), with the path it would have come from.
bool PlannedAt(Session& s, const Target& target, std::string& from) {
  return s.options().dry_run && s.record().Planned(target.Shown(), from);
}

// "name (2).ext", "name (3).ext", ...: the first that is free (in a dry
// run, also of what the run would have placed there by then).
void TakeFreeName(Session& s, Target& target, bool folder) {
  const std::string name = target.name;
  std::string from;
  for (unsigned n = 2; ExistsAt(target.folder, target.name) || PlannedAt(s, target, from); ++n) {
    target.name = NumberedName(name, n, folder);
    if (!target.trail) target.shown = Join(ParentOf(target.shown), target.name);
  }
}

// By the time of last change, to the nanosecond.
bool Older(const struct stat& a, const struct stat& b) {
  return a.st_mtim.tv_sec != b.st_mtim.tv_sec ? a.st_mtim.tv_sec < b.st_mtim.tv_sec
                                              : a.st_mtim.tv_nsec < b.st_mtim.tv_nsec;
}

// With update, the file at the target is as new as the source or newer:
// it stays, and the line says which.
bool SkipNotOlder(Session& s, const Entry& source, const Target& target, const Decision& d) {
  const Session::Deed deed =
      Older(source.st, d.there) ? Session::Deed::kSkipNewer : Session::Deed::kSkipAsNew;
  return s.Skip(source.Shown(), target.Shown(), deed);
}

bool RefusePlaced(Session& s, const std::string& shown, const std::string& from) {
  return s.Report(kErrorOther,
                  "will not replace " + Quoted(shown) + ", just placed there from " + Quoted(from));
}

// True when the item at the top-level target `target` (shown as `shown`)
// lies in a folder the request placed, and so was placed with it; `from`
// is then where it came from. (Inside a walked tree, the folder itself was
// met first.)
bool InPlacedFolder(Session& s, const Target& target, const std::string& shown,
                    std::string& from) {
  struct stat folder;
  if (target.trail || !s.record().HoldsFolders() || ::fstat(target.folder, &folder) != 0 ||
      !s.record().PlacedBefore(folder, ParentOf(shown), from))
    return false;
  from = Join(from, NameOf(shown));
  return true;
}

// What the request itself placed is never replaced or merged into: two
// sources of one name would leave only the last.
bool NotPlacedBefore(Session& s, const Target& target, const struct stat& there) {
  const std::string shown = target.Shown();
  std::string from;
  return (!s.record().PlacedBefore(there, shown, from) &&
          !InPlacedFolder(s, target, shown, from)) ||
         RefusePlaced(s, shown, from);
}

// A folder at either end: merged into, or refused.
bool MeetFolder(Session& s, const Entry& source, const Target& target, bool to_folder,
                FolderClash folders, Decision& d) {
  const bool from_folder = S_ISDIR(source.st.st_mode);
  if (folders == FolderClash::kRefuse)
    return s.Fail(source.Shown(), target.Shown(), kErrorAccessDenied,
                  "only a file may replace a file");
  if (from_folder != to_folder)
    return s.Fail(source.Shown(), target.Shown(), kErrorAccessDenied,
                  "it exists, and a folder and a file never replace each other");
  d.clash = Clash::kMerge;
  return true;
}

}  // namespace

bool SameFile(int folder, const std::string& name, const struct stat& st,
              const struct stat& there) {
  if (SameItem(st, there)) return true;
  struct stat named;
  return S_ISLNK(st.st_mode) && StatAt(folder, name, named, true) == 0 && SameItem(named, there);
}

bool Decide(Session& s, const Entry& source, Sameness sameness, Target& target, Decision& d,
            FolderClash folders) {
  d.clash = Clash::kFree;
  std::string from;
  const bool planned = PlannedAt(s, target, from);
  if (!planned && StatAt(target.folder, target.name, d.there, false) != 0) return true;
  if (!planned && SameAsSource(source, sameness, target, d.there))
    return s.Fail(source.Shown(), target.Shown(), kErrorSameFile,
                  "the source and the target are the same item");
  const bool from_folder = S_ISDIR(source.st.st_mode);
  if (s.options().rename_on_collision) {
    TakeFreeName(s, target, from_folder);
    return true;
  }
  if (planned) return RefusePlaced(s, target.Shown(), from);
  if (!NotPlacedBefore(s, target, d.there)) return false;
  const bool to_folder = S_ISDIR(d.there.st_mode);
  if (from_folder || to_folder) return MeetFolder(s, source, target, to_folder, folders, d);
  d.clash = Clash::kReplace;
  if (s.options().no_clobber) return s.Skip(source.Shown(), target.Shown());
  if (s.options().update && !Older(d.there, source.st)) return SkipNotOlder(s, source, target, d);
  return s.ConfirmReplace(target.Shown());
}

}  // namespace engine
