// Turning a request's lists into single items (see plan.h).
#include "platform/engine/plan.h"

#include <fcntl.h>
#include <fnmatch.h>

#include <cstring>

#include "platform/engine/file_system.h"
#include "platform/engine/quote.h"

namespace platform {
namespace engine {
namespace {

Paths SplitList(LPCSTR list) {
  Paths paths;
  if (!list) return paths;
  for (const char* p = list; *p; p += std::strlen(p) + 1) paths.emplace_back(p);
  return paths;
}

// Only '*' and '?' are wildcards: fnmatch's other pattern characters are escaped.
std::string EscapedPattern(const std::string& pattern) {
  std::string escaped;
  for (const char c : pattern) {
    if (c == '[' || c == '\\') escaped += '\\';
    escaped += c;
  }
  return escaped;
}

// The item's own name; "." and ".." are replaced by the folder's real name.
std::string ItemName(const std::string& source) {
  const std::string name = NameOf(source);
  std::string real;
  if (name != "." && name != "..") return name;
  return RealPath(source, real) ? NameOf(real) : name;
}

bool IsFolderAt(int folder, const std::string& name) {
  struct stat st;
  return ::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
}

// The entries a wildcard source stands for, as paths beside the pattern.
void AddMatches(const std::string& source, bool files_only, Jobs& found) {
  const std::string path = Trimmed(source);
  const std::size_t slash = path.rfind('/');
  const std::string prefix = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  Fd folder(::open(prefix.empty() ? "." : prefix.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  Paths names;
  if (!folder.ok() || ListNames(folder.get(), names) != 0) return;
  for (const std::string& name : names) {
    if (!MatchesPattern(NameOf(path), name)) continue;
    if (files_only && IsFolderAt(folder.get(), name)) continue;
    found.push_back({prefix + name, "", true});
  }
}

Jobs Expanded(const std::string& source, FILEOP_FLAGS flags) {
  Jobs found;
  if (!HasWildcard(source)) return {{Trimmed(source), "", false}};
  AddMatches(source, (flags & FOF_FILESONLY) != 0, found);
  return found;
}

// A destination that names a folder the items go into.
bool NamesFolder(const std::string& dest) { return dest.back() == '/' || IsFolder(dest); }

void AddPair(const std::string& source, const std::string& dest, bool into, FILEOP_FLAGS flags,
             Jobs& jobs) {
  into = into || HasWildcard(source) || NamesFolder(dest);
  for (Job job : Expanded(source, flags)) {
    job.target = into ? Join(dest, ItemName(job.source)) : dest;
    jobs.push_back(job);
  }
}

}  // namespace

// A destination holding a wildcard, or "".
std::string WildDestination(const Paths& to) {
  for (const std::string& dest : to)
    if (dest.find_first_of("*?") != std::string::npos)
      return "a destination holds a wildcard: " + Quoted(dest);
  return "";
}

std::string Counted(std::size_t n, const char* what) {
  return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

std::string PlanCopyOrMove(FILEOP_FLAGS flags, const Paths& from, const Paths& to, Jobs& jobs) {
  const bool paired = (flags & FOF_MULTIDESTFILES) && to.size() == from.size();
  if (to.empty()) return "no destination given";
  if (!paired && to.size() != 1)
    return Counted(from.size(), "source") + " and " + Counted(to.size(), "destination") +
           " do not pair up";
  const std::string wild = WildDestination(to);
  if (!wild.empty()) return wild;
  const bool several = !paired && from.size() > 1;
  for (std::size_t i = 0; i < from.size(); ++i)
    AddPair(from[i], paired ? to[i] : to[0], several, flags, jobs);
  return "";
}

// A target without a folder part is a new name in the source's folder.
std::string PlanRename(FILEOP_FLAGS, const Paths& from, const Paths& to, Jobs& jobs) {
  if (from.size() != 1 || to.size() != 1)
    return "a rename takes one item and one new name, not " + Counted(from.size(), "source") +
           " and " + Counted(to.size(), "new name");
  if (HasWildcard(from[0])) return "a wildcard cannot be renamed: " + Quoted(from[0]);
  const std::string wild = WildDestination(to);
  if (!wild.empty()) return wild;
  const std::string& dest = to[0];
  const bool bare = dest.find('/') == std::string::npos;
  jobs.push_back({Trimmed(from[0]), bare ? Join(ParentOf(from[0]), dest) : dest, false});
  return "";
}

std::string PlanDelete(FILEOP_FLAGS flags, const Paths& from, const Paths&, Jobs& jobs) {
  for (const std::string& source : from) {
    const Jobs found = Expanded(source, flags);
    jobs.insert(jobs.end(), found.begin(), found.end());
  }
  return "";
}

bool HasWildcard(const std::string& path) {
  return NameOf(path).find_first_of("*?") != std::string::npos;
}

bool MatchesPattern(const std::string& pattern, const std::string& name) {
  if (pattern == "*.*") return true;
  return ::fnmatch(EscapedPattern(pattern).c_str(), name.c_str(), 0) == 0;
}

std::string PlanJobs(Planner plan, const SHFILEOPSTRUCTA& request, Jobs& jobs) {
  const Paths from = SplitList(request.pFrom);
  jobs.clear();
  const std::string why =
      from.empty() ? "no source given" : plan(request.fFlags, from, SplitList(request.pTo), jobs);
  if (!why.empty()) jobs.clear();
  return why;
}

}  // namespace engine
}  // namespace platform
