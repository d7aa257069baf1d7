// The engine's entry point: a request is planned into jobs, its sources are
// checked, and the jobs are done one by one (copy.h, move.h, delete.h,
// rename.h) under one session (session.h).
#include "platform/engine/engine.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <vector>

#include "platform/engine/file_system.h"
#include "platform/engine/interrupt.h"
#include "platform/engine/operations.h"
#include "platform/engine/plan.h"
#include "platform/engine/progress.h"
#include "platform/engine/session.h"
#include "platform/engine/walk.h"

namespace platform {
namespace engine {
namespace {

// Items found by a wildcard existed a moment ago and are not checked.
bool SourcesExist(Session& s, const Jobs& jobs) {
  bool all = true;
  for (const Job& job : jobs) {
    struct stat st;
    if (job.matched || StatOf(job.source, st, s.operation()->follows_named_link)) continue;
    const int err = errno;
    if (err == ENOENT || err == ENOTDIR)
      s.Fail(job.source, kErrorFileNotFound, std::strerror(err));
    else
      s.FailErrno(job.source, err);
    all = false;
  }
  return all;
}

// Items and bytes in a tree; what cannot be read is not counted.
class CountVisitor : public TreeVisitor {
 public:
  ProgressCounts counts;

  Visit Visited(const Entry& e) override {
    ++counts.items;
    if (S_ISREG(e.st.st_mode)) counts.bytes += static_cast<std::uint64_t>(e.st.st_size);
    return S_ISDIR(e.st.st_mode) ? Visit::kDescend : Visit::kDone;
  }
  void Failed(const Entry&, int) override {}
};

// Running totals after each job; the last is the whole request.
std::vector<ProgressCounts> CountJobs(const Session& s, const Jobs& jobs) {
  std::vector<ProgressCounts> after;
  ProgressCounts sum;
  for (const Job& job : jobs) {
    CountVisitor visitor;
    TreeWalk(visitor, s.hooks(), job.source)
        .Run(AT_FDCWD, job.source, s.operation()->follows_named_link);
    sum.items += visitor.counts.items;
    sum.bytes += visitor.counts.bytes;
    after.push_back(sum);
  }
  return after;
}

// A job the operation takes: "." and ".." only when it may.
bool Takes(Session& s, const Job& job) {
  const char* done = s.operation()->done;
  const std::string name = NameOf(job.source);
  if (!done || (name != "." && name != "..")) return true;
  return s.Fail(job.source, kErrorInvalidFiles, std::string("'.' and '..' are never ") + done);
}

// The totals need a walk of every tree, made only when they may be shown.
void DoJobs(Session& s, const Jobs& jobs) {
  std::vector<ProgressCounts> after;
  if (ProgressWanted(s.Has(FOF_SILENT), s.hooks().terminal) && !jobs.empty()) {
    after = CountJobs(s, jobs);
    s.StartProgress(after.back());
  }
  for (std::size_t i = 0; i < jobs.size() && !s.cancelled(); ++i) {
    s.BeginItem();
    if (Takes(s, jobs[i])) s.operation()->run(s, jobs[i]);
    if (!after.empty()) s.Reach(after[i]);
  }
}

int Perform(SHFILEOPSTRUCTA& request, const Hooks& hooks) {
  const Operation* operation = FindOperation(request.wFunc);
  Session s(request, operation, hooks);
  Jobs jobs;
  const std::string why = operation ? PlanJobs(operation->plan, request, jobs)
                                    : "no such operation: " + std::to_string(request.wFunc);
  if (!why.empty()) {
    s.Fail("", kErrorInvalidFiles, why);
    return kErrorInvalidFiles;
  }
  if (SourcesExist(s, jobs)) DoJobs(s, jobs);
  return s.Result();
}

// What stopped a request (unless FOF_NOERRORUI), in one line.
void Report(const SHFILEOPSTRUCTA& request, const char* what) {
  if ((request.fFlags & FOF_NOERRORUI) == 0) std::fprintf(stderr, "vandrix: %s\n", what);
}

}  // namespace

int RunFileOperation(LPSHFILEOPSTRUCTA request, const Hooks& hooks) {
  if (!request) return kErrorInvalidFiles;
  request->fAnyOperationsAborted = FALSE;
  try {
    const InterruptGuard guard;
    return Perform(*request, hooks);
  } catch (const std::bad_alloc&) {
    Report(*request, "out of memory");
  } catch (const std::exception& e) {
    Report(*request, e.what());
  } catch (...) {
    Report(*request, "unexpected failure");
  }
  return kErrorOther;
}

}  // namespace engine
}  // namespace platform
