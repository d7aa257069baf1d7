// One request while it runs (see session.h).
#include "platform/engine/session.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/engine/engine.h"
#include "platform/engine/file_system.h"
#include "platform/engine/operations.h"
#include "platform/engine/prompt.h"
#include "platform/engine/quote.h"

namespace platform {
namespace engine {
namespace {

int CodeFor(int err) {
  if (err == EACCES || err == EPERM) return kErrorAccessDenied;
  if (err == ENOENT) return kErrorFileNotFound;
  return kErrorOther;
}

}  // namespace

Session::Session(SHFILEOPSTRUCTA& request, const Operation* operation, const Hooks& hooks)
    : request_(request), operation_(operation), hooks_(hooks) {}

Session::~Session() = default;

// ---------------------------------------------------------------------------
// The outcome

bool Session::Fail(const std::string& item, int code, const std::string& reason) {
  return Failed(item.empty() ? "" : " " + Quoted(item), code, reason);
}

bool Session::FailErrno(const std::string& item, int err) {
  return Fail(item, CodeFor(err), ErrorText(err));
}

bool Session::Fail(const std::string& item, const std::string& target, int code,
                   const std::string& reason) {
  return Failed(" " + Quoted(item) + " to " + Quoted(target), code, reason);
}

bool Session::FailErrno(const std::string& item, const std::string& target, int err) {
  return Fail(item, target, CodeFor(err), ErrorText(err));
}

bool Session::Failed(const std::string& what, int code, const std::string& reason) {
  if (first_error_ == 0) first_error_ = code;
  Say(std::string("cannot ") + (operation_ ? operation_->verb : "carry out") + what + ": " +
      reason);
  return false;
}

void Session::Cancel() {
  cancelled_ = true;
  if (first_error_ == 0) first_error_ = kErrorCancelled;
}

int Session::Result() {
  progress_.reset();
  return first_error_;
}

// ---------------------------------------------------------------------------
// Messages: one line each on standard error, unless FOF_NOERRORUI

void Session::Say(const std::string& line) const {
  if (Has(FOF_NOERRORUI)) return;
  if (progress_) progress_->Clear();
  std::fprintf(stderr, "vandrix: %s\n", line.c_str());
}

// ---------------------------------------------------------------------------
// The user's answers

bool Session::Confirm(const char* action, const std::string& item, const char* suffix) {
  if (cancelled_) return false;
  if (all_ || Has(FOF_NOCONFIRMATION)) return true;
  if (progress_) progress_->Clear();
  const std::string question = std::string(action) + " " + Quoted(item) + suffix;
  const Answer answer = hooks_.answer ? hooks_.answer(question) : AskUser(question);
  if (answer == Answer::kAll) all_ = true;
  if (answer == Answer::kYes || answer == Answer::kAll) return true;
  request_.fAnyOperationsAborted = TRUE;
  if (answer == Answer::kNobody)
    Say("kept " + Quoted(item) + ": no terminal to ask; pass -c to " + action +
        (*suffix ? std::string(" it") + suffix : ""));
  if (answer == Answer::kCancel || answer == Answer::kNobody) Cancel();
  return false;
}

bool Session::ConfirmReplace(const std::string& target) {
  if (target == approved_) return true;
  if (!Confirm("replace", target)) return false;
  approved_ = target;
  return true;
}

// ---------------------------------------------------------------------------
// The progress line

void Session::StartProgress(ProgressCounts total) {
  const char* title = request_.lpszProgressTitle;
  progress_ = std::make_unique<ProgressLine>(title && *title ? title : operation_->title,
                                             !Has(FOF_SIMPLEPROGRESS), total, hooks_.clock);
}

// The line shows no more of a name than its width, so no more is built.
void Session::Step(const Entry& entry, std::uint64_t items, std::uint64_t bytes) {
  if (progress_) progress_->Step(entry.Tail(kProgressWidth + 1), items, bytes);
}

void Session::Reach(ProgressCounts done) {
  if (progress_) progress_->Reach(done);
}

}  // namespace engine
}  // namespace platform
