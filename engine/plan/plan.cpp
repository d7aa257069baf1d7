// Turning a request's lists into single items (see plan.h).
#include "engine/plan/plan.h"

#include "engine/base/errors.h"
#include "engine/base/quote.h"
#include "engine/io/lookup.h"
#include "engine/plan/matches.h"

namespace engine {
namespace {

// The item's own name; "." and ".." are replaced by the folder's real name.
std::string ItemName(const std::string& source) {
  const std::string name = NameOf(source);
  std::string real;
  if (name != "." && name != "..") return name;
  return RealPath(source, real) == 0 ? NameOf(real) : name;
}

// What a wildcard that stands for nothing is told: it matches nothing, or
// its folder cannot be read.
bool RefuseWildcard(Session& s, const std::string& source, int err) {
  const int code = SourceResultCodeFor(err);
  if (err == kErrorNoMatch) return s.Report(code, "no item matches " + Quoted(source));
  const std::string folder = WithoutTrailingSlashes(PatternFolder(source));
  return s.Report(code, "cannot read the folder " + Quoted(folder) + " of " + Quoted(source) +
                            ": " + ErrorText(err));
}

// A path whose last component is a wildcard; with literal, none is.
bool Wild(const Session& s, const std::string& path) {
  return !s.options().literal && HasWildcard(path);
}

// The items `source` stands for, added to `jobs`: itself, or the entries
// its wildcard matches. False when a wildcard stands for none (reported).
bool Expand(Session& s, const std::string& source, Jobs& jobs) {
  if (!Wild(s, source)) {
    jobs.push_back({WithoutTrailingSlashes(source), "", false, EndsInSlash(source)});
    return true;
  }
  Paths found;
  if (const int err = MatchingPaths(source, s.options().files_only, found))
    return RefuseWildcard(s, source, err);
  for (const std::string& path : found) jobs.push_back({path, "", true});
  return true;
}

// A destination that names a folder the items go into.
bool NamesFolder(const std::string& dest) { return EndsInSlash(dest) || IsFolder(dest); }

bool AddPair(Session& s, const std::string& source, const std::string& dest, bool into,
             Jobs& jobs) {
  into = into || Wild(s, source) || NamesFolder(dest);
  const std::size_t first = jobs.size();
  if (!Expand(s, source, jobs)) return false;
  for (std::size_t i = first; i < jobs.size(); ++i)
    jobs[i].target = into ? Join(dest, ItemName(jobs[i].source)) : dest;
  return true;
}

bool Refuse(Session& s, const std::string& why) { return s.Fail("", kErrorInvalidFiles, why); }

// A destination holding a wildcard, or "" (with literal, none does).
std::string WildDestination(const Session& s, const Paths& to) {
  if (s.options().literal) return "";
  for (const std::string& dest : to)
    if (dest.find_first_of(kWildcardCharacters) != std::string::npos)
      return "a destination holds a wildcard: " + Quoted(dest);
  return "";
}

std::string Counted(std::size_t n, const char* what) {
  return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

}  // namespace

bool PlanCopyOrMove(Session& s, const Paths& from, const Paths& to, Jobs& jobs) {
  const bool paired = s.options().paired && to.size() == from.size();
  if (to.empty()) return Refuse(s, "no destination given");
  if (!paired && to.size() != 1)
    return Refuse(s, Counted(from.size(), "source") + " and " +
                         Counted(to.size(), "destination") + " do not pair up");
  const std::string wild = WildDestination(s, to);
  if (!wild.empty()) return Refuse(s, wild);
  const bool several = !paired && from.size() > 1;
  bool all = true;
  for (std::size_t i = 0; i < from.size(); ++i)
    all = AddPair(s, from[i], paired ? to[i] : to[0], several, jobs) && all;
  return all;
}

// A target without a folder part is a new name in the source's folder (and
// stays as it is when the source has none either).
bool PlanRename(Session& s, const Paths& from, const Paths& to, Jobs& jobs) {
  if (from.size() != 1 || to.size() != 1)
    return Refuse(s, "a rename takes one item and one new name, not " +
                         Counted(from.size(), "source") + " and " +
                         Counted(to.size(), "new name"));
  if (Wild(s, from[0])) return Refuse(s, "a wildcard cannot be renamed: " + Quoted(from[0]));
  const std::string wild = WildDestination(s, to);
  if (!wild.empty()) return Refuse(s, wild);
  const std::string& dest = to[0];
  const bool bare = dest.find('/') == std::string::npos;
  const bool here = from[0].find('/') == std::string::npos;
  jobs.push_back({WithoutTrailingSlashes(from[0]),
                  bare && !here ? Join(ParentOf(from[0]), dest) : dest, false,
                  EndsInSlash(from[0])});
  return true;
}

bool PlanDelete(Session& s, const Paths& from, const Paths&, Jobs& jobs) {
  bool all = true;
  for (const std::string& source : from) all = Expand(s, source, jobs) && all;
  return all;
}

bool PlanJobs(Planner plan, Session& s, const Paths& from, const Paths& to, Jobs& jobs) {
  jobs.clear();
  const bool planned = from.empty() ? Refuse(s, "no source given") : plan(s, from, to, jobs);
  if (!planned) jobs.clear();
  return planned;
}

}  // namespace engine
