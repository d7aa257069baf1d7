// The one way a copied item reaches its target: a file or link written
// beside it under a name of its own, or a new folder tree built in a hidden
// folder beside it, then renamed into place whole.
#ifndef VANDRIX_ENGINE_IO_TEMP_FILE_H_
#define VANDRIX_ENGINE_IO_TEMP_FILE_H_

#include <sys/stat.h>

#include <string>

#include "engine/base/fd.h"

namespace engine {

/// A new private entry ".TARGET.vandrix-XXXXXX" beside the entry `target` of
/// the open folder `folder`, which must stay open while the object lives.
/// From its creation on, a signal removes it (see signals.h). Unless
/// Commit put it in the target's place, it is removed when the object goes;
/// either way the signal guard ends with it. One at a time.
class TempFile {
 public:
  TempFile(int folder, const std::string& target) : folder_(folder), target_(target) {}
  ~TempFile();
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  /// Creates it as an empty regular file with mode 0600, open for reading
  /// and writing. Returns 0 or an errno.
  int MakeFile() { return Make(Kind::kFile, nullptr); }
  /// Creates it as a symbolic link holding `text`. Returns 0 or an errno.
  int MakeLink(const std::string& text) { return Make(Kind::kSymbolicLink, &text); }
  /// Creates it as one more name of the file at the path `existing` (a
  /// hard link; a link there is not followed). Returns 0 or an errno.
  int MakeHardLink(const std::string& existing) { return Make(Kind::kHardLink, &existing); }
  /// The open file (-1 for a link, or once closed).
  int fd() const { return fd_.get(); }
  /// Its name in the folder.
  const std::string& name() const { return name_; }
  /// The folder it is in.
  int folder() const { return folder_; }
  /// Its lstat into `st` (the device and inode it keeps once placed; ask
  /// before CloseFile). Returns 0 or an errno.
  int Stat(struct stat& st) const;

  /// Closes the file (a link has none): 0, or the errno of a late write error.
  int CloseFile() { return fd_.ok() ? fd_.Close() : 0; }

  /// Renames it to the target: never over an existing entry (EEXIST), or,
  /// with `replacing`, over the entry there. Returns 0 or an errno; once it
  /// succeeded the entry is the target and the object leaves it alone.
  int Commit(const struct stat* replacing);

 private:
  enum class Kind { kFile, kSymbolicLink, kHardLink };
  int Make(Kind kind, const std::string* text);

  int folder_;
  std::string target_, name_;
  Fd fd_;
  bool present_ = false;  ///< the temporary name exists and is ours
};

/// A new private folder ".TARGET.vandrix-XXXXXX" beside the entry `target`
/// of the open folder `folder`, where a new tree is built unseen and then
/// put in the target's place whole (Place). From its creation on, a signal
/// removes it with everything in it (signals.h); unless placed, it is
/// removed so when the object goes. It keeps a descriptor of `folder` of its
/// own. One at a time, never together with a TempFile (there is one signal
/// guard); nothing in it needs one.
class TempFolder {
 public:
  TempFolder(int folder, const std::string& target) : folder_(folder), target_(target) {}
  ~TempFolder() { Remove(); }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  /// Creates it with mode 0700 (only this run reaches into it), open into
  /// `opened`, its fstat into `st`. Returns 0 or an errno.
  int Make(Fd& opened, struct stat& st);
  /// Its name beside the target.
  const std::string& name() const { return name_; }

  /// Renames it to the target, never over an existing entry (EEXIST).
  /// Returns 0 or an errno; once it succeeded it is the target and the
  /// object leaves it alone.
  int Place();
  /// Removes it now, with everything in it (hidden_tree.h), unless placed
  /// or gone. Returns 0 or an errno.
  int Remove();

 private:
  int folder_;
  std::string target_, name_;
  Fd own_folder_;         ///< `folder`, held while the folder is guarded
  struct stat made_ {};   ///< what was made
  bool present_ = false;  ///< the hidden folder exists and is ours
};

}  // namespace engine

#endif  // VANDRIX_ENGINE_IO_TEMP_FILE_H_
