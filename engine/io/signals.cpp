// Removing the temporary file being written, or the hidden folder being
// filled, when a signal ends the process. The handler reads only static
// storage, lock-free atomics and its thread's own count, and calls only
// async-signal-safe functions (unlinkat, write, sigaction, raise, poll, and
// RemoveHiddenTree's).
#include "engine/io/signals.h"

#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "engine/io/hidden_tree.h"

namespace engine {
namespace {

// The signals whose default action ends the process, less SIGKILL, which
// cannot be caught; the real-time signals are added by number.
constexpr int kEndingSignals[] = {
    SIGHUP,  SIGINT,  SIGQUIT, SIGILL,  SIGTRAP,   SIGABRT, SIGBUS,  SIGFPE,  SIGUSR1,
    SIGSEGV, SIGUSR2, SIGPIPE, SIGALRM, SIGTERM,   SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF,
    SIGIO,   SIGSYS,
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
#ifdef SIGPWR
    SIGPWR,
#endif
};

// Indexed by signal number: the action before the guard, and whether the
// guard's handler stays in its place.
struct sigaction previous[NSIG];
volatile sig_atomic_t installed[NSIG];

// The name is written only while `guarded` is kNothing, and `guarded` is
// set only once the name is whole, so the handler never sees a half-written
// name.
enum Guarded : sig_atomic_t { kNothing, kFile, kFolder };
char temporary[PATH_MAX];
int temporary_folder = AT_FDCWD;
struct stat temporary_status;  // of a folder
volatile sig_atomic_t guarded = kNothing;

// The terminal where a line is open (a question, a progress line), or -1.
volatile sig_atomic_t open_line = -1;

// Work on the hidden folder under way (HiddenFolderWork), in all threads and
// in this one, and whether a signal is removing the folder.
std::atomic<int> hidden_work{0};
thread_local int hidden_work_here = 0;
std::atomic<bool> hidden_removing{false};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free,
              "a signal handler may only use lock-free atomics");

// No other thread adds to the hidden folder from now on: waits for the work
// under way, at most about two seconds.
void StopHiddenWork() {
  hidden_removing.store(true);
  for (int waited = 0; hidden_work.load() > hidden_work_here && waited < 2000; ++waited)
    ::poll(nullptr, 0, 1);
}

void OnSignal(int number) {
  const int saved_errno = errno;
  if (guarded == kFile) ::unlinkat(temporary_folder, temporary, 0);
  if (guarded == kFolder) {
    StopHiddenWork();
    RemoveHiddenTree(temporary_folder, temporary, temporary_status);
  }
  if (open_line >= 0 && ::write(open_line, "\n", 1) < 0) {
    // Nothing is left to do about a terminal that cannot be written.
  }
  // The action before (also for a signal that came in the moment between
  // installing the handler and putting back an action that was no default).
  ::sigaction(number, &previous[number], nullptr);
  ::raise(number);  // delivered when the handler returns: the signal is blocked here
  errno = saved_errno;
}

sigset_t GuardedSet() {
  sigset_t set;
  sigemptyset(&set);
  for (int number : kEndingSignals) sigaddset(&set, number);
  for (int number = SIGRTMIN; number <= SIGRTMAX; ++number) sigaddset(&set, number);
  return set;
}

// Handles `number` when its action is the default (which ends the process):
// one call installs the handler and reads the action before; one that was no
// default is put back at once.
void Guard(int number, const struct sigaction& action) {
  if (::sigaction(number, &action, &previous[number]) != 0) return;
  const bool by_default =
      !(previous[number].sa_flags & SA_SIGINFO) && previous[number].sa_handler == SIG_DFL;
  if (by_default)
    installed[number] = 1;
  else
    ::sigaction(number, &previous[number], nullptr);
}

// Names what a signal removes, of `kind`.
void GuardName(int folder, const std::string& name, Guarded kind) {
  guarded = kNothing;
  std::atomic_signal_fence(std::memory_order_seq_cst);
  if (name.size() >= sizeof temporary) return;
  std::memcpy(temporary, name.c_str(), name.size() + 1);
  temporary_folder = folder;
  std::atomic_signal_fence(std::memory_order_seq_cst);
  guarded = kind;
}

}  // namespace

InterruptGuard::InterruptGuard() {
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = OnSignal;
  action.sa_mask = GuardedSet();
  action.sa_flags = SA_RESTART;
  for (int number = 1; number < NSIG; ++number)
    if (sigismember(&action.sa_mask, number) == 1) Guard(number, action);
}

InterruptGuard::~InterruptGuard() {
  for (int number = 1; number < NSIG; ++number) {
    if (!installed[number]) continue;
    ::sigaction(number, &previous[number], nullptr);
    installed[number] = 0;
  }
  UnguardTemporary();
  EndLineOnSignal(-1);
}

InterruptsHeld::InterruptsHeld() {
  const sigset_t set = GuardedSet();
  ::sigprocmask(SIG_BLOCK, &set, &before_);
}

InterruptsHeld::~InterruptsHeld() { ::sigprocmask(SIG_SETMASK, &before_, nullptr); }

void GuardTemporary(int folder, const std::string& name) { GuardName(folder, name, kFile); }

void GuardTemporaryFolder(int folder, const std::string& name, const struct stat& st) {
  guarded = kNothing;
  std::atomic_signal_fence(std::memory_order_seq_cst);
  temporary_status = st;
  GuardName(folder, name, kFolder);
}

void UnguardTemporary() {
  guarded = kNothing;
  std::atomic_signal_fence(std::memory_order_seq_cst);
}

void EndLineOnSignal(int fd) { open_line = fd; }

HiddenFolderWork::HiddenFolderWork() {
  ++hidden_work_here;
  hidden_work.fetch_add(1);
}

HiddenFolderWork::~HiddenFolderWork() {
  hidden_work.fetch_sub(1);
  --hidden_work_here;
}

bool HiddenFolderWork::allowed() const { return !hidden_removing.load(); }

void PassOnFileSizeSignal() {
  sigset_t pending, file_size;
  sigemptyset(&file_size);
  sigaddset(&file_size, SIGXFSZ);
  if (::sigpending(&pending) != 0 || sigismember(&pending, SIGXFSZ) != 1) return;
  const struct timespec now {};
  if (::sigtimedwait(&file_size, nullptr, &now) == SIGXFSZ) ::kill(::getpid(), SIGXFSZ);
}

}  // namespace engine
