// Items an operation never touches, whatever the request says. A new rule
// of this kind goes here.
#ifndef VANDRIX_ENGINE_RULES_REFUSALS_H_
#define VANDRIX_ENGINE_RULES_REFUSALS_H_

#include <string>

#include "engine/session/session.h"

namespace engine {

/// "." and "..": a source whose last component is one of them is refused
/// (0x7C, "'.' and '..' are never DONE") when `done` names what the
/// operation would do to it; with `done` null such a source stands for its
/// folder (a copy of "." copies the folder). False when refused (reported).
bool DotsAllowed(Session& s, const std::string& source, const char* done);

/// The root folder is never deleted (5), by whatever path it is named.
/// False when `item` is the root (reported).
bool NotTheRoot(Session& s, const std::string& item);

}  // namespace engine

#endif  // VANDRIX_ENGINE_RULES_REFUSALS_H_
