// Keeps an interrupted operation from leaving a temporary file or folder
// behind: while a guard lives, every signal that would end the process
// (SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGXFSZ, SIGALRM, SIGUSR1, the
// real-time signals, ...) first removes the temporary file being written, or
// the hidden folder being filled with everything in it, then ends the
// process as the signal would have. SIGKILL cannot be caught: it leaves the
// file or folder (a hidden ".NAME.vandrix-XXXXXX" beside the target).
#ifndef VANDRIX_ENGINE_IO_SIGNALS_H_
#define VANDRIX_ENGINE_IO_SIGNALS_H_

#include <signal.h>
#include <sys/stat.h>

#include <string>

namespace engine {

/// While alive, handles every signal whose action is the default one and
/// ends the process (all but SIGKILL, which cannot be caught; a signal that
/// is ignored or has a handler when the guard begins does not end the
/// process and is left as it is): the handler removes the entry named by
/// GuardTemporary, puts back the default action and raises the signal
/// again, so that the process dies of it (its wait status says so). So a
/// failed write never ends a run before that cleanup: SIGPIPE and SIGXFSZ
/// are handled so too, and where they are ignored the write fails with
/// EPIPE or EFBIG instead. The previous actions are restored when the guard
/// goes. One guard at a time, made and ended by a thread that leaves the
/// signals unblocked; the process's other threads (the workers) block them
/// all, so that the handler always runs on that thread.
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

/// Names the hidden folder now being filled instead, `name` in the open
/// folder `folder`, whose lstat is `st`: a signal removes it with everything
/// in it (hidden_tree.h). The same rules as GuardTemporary.
void GuardTemporaryFolder(int folder, const std::string& name, const struct stat& st);

/// The temporary file or folder is gone (renamed into place or removed): a
/// signal now removes nothing. Call after the rename or unlink, never before.
void UnguardTemporary();

/// Work on the hidden folder being filled that may run on another thread
/// than the one a signal reaches (a worker, pool/workers.h): making an entry
/// in it, or giving one of its folders its mode. A signal's cleanup first
/// waits until no such work is under way on another thread (a thread stuck
/// in a call for two seconds is given up on), and from then on `allowed()`
/// is false: nothing is made in the folder while or after it is removed.
/// The cleanup reads two lock-free atomics and sleeps with poll(2), all
/// async-signal-safe.
class HiddenFolderWork {
 public:
  HiddenFolderWork();
  ~HiddenFolderWork();
  HiddenFolderWork(const HiddenFolderWork&) = delete;
  HiddenFolderWork& operator=(const HiddenFolderWork&) = delete;
  /// False once a signal is removing the hidden folder: do not do the work.
  bool allowed() const;
};

/// After a write failed with EFBIG: the SIGXFSZ the kernel sent to the
/// writing thread, where it may be blocked (a worker), goes to the process,
/// which it then ends as it would have ended a run without workers (see
/// InterruptGuard). Does nothing when no such signal waits.
void PassOnFileSizeSignal();

/// A line is open on the terminal `fd` (a question waiting for its answer,
/// the progress line): a signal that ends the process first ends that line,
/// so that what the shell prints next starts on a line of its own. -1: no
/// line is open (also when the guard goes).
void EndLineOnSignal(int fd);

}  // namespace engine

#endif  // VANDRIX_ENGINE_IO_SIGNALS_H_
