// The engine's entry point: a request is planned into jobs, its sources are
// checked, and the jobs are done one by one (copy.h, move.h, delete.h,
// rename.h) under one session (session.h).
#include "engine/engine.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "engine/base/errors.h"
#include "engine/io/lookup.h"
#include "engine/io/signals.h"
#include "engine/io/walk.h"
#include "engine/operations.h"
#include "engine/plan/plan.h"
#include "engine/rules/refusals.h"
#include "engine/rules/target.h"
#include "engine/session/session.h"
#include "engine/terminal/progress.h"

namespace engine {
namespace {

// The error of a named source: missing, or not the folder a trailing slash
// says it is (a link counts as one only when it is followed).
int SourceError(const Job& job, bool follow) {
  struct stat st;
  if (const int err = StatOf(job.source, st, follow)) return err;
  return job.folder && !S_ISDIR(st.st_mode) ? ENOTDIR : 0;
}

// Items found by a wildcard existed a moment ago and are not checked.
bool SourcesExist(Session& s, const Jobs& jobs, bool follow) {
  bool all = true;
  for (const Job& job : jobs) {
    const int err = job.matched ? 0 : SourceError(job, follow);
    if (err == 0) continue;
    s.Fail(job.folder ? Join(job.source, "") : job.source, SourceResultCodeFor(err),
           ErrorText(err));
    all = false;
  }
  return all;
}

// Items and bytes in a tree; what cannot be read is not counted.
class CountVisitor : public TreeVisitor {
 public:
  ProgressCounts counts;

  bool Looks(mode_t type) const override { return type == S_IFREG; }  // for its size
  Visit Visited(const Entry& e) override {
    ++counts.items;
    if (S_ISREG(e.st.st_mode)) counts.bytes += static_cast<std::uint64_t>(e.st.st_size);
    return S_ISDIR(e.st.st_mode) ? Visit::kDescend : Visit::kDone;
  }
  void Failed(const Entry&, int) override {}
};

// Running totals after each job; the last is the whole request.
std::vector<ProgressCounts> CountJobs(const Session& s, const Jobs& jobs, bool follow) {
  std::vector<ProgressCounts> after;
  ProgressCounts sum;
  for (const Job& job : jobs) {
    CountVisitor visitor;
    TreeWalk(visitor, s.hooks().folder_open, job.source).Run(AT_FDCWD, job.source, follow);
    sum.items += visitor.counts.items;
    sum.bytes += visitor.counts.bytes;
    after.push_back(sum);
  }
  return after;
}

// After a cancel: how many of the items were not done, the one being worked
// on (some of its tree may be done) and those after it.
void SayCancelled(Session& s, std::size_t left, std::size_t all) {
  s.Report(kErrorCancelled, "cancelled: " + std::to_string(left) + " of " + std::to_string(all) +
                                (all == 1 ? " item" : " items") + " not done");
}

// The totals need a walk of every tree, made only when they may be shown (a
// dry run shows none).
void DoJobs(Session& s, const OperationRow& operation, const Jobs& jobs) {
  std::vector<ProgressCounts> after;
  const bool silent = s.options().silent || s.options().dry_run;
  if (ProgressWanted(silent, s.hooks().terminal) && !jobs.empty()) {
    after = CountJobs(s, jobs, operation.follows_named_link);
    s.StartProgress(after.back());
  }
  std::size_t i = 0;
  for (; i < jobs.size() && !s.cancelled(); ++i) {
    s.BeginItem(jobs[i].source, jobs[i].target);
    if (DotsAllowed(s, jobs[i].source, operation.done)) operation.run(s, jobs[i]);
    if (!after.empty()) s.Reach(after[i]);
  }
  if (operation.settle) operation.settle(s);
  RemoveFoldersLeftEmpty(s);
  if (s.cancelled() && i > 0) SayCancelled(s, jobs.size() - i + 1, jobs.size());
}

Outcome Perform(const Request& request, const Hooks& hooks) {
  const OperationRow* operation = FindOperation(request.operation);
  const std::string title = !request.title.empty() ? request.title
                            : operation            ? operation->title
                                                   : "";
  Session s(request.options, request.caller, operation ? operation->verb : "carry out", title,
            hooks);
  Jobs jobs;
  if (!operation) {
    s.Fail("", kErrorInvalidFiles,
           "no such operation: " + std::to_string(static_cast<unsigned>(request.operation)));
  } else if (PlanJobs(operation->plan, s, request.sources, request.targets, jobs) &&
             SourcesExist(s, jobs, operation->follows_named_link)) {
    DoJobs(s, *operation, jobs);
  }
  const int code = s.Result();
  return {code, s.aborted()};
}

// What stopped a request (unless no_error_lines), in one line.
void Report(const Request& request, const char* what) {
  if (request.options.no_error_lines) return;
  const std::string& program = request.caller.program;
  std::fprintf(stderr, "%s%s%s\n", program.c_str(), program.empty() ? "" : ": ", what);
}

}  // namespace

Outcome RunFileOperation(const Request& request, const Hooks& hooks) {
  try {
    const InterruptGuard guard;
    return Perform(request, hooks);
  } catch (const std::bad_alloc&) {
    Report(request, "out of memory");
  } catch (const std::exception& e) {
    Report(request, e.what());
  } catch (...) {
    Report(request, "unexpected failure");
  }
  return {kErrorOther, false};
}

}  // namespace engine
