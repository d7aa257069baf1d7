// Items an operation never touches (see refusals.h).
#include "engine/rules/refusals.h"

#include <sys/stat.h>

#include "engine/base/errors.h"
#include "engine/base/path_text.h"
#include "engine/io/lookup.h"

namespace engine {

bool DotsAllowed(Session& s, const std::string& source, const char* done) {
  const std::string name = NameOf(source);
  if (!done || (name != "." && name != "..")) return true;
  return s.Fail(source, kErrorInvalidFiles, std::string("'.' and '..' are never ") + done);
}

bool NotTheRoot(Session& s, const std::string& item) {
  struct stat st, root;
  const bool is_root = item == "/" || (StatOf(item, st, false) == 0 &&
                                       StatOf("/", root, true) == 0 && SameItem(st, root));
  return !is_root || s.Fail(item, kErrorAccessDenied, "the root folder is never deleted");
}

}  // namespace engine
