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

/// How many workers a tree gets (pool/how_many.h) for the request's jobs
/// option, its items on `devices`; 1: none, the walk does all the work, as
/// ever.
unsigned TreeWorkers(const Session& s, std::initializer_list<dev_t> devices);

/// How many descriptors the work of a tree may keep open for the folders
/// it works in (a part of the process's limit): past that, the walk does
/// the work of further folders itself.
std::size_t FolderDescriptorBudget();

/// What the work of a copy and of a delete share: the request's workers
/// (when the request did not ask for a number of them, started only once
/// the walk did the tree's first few dozen files itself: a small tree is
/// done sooner without them), and the descriptors kept for the folders
/// they work in.
class TreeWork {
 public:
  /// `count` workers, more than one.
  TreeWork(Session& s, unsigned count);
  TreeWork(const TreeWork&) = delete;
  TreeWork& operator=(const TreeWork&) = delete;

  Session& session() { return s_; }
  /// `count` descriptors of the folders are closed again.
  void Returned(std::size_t count) { descriptors_ -= count; }

 protected:
  /// Waits for all the work out (in the destructor of what derives from
  /// it, before its folders go): none may outlive the folders it is in.
  ~TreeWork() = default;
  void Settle();
  /// True once the workers are there to take a file: false while the walk
  /// does the tree's first files itself, or when no thread is to be had.
  bool Ready();
  /// True when `count` more descriptors may be kept for a folder (those of
  /// folders done are given back first when needed); they are counted.
  bool Keep(std::size_t count);

  Session& s_;
  Workers* workers_ = nullptr;

 private:
  unsigned count_;
  std::size_t first_;            ///< files the walk does before the workers start
  std::size_t met_ = 0;          ///< files met so far
  std::size_t budget_;           ///< descriptors it may keep open
  std::size_t descriptors_ = 0;  ///< ... and keeps now
};

class FolderCopy;
class FilesCopy;

/// The workers' part of a new tree's copy (copy.h): the regular files,
/// written straight into the hidden folder (copy_item.h), and each folder
/// that held some given its mode and times once they are in. Taken back,
/// each file is said (-v) and counted, and a failure is said with the
/// names the walk gives; any failure keeps the tree from being placed.
class CopyWork : public TreeWork {
 public:
  /// `count` workers; files are made under `umask` (see WriteNewFile).
  CopyWork(Session& s, unsigned count, mode_t umask);
  ~CopyWork();

  /// The walk went into a folder of the tree.
  void Enter();
  /// Hands out the regular file `e` going to `t` (in the folder entered
  /// last). False when it cannot (the walk does the tree's first files
  /// itself; no descriptor is left to keep its folders open): the walk
  /// copies it itself.
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

 private:
  struct Level {
    std::unique_ptr<FolderCopy> work;  ///< null until a file goes out
    bool asked = false;                ///< ... or once it could not
  };
  bool Started();
  FolderCopy* FolderOf(const Entry& e, const Target& t);

  mode_t umask_;
  const std::function<void()>& step_;  ///< the copy_step hook, for the workers
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
class DeleteWork : public TreeWork {
 public:
  /// `count` workers.
  DeleteWork(Session& s, unsigned count);
  ~DeleteWork();

  /// The walk went into a folder.
  void Enter();
  /// The walk met `e` (inside the tree). For a file, hands out its removal:
  /// true; false when it cannot (the walk does the tree's first files
  /// itself; its folder could not be kept open, or one above it was not),
  /// and the walk removes it itself.
  bool Hand(const Entry& e);
  /// The walk leaves the folder entered last. When the folder above it has work of
  /// its own, the folder goes out, to be removed once its entries are gone
  /// (unless not `complete` or one of them fails): true. Else (the top of
  /// the tree, say) the walk removes it itself (false), once the work out
  /// in it is back, `complete` then telling whether all of that went.
  bool Leave(bool& complete);

  // For the tasks (tree_work.cpp):
  /// Says the entry `name` of the folder `folder` taken back, or its
  /// failure `err`; counts it.
  void Said(const std::string& folder, const std::string& name, int err, std::uint64_t bytes);

 private:
  struct Level {
    std::unique_ptr<FolderRemoval> work;  ///< null until an entry is met, or when it cannot be
    bool asked = false;
    bool out = false;  ///< work of it, or in it, went out
  };
  FolderRemoval* FolderOf(const Entry& e);

  std::vector<Level> folders_;  ///< one a folder entered
  FilesRemoval* filling_ = nullptr;
};

}  // namespace engine

#endif  // VANDRIX_ENGINE_JOBS_TREE_WORK_H_
