// The workers of a request (see workers.h).
#include "engine/pool/workers.h"

#include <pthread.h>
#include <signal.h>

#include <chrono>
#include <system_error>
#include <utility>

namespace engine {
namespace {

// How often a waiting handing thread ticks (Ticking).
constexpr std::chrono::milliseconds kTick{250};

}  // namespace

void Task::Precedes(Task& later) {
  then_ = &later;
  later.waiting_.fetch_add(1);
}

// The threads start with every signal blocked. When the system gives fewer
// threads than asked for, those it gave do the work; none at all throws.
Workers::Workers(unsigned count, std::size_t most) : most_(most) {
  sigset_t all, before;
  sigfillset(&all);
  pthread_sigmask(SIG_BLOCK, &all, &before);
  try {
    for (unsigned i = 0; i < count; ++i) threads_.emplace_back([this] { Work(); });
  } catch (const std::system_error&) {
    if (threads_.empty()) {
      pthread_sigmask(SIG_SETMASK, &before, nullptr);
      throw;
    }
  }
  pthread_sigmask(SIG_SETMASK, &before, nullptr);
}

Workers::~Workers() {
  Settle();
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  work_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

void Workers::Hand(std::unique_ptr<Task> task, std::size_t parts) {
  Add(std::move(task), parts, false);
}

void Workers::Open(std::unique_ptr<Task> task) { Add(std::move(task), 0, true); }

// Into the order, once the oldest make room; the maker's hold on it ends.
void Workers::Add(std::unique_ptr<Task> task, std::size_t parts, bool open) {
  Close();
  while (out_.size() >= most_) {
    Await(*out_.front());
    TakeBack(false);
  }
  Task& added = *task;
  added.parts_ = parts;
  added.left_.store(parts + (open ? 1 : 0));
  out_.push_back(std::move(task));
  if (open) open_ = &added;
  Release(added);
}

void Workers::Grow() {
  Task& task = *open_;
  task.left_.fetch_add(1);
  const std::lock_guard<std::mutex> lock(mutex_);
  ++task.parts_;
  if (task.released_ && !task.queued_) {
    queue_.push_back(&task);
    task.queued_ = true;
  }
  if (idle_ > 0) work_.notify_one();
}

// The open task takes no more parts: done once those it has are.
void Workers::Close() {
  Task* task = std::exchange(open_, nullptr);
  if (task && task->left_.fetch_sub(1) == 1) Finish(*task);
}

// One task before `task` is done (or its maker let it go): when it was the
// last, its parts may be taken, and a task of none is done.
void Workers::Release(Task& task) {
  if (task.waiting_.fetch_sub(1) != 1) return;
  if (task.left_.load() == 0) return Finish(task);
  const std::lock_guard<std::mutex> lock(mutex_);
  task.released_ = true;
  if (task.claimed_ < task.parts_) {
    queue_.push_back(&task);
    task.queued_ = true;
    work_.notify_all();
  }
}

// Every part of `task` is done. The task it precedes is let go first: once
// `task` is marked done, the handing thread may take it back and drop it.
void Workers::Finish(Task& task) {
  if (task.then_) Release(*task.then_);
  task.done_.store(true);
  if (awaited_.load() != &task) return;
  const std::lock_guard<std::mutex> lock(mutex_);
  finished_.notify_all();
}

void Workers::Await(Task& task) {
  std::unique_lock<std::mutex> lock(mutex_);
  awaited_.store(&task);
  while (!task.done_.load()) {
    if (!tick_) {
      finished_.wait(lock);
    } else if (finished_.wait_for(lock, kTick) == std::cv_status::timeout) {
      lock.unlock();
      tick_();
      lock.lock();
    }
  }
  awaited_.store(nullptr);
}

void Workers::TakeBack(bool wait) {
  if (wait) Close();
  while (!out_.empty()) {
    if (!out_.front()->done_.load()) {
      if (!wait) return;
      Await(*out_.front());
    }
    const std::unique_ptr<Task> task = std::move(out_.front());
    out_.pop_front();
    ++reporting_;
    struct Ended {
      int& count;
      ~Ended() { --count; }
    } ended{reporting_};
    task->Report();
  }
}

void Workers::Settle() {
  Close();
  for (; !out_.empty(); out_.pop_front()) Await(*out_.front());
}

// The next part to do, waiting for one; false once the workers end.
bool Workers::Claim(Task*& task, std::size_t& part) {
  std::unique_lock<std::mutex> lock(mutex_);
  ++idle_;
  work_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
  --idle_;
  if (queue_.empty()) return false;
  task = queue_.front();
  part = task->claimed_++;
  if (task->claimed_ == task->parts_) {
    queue_.pop_front();
    task->queued_ = false;
  }
  return true;
}

void Workers::Work() {
  Task* task = nullptr;
  std::size_t part = 0;
  while (Claim(task, part)) {
    task->Run(part);
    if (task->left_.fetch_sub(1) == 1) Finish(*task);
  }
}

}  // namespace engine
