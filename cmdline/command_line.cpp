#include "cmdline/command_line.h"

#include <algorithm>
#include <new>

namespace vandrix {
namespace {

std::string& StoredTail() {
  static std::string tail;
  return tail;
}

const char* SkipSpaces(const char* p) {
  while (*p == ' ') ++p;
  return p;
}

// Past a quoted program path: its closing quote and the spaces after it.
const char* SkipQuotedName(const char* raw) {
  const char* p = raw + 1;
  while (*p && *p != '"') ++p;
  return *p ? SkipSpaces(p + 1) : p;
}

// Past an unquoted program name: every byte above 0x20 (unsigned); a space
// that stops it is skipped with its run, any other byte starts the tail.
const char* SkipPlainName(const char* raw) {
  const char* p = raw + 1;
  while (static_cast<unsigned char>(*p) > 0x20) ++p;
  return *p == ' ' ? SkipSpaces(p) : p;
}

std::size_t SkipSpaces(const std::string& tail, std::size_t pos) {
  while (pos < tail.size() && tail[pos] == ' ') ++pos;
  return pos;
}

}  // namespace

const char* LocateCommandTail(const char* raw) {
  if (raw == nullptr) return "";
  if (raw[0] == '"') return SkipQuotedName(raw);
  if (raw[0] == ' ') return SkipSpaces(raw);
  if (raw[0] == '\0') return raw;
  return SkipPlainName(raw);
}

bool StoreCommandTail(const char* raw) {
  try {
    StoredTail() = LocateCommandTail(raw);
    return true;
  } catch (const std::bad_alloc&) {
    StoredTail().clear();
    return false;
  }
}

std::string CommandTail() { return StoredTail(); }

std::string CommandArgument(unsigned n) {
  const std::string& tail = StoredTail();
  if (n == 0) return tail;
  std::size_t pos = 0;
  std::string argument;
  for (unsigned i = 0; i < n; ++i) {
    if (!NextArgument(tail, pos, argument)) return std::string();
  }
  return argument;
}

bool NextArgument(const std::string& tail, std::size_t& pos,
                  std::string& argument) {
  for (;;) {
    pos = SkipSpaces(tail, pos);
    if (pos >= tail.size()) return false;
    if (tail[pos] != '"') {
      std::size_t end = tail.find(' ', pos);
      if (end == std::string::npos) end = tail.size();
      argument.assign(tail, pos, end - pos);
      pos = end;
      return true;
    }
    std::size_t close = tail.find('"', pos + 1);
    if (close == std::string::npos) {  // unterminated: runs to the end
      argument.assign(tail, pos + 1, std::string::npos);
      pos = tail.size();
      return true;
    }
    std::size_t start = pos + 1;
    pos = close + 1;
    if (close > start) {
      argument.assign(tail, start, close - start);
      return true;
    }
    // Two quotes in a row: no argument; go on after them.
  }
}

bool QuotesStandApart(const std::string& tail) {
  std::size_t pos = SkipSpaces(tail, 0);
  while (pos < tail.size()) {
    if (tail[pos] != '"') {
      const std::size_t end = std::min(tail.find(' ', pos), tail.size());
      if (std::find(tail.begin() + pos, tail.begin() + end, '"') != tail.begin() + end)
        return false;  // a quote inside a run
      pos = SkipSpaces(tail, end);
      continue;
    }
    const std::size_t close = tail.find('"', pos + 1);
    if (close == std::string::npos) return true;  // runs to the end
    if (close == pos + 1) return false;            // nothing between
    pos = close + 1;
    if (pos < tail.size() && tail[pos] != ' ') return false;  // glued
    pos = SkipSpaces(tail, pos);
  }
  return true;
}

}  // namespace vandrix
