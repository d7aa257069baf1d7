// One request while it runs: its flags, its first error, its messages, the
// user's answers and its progress line.
#ifndef VANDRIX_PLATFORM_ENGINE_SESSION_H_
#define VANDRIX_PLATFORM_ENGINE_SESSION_H_

#include <cstdint>
#include <memory>
#include <string>

#include "platform/engine/hooks.h"
#include "platform/engine/progress.h"
#include "platform/engine/walk.h"
#include "platform/shell.h"

namespace platform {
namespace engine {

struct Operation;

/// The state of one request, shared by every job of it.
class Session {
 public:
  /// `operation` is null for an unknown function code.
  Session(SHFILEOPSTRUCTA& request, const Operation* operation, const Hooks& hooks);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // --- the request
  const Operation* operation() const { return operation_; }
  const Hooks& hooks() const { return hooks_; }
  bool Has(FILEOP_FLAGS flag) const { return (request_.fFlags & flag) != 0; }

  // --- the outcome
  /// Records a failed item (the first code is kept) and reports it in one
  /// line, "cannot VERB 'ITEM': REASON" (ITEM may be empty); returns false.
  bool Fail(const std::string& item, int code, const std::string& reason);
  /// The same for a failed system call's errno.
  bool FailErrno(const std::string& item, int err);
  /// The same for an item on its way to `target`: "cannot VERB 'ITEM' to
  /// 'TARGET': REASON".
  bool Fail(const std::string& item, const std::string& target, int code,
            const std::string& reason);
  bool FailErrno(const std::string& item, const std::string& target, int err);
  bool cancelled() const { return cancelled_; }
  /// Ends the request: wipes the progress line; the first error or 0.
  int Result();

  // --- the user's answers
  /// True to go ahead and ACTION `item` (the question "ACTION 'ITEM'SUFFIX",
  /// as "replace 'x'" or "move 'x' to the trash"): without
  /// FOF_NOCONFIRMATION or an earlier "all", the user is asked. "no" marks
  /// the request aborted; "cancel" also stops it, and so does the lack of a
  /// terminal to ask on, which is said once ("kept 'x': no terminal to ask;
  /// pass -c to replace").
  bool Confirm(const char* action, const std::string& item, const char* suffix = "");
  /// A new top-level item: its answers start afresh.
  void BeginItem() { approved_.clear(); }
  /// Asks once per item and target, however often the work comes back to it.
  bool ConfirmReplace(const std::string& target);

  // --- the progress line
  /// Shows progress from now on (only called when it may be shown).
  void StartProgress(ProgressCounts total);
  /// `entry` is being worked on; `items` and `bytes` more are done.
  void Step(const Entry& entry, std::uint64_t items, std::uint64_t bytes);
  void Reach(ProgressCounts done);

 private:
  void Cancel();
  bool Failed(const std::string& what, int code, const std::string& reason);
  void Say(const std::string& line) const;

  SHFILEOPSTRUCTA& request_;
  const Operation* operation_;
  const Hooks& hooks_;
  int first_error_ = 0;
  bool all_ = false;
  bool cancelled_ = false;
  std::string approved_;
  std::unique_ptr<ProgressLine> progress_;
};

}  // namespace engine
}  // namespace platform

#endif  // VANDRIX_PLATFORM_ENGINE_SESSION_H_
