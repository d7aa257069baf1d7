// What a request has done so far that its later items must respect: the
// items it placed, the first copy of each file with several links, the
// names of files its moves removed, the losses it has already reported.
#ifndef VANDRIX_ENGINE_SESSION_RECORD_H_
#define VANDRIX_ENGINE_SESSION_RECORD_H_

#include <sys/stat.h>

#include <cstddef>
#include <set>
#include <string>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "engine/io/identity.h"

namespace engine {

/// The record of one request, kept by its Session. Items are known by
/// identity (identity.h), so a path that changes meanwhile misleads nothing.
class RequestRecord {
 public:
  /// A new top-level item: `source` going to `target` (as shown; empty for
  /// a delete).
  void BeginItem(const std::string& source, const std::string& target);

  /// The current top-level item placed `made` (its status): a file, link
  /// or folder a copy made, or an item a move renamed into place. What a
  /// placed folder holds counts as placed with it (see HoldsFolders).
  void Placed(const struct stat& made);
  /// The same for a folder known by its identity.
  void PlacedFolder(const Identity& made);
  /// True when the current top-level item placed `st`.
  bool PlacedNow(const struct stat& st) const;
  /// True when the request placed `st`, met at the path `at`; `from` is then
  /// the path it came from: the source of its top-level item, and for an
  /// item inside the tree that item placed, the path inside the source.
  bool PlacedBefore(const struct stat& st, const std::string& at, std::string& from) const;
  /// True once the request placed a folder: an item met in it was placed
  /// with it, even when not noted on its own.
  bool HoldsFolders() const { return folders_; }

  /// The first copy a move made of a file with several links.
  struct FirstCopy {
    std::string path;  ///< where it was placed, as shown
    Identity made;     ///< what was placed there
    Stamp source;      ///< the file as it was when copied
  };
  /// `source` (a file with several links) was copied to `path` as `made`.
  void AddFirstCopy(const struct stat& source, const std::string& path,
                    const struct stat& made);
  /// The first copy of the file `source`, or null when none was made.
  const FirstCopy* FirstCopyOf(const struct stat& source) const;
  /// The folder at the path `from`, where first copies were made, was
  /// renamed to `to`: their paths follow it.
  void FirstCopiesMoved(const std::string& from, const std::string& to);

  /// A folder the request made for a target, at the path `shown`.
  struct NewFolder {
    std::string shown;
    Identity parent;  ///< the folder it was made in
    Identity made;
  };
  /// The request made the folder `shown` (whose status is `made`) in the
  /// folder whose status is `parent`.
  void MadeFolder(const std::string& shown, const struct stat& parent, const struct stat& made);
  /// Those folders, oldest first (a folder before the folders made in it).
  const std::vector<NewFolder>& FoldersMade() const { return folders_made_; }

  /// A move removed one name of the file `st` from its source.
  void NameRemoved(const struct stat& st) { ++names_removed_[IdentityOf(st)]; }
  /// How many names of the file `st` the request's moves removed so far.
  nlink_t NamesRemoved(const struct stat& st) const {
    const auto found = names_removed_.find(IdentityOf(st));
    return found == names_removed_.end() ? 0 : found->second;
  }

  /// True the first time it is told of a loss of `kind` (a caller's number)
  /// on the file system `device`: each is reported once.
  bool FirstLoss(int kind, dev_t device);

  /// A dry run places nothing, so what it would place is known by where
  /// its path leads: the nearest folder on it that is there, by identity,
  /// and the names below it (so "out/x" and "./out/x" are one target, and
  /// "new/x" and "new/../new/x" too where "new" would be made): `source`
  /// would go to `target`.
  void Plan(const std::string& target, const std::string& source);
  /// True when the dry run would have placed an item at `target`; `from` is
  /// then its source.
  bool Planned(const std::string& target, std::string& from) const;
  /// True the first time it is told of a folder `path` a dry run would make
  /// for a target, so that it is said once.
  bool PlanFolder(const std::string& path);

  /// A dry run removes and moves nothing, so what it would take away is
  /// noted: the item at the path `path` (its name in its folder, known by
  /// identity; a folder also by its own identity, with all it holds).
  void Vanish(const std::string& path);
  /// True when a dry run would have taken away the item at `path` by now:
  /// it, or a folder it lies in.
  bool Vanished(const std::string& path) const;

 private:
  struct Item {
    std::string source, target;
  };
  std::vector<Item> items_;
  std::unordered_map<Identity, std::size_t, IdentityHash> placed_;  ///< to its item
  std::unordered_map<Identity, FirstCopy, IdentityHash> first_copies_;
  std::vector<NewFolder> folders_made_;
  std::unordered_map<Identity, nlink_t, IdentityHash> names_removed_;
  std::set<std::pair<int, dev_t>> losses_;
  bool folders_ = false;
  std::unordered_map<std::string, std::string> planned_;  ///< target to source
  std::set<std::string> planned_folders_;
  std::set<std::tuple<dev_t, ino_t, std::string>> vanished_;  ///< folder, name
  std::unordered_set<Identity, IdentityHash> vanished_folders_;
};

}  // namespace engine

#endif  // VANDRIX_ENGINE_SESSION_RECORD_H_
