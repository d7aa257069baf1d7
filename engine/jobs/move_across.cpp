// A move across file systems (see move_across.h).
#include "engine/jobs/move_across.h"

#include <utility>

#include "engine/base/errors.h"
#include "engine/io/identity.h"
#include "engine/io/lookup.h"
#include "engine/jobs/copy.h"
#include "engine/jobs/delete.h"

namespace engine {
namespace {

// A failed copy goes, but only what this item of the request placed: what
// another program put into a folder of the copy meanwhile stays.
void TakeBack(Session& s, const Target& t, const Copied& copied) {
  struct stat there;
  if (!copied.made || StatAt(t.folder, t.name, there, false) != 0 ||
      !SameItem(there, copied.placed))
    return;
  RemoveTree(s, t.folder, t.name, t.Shown(), [&s](const Entry& e) -> const char* {
    return s.record().PlacedNow(e.st) ? nullptr : "this run did not make it";
  });
}

// Why a source entry stays: it is not in the copy, or changed since (a
// folder counts by identity alone: its entries speak for themselves). The
// names of a file the request removed since its stamp moved its change time
// and its number of names, and nothing else.
const char* SourceKept(Session& s, const Copied& copied, const Entry& e) {
  const auto found = copied.sources.find(IdentityOf(e.st));
  if (found == copied.sources.end()) return "it is not in the copy (it came after the copy began)";
  if (S_ISDIR(e.st.st_mode)) return nullptr;
  if (!Unchanged(found->second, e.st, s.record().NamesRemoved(e.st)))
    return "it changed after it was copied";
  s.record().NameRemoved(e.st);
  return nullptr;
}

// The source goes, when it and its copy are still the items they were,
// item by item. True when all of it went.
bool RemoveSource(Session& s, int folder, int into, const CopiedAcross& across) {
  struct stat source, target;
  if (StatAt(folder, across.name, source, false) != 0 || !SameItem(source, across.st) ||
      StatAt(into, across.to, target, false) != 0 || !SameItem(target, across.copied.placed))
    return s.Fail(across.shown, across.to_shown, kErrorOther,
                  "the source or its copy changed; the source is kept");
  return RemoveTree(s, folder, across.name, across.shown, [&](const Entry& entry) {
    return SourceKept(s, across.copied, entry);
  });
}

}  // namespace

bool CopyAcross(Session& s, const Entry& e, const Target& t, const Decision& d, DiskSync& disks,
                CopiedAcross& across) {
  across = {e.name, e.Shown(), e.st, t.name, t.Shown(), d.clash == Clash::kReplace, {}};
  if (const int err = disks.Watch(t.folder)) return s.FailErrno(across.shown, across.to_shown, err);
  across.copied = CopyTree(s, e.folder, e.name, across.shown, false, t, Purpose::kMove, &d);
  if (!across.copied.complete) TakeBack(s, t, across.copied);
  return across.copied.complete;
}

bool RemoveAcross(Session& s, int folder, int into, const CopiedAcross& across) {
  if (RemoveSource(s, folder, into, across)) return true;
  s.Done(Session::Deed::kCopyKept, across.shown, across.to_shown);  // what stays was said
  return false;
}

bool KeepAcross(Session& s, const std::string& item, const std::vector<CopiedAcross>& across,
                int err) {
  s.Fail(item, kErrorOther,
         err == kErrorMovedAway
             ? ErrorText(err) + ", so the sources of what was copied from it are kept"
             : "its copy may not be on disk (" + ErrorText(err) + "), so the source is kept");
  for (const CopiedAcross& kept : across) s.Done(Session::Deed::kCopyKept, kept.shown, kept.to_shown);
  return false;
}

}  // namespace engine
