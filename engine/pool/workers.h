// A few threads for the per-file work of a tree. The walk hands them tasks
// in its own order; they do them side by side; the walk takes each task
// back (its lines, its counts) in the order it handed them out.
#ifndef VANDRIX_ENGINE_POOL_WORKERS_H_
#define VANDRIX_ENGINE_POOL_WORKERS_H_

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace engine {

/// A piece of work in parts (the files of a folder, say). The parts are done
/// by the workers, several at once and in any order; the task is done once
/// every part is, and is then taken back (Report) by the thread that handed
/// it out, in the order the tasks were handed out. A task of no parts is
/// done at once: it only keeps its place in that order.
class Task {
 public:
  Task() = default;
  virtual ~Task() = default;
  Task(const Task&) = delete;
  Task& operator=(const Task&) = delete;

  /// `later` starts only once this task is done. Called before this task is
  /// handed out (and so before `later` can start); a task precedes one
  /// other at most.
  void Precedes(Task& later);

  /// Does part `part`, on a worker. Runs beside other parts of this task and
  /// of others; touches nothing the handing thread uses meanwhile, and never
  /// throws.
  virtual void Run(std::size_t part) = 0;
  /// Says what became of the task, on the thread that hands tasks out.
  virtual void Report() = 0;

 private:
  friend class Workers;
  std::atomic<std::size_t> waiting_{1};  ///< its maker's hold, and each task before it
  std::atomic<std::size_t> left_{0};     ///< parts not done, and one while it is open
  std::atomic<bool> done_{false};
  Task* then_ = nullptr;
  // Under the workers' lock:
  std::size_t parts_ = 0;    ///< parts handed out so far
  std::size_t claimed_ = 0;  ///< parts a worker took
  bool released_ = false;    ///< every task before it is done: its parts may be taken
  bool queued_ = false;      ///< in the queue of tasks with parts to take
};

/// The workers of one request. Only the thread that made them hands tasks
/// out and takes them back. The threads block every signal, so that a
/// signal reaches the thread that hands out (io/signals.h); at most `most`
/// tasks are out at a time, which bounds the memory of what waits.
class Workers {
 public:
  Workers(unsigned count, std::size_t most);
  /// Waits for every task out (unreported), then ends the threads.
  ~Workers();
  Workers(const Workers&) = delete;
  Workers& operator=(const Workers&) = delete;

  /// Hands `task` out with `parts` parts, closing the task handed out before
  /// it; it starts once the tasks that precede it are done. When `most`
  /// tasks are out, the oldest are taken back first, waiting for them.
  void Hand(std::unique_ptr<Task> task, std::size_t parts);
  /// The same, but the task stays open: Grow adds its parts one by one, and
  /// it is done only once closed (by the next Hand or Open, or TakeBack's
  /// wait).
  void Open(std::unique_ptr<Task> task);
  /// One more part of the open task, ready for a worker now.
  void Grow();
  /// Takes back the tasks done, oldest first, up to the first that is not,
  /// reporting each; with `wait`, every task out, waiting for each.
  void TakeBack(bool wait);
  /// Waits for every task out and drops it unreported (when the walk ends
  /// early: no task may outlive what it works on).
  void Settle();
  /// While the handing thread waits for a task, `tick` is called on it a
  /// few times a second (to keep a progress line moving); empty: never.
  void Ticking(std::function<void()> tick) { tick_ = std::move(tick); }
  /// True when no task is out.
  bool idle() const { return out_.empty(); }
  /// True while `task` is the open task (Open), taking parts (a task
  /// closed may be gone: only its address is compared).
  bool IsOpen(const Task* task) const { return task != nullptr && open_ == task; }
  /// True while a task is being reported.
  bool reporting() const { return reporting_ > 0; }

 private:
  void Add(std::unique_ptr<Task> task, std::size_t parts, bool open);
  void Close();
  void Release(Task& task);
  void Finish(Task& task);
  void Await(Task& task);
  bool Claim(Task*& task, std::size_t& part);
  void Work();

  std::size_t most_;
  std::deque<std::unique_ptr<Task>> out_;  ///< handed out, not taken back yet
  Task* open_ = nullptr;
  int reporting_ = 0;
  std::function<void()> tick_;
  std::mutex mutex_;
  std::condition_variable work_, finished_;
  std::deque<Task*> queue_;  ///< released tasks with parts not taken yet
  unsigned idle_ = 0;        ///< workers waiting for a part
  bool stopping_ = false;
  std::atomic<Task*> awaited_{nullptr};  ///< the task the handing thread waits for
  std::vector<std::thread> threads_;
};

}  // namespace engine

#endif  // VANDRIX_ENGINE_POOL_WORKERS_H_
