// Removing the temporary file being written when a signal ends the process.
// The handler reads only static storage and calls only async-signal-safe
// functions (unlinkat, write, sigaction, raise).
#include "engine/io/signals.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace engine {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kSignalCount = sizeof kSignals / sizeof kSignals[0];

struct sigaction previous[kSignalCount];
volatile sig_atomic_t installed[kSignalCount];

// The name is written only while `guarded` is 0, and `guarded` is set only
// once the name is whole, so the handler never sees a half-written name.
char temporary[PATH_MAX];
int temporary_folder = AT_FDCWD;
volatile sig_atomic_t guarded = 0;

// The terminal where a line is open (a question, a progress line), or -1.
volatile sig_atomic_t open_line = -1;

void OnSignal(int number) {
  const int saved_errno = errno;
  if (guarded) ::unlinkat(temporary_folder, temporary, 0);
  if (open_line >= 0 && ::write(open_line, "\n", 1) < 0) {
    // Nothing is left to do about a terminal that cannot be written.
  }
  for (int i = 0; i < kSignalCount; ++i)
    if (kSignals[i] == number && installed[i]) ::sigaction(number, &previous[i], nullptr);
  ::raise(number);  // delivered when the handler returns: the signal is blocked here
  errno = saved_errno;
}

sigset_t GuardedSet() {
  sigset_t set;
  sigemptyset(&set);
  for (int number : kSignals) sigaddset(&set, number);
  return set;
}

}  // namespace

InterruptGuard::InterruptGuard() {
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = OnSignal;
  action.sa_mask = GuardedSet();
  action.sa_flags = SA_RESTART;
  for (int i = 0; i < kSignalCount; ++i) {
    if (::sigaction(kSignals[i], nullptr, &previous[i]) != 0) continue;
    if (previous[i].sa_handler == SIG_IGN) continue;  // nohup and the like
    installed[i] = ::sigaction(kSignals[i], &action, nullptr) == 0;
  }
}

InterruptGuard::~InterruptGuard() {
  for (int i = 0; i < kSignalCount; ++i) {
    if (!installed[i]) continue;
    ::sigaction(kSignals[i], &previous[i], nullptr);
    installed[i] = 0;
  }
  UnguardTemporary();
  EndLineOnSignal(-1);
}

InterruptsHeld::InterruptsHeld() {
  const sigset_t set = GuardedSet();
  ::sigprocmask(SIG_BLOCK, &set, &before_);
}

InterruptsHeld::~InterruptsHeld() { ::sigprocmask(SIG_SETMASK, &before_, nullptr); }

void GuardTemporary(int folder, const std::string& name) {
  guarded = 0;
  std::atomic_signal_fence(std::memory_order_seq_cst);
  if (name.size() >= sizeof temporary) return;
  std::memcpy(temporary, name.c_str(), name.size() + 1);
  temporary_folder = folder;
  std::atomic_signal_fence(std::memory_order_seq_cst);
  guarded = 1;
}

void UnguardTemporary() {
  guarded = 0;
  std::atomic_signal_fence(std::memory_order_seq_cst);
}

void EndLineOnSignal(int fd) { open_line = fd; }

}  // namespace engine
