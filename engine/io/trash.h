// The trash, as the freedesktop.org desktops keep it.
#ifndef VANDRIX_ENGINE_IO_TRASH_H_
#define VANDRIX_ENGINE_IO_TRASH_H_

#include <string>

namespace engine {

/// Moves `item` (a link is moved, not followed) into a trash on its own
/// file system, never copying it: $XDG_DATA_HOME/Trash (default
/// ~/.local/share/Trash) when the item is on that file system, else
/// TOPDIR/.Trash-UID, TOPDIR being the mount point the item lies under
/// (made with mode 0700 when missing). First ENTRY.trashinfo is created in
/// info/ (ENTRY is the item's name, or "name (2)", ... when taken) with the
/// item's path (absolute for the home trash, relative to TOPDIR otherwise)
/// and the time; then the item is renamed to files/ENTRY. A trash folder
/// is used only when it is a real folder owned by the user, and
/// TOPDIR/.Trash-UID only with mode 0700. On failure the item stays where
/// it was and no record is left. Returns 0 or an errno (EXDEV: no trash on
/// the item's file system could be used; EBUSY: the item is a mount point).
int MoveToTrash(const std::string& item);

/// What MoveToTrash would refuse `item` for, found without changing
/// anything: the item itself (missing; EBUSY: a mount point) and the trash
/// folder it would go to when that is there and cannot be used (EXDEV).
/// Returns 0 when neither stands in the way (what the system refuses on
/// the way is not foreseen).
int TrashRefusal(const std::string& item);

}  // namespace engine

#endif  // VANDRIX_ENGINE_IO_TRASH_H_
