// The one-line progress display on standard error.
#ifndef VANDRIX_ENGINE_TERMINAL_PROGRESS_H_
#define VANDRIX_ENGINE_TERMINAL_PROGRESS_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace engine {

/// Items and bytes, done or in all.
struct ProgressCounts {
  std::uint64_t items = 0;
  std::uint64_t bytes = 0;
};

/// The longest line shown (it fits an 80-column terminal); a longer name is
/// cut from the front.
constexpr std::size_t kProgressWidth = 79;

/// Milliseconds from a clock that never goes back.
using MonotonicClock = std::int64_t (*)();

/// True when a progress line may be shown: not `silent`, and standard
/// error is a terminal (or `terminal_forced`).
bool ProgressWanted(bool silent, bool terminal_forced = false);

/// "512 B", "1.5 KiB", "20.0 MiB", ... (binary units).
std::string SizeText(std::uint64_t bytes);

/// The progress of one operation. Nothing is shown during its first second;
/// after that the line
///   "TITLE: P%, I of N items, B of T, R/s: NAME"
/// is redrawn at most four times a second (NAME left out unless
/// `show_names`; P is the share of the bytes, or of the items when there
/// are no bytes; R the bytes a second so far). The line always fits one
/// row of `width` columns (0: the terminal's width, read at each redraw;
/// 80 when unknown; at most kProgressWidth + 1) without touching its last column: the name is cut from
/// the front or left out, the title shortened, and a narrow row drops the
/// rate, then the bytes, then the items, and at last the title. The title
/// and the name are shown as Displayed (quote.h) makes them. Every call
/// only reads the clock (`clock`, or the system's monotonic clock when
/// null); there are no threads.
class ProgressLine {
 public:
  ProgressLine(std::string title, bool show_names, ProgressCounts total,
               MonotonicClock clock = nullptr, std::size_t width = 0);
  ~ProgressLine();
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  /// `name` is being worked on; `items` and `bytes` more are done.
  void Step(const std::string& name, std::uint64_t items, std::uint64_t bytes);

  /// At least `done` is finished (counts never go back).
  void Reach(ProgressCounts done);

  /// Wipes the line if one was shown (also done on destruction).
  void Clear();

 private:
  void MaybeDraw();
  std::vector<std::string> Counts(std::int64_t elapsed_ms) const;
  std::string Text(std::size_t room, std::int64_t elapsed_ms) const;
  std::int64_t Now() const;
  std::size_t Width() const;

  std::string title_, name_;
  bool show_names_;
  MonotonicClock clock_;
  std::size_t width_;
  ProgressCounts total_, done_;
  std::int64_t start_ms_, drawn_ms_ = 0;
  std::size_t shown_width_ = 0;
};

}  // namespace engine

#endif  // VANDRIX_ENGINE_TERMINAL_PROGRESS_H_
