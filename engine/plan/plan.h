// Turning a request's source and target lists into single items.
#ifndef VANDRIX_ENGINE_PLAN_PLAN_H_
#define VANDRIX_ENGINE_PLAN_PLAN_H_

#include <string>
#include <vector>

#include "engine/base/path_text.h"
#include "engine/session/session.h"

namespace engine {

/// One item of a request and where it goes.
struct Job {
  std::string source;    ///< without trailing slashes
  std::string target;    ///< the item's full new path; empty for a delete
  bool matched = false;  ///< found by a wildcard, so it existed when listed
  bool folder = false;   ///< named with a trailing slash: it must be a folder
};
using Jobs = std::vector<Job>;

/// Turns the source paths `from` and the target paths `to` into jobs. When
/// the lists do not fit the operation, reports why (0x7C, in words for a
/// user: "3 sources and 2 destinations do not pair up") and returns false.
using Planner = bool (*)(Session& s, const Paths& from, const Paths& to, Jobs& jobs);

/// In every plan a source with a wildcard in its last component (HasWildcard)
/// stands for the matching entries of its folder, sorted by name (with
/// files_only folders are left out; after a trailing slash, "src/*/", only
/// folders match, never a link to one). A wildcard that matches nothing ("no
/// item matches 'src/*.tmp'"), or whose folder cannot be read, is reported
/// (0x02 for a folder that is missing or a file; see SourceResultCodeFor)
/// and the plan fails, after the other sources are looked at: nothing is
/// done, as for a named source that is not there. With literal options
/// there is no wildcard: every path, a destination's too, is one name.

/// Copy and move: one destination takes every item into it when it is an
/// existing folder (or ends in '/'), or when there are several sources or a
/// wildcard; else it is the one item's new name. With `paired` options and
/// as many destinations as sources, they pair up, each pair by the same
/// rule. No wildcard anywhere in a destination.
bool PlanCopyOrMove(Session& s, const Paths& from, const Paths& to, Jobs& jobs);

/// Rename: one source and one destination, no wildcard; a bare name stays
/// in the source's folder.
bool PlanRename(Session& s, const Paths& from, const Paths& to, Jobs& jobs);

/// Delete: every source; the destinations are not looked at.
bool PlanDelete(Session& s, const Paths& from, const Paths& to, Jobs& jobs);

/// The request's items, in order, by `plan`. False, with no jobs, when there
/// are none: no source, or lists that do not fit (reported).
bool PlanJobs(Planner plan, Session& s, const Paths& from, const Paths& to, Jobs& jobs);

}  // namespace engine

#endif  // VANDRIX_ENGINE_PLAN_PLAN_H_
