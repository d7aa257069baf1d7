// Names as the engine shows them (see quote.h).
#include "engine/base/quote.h"

#include <cstddef>

namespace engine {
namespace {

// The length of the character at text[at] when it prints as itself: ASCII
// from space to '~', or a whole UTF-8 sequence of a code point from U+00A0
// on (no C1 control, overlong form, surrogate or value past U+10FFFF); else 0.
std::size_t PrintingAt(const std::string& text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  if (lead >= 0x20 && lead < 0x7F) return 1;
  if (lead < 0xC2 || lead > 0xF4) return 0;
  const std::size_t size = lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  if (at + size > text.size()) return 0;
  for (std::size_t i = at + 1; i < at + size; ++i)
    if ((byte(i) & 0xC0) != 0x80) return 0;
  const unsigned char next = byte(at + 1);
  if ((lead == 0xC2 && next < 0xA0) || (lead == 0xE0 && next < 0xA0) ||
      (lead == 0xED && next >= 0xA0) || (lead == 0xF0 && next < 0x90) ||
      (lead == 0xF4 && next >= 0x90))
    return 0;
  return size;
}

bool PrintsAsItself(const std::string& text, bool quote_allowed) {
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t size = PrintingAt(text, at);
    if (size == 0 || (!quote_allowed && text[at] == '\'')) return false;
    at += size;
  }
  return true;
}

void AppendEscaped(std::string& out, unsigned char c) {
  static const char kNamed[] = "\a" "a" "\b" "b" "\t" "t" "\n" "n" "\v" "v" "\f" "f" "\r" "r";
  for (std::size_t i = 0; i + 1 < sizeof kNamed; i += 2) {
    if (static_cast<unsigned char>(kNamed[i]) != c) continue;
    out += '\\';
    out += kNamed[i + 1];
    return;
  }
  out += '\\';
  out += static_cast<char>('0' + (c >> 6));
  out += static_cast<char>('0' + ((c >> 3) & 7));
  out += static_cast<char>('0' + (c & 7));
}

}  // namespace

std::string Quoted(const std::string& name) {
  if (PrintsAsItself(name, false)) return "'" + name + "'";
  std::string out = "$'";
  for (std::size_t at = 0; at < name.size();) {
    const std::size_t size = PrintingAt(name, at);
    if (size == 0) {
      AppendEscaped(out, static_cast<unsigned char>(name[at++]));
      continue;
    }
    if (name[at] == '\'' || name[at] == '\\') out += '\\';
    out.append(name, at, size);
    at += size;
  }
  return out + "'";
}

std::string Displayed(const std::string& text) {
  return PrintsAsItself(text, true) ? text : Quoted(text);
}

}  // namespace engine
