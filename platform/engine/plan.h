// Turning a request's source and destination lists into single items.
#ifndef VANDRIX_PLATFORM_ENGINE_PLAN_H_
#define VANDRIX_PLATFORM_ENGINE_PLAN_H_

#include <string>
#include <vector>

#include "platform/engine/file_system.h"
#include "platform/shell.h"

namespace platform {
namespace engine {

/// One item of a request and where it goes.
struct Job {
  std::string source;
  std::string target;    ///< the item's full new path; empty for a delete
  bool matched = false;  ///< found by a wildcard, so it existed when listed
};
using Jobs = std::vector<Job>;

/// True when the last component of `path` holds '*' or '?'.
bool HasWildcard(const std::string& path);

/// True when `name` matches `pattern`: '*' stands for any run of
/// characters, '?' for one; letter case counts; a leading dot is an
/// ordinary character; "*.*" matches every name, with a dot or not.
bool MatchesPattern(const std::string& pattern, const std::string& name);

/// Turns the source paths `from` and the destination paths `to` into jobs.
/// Returns "" or, when the lists do not fit the operation, why, in words
/// for a user ("3 sources and 2 destinations do not pair up").
using Planner = std::string (*)(FILEOP_FLAGS flags, const Paths& from, const Paths& to,
                                Jobs& jobs);

/// In every plan a source with a wildcard in its last component stands for
/// the matching entries of its folder, sorted by name (none is no error;
/// with FOF_FILESONLY folders are left out).

/// Copy and move: one destination takes every item into it when it is an
/// existing folder (or ends in '/'), or when there are several sources or a
/// wildcard; else it is the one item's new name. With FOF_MULTIDESTFILES
/// and as many destinations as sources, they pair up, each pair by the same
/// rule. No wildcard in a destination.
std::string PlanCopyOrMove(FILEOP_FLAGS flags, const Paths& from, const Paths& to, Jobs& jobs);

/// Rename: one source and one destination, no wildcard; a bare name stays
/// in the source's folder.
std::string PlanRename(FILEOP_FLAGS flags, const Paths& from, const Paths& to, Jobs& jobs);

/// Delete: every source; the destinations are not looked at.
std::string PlanDelete(FILEOP_FLAGS flags, const Paths& from, const Paths& to, Jobs& jobs);

/// The request's items, in order, by `plan`. Returns "" or, with no jobs,
/// why there are none: no source, or lists that do not fit.
std::string PlanJobs(Planner plan, const SHFILEOPSTRUCTA& request, Jobs& jobs);

}  // namespace engine
}  // namespace platform

#endif  // VANDRIX_PLATFORM_ENGINE_PLAN_H_
