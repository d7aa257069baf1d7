// The per-file work of a tree that a copy or a delete hands to the
// request's workers (pool/workers.h) while its walk goes on, and takes back
// in the walk's order. The walk itself still makes and enters the folders,
// in order, asks what is to be asked and does whatever it does not hand
// out; every line and count of the work taken back goes through the
// Session as the walk would have said it, in its place.
#ifndef VANDRIX_ENGINE_JOBS_TREE_WORK_H_
#define VANDRIX_ENGINE_JOBS_TREE_WORK_H_

#include <sys/stat.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/io/walk.h"
#include "engine/pool/workers.h"
#include "engine/rules/target.h"
#include "engine/session/session.h"

namespace engine {

/// The workers a tree gets (pool/how_many.h) for the request's jobs
/// option, its items on `devices`; null when it gets none (one, or no
/// thread to be had): the walk then does all the work, as ever.
Workers* TreeWorkers(Session& s, std::initializer_list<dev_t> devices);

/// How many descriptors the work of a tree may keep open for the folders
/// it works in (a part of the process's limit): past that, the walk does
/// the work of further folders itself.
std::size_t FolderDescriptorBudget();

class FolderCopy;
class FilesCopy;

/// The workers' part of a new tree's copy (copy.h): the regular files,
/// written straight into the hidden folder (copy_item.h), and each folder
/// that held some given its mode and times once they are in. Taken back,
/// each file is said (-v) and counted, and a failure is said with the
/// names the walk gives; any failure keeps the tree from being placed.
class CopyWork {
 public:
  /// Files are made under `umask` (see WriteNewFile).
  CopyWork(Session& s, Workers& workers, mode_t umask);
  /// Waits for all the work out: none may outlive the folders it is in.
  ~CopyWork();
  CopyWork(const CopyWork&) = delete;
  CopyWork& operator=(const CopyWork&) = delete;

  /// The walk went into a folder of the tree.
  void Enter();
  /// Hands out the regular file `e` going to `t` (in the folder entered
  /// last). False when it cannot (no descriptor is left to keep its folders
  /// open): the walk copies it itself.
  bool Hand(const Entry& e, const Target& t);
  /// True when files of the folder entered last went out.
  bool Holds() const { return !folders_.empty() && folders_.back().work; }
  /// The walk leaves the folder entered last, `e` its source (`e.st` its
  /// fstat), shown at the target as `shown`. When files of it went out,
  /// its mode and times go out too (with `keep`; else nothing is given),
  /// to be given once they are in, and it counts as done with `complete`:
  /// true. Else false: the walk gives them itself.
  bool Leave(const Entry& e, const std::string& shown, bool keep, bool complete);
  /// Takes back all the work out, waiting for it: true when all of it
  /// arrived.
  bool Drain();

  // For the tasks (tree_work.cpp):
  Session& session() { return s_; }
  mode_t umask() const { return umask_; }
  /// Says the file `name` of the folders `from` and `to` taken back, or
  /// its failure `err`; counts it.
  void Said(const std::string& from, const std::string& to, const std::string& name, int err);
  /// A folder's mode and times were not given (`err`): said, a failure.
  void FolderFailed(const std::string& from, const std::string& to, int err);
  /// Counts each step of a file's bytes, from a worker, for the progress
  /// line (and calls the hook of it).
  void Stepped(std::uint64_t bytes);
  /// The bytes the workers copied since it was last called go on the
  /// progress line.
  void Counted();
  /// `count` descriptors of the folders are closed again.
  void Returned(std::size_t count) { descriptors_ -= count; }

 private:
  struct Level {
    std::unique_ptr<FolderCopy> work;  ///< null until a file goes out
    bool asked = false;                ///< ... or once it could not
  };
  FolderCopy* FolderOf(const Entry& e, const Target& t);

  Session& s_;
  Workers& workers_;
  mode_t umask_;
  const std::function<void()>& step_;  ///< the copy_step hook, for the workers
  std::size_t budget_;                ///< descriptors it may keep open
  std::size_t descriptors_ = 0;       ///< ... and keeps now
  std::vector<Level> folders_;        ///< one a folder entered
  FilesCopy* filling_ = nullptr;      ///< the task that takes the folder's files now
  bool failed_ = false;
  std::atomic<std::uint64_t> copied_{0};  ///< bytes the workers copied
  std::uint64_t counted_ = 0;             ///< ... and the progress line shows
};

class FolderRemoval;
class FilesRemoval;

/// The workers' part of a delete (delete.h): the files, and each folder
/// once its entries are gone (a folder goes only when all of them went).
/// Taken back, each is said (-v) and counted, or its failure said.
class DeleteWork {
 public:
  DeleteWork(Session& s, Workers& workers);
  /// Waits for all the work out.
  ~DeleteWork();
  DeleteWork(const DeleteWork&) = delete;
  DeleteWork& operator=(const DeleteWork&) = delete;

  /// The walk went into a folder.
  void Enter();
  /// The walk met `e` (inside the tree). For a file, hands out its removal:
  /// true; false when it cannot (its folder could not be kept open, or one
  /// above it was not), and the walk removes it itself.
  bool Hand(const Entry& e);
  /// The walk leaves the folder `e`. When work of it went out, the folder
  /// goes out too, to be removed once its entries are gone (unless not
  /// `complete` or one of them fails): true. The top of the tree, and a
  /// folder none of whose work went out, the walk removes itself (false);
  /// the top once all the work is back, `complete` telling whether all of
  /// it went.
  bool Leave(const Entry& e, bool& complete);

  // For the tasks (tree_work.cpp):
  /// Says the entry `name` of the folder `folder` taken back, or its
  /// failure `err`; counts it.
  void Said(const std::string& folder, const std::string& name, int err, std::uint64_t bytes);
  /// `count` descriptors of the folders are closed again.
  void Returned(std::size_t count) { descriptors_ -= count; }

 private:
  struct Level {
    std::unique_ptr<FolderRemoval> work;  ///< null until an entry is met, or when it cannot be
    bool asked = false;
  };
  FolderRemoval* FolderOf(const Entry& e);

  Session& s_;
  Workers& workers_;
  std::size_t budget_;
  std::size_t descriptors_ = 0;
  std::vector<Level> folders_;  ///< one a folder entered
  FilesRemoval* filling_ = nullptr;
};

}  // namespace engine

#endif  // VANDRIX_ENGINE_JOBS_TREE_WORK_H_
