// What a move keeps (see kept.h).
#include "engine/jobs/kept.h"

#include <cerrno>

#include "engine/base/errors.h"
#include "engine/base/quote.h"
#include "engine/io/identity.h"

namespace engine {
namespace {

// Each kind as the report names it ("kept no ACL for ...").
constexpr const char* kLostWords[kLostKinds] = {"owner and group", "extended attributes", "ACL",
                                                "file capability", "hard link"};

// A link the file system or the process refuses, rather than one that no
// longer leads to the first copy (that file is then simply copied).
bool Refused(int err) { return err == EPERM || err == EMLINK || err == ENOTSUP; }

}  // namespace

int KeepAllAttributes(Session& s, int fd, int from_fd, const struct stat& from,
                      const std::string& shown) {
  Losses lost{};
  const int err = KeepEverything(fd, from_fd, from, lost);
  ReportLosses(s, lost, fd, shown);
  return err;
}

void ReportLosses(Session& s, const Losses& lost, int on, const std::string& shown) {
  struct stat where {};
  bool looked = false;
  for (unsigned kind = 0; kind < kLostKinds; ++kind) {
    if (lost[kind] == 0) continue;
    if (!looked && ::fstat(on, &where) != 0) return;
    looked = true;
    if (!s.record().FirstLoss(static_cast<int>(kind), where.st_dev)) continue;
    s.Report(kErrorOther, std::string("kept no ") + kLostWords[kind] + " for " + Quoted(shown) +
                              " (nor for any other item on its file system): " +
                              ErrorText(lost[kind]));
  }
}

bool LinkToFirstCopy(Session& s, const struct stat& source, const std::string& shown, int folder,
                     const MakeLink& make) {
  const RequestRecord::FirstCopy* first = s.record().FirstCopyOf(source);
  if (!first || first->source.size != source.st_size ||
      !SameTime(first->source.modified, source.st_mtim))
    return false;
  struct stat made;
  const int err = make(first->path, made);
  if (err == 0) return IdentityOf(made) == first->made;
  if (Refused(err)) {
    Losses lost{};
    lost[kLostLinks] = err;
    ReportLosses(s, lost, folder, shown);
  }
  return false;
}

}  // namespace engine
