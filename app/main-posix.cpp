// vandrix: performs one file operation, read from a POSIX command line, with
// the program's own engine, and reports the outcome as the exit code (a
// refusal is 255).
#include <clocale>
#include <cstdint>
#include <string>

#include "cmdline/options.h"
#include "cmdline/posix_command_line.h"
#include "engine/engine.h"
#include "fileop/file_operation.h"
#include "platform/process.h"
#include "platform/shell.h"

namespace {

// The engine's request is what the shell's record of the command holds
// (PerformFileOperation's lists, flags and title, read as on the way to the
// shell) and vandrix's own options, which have no room there; with
// --literal the paths are the arguments themselves. The outcome counts as
// the shell's.
std::int32_t PerformByEngine(const vandrix::PosixCommand& command) {
  const std::string from = vandrix::PathList(command.source);
  const std::string to = vandrix::PathList(command.destination);
  SHFILEOPSTRUCTA record{};
  record.wFunc = command.function;
  record.pFrom = from.c_str();
  record.pTo = to.c_str();
  record.fFlags = vandrix::FinalFlags(command.flags, command.function,
                                      vandrix::PathCount(command.destination));
  record.lpszProgressTitle = command.title.c_str();
  engine::Request request = platform::EngineRequestOf(record);
  request.options.verbose = (command.own & vandrix::kVerbose) != 0;
  request.options.no_clobber = (command.own & vandrix::kNoClobber) != 0;
  request.options.update = (command.own & vandrix::kUpdate) != 0;
  request.options.dry_run = (command.own & vandrix::kDryRun) != 0;
  request.options.literal = (command.own & vandrix::kLiteral) != 0;
  request.options.jobs = command.jobs;  // 0: as the engine finds best
  if (request.options.literal) {  // each argument one path, never split at ";"
    request.sources = command.sources;
    request.targets = {command.destination};
    if (command.function == FO_DELETE) request.targets.clear();
    request.options.paired = false;
  }
  const engine::Outcome outcome = engine::RunFileOperation(request);
  return outcome.code == 0 && !outcome.aborted ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  // The character set of the user's terminal, for the progress line's
  // columns (engine/terminal/columns.h); the C locale when unset.
  std::setlocale(LC_CTYPE, "");
  platform::ExitProcess(static_cast<UINT>(vandrix::RunPosixProgram(argc, argv, PerformByEngine)));
}
