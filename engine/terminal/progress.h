// The one-line progress display on standard error.
#ifndef VANDRIX_ENGINE_TERMINAL_PROGRESS_H_
#define VANDRIX_ENGINE_TERMINAL_PROGRESS_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace engine {

class ScreenText;

/// Items and bytes, done or in all.
struct ProgressCounts {
  std::uint64_t items = 0;
  std::uint64_t bytes = 0;
};

/// The longest line shown, in columns, for the widest terminal; a longer
/// name is cut from the front.
constexpr std::size_t kProgressWidth = 1024;

/// Milliseconds from a clock that never goes back.
using MonotonicClock = std::int64_t (*)();

/// True when a progress line may be shown: not `silent`, and standard
/// error is a terminal (or `terminal_forced`).
bool ProgressWanted(bool silent, bool terminal_forced = false);

/// "512 B", "1.5 KiB", "20.0 MiB", ... (binary units).
std::string SizeText(std::uint64_t bytes);

/// The progress of one operation. Nothing is shown during its first second;
/// after that the line
///   "TITLE:  P%, I of N items, B of T, R/s, L left: NAME"
/// is redrawn at most four times a second (NAME left out unless
/// `show_names`; P is the share of the bytes, or of the items when there
/// are no bytes, and then B and R are left out; R the bytes a second so
/// far; L the time left at the pace so far, rounded up, shown once five
/// seconds have passed and 1% is done, and when under 100 hours). Each
/// count is right-aligned in a width that holds it from start to end, and
/// the title's room depends on the row alone, so the counts keep their
/// places as the line is redrawn. The line is measured, cut and padded in
/// screen columns (ScreenText, columns.h: wcwidth in the locale's
/// character set), and always fits one row of `width` columns (0: the
/// terminal's width, read at each redraw; 80 when unknown; at most
/// kProgressWidth + 1) without touching its last column; a shorter line
/// pads out what the one before it showed, and Clear wipes the columns
/// shown. The name is kept longest: when the row is too narrow, the title
/// is shortened (to a third of the room it shares with the name), then the
/// items go, then the rate, then the bytes, then the time left, while the
/// name keeps 20 columns (or as many as the widest name shown so far) and
/// the title 12; then the same while they keep 8 and 4; then the name
/// goes, then the title. The name is cut from the
/// front, the title from the end, between glyphs. The title and the name
/// are shown as Displayed (quote.h) makes them. Every call only reads the
/// clock (`clock`, or the system's monotonic clock when null); there are no
/// threads.
class ProgressLine {
 public:
  ProgressLine(std::string title, bool show_names, ProgressCounts total,
               MonotonicClock clock = nullptr, std::size_t width = 0);
  ~ProgressLine();
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  /// `name` is being worked on; `items` and `bytes` more are done.
  void Step(const std::string& name, std::uint64_t items, std::uint64_t bytes);
  /// `items` and `bytes` more are done; the name shown stays.
  void Add(std::uint64_t items, std::uint64_t bytes);

  /// At least `done` is finished (counts never go back).
  void Reach(ProgressCounts done);

  /// Wipes the line if one was shown (also done on destruction).
  void Clear();

 private:
  void MaybeDraw();
  std::vector<std::string> Counts(std::int64_t elapsed_ms) const;
  struct Least {
    std::size_t name, title;  ///< columns
  };
  std::string Composed(const std::string& counts, const ScreenText& title, const ScreenText* name,
                       Least least, std::size_t room) const;
  std::string Text(std::size_t room, std::int64_t elapsed_ms, const ScreenText* name) const;
  std::int64_t Now() const;
  std::size_t Width() const;

  std::string title_, name_;
  bool show_names_;
  MonotonicClock clock_;
  std::size_t width_;
  ProgressCounts total_, done_;
  std::int64_t start_ms_, drawn_ms_ = 0;
  std::size_t shown_width_ = 0;  ///< columns
  std::size_t widest_name_ = 0;  ///< columns of the widest name shown
};

}  // namespace engine

#endif  // VANDRIX_ENGINE_TERMINAL_PROGRESS_H_
