// Vandrix: performs one file operation through the shell's file-operation
// service and reports the outcome as the exit code (-1 becomes 0xFFFFFFFF).
#include "app/process_run.h"
#include "platform/process.h"

int main(int argc, char** argv) {
  platform::RecordProcessArguments(argc, argv);
  platform::ExitProcess(static_cast<UINT>(vandrix::RunProcess()));
}
