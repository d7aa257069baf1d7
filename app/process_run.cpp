#include "app/process_run.h"

#include <new>

#include "cmdline/command_line.h"
#include "cmdline/run_main.h"
#include "platform/code_page.h"
#include "platform/process.h"

namespace vandrix {
namespace {

constexpr std::int32_t kStartUpFailed = 255;
constexpr std::int32_t kRefused = -1;

std::int32_t RunMainGuarded() {
  try {
    return RunMain();
  } catch (const std::bad_alloc&) {
    return 1;
  }
}

}  // namespace

std::int32_t RunProcess() {
  platform::CoInitialize(nullptr);
  std::int32_t result = kStartUpFailed;
  if (!platform::CommandLineFitsCodePage())
    result = kRefused;
  else if (StoreCommandTail(platform::GetCommandLineA()))
    result = RunMainGuarded();
  platform::CoUninitialize();
  return result;
}

}  // namespace vandrix
