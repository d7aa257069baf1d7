// What the caller asks of a whole request besides its paths, and the words
// it puts in the engine's lines.
#ifndef VANDRIX_ENGINE_SESSION_OPTIONS_H_
#define VANDRIX_ENGINE_SESSION_OPTIONS_H_

#include <string>

namespace engine {

/// The options of one request; all off by default.
struct Options {
  bool confirm_all = false;          ///< answer yes to every question
  bool files_only = false;           ///< a wildcard takes only the files it matches
  bool rename_on_collision = false;  ///< a taken target name becomes the next free one
  bool silent = false;               ///< no progress line
  bool simple_progress = false;      ///< no names on the progress line
  bool no_error_lines = false;       ///< no line for a failed item, nor any other
  bool to_trash = false;             ///< a delete moves the items to the trash
  bool paired = false;  ///< as many targets as sources pair up, first with first
  bool no_clobber = false;  ///< a file is never replaced: it is skipped, asking nothing
  bool update = false;      ///< a file is replaced only when older: else skipped, asking nothing
  bool verbose = false;     ///< each item done is said on standard output
  bool dry_run = false;     ///< nothing is changed: what would be done is said instead
  bool literal = false;     ///< every path is one name: no wildcard
  /// Workers for the files of a new tree a copy makes and of a tree a
  /// delete removes (pool/how_many.h): 1, none (the walk does all the work);
  /// 0, as many as the cores, at most 8, and none on a rotating disk, once
  /// a tree has shown a few dozen files (tree_work.h).
  unsigned jobs = 1;
};

/// The caller's words in the engine's lines.
struct Caller {
  /// Starts every line ("vandrix: cannot copy ..."); none when empty.
  std::string program;
  /// How the caller's user answers yes to every question, as the start of
  /// a sentence that the action ends: "pass -c to" gives "kept 'x': no
  /// terminal to ask; pass -c to replace". Empty: the line ends at "ask".
  std::string yes_to_all_hint;
};

}  // namespace engine

#endif  // VANDRIX_ENGINE_SESSION_OPTIONS_H_
