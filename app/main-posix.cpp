// vandrix: performs one file operation, read from a POSIX command line, and
// reports the outcome as the exit code (a refusal is 255).
#include "cmdline/posix_command_line.h"
#include "platform/process.h"

int main(int argc, char** argv) {
  platform::ExitProcess(static_cast<UINT>(vandrix::RunPosixProgram(argc, argv)));
}
