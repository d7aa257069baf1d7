// One run of the program, from start-up to the exit code.
#ifndef VANDRIX_APP_PROCESS_RUN_H_
#define VANDRIX_APP_PROCESS_RUN_H_

#include <cstdint>

namespace vandrix {

/// Start-up, RunMain and stop: initialises COM for the thread, locates the
/// command tail in the raw command line, runs RunMain and releases COM.
/// Returns RunMain's result; -1 without running it when the raw command
/// line is not exactly what the program was started with (a character the
/// ANSI code page cannot hold: nothing is touched, nothing is shown); 255
/// when start-up fails; 1 when memory runs out during the run (nothing
/// further is done then).
std::int32_t RunProcess();

}  // namespace vandrix

#endif  // VANDRIX_APP_PROCESS_RUN_H_
