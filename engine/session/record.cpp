// What a request has done so far (see record.h).
#include "engine/session/record.h"

#include "engine/base/path_text.h"

namespace engine {

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
  planned_[target] = source;
}

bool RequestRecord::Planned(const std::string& target, std::string& from) const {
  const auto found = planned_.find(target);
  if (found == planned_.end()) return false;
  from = found->second;
  return true;
}

bool RequestRecord::PlanFolder(const std::string& path) {
  return planned_folders_.insert(path).second;
}

}  // namespace engine
