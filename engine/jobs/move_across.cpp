// A move across file systems (see move_across.h).
#include "engine/jobs/move_across.h"

#include <sys/stat.h>

#include <string>
#include <unordered_map>

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

// Names of a file removed so far, by identity: each moves its change time.
using Unlinked = std::unordered_map<Identity, nlink_t, IdentityHash>;

// Why a source entry stays: it is not in the copy, or changed since (a
// folder counts by identity alone: its entries speak for themselves).
const char* SourceKept(const Copied& copied, Unlinked& unlinked, const Entry& e) {
  const auto found = copied.sources.find(IdentityOf(e.st));
  if (found == copied.sources.end()) return "it is not in the copy (it came after the copy began)";
  if (S_ISDIR(e.st.st_mode)) return nullptr;
  nlink_t& removed = unlinked[IdentityOf(e.st)];
  if (!Unchanged(found->second, e.st, removed)) return "it changed after it was copied";
  ++removed;
  return nullptr;
}

// The copy is placed: the source goes, when it and its copy are still the
// items they were, item by item. True when all of it went.
bool RemoveSource(Session& s, const Entry& e, const Target& t, const Copied& copied,
                  const std::string& shown) {
  struct stat source, target;
  if (StatAt(e.folder, e.name, source, false) != 0 || !SameItem(source, e.st) ||
      StatAt(t.folder, t.name, target, false) != 0 || !SameItem(target, copied.placed))
    return s.Fail(shown, t.Shown(), kErrorOther,
                  "the source or its copy changed; the source is kept");
  Unlinked unlinked;
  return RemoveTree(s, e.folder, e.name, shown, [&](const Entry& entry) {
    return SourceKept(copied, unlinked, entry);
  });
}

}  // namespace

bool MoveAcross(Session& s, const Entry& e, const Target& t, const Decision& d) {
  const std::string shown = e.Shown();
  const Copied copied = CopyTree(s, e.folder, e.name, shown, false, t, Purpose::kMove, &d);
  if (!copied.complete) {
    TakeBack(s, t, copied);
    return false;
  }
  if (RemoveSource(s, e, t, copied, shown)) return true;
  s.Done(Session::Deed::kCopyKept, shown, t.Shown());  // what stays was said as it stayed
  return false;
}

}  // namespace engine
