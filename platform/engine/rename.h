// Renaming an item within its folder.
#ifndef VANDRIX_PLATFORM_ENGINE_RENAME_H_
#define VANDRIX_PLATFORM_ENGINE_RENAME_H_

#include "platform/engine/plan.h"
#include "platform/engine/session.h"

namespace platform {
namespace engine {

/// A rename job: the target must be in the source's folder (0x73). A file
/// may replace a file once confirmed; a folder is never replaced and never
/// replaces (5). With FOF_RENAMEONCOLLISION a taken name becomes the next
/// free one.
bool RenameJob(Session& s, const Job& job);

}  // namespace engine
}  // namespace platform

#endif  // VANDRIX_PLATFORM_ENGINE_RENAME_H_
