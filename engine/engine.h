// The program's own file-operation engine: copy, move, delete and rename
// done with Linux's file calls (getdents64, renameat2, copy_file_range and
// sendfile among them). On Linux it stands in for the Windows shell service
// (platform/shell-posix.cpp hands it each request).
//
// Layers, lowest first. A file includes headers of its own layer and of the
// layers before it, never of a layer after it, and nothing of the program
// outside engine/ (tests/engine_layers.sh checks this, reading this line):
//
//   layers: base io pool terminal session rules plan jobs entry
//
//   base/      path_text (paths as text, the wildcard test) and quote
//              (names shown safely), both built on every platform, for the
//              POSIX command line decides and speaks with them too; errors
//              (the error convention, the engine's own error numbers, the
//              result codes), fd (an open descriptor)
//   io/        the file system, no user in sight: identity (device and
//              inode, and the stamp of a change), lookup (status,
//              names), place (rename, never over something else; a
//              file system written to disk),
//              make_folders (the one mkdir -p), attributes (a copy's mode
//              and times; a move's owner, extended attributes, capability),
//              byte_copy (a file's bytes), temp_file (a file, or a new
//              tree in a hidden folder, reaches its target whole),
//              hidden_tree (a hidden folder removed, also by a signal),
//              signals (cleanup when killed), trash, walk (the one tree
//              walker, one callback of its own)
//   pool/      workers (a few threads that take a tree's per-file work in
//              the walk's order and hand it back in that order), how_many
//              (how many a tree gets)
//   terminal/  the user: prompt (questions), progress (the progress line),
//              columns (text measured in the terminal's columns)
//   session/   one request while it runs: options (and the caller's words),
//              hooks (stand-ins for the world), record (what the request
//              placed, first copies of linked files, losses reported),
//              session (failures, answers, progress: every line the engine
//              writes passes through it, in the walk's order, also behind
//              work that is out with the workers)
//   rules/     what an item meets before it goes: target (where it goes,
//              its folder opened or made), decide (same item, free name,
//              folder meets file, what the request placed, replace asked),
//              refusals ("." and "..", the root folder)
//   plan/      lists into jobs: matches (what a wildcard stands for), plan
//   jobs/      one job each: copy (copy_item: a file or link, placed or
//              written straight into a new tree; kept: what a move keeps
//              on top), move (move_across: across file systems), delete,
//              rename; tree_work (a copy's and a delete's work handed to
//              the workers)
//   entry      this folder: request (the request and its outcome),
//              operations (the table of operations), engine (this entry)
//
// Errors, one convention: a function that can fail returns an int, 0 or an
// errno value saying why; the engine's own few reasons (kErrorMovedAway,
// kErrorInsideSource, kErrorNoMatch, kErrorNotRegular) are numbered past errno's range and worded by
// ErrorText like the others (base/errors.h). Only the Session turns an
// error into a line and the request's result code (the Windows-valued
// codes of base/errors.h): the functions given the Session report each
// failure there and return bool, true when the item went ahead. Nothing
// throws on purpose; RunFileOperation catches what the standard library
// may throw.
#ifndef VANDRIX_ENGINE_ENGINE_H_
#define VANDRIX_ENGINE_ENGINE_H_

#include "engine/request.h"
#include "engine/session/hooks.h"

namespace engine {

/// Performs `request` on the local file system: copy, move, delete or
/// rename of its sources, to its targets where the operation has them.
/// Relative paths start at the current directory; '*' and '?' in a
/// source's last component match entries of its folder (plan.h tells how
/// items and targets pair up; operations.h what each operation does). Every
/// source named without a wildcard must exist, and be a folder when it ends
/// in '/' (a link is one only to a copy, which follows it), or nothing is
/// done.
///
/// Safety: trees are walked relative to open folders and never through a
/// link (walk.h); an item never replaces itself or the item its link names,
/// and a folder never goes into itself by any path (decide.h, target.h); a
/// copied file reaches its target only whole, and a new tree only whole or
/// not at all (temp_file.h, copy.h); a move across
/// file systems removes its source only once the copy is complete and
/// written to disk (syncfs), item by item, only what it copied and is
/// unchanged since, and a failed one takes back only what it made
/// (move_across.h); nothing the request placed is
/// replaced or merged into by a later item of it (decide.h, record.h); "."
/// and ".." are never moved, renamed or deleted (refusals.h).
///
/// Replacing a file and deleting an item are confirmed first (confirm_all
/// answers yes to all; see prompt.h): "no" skips the item, "cancel" stops
/// the operation, and then a line says how many of its items were not done
/// ("cancelled: 3 of 5 items not done"); with no terminal to ask on, the
/// item is kept, a line says so, and the operation goes on. With to_trash
/// a delete only moves items to the trash (trash.h). With no_clobber a
/// file is never replaced: the item is skipped, asking nothing, and that
/// is no failure; with update the same befalls a file whose target was
/// last changed at the same time or later (an older one is confirmed as
/// ever). Unless silent, a
/// progress line may show on a terminal (progress.h); unless
/// no_error_lines, each failed item is one line on standard error, its
/// name quoted (quote.h), started by the caller's program name. The items
/// after a failed one go on. With verbose each item done is one line on
/// standard output; a dry run changes nothing and asks nothing, decides
/// every item as the request would, says each step ("would copy ...") and
/// fails where the request would (Session::Done tells the lines; with no
/// terminal to ask on, a question ends as in the request). With options.jobs
/// other than 1, the files of a new tree a copy makes and the files and
/// folders of a tree a delete removes are done by workers side by side
/// (tree_work.h); every line, the outcome and each promise above are as
/// without them. The outcome's code is
/// 0, or the first failure's result code (kErrorCancelled when the user
/// cancelled); it is aborted when an item was skipped or the operation
/// cancelled. `hooks` stand in for the user, the clock and the terminal, or
/// strike in the middle (see hooks.h); the default is the real behaviour.
/// Never throws: when memory runs out the request stops, "out of memory" is
/// reported (unless no_error_lines) and the code is kErrorOther; any other
/// exception is reported the same way.
Outcome RunFileOperation(const Request& request, const Hooks& hooks = Hooks{});

}  // namespace engine

#endif  // VANDRIX_ENGINE_ENGINE_H_
