// Paths as text (see path_text.h).
#include "engine/base/path_text.h"

namespace engine {

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

bool EndsInSlash(const std::string& path) { return !path.empty() && path.back() == '/'; }

std::string NameOf(const std::string& path) {
  const std::string trimmed = WithoutTrailingSlashes(path);
  const std::size_t slash = trimmed.rfind('/');
  return slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
}

std::string ParentOf(const std::string& path) {
  const std::string trimmed = WithoutTrailingSlashes(path);
  const std::size_t slash = trimmed.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return WithoutTrailingSlashes(trimmed.substr(0, slash));
}

std::string Join(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

std::string NumberedName(const std::string& name, unsigned n, bool folder) {
  std::size_t dot = folder ? std::string::npos : name.rfind('.');
  if (dot == 0) dot = std::string::npos;
  const std::string ext = dot == std::string::npos ? "" : name.substr(dot);
  return name.substr(0, dot) + " (" + std::to_string(n) + ")" + ext;
}

bool HasWildcard(const std::string& path) {
  return NameOf(path).find_first_of(kWildcardCharacters) != std::string::npos;
}

namespace {

// '*' and '?' against the whole of `name`; after a mismatch the last '*'
// takes one byte more.
bool Globbed(const std::string& pattern, const std::string& name) {
  std::size_t p = 0, n = 0, star = std::string::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
      ++p;
      ++n;
    } else if (star != std::string::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace

bool MatchesPattern(const std::string& pattern, const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  if (name[0] == '.' && (pattern.empty() || pattern[0] != '.')) return false;
  return pattern == "*.*" || Globbed(pattern, name);
}

}  // namespace engine
