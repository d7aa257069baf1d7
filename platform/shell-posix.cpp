// The shell's file-operation service on POSIX: each request goes to the
// program's own engine (engine/), translated here, at the boundary: the
// record's function code, flags and double-NUL lists become the engine's
// request, and its outcome the result code and fAnyOperationsAborted.
#include "platform/shell.h"

#include <cstring>

#include "engine/base/errors.h"
#include "engine/engine.h"
#include "platform/stand_in.h"

namespace platform {
namespace {

StandIn<ShellService> stand_in;

// The paths of a list: each ends with a NUL, an empty one ends the list.
engine::Paths SplitList(LPCSTR list) {
  engine::Paths paths;
  if (!list) return paths;
  for (const char* p = list; *p; p += std::strlen(p) + 1) paths.emplace_back(p);
  return paths;
}

engine::Options OptionsOf(FILEOP_FLAGS flags) {
  engine::Options options;
  options.confirm_all = (flags & FOF_NOCONFIRMATION) != 0;
  options.files_only = (flags & FOF_FILESONLY) != 0;
  options.rename_on_collision = (flags & FOF_RENAMEONCOLLISION) != 0;
  options.silent = (flags & FOF_SILENT) != 0;
  options.simple_progress = (flags & FOF_SIMPLEPROGRESS) != 0;
  options.no_error_lines = (flags & FOF_NOERRORUI) != 0;
  options.to_trash = (flags & FOF_ALLOWUNDO) != 0;
  options.paired = (flags & FOF_MULTIDESTFILES) != 0;
  return options;
}

int RunEngine(LPSHFILEOPSTRUCTA request) { return SHFileOperationByEngine(request, {}); }

}  // namespace

engine::Request EngineRequestOf(const SHFILEOPSTRUCTA& record) {
  engine::Request request;
  request.operation = static_cast<engine::Operation>(record.wFunc);
  request.sources = SplitList(record.pFrom);
  request.targets = SplitList(record.pTo);
  request.options = OptionsOf(record.fFlags);
  // The words of vandrix's own command line, where -c answers yes to all.
  request.caller = {"vandrix", "pass -c to"};
  request.title = record.lpszProgressTitle ? record.lpszProgressTitle : "";
  return request;
}

int SHFileOperationA(LPSHFILEOPSTRUCTA request) { return stand_in.Call(RunEngine, request); }

ShellService ReplaceShellService(ShellService service) { return stand_in.Replace(service); }

int SHFileOperationByEngine(LPSHFILEOPSTRUCTA request, const engine::Hooks& hooks) {
  if (!request) return engine::kErrorInvalidFiles;
  request->fAnyOperationsAborted = FALSE;
  const engine::Outcome outcome = engine::RunFileOperation(EngineRequestOf(*request), hooks);
  request->fAnyOperationsAborted = outcome.aborted ? TRUE : FALSE;
  return outcome.code;
}

}  // namespace platform
