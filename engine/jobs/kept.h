// What a move across file systems keeps on top of a copy's mode and times:
// the item's owner, extended attributes and file capability (attributes.h),
// the hard links inside the moved tree, and one report for what a file
// system refuses.
#ifndef VANDRIX_ENGINE_JOBS_KEPT_H_
#define VANDRIX_ENGINE_JOBS_KEPT_H_

#include <sys/stat.h>

#include <functional>
#include <string>

#include "engine/io/attributes.h"
#include "engine/session/session.h"

namespace engine {

/// Gives the open copy `fd` (a file or a folder), shown as `shown`, all
/// that a move keeps of the open source `from_fd`, whose fstat is `from`
/// (KeepEverything), what is refused reported (ReportLosses). Returns 0 or
/// the errno of the mode or the times.
int KeepAllAttributes(Session& s, int fd, int from_fd, const struct stat& from,
                      const std::string& shown);

/// Reports each kind of loss in `lost`, once in the request for each kind
/// and file system (the one the open `on` is on): "kept no ACL for 'ITEM'
/// (nor for any other item on its file system): REASON". A reported loss is
/// a failure of the request (exit code 1); the item itself has arrived.
void ReportLosses(Session& s, const Losses& lost, int on, const std::string& shown);

/// Makes one more name of the file at the path `existing` (a hard link, as
/// a temporary file or straight at the target) and puts its lstat into
/// `made`. Returns 0 or an errno.
using MakeLink = std::function<int(const std::string& existing, struct stat& made)>;

/// Makes, with `make`, one more name of the first copy the request made of
/// the file `source` (which had several links when that copy was made; an
/// earlier item of the move may have removed the others since), in the open
/// folder `folder`, checked to be that very copy. True when it did. False
/// when there is none (or it is gone or another item by now), when the
/// file's size or modification time differs from the first copy's source
/// (its bytes changed, or its inode now holds another file), or the link is
/// refused (reported once, as a loss of hard links): the file is then
/// copied on its own, and the caller removes a name made that is not the
/// copy. `shown` is the target.
bool LinkToFirstCopy(Session& s, const struct stat& source, const std::string& shown, int folder,
                     const MakeLink& make);

}  // namespace engine

#endif  // VANDRIX_ENGINE_JOBS_KEPT_H_
