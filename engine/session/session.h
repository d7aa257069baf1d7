// One request while it runs: its options, its outcome, its lines, the
// user's answers and its progress line. Every failure, answer and count of
// the request passes through here, so what the user sees has one source.
#ifndef VANDRIX_ENGINE_SESSION_SESSION_H_
#define VANDRIX_ENGINE_SESSION_SESSION_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/io/walk.h"
#include "engine/pool/workers.h"
#include "engine/session/hooks.h"
#include "engine/session/options.h"
#include "engine/session/record.h"
#include "engine/terminal/progress.h"

namespace engine {

/// The state of one request, shared by every job of it.
///
/// The functions of the layers above that are given the Session report
/// each failure here (Fail, FailErrno) and return bool: true when the item
/// went ahead, false when it failed (reported) or the user declined it.
///
/// Only the thread that runs the request calls it. Work it hands to the
/// request's workers (see workers()) comes back to it in the walk's order,
/// and while some is out, each line and failure the request records waits
/// its turn behind that work: what is said comes in the walk's order, and
/// the first failure is the walk's first.
class Session {
 public:
  /// `verb` names the operation in lines ("cannot VERB 'item': ..."); `title`
  /// heads the progress line.
  Session(const Options& options, const Caller& caller, const char* verb, std::string title,
          const Hooks& hooks);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // --- the request
  const Options& options() const { return options_; }
  const Hooks& hooks() const { return hooks_; }
  /// What the request has done so far (record.h).
  RequestRecord& record() { return record_; }
  /// What a job leaves for a later job of the request or for its end (a
  /// move's sources still to go, move.h), kept here in between.
  class Pending {
   public:
    virtual ~Pending() = default;
  };
  std::unique_ptr<Pending>& pending() { return pending_; }
  /// A new top-level item, `source` going to `target` (empty for a
  /// delete): its answers start afresh, and the record starts on it.
  void BeginItem(const std::string& source, const std::string& target) {
    approved_.clear();
    record_.BeginItem(source, target);
  }

  // --- the outcome
  /// Records a failed item (the first result code is kept, base/errors.h)
  /// and reports it in one line, "cannot VERB 'ITEM': REASON" (ITEM may be
  /// empty); returns false.
  bool Fail(const std::string& item, int code, const std::string& reason);
  /// The same for an errno value (or the engine's own number) `err`.
  bool FailErrno(const std::string& item, int err);
  /// The same for an item on its way to `target`: "cannot VERB 'ITEM' to
  /// 'TARGET': REASON".
  bool Fail(const std::string& item, const std::string& target, int code,
            const std::string& reason);
  bool FailErrno(const std::string& item, const std::string& target, int err);
  /// Records a failure with the result code `code` and says `line` as it
  /// is, for what is no "cannot VERB" (names in it quoted by the caller,
  /// base/quote.h); returns false.
  bool Report(int code, const std::string& line);
  bool cancelled() const { return cancelled_; }
  /// True once an item was skipped or the request cancelled.
  bool aborted() const { return aborted_; }
  /// Ends the request: wipes the progress line; the first result code or 0.
  int Result();

  // --- the user's answers
  /// True to go ahead and ACTION `item` (the question "ACTION 'ITEM'SUFFIX",
  /// as "replace 'x'" or "move 'x' to the trash"): without confirm_all or an
  /// earlier "all", the user is asked. "no" marks the request aborted;
  /// "cancel" also stops it. Without a terminal to ask on, the item is
  /// kept as with "no", and that is said for each such item ("kept 'x': no
  /// terminal to ask", and the caller's hint: "; pass -c to replace"); the
  /// request goes on. In a dry run nobody is asked: the
  /// question is said on standard output ("would ask: replace 'x'") and the
  /// answer is yes; with no terminal to ask on, it goes as in the run.
  bool Confirm(const char* action, const std::string& item, const char* suffix = "");
  /// Asks once per item and target, however often the work comes back to it.
  bool ConfirmReplace(const std::string& target);

  // --- what is done: one line each on standard output, with verbose or in
  // a dry run
  /// What is done to an item.
  enum class Deed {
    kCopy, kMove, kRename, kMakeFolder, kRemove, kTrash, kSkip, kSkipNewer, kSkipAsNew, kCopyKept
  };
  /// True when items done are said (verbose or dry_run): only then need a
  /// caller build the names it gives Done.
  bool telling() const { return options_.verbose || options_.dry_run; }
  /// Says that `deed` was done to `item` (to `target` for kCopy, kMove,
  /// kRename, the skips and kCopyKept), names quoted (quote.h): with verbose
  ///   'ITEM' -> 'TARGET'        a copy (each file, link and folder made),
  ///                             a move or a rename (a new tree's held until
  ///                             it is placed: Hold, Release)
  ///   made folder 'ITEM'        a folder made for a target
  ///   removed 'ITEM'            each item of a deleted tree, and a folder
  ///                             made for a target that stayed empty
  ///   trashed 'ITEM'            an item moved to the trash
  ///   skipped 'ITEM': 'TARGET' exists   (no_clobber)
  ///   skipped 'ITEM': 'TARGET' is newer   (update; "is as new" for kSkipAsNew)
  ///   copied 'ITEM' -> 'TARGET' a move across file systems that placed its
  ///                             copy but kept some of its source
  /// and in a dry run, with or without verbose, "would copy", "would move",
  /// "would rename" before the first form, and "would make folder", "would
  /// remove", "would trash", "would skip" for the others; " (replacing it)"
  /// ends the line of an item that would replace a file. A dry run also
  /// notes a target as planned (record.h), and says a folder made once.
  /// Returns true; when standard output cannot be written, that is
  /// reported once, a failure of the request.
  bool Done(Deed deed, const std::string& item, const std::string& target = "",
            bool replacing = false);
  /// `item` does not replace the file `target` (no_clobber, update): said
  /// as `deed` (kSkip, kSkipNewer or kSkipAsNew) when telling, no failure;
  /// returns false, as the item does not go ahead.
  bool Skip(const std::string& item, const std::string& target, Deed deed = Deed::kSkip);
  /// From now on the lines of Done are held back: those of a new tree,
  /// which are said only once it is placed (see Release).
  void Hold() { holding_ = true; }
  /// Ends a Hold: with `say` the lines held are said now, in their order;
  /// else they are dropped, and so are the targets a dry run noted as
  /// planned meanwhile (nothing of the tree is placed).
  void Release(bool say);

  // --- the request's workers
  /// The workers (pool/workers.h) for a tree's per-file work, started the
  /// first time they are asked for, `count` of them (later calls get those);
  /// null when the system gives no thread, and the walk then does the work
  /// itself. They end with the request.
  Workers* workers(unsigned count);

  // --- the progress line
  /// Shows progress from now on (only called when it may be shown).
  void StartProgress(ProgressCounts total);
  /// True when a progress line is shown, and so counts bytes.
  bool ShowsProgress() const { return progress_ != nullptr; }
  /// `entry` is being worked on; `items` and `bytes` more are done.
  void Step(const Entry& entry, std::uint64_t items, std::uint64_t bytes);
  /// `items` and `bytes` more are done (by the workers), the name shown
  /// staying that of the entry the walk is at.
  void Count(std::uint64_t items, std::uint64_t bytes);
  void Reach(ProgressCounts done);

 private:
  void Cancel();
  bool Later(std::function<void()> said);
  bool Failed(const std::string& what, int code, const std::string& reason);
  void Say(const std::string& line) const;
  std::string Said(const std::string& text) const;
  void Tell(const std::string& line);
  void Write(const std::string& text);

  const Options& options_;
  const Caller& caller_;
  const char* verb_;
  std::string title_;
  const Hooks& hooks_;
  int first_error_ = 0;
  bool all_ = false;
  bool cancelled_ = false;
  bool aborted_ = false;
  bool output_failed_ = false;
  std::string approved_;
  bool holding_ = false;
  std::string held_;  ///< the lines held back, each ending in a newline
  std::vector<std::pair<std::string, std::string>> held_plans_;  ///< target, source
  std::unique_ptr<ProgressLine> progress_;
  RequestRecord record_;
  std::unique_ptr<Pending> pending_;
  std::unique_ptr<Workers> workers_;
  bool no_workers_ = false;  ///< the system gave no thread
};

}  // namespace engine

#endif  // VANDRIX_ENGINE_SESSION_SESSION_H_
