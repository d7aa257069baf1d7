// Text measured in the columns of a terminal, for the progress line.
#ifndef VANDRIX_ENGINE_TERMINAL_COLUMNS_H_
#define VANDRIX_ENGINE_TERMINAL_COLUMNS_H_

#include <cstddef>
#include <string>
#include <vector>

namespace engine {

/// Text as a terminal shows it: each character read in the locale's
/// character set (LC_CTYPE, which the program sets from the environment)
/// and measured by the C library's wcwidth, so that a Chinese character or
/// an emoji takes two columns and a combining mark none. A character the
/// locale cannot read or print shows as one "?" (under the "C" locale every
/// character past ASCII does, as ls shows it there), so the text always
/// takes the columns it is measured at. The text is cut only between
/// glyphs (a character that takes columns and the zero-width ones after
/// it), never inside a character or between a letter and its mark.
class ScreenText {
 public:
  explicit ScreenText(const std::string& text);

  /// The columns the whole text takes.
  std::size_t columns() const { return columns_; }

  /// The whole text when it fits in `room` columns; else its start and
  /// "...", in at most `room` columns (without "..." when `room` is 3 or
  /// less).
  std::string Start(std::size_t room) const;

  /// The whole text when it fits in `room` columns; else "..." and its end,
  /// in at most `room` columns (without "..." when `room` is 3 or less).
  std::string End(std::size_t room) const;

 private:
  /// A glyph: the bytes [begin, end) of shown_, and its columns.
  struct Glyph {
    std::size_t begin, end, columns;
  };
  void Add(const char* bytes, std::size_t size, int columns);

  std::string shown_;
  std::vector<Glyph> glyphs_;
  std::size_t columns_ = 0;
};

/// The columns `text` takes (ScreenText's measure).
std::size_t ColumnsOf(const std::string& text);

}  // namespace engine

#endif  // VANDRIX_ENGINE_TERMINAL_COLUMNS_H_
