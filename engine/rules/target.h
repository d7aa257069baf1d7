// Where an item goes, and opening the folder it goes into.
#ifndef VANDRIX_ENGINE_RULES_TARGET_H_
#define VANDRIX_ENGINE_RULES_TARGET_H_

#include <fcntl.h>

#include <cstddef>
#include <string>

#include "engine/base/fd.h"
#include "engine/io/walk.h"
#include "engine/session/session.h"

namespace engine {

/// Where an item goes: a name in an open folder, and the path shown for it
/// (`shown`, or for an entry of a walked target tree its path there).
struct Target {
  int folder = AT_FDCWD;
  std::string name;
  std::string shown;
  const FolderTrail* trail = nullptr;  ///< the target tree's folders, if any
  std::size_t depth = 0;               ///< ... and how many lie above it
  /// The path shown for the target, built when asked for.
  std::string Shown() const { return trail ? trail->PathAt(depth, name) : shown; }
};

/// The start of a copy or move of `source` to the path `target`: the source
/// must be there (looked at through a link only with `follow`; in a dry
/// run, not taken away by an earlier item, record.h); opens the
/// folder that the target goes into as `folder` (following links, as a
/// shell would), making it and its missing parents (mode 0777 less the
/// umask; each said, Session::Done, and noted in the request's record), and
/// sets `to` to the entry there. When
/// the source is a folder, refuses (RefuseInside) a target folder that is
/// the source or lies inside it, by whatever path, and makes no folder
/// inside it. In a dry run nothing is made: `folder` stays closed (and
/// to.folder is -1) when it would be new. False when the job does not go
/// ahead (reported).
bool OpenTarget(Session& s, const std::string& source, const std::string& target, bool follow,
                Fd& folder, Target& to);

/// At the end of a request, removes each folder OpenTarget made for it that
/// is still empty (nothing arrived in it, or what did went again), newest
/// first, and only while its name still holds that very folder (device and
/// inode); each is said (Session::Done: removed 'FOLDER'). A folder that
/// holds anything stays, and is not mentioned.
void RemoveFoldersLeftEmpty(Session& s);

/// Reports (0x76) that `target`, where `source` goes, lies inside the
/// source folder; returns false.
bool RefuseInside(Session& s, const std::string& source, const std::string& target);

}  // namespace engine

#endif  // VANDRIX_ENGINE_RULES_TARGET_H_
