// Text measured in the columns of a terminal (see columns.h).
#include "engine/terminal/columns.h"

#include <wchar.h>

#include <cwchar>

namespace engine {
namespace {

constexpr char kDots[] = "...";
constexpr std::size_t kDotsColumns = 3;

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The bytes at `at` that the locale cannot read: a byte, and the UTF-8
// continuation bytes after it, so that one character shows as one "?".
std::size_t UnreadableAt(const std::string& text, std::size_t at) {
  std::size_t end = at + 1;
  while (end < text.size() && end < at + 4 && IsContinuation(text[end])) ++end;
  return end - at;
}

}  // namespace

ScreenText::ScreenText(const std::string& text) {
  std::mbstate_t state{};
  for (std::size_t at = 0; at < text.size();) {
    wchar_t c = 0;
    const std::size_t left = text.size() - at;
    const std::size_t size = std::mbrtowc(&c, text.data() + at, left, &state);
    const int columns = size == 0 || size > left ? -1 : ::wcwidth(c);
    if (columns < 0) {
      state = std::mbstate_t{};
      Add("?", 1, 1);
      at += UnreadableAt(text, at);
      continue;
    }
    Add(text.data() + at, size, columns);
    at += size;
  }
}

// A character of `columns` columns starts a glyph; a zero-width one joins
// the glyph before it.
void ScreenText::Add(const char* bytes, std::size_t size, int columns) {
  const std::size_t begin = shown_.size();
  shown_.append(bytes, size);
  columns_ += static_cast<std::size_t>(columns);
  if (columns == 0 && !glyphs_.empty()) {
    glyphs_.back().end = shown_.size();
    return;
  }
  glyphs_.push_back({begin, shown_.size(), static_cast<std::size_t>(columns)});
}

std::string ScreenText::Start(std::size_t room) const {
  if (columns_ <= room) return shown_;
  const std::size_t dots = room <= kDotsColumns ? 0 : kDotsColumns;
  std::size_t used = 0, end = 0;
  for (const Glyph& glyph : glyphs_) {
    if (used + glyph.columns > room - dots) break;
    used += glyph.columns;
    end = glyph.end;
  }
  return shown_.substr(0, end) + (dots ? kDots : "");
}

std::string ScreenText::End(std::size_t room) const {
  if (columns_ <= room) return shown_;
  const std::size_t dots = room <= kDotsColumns ? 0 : kDotsColumns;
  std::size_t used = 0, begin = shown_.size();
  for (auto glyph = glyphs_.rbegin(); glyph != glyphs_.rend(); ++glyph) {
    if (used + glyph->columns > room - dots) break;
    used += glyph->columns;
    begin = glyph->begin;
  }
  return (dots ? kDots : "") + shown_.substr(begin);
}

std::size_t ColumnsOf(const std::string& text) { return ScreenText(text).columns(); }

}  // namespace engine
