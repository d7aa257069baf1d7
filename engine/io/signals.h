// Keeps an interrupted operation from leaving a temporary file behind: while
// a guard lives, SIGINT, SIGTERM and SIGHUP first remove the temporary file
// being written, then end the process as the signal would have.
#ifndef VANDRIX_ENGINE_IO_SIGNALS_H_
#define VANDRIX_ENGINE_IO_SIGNALS_H_

#include <signal.h>

#include <string>

namespace engine {

/// While alive, handles SIGINT, SIGTERM and SIGHUP (a signal that was
/// ignored when the guard began stays ignored): the handler removes the
/// entry named by GuardTemporary, puts back the action the signal had before the
/// guard and raises the signal again, so that with the default action the
/// process dies of it (its wait status says so). The previous actions are
/// restored when the guard goes. One guard at a time, in a single-threaded
/// process.
class InterruptGuard {
 public:
  InterruptGuard();
  ~InterruptGuard();
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;
};

/// Blocks the guarded signals while alive (the earlier mask comes back
/// after), so that a file can be created and named to GuardTemporary with no
/// signal in between.
class InterruptsHeld {
 public:
  InterruptsHeld();
  ~InterruptsHeld();
  InterruptsHeld(const InterruptsHeld&) = delete;
  InterruptsHeld& operator=(const InterruptsHeld&) = delete;

 private:
  sigset_t before_;  ///< the mask put back when the hold ends
};

/// Names the temporary file now being written, `name` in the open folder
/// `folder` (AT_FDCWD: a path): a signal removes it, so `folder` must stay
/// open until UnguardTemporary. A name longer than PATH_MAX is not guarded.
/// Call once the file exists.
void GuardTemporary(int folder, const std::string& name);

/// The temporary file is gone (renamed into place or removed): a signal now
/// removes nothing. Call after the rename or unlink, never before.
void UnguardTemporary();

/// A line is open on the terminal `fd` (a question waiting for its answer,
/// the progress line): a signal that ends the process first ends that line,
/// so that what the shell prints next starts on a line of its own. -1: no
/// line is open (also when the guard goes).
void EndLineOnSignal(int fd);

}  // namespace engine

#endif  // VANDRIX_ENGINE_IO_SIGNALS_H_
