// One request while it runs (see session.h).
#include "engine/session/session.h"

#include <cerrno>
#include <cstdio>
#include <system_error>
#include <utility>

#include "engine/base/errors.h"
#include "engine/base/quote.h"
#include "engine/terminal/prompt.h"

namespace engine {
namespace {

// Tasks out at most (pool/workers.h): a folder's files go out in tasks of
// up to a few dozen, so this bounds the entries waiting at a few thousand.
constexpr std::size_t kTasksOut = 64;

// A line or failure that waits its turn behind work out (Session::Later).
class InTurn : public Task {
 public:
  explicit InTurn(std::function<void()> say) : say_(std::move(say)) {}
  void Run(std::size_t) override {}
  void Report() override { say_(); }

 private:
  std::function<void()> say_;
};

}  // namespace

Session::Session(const Options& options, const Caller& caller, const char* verb,
                 std::string title, const Hooks& hooks)
    : options_(options), caller_(caller), verb_(verb), title_(std::move(title)), hooks_(hooks) {}

Session::~Session() = default;

// ---------------------------------------------------------------------------
// The outcome

bool Session::Fail(const std::string& item, int code, const std::string& reason) {
  return Failed(item.empty() ? "" : " " + Quoted(item), code, reason);
}

bool Session::FailErrno(const std::string& item, int err) {
  return Fail(item, ResultCodeFor(err), ErrorText(err));
}

bool Session::Fail(const std::string& item, const std::string& target, int code,
                   const std::string& reason) {
  return Failed(" " + Quoted(item) + " to " + Quoted(target), code, reason);
}

bool Session::FailErrno(const std::string& item, const std::string& target, int err) {
  return Fail(item, target, ResultCodeFor(err), ErrorText(err));
}

bool Session::Failed(const std::string& what, int code, const std::string& reason) {
  return Report(code, std::string("cannot ") + verb_ + what + ": " + reason);
}

bool Session::Report(int code, const std::string& line) {
  if (Later([this, code, line] { Report(code, line); })) return false;
  if (first_error_ == 0) first_error_ = code;
  Say(line);
  return false;
}

void Session::Cancel() {
  cancelled_ = true;
  if (first_error_ == 0) first_error_ = kErrorCancelled;
}

int Session::Result() {
  if (workers_) workers_->TakeBack(true);
  progress_.reset();
  return first_error_;
}

// ---------------------------------------------------------------------------
// Lines: one each on standard error, unless no_error_lines

std::string Session::Said(const std::string& text) const {
  return caller_.program.empty() ? text : caller_.program + ": " + text;
}

void Session::Say(const std::string& line) const {
  if (options_.no_error_lines) return;
  if (progress_) progress_->Clear();
  std::fprintf(stderr, "%s\n", Said(line).c_str());
}

// ---------------------------------------------------------------------------
// The user's answers

bool Session::Confirm(const char* action, const std::string& item, const char* suffix) {
  if (cancelled_) return false;
  if (all_ || options_.confirm_all) return true;
  if (workers_) workers_->TakeBack(true);  // asked in the walk's order
  if (progress_) progress_->Clear();
  const std::string question = std::string(action) + " " + Quoted(item) + suffix;
  if (options_.dry_run && (hooks_.answer || HasTerminal())) {
    Tell("would ask: " + question);
    return true;
  }
  // A dry run with nobody to ask ends as the run would, with nobody's answer.
  const Answer answer = options_.dry_run     ? Answer::kNobody
                        : hooks_.answer      ? hooks_.answer(question)
                                             : AskUser(Said(question));
  if (answer == Answer::kAll) all_ = true;
  if (answer == Answer::kYes || answer == Answer::kAll) return true;
  aborted_ = true;
  if (answer == Answer::kNobody) {
    const std::string& hint = caller_.yes_to_all_hint;
    Say("kept " + Quoted(item) + ": no terminal to ask" +
        (hint.empty() ? "" : "; " + hint + " " + action +
                                 (*suffix ? std::string(" it") + suffix : "")));
  }
  if (answer == Answer::kCancel) Cancel();
  return false;
}

bool Session::ConfirmReplace(const std::string& target) {
  if (target == approved_) return true;
  if (!Confirm("replace", target)) return false;
  approved_ = target;
  return true;
}

// ---------------------------------------------------------------------------
// What is done: one line each on standard output

namespace {

// The words of a deed's line: before the item, done and in a dry run; and
// between the item and the target, and after it, for those that have one.
struct DeedWords {
  const char* done;
  const char* would;
  const char* between;
  const char* after;
};

constexpr DeedWords kDeedWords[] = {
    {"", "would copy ", " -> ", ""},                      // kCopy
    {"", "would move ", " -> ", ""},                      // kMove
    {"", "would rename ", " -> ", ""},                    // kRename
    {"made folder ", "would make folder ", nullptr, ""},  // kMakeFolder
    {"removed ", "would remove ", nullptr, ""},           // kRemove
    {"trashed ", "would trash ", nullptr, ""},            // kTrash
    {"skipped ", "would skip ", ": ", " exists"},         // kSkip
    {"skipped ", "would skip ", ": ", " is newer"},       // kSkipNewer
    {"skipped ", "would skip ", ": ", " is as new"},      // kSkipAsNew
    {"copied ", "would copy ", " -> ", ""},               // kCopyKept
};

}  // namespace

bool Session::Done(Deed deed, const std::string& item, const std::string& target,
                   bool replacing) {
  if (!telling()) return true;
  const DeedWords& words = kDeedWords[static_cast<int>(deed)];
  const bool dry = options_.dry_run;
  if (dry && deed == Deed::kMakeFolder && !record_.PlanFolder(item)) return true;
  if (dry && (deed == Deed::kCopy || deed == Deed::kMove || deed == Deed::kRename)) {
    if (holding_)
      held_plans_.emplace_back(target, item);
    else
      record_.Plan(target, item);
  }
  std::string line = (dry ? words.would : words.done) + Quoted(item);
  if (words.between) line += words.between + Quoted(target) + words.after;
  Tell(dry && replacing ? line + " (replacing it)" : line);
  return true;
}

bool Session::Skip(const std::string& item, const std::string& target, Deed deed) {
  Done(deed, item, target);
  return false;
}

void Session::Release(bool say) {
  holding_ = false;
  if (say) {
    for (const auto& [target, source] : held_plans_) record_.Plan(target, source);
    if (!held_.empty()) Write(held_);
  }
  held_.clear();
  held_plans_.clear();
}

// A line on standard output, sent at once (unless held), so that it keeps
// its place among the lines on standard error.
void Session::Tell(const std::string& line) {
  if (Later([this, line] { Tell(line); })) return;
  if (holding_) {
    held_ += line + "\n";
    return;
  }
  Write(line + "\n");
}

void Session::Write(const std::string& text) {
  if (progress_) progress_->Clear();
  if (std::fwrite(text.data(), 1, text.size(), stdout) == text.size() &&
      std::fflush(stdout) == 0)
    return;
  const int err = errno;
  if (output_failed_) return;
  output_failed_ = true;
  Report(kErrorOther, "cannot write to standard output: " + ErrorText(err));
}

// ---------------------------------------------------------------------------
// The progress line

void Session::StartProgress(ProgressCounts total) {
  progress_ = std::make_unique<ProgressLine>(title_, !options_.simple_progress, total,
                                             hooks_.clock);
}

// The line shows no more of a name than its width, and a column takes at
// most four bytes of it (more only with combining marks), so no more is
// built.
void Session::Step(const Entry& entry, std::uint64_t items, std::uint64_t bytes) {
  if (progress_) progress_->Step(entry.Tail(4 * (kProgressWidth + 1)), items, bytes);
}

void Session::Count(std::uint64_t items, std::uint64_t bytes) {
  if (progress_) progress_->Add(items, bytes);
}

// ---------------------------------------------------------------------------
// The request's workers

Workers* Session::workers(unsigned count) {
  if (workers_ || no_workers_) return workers_.get();
  try {
    workers_ = std::make_unique<Workers>(count, kTasksOut);
  } catch (const std::system_error&) {
    no_workers_ = true;
  }
  return workers_.get();
}

// While work is out (and none is being taken back), `said` is handed out
// behind it, to be said in its turn: true then.
bool Session::Later(std::function<void()> said) {
  if (!workers_ || workers_->reporting()) return false;
  workers_->TakeBack(false);
  if (workers_->idle()) return false;
  workers_->Hand(std::make_unique<InTurn>(std::move(said)), 0);
  return true;
}

void Session::Reach(ProgressCounts done) {
  if (progress_) progress_->Reach(done);
}

}  // namespace engine
