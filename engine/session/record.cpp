// What a request has done so far (see record.h).
#include "engine/session/record.h"

#include <fcntl.h>

#include "engine/base/fd.h"
#include "engine/base/path_text.h"
#include "engine/io/lookup.h"

namespace engine {
namespace {

// The names of `parts` (last first) as a path, "." dropped and ".." taking
// back the name before it.
std::string Walked(const Paths& parts) {
  Paths names;
  for (auto part = parts.rbegin(); part != parts.rend(); ++part) {
    if (*part == ".") continue;
    if (*part == ".." && !names.empty() && names.back() != "..")
      names.pop_back();
    else
      names.push_back(*part);
  }
  std::string path;
  for (const std::string& name : names) path += "/" + name;
  return path;
}

// Where `path` leads, for a dry run's plans (see Plan): the identity of the
// nearest folder on it that is there (links followed, as the path is read)
// and the names below it, as MakeFolders goes through folders it would make.
std::string PlaceKey(const std::string& path) {
  Paths below{NameOf(path)};
  std::string folder = ParentOf(path);
  struct stat st;
  while (StatOf(folder, st, true) != 0) {
    if (folder == "." || folder == "/") return path;  // nothing is there to start from
    below.push_back(NameOf(folder));
    folder = ParentOf(folder);
  }
  return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino) + Walked(below);
}

}  // namespace

void RequestRecord::BeginItem(const std::string& source, const std::string& target) {
  items_.push_back({source, target});
}

void RequestRecord::Placed(const struct stat& made) {
  if (S_ISDIR(made.st_mode)) return PlacedFolder(IdentityOf(made));
  if (!items_.empty()) placed_[IdentityOf(made)] = items_.size() - 1;
}

void RequestRecord::PlacedFolder(const Identity& made) {
  if (items_.empty()) return;
  placed_[made] = items_.size() - 1;
  folders_ = true;
}

bool RequestRecord::PlacedNow(const struct stat& st) const {
  const auto found = placed_.find(IdentityOf(st));
  return found != placed_.end() && found->second + 1 == items_.size();
}

bool RequestRecord::PlacedBefore(const struct stat& st, const std::string& at,
                                 std::string& from) const {
  const auto found = placed_.find(IdentityOf(st));
  if (found == placed_.end()) return false;
  const Item& item = items_[found->second];
  const std::string top = item.target + "/";
  from = at.compare(0, top.size(), top) == 0 ? Join(item.source, at.substr(top.size()))
                                             : item.source;
  return true;
}

void RequestRecord::AddFirstCopy(const struct stat& source, const std::string& path,
                                 const struct stat& made) {
  first_copies_.emplace(IdentityOf(source), FirstCopy{path, IdentityOf(made), StampOf(source)});
}

const RequestRecord::FirstCopy* RequestRecord::FirstCopyOf(const struct stat& source) const {
  const auto found = first_copies_.find(IdentityOf(source));
  return found == first_copies_.end() ? nullptr : &found->second;
}

void RequestRecord::FirstCopiesMoved(const std::string& from, const std::string& to) {
  const std::string inside = from + "/";
  for (auto& [source, first] : first_copies_) {
    if (first.path.compare(0, inside.size(), inside) == 0)
      first.path = to + first.path.substr(from.size());
  }
}

void RequestRecord::MadeFolder(const std::string& shown, const struct stat& parent,
                               const struct stat& made) {
  folders_made_.push_back({shown, IdentityOf(parent), IdentityOf(made)});
}

bool RequestRecord::FirstLoss(int kind, dev_t device) {
  return losses_.insert({kind, device}).second;
}

void RequestRecord::Plan(const std::string& target, const std::string& source) {
  planned_[PlaceKey(target)] = source;
}

bool RequestRecord::Planned(const std::string& target, std::string& from) const {
  if (planned_.empty()) return false;
  const auto found = planned_.find(PlaceKey(target));
  if (found == planned_.end()) return false;
  from = found->second;
  return true;
}

bool RequestRecord::PlanFolder(const std::string& path) {
  return planned_folders_.insert(PlaceKey(path)).second;
}

void RequestRecord::Vanish(const std::string& path) {
  const Fd folder(::open(ParentOf(path).c_str(), kLookUpFolder));
  struct stat in, st;
  if (!folder.ok() || ::fstat(folder.get(), &in) != 0 ||
      StatAt(folder.get(), NameOf(path), st, false) != 0)
    return;
  vanished_.insert({in.st_dev, in.st_ino, NameOf(path)});
  if (S_ISDIR(st.st_mode)) vanished_folders_.insert(IdentityOf(st));
}

// The name of `path` in its folder, then that folder and each one above it,
// by "..", up to the root.
bool RequestRecord::Vanished(const std::string& path) const {
  if (vanished_.empty()) return false;
  Fd folder(::open(ParentOf(path).c_str(), kLookUpFolder));
  struct stat st;
  if (!folder.ok() || ::fstat(folder.get(), &st) != 0) return false;
  if (vanished_.count({st.st_dev, st.st_ino, NameOf(path)}) != 0) return true;
  for (struct stat above;; st = above) {
    if (vanished_folders_.count(IdentityOf(st)) != 0) return true;
    Fd up(::openat(folder.get(), "..", kLookUpFolder));
    if (!up.ok() || ::fstat(up.get(), &above) != 0 || SameItem(above, st)) return false;
    folder = std::move(up);
  }
}

}  // namespace engine
