// The one-line progress display on standard error (see progress.h).
#include "engine/terminal/progress.h"

#include <sys/ioctl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

#include "engine/base/quote.h"
#include "engine/io/signals.h"

namespace engine {
namespace {

constexpr std::int64_t kQuietStartMs = 1000;  // nothing shown before this
constexpr std::int64_t kRedrawMs = 250;       // at most four lines a second
constexpr std::size_t kUnknownWidth = 80;
constexpr std::size_t kLeastName = 8;         // a shorter room shows no name
constexpr std::size_t kLeastTitle = 4;        // "C...": the title shortened most

std::int64_t SystemClock() {
  struct timespec now;
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// The first `room` characters of `text`, "..." ending them when cut.
std::string CutEnd(const std::string& text, std::size_t room) {
  if (text.size() <= room) return text;
  if (room <= 3) return text.substr(0, room);
  return text.substr(0, room - 3) + "...";
}

// The last `room` characters of `text`, "..." starting them when cut.
std::string CutFront(const std::string& text, std::size_t room) {
  if (text.size() <= room) return text;
  if (room <= 3) return text.substr(text.size() - room);
  return "..." + text.substr(text.size() - (room - 3));
}

unsigned Percent(const ProgressCounts& done, const ProgressCounts& total) {
  const bool by_bytes = total.bytes > 0;
  const std::uint64_t part = by_bytes ? done.bytes : done.items;
  const std::uint64_t whole = by_bytes ? total.bytes : total.items;
  if (whole == 0 || part >= whole) return 100;
  return static_cast<unsigned>(100.0 * static_cast<double>(part) / static_cast<double>(whole));
}

}  // namespace

bool ProgressWanted(bool silent, bool terminal_forced) {
  return !silent && (terminal_forced || ::isatty(STDERR_FILENO));
}

std::string SizeText(std::uint64_t bytes) {
  static const char* const kUnits[] = {"B", "KiB", "MiB", "GiB", "TiB", "PiB"};
  double size = static_cast<double>(bytes);
  std::size_t unit = 0;
  for (; size >= 1024 && unit + 1 < sizeof kUnits / sizeof *kUnits; ++unit) size /= 1024;
  char text[32];
  std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.1f %s", size, kUnits[unit]);
  return text;
}

ProgressLine::ProgressLine(std::string title, bool show_names, ProgressCounts total,
                           MonotonicClock clock, std::size_t width)
    : title_(Displayed(title)),
      show_names_(show_names),
      clock_(clock),
      width_(width),
      total_(total),
      start_ms_(Now()) {}

ProgressLine::~ProgressLine() { Clear(); }

void ProgressLine::Step(const std::string& name, std::uint64_t items, std::uint64_t bytes) {
  name_ = name;
  done_.items += items;
  done_.bytes += bytes;
  MaybeDraw();
}

void ProgressLine::Reach(ProgressCounts done) {
  done_.items = std::max(done_.items, done.items);
  done_.bytes = std::max(done_.bytes, done.bytes);
  MaybeDraw();
}

void ProgressLine::Clear() {
  if (shown_width_ == 0) return;
  std::fprintf(stderr, "\r%s\r", std::string(shown_width_, ' ').c_str());
  std::fflush(stderr);
  shown_width_ = 0;
  EndLineOnSignal(-1);
}

std::int64_t ProgressLine::Now() const { return clock_ ? clock_() : SystemClock(); }

std::size_t ProgressLine::Width() const {
  if (width_ != 0) return std::min(width_, kProgressWidth + 1);
  struct winsize size;
  if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
    return std::min<std::size_t>(size.ws_col, kProgressWidth + 1);
  return kUnknownWidth;
}

void ProgressLine::MaybeDraw() {
  const std::int64_t now = Now();
  if (now - start_ms_ < kQuietStartMs) return;
  if (shown_width_ != 0 && now - drawn_ms_ < kRedrawMs) return;
  const std::size_t room = std::max<std::size_t>(Width(), 2) - 1;  // never the last column
  const std::string text = Text(room, now - start_ms_);
  // Padding wipes what a longer line left, within the row.
  const std::size_t pad = std::min(shown_width_, room) > text.size()
                              ? std::min(shown_width_, room) - text.size() : 0;
  std::fprintf(stderr, "\r%s%s", text.c_str(), std::string(pad, ' ').c_str());
  std::fflush(stderr);
  shown_width_ = std::max<std::size_t>(text.size() + pad, 1);
  drawn_ms_ = now;
  EndLineOnSignal(STDERR_FILENO);
}

// The counts, longest first: "P%, I of N items, B of T, R/s", then without
// the rate, without the bytes, and the share alone.
std::vector<std::string> ProgressLine::Counts(std::int64_t elapsed_ms) const {
  const std::uint64_t rate =
      elapsed_ms > 0 ? done_.bytes * 1000 / static_cast<std::uint64_t>(elapsed_ms) : 0;
  const std::string share = std::to_string(Percent(done_, total_)) + "%";
  const std::string items = share + ", " + std::to_string(done_.items) + " of " +
                            std::to_string(total_.items) + " items";
  const std::string bytes = items + ", " + SizeText(done_.bytes) + " of " + SizeText(total_.bytes);
  return {bytes + ", " + SizeText(rate) + "/s", bytes, items, share};
}

// The most counts that leave room for a shortened title; then the name in
// what is left. A row too narrow for any title shows counts alone.
std::string ProgressLine::Text(std::size_t room, std::int64_t elapsed_ms) const {
  const std::vector<std::string> forms = Counts(elapsed_ms);
  for (const std::string& counts : forms) {
    if (counts.size() + 2 + kLeastTitle > room) continue;
    const std::string line = CutEnd(title_, room - counts.size() - 2) + ": " + counts;
    const std::string name = Displayed(name_);
    if (!show_names_ || name.empty() || line.size() + 2 + kLeastName > room) return line;
    return line + ": " + CutFront(name, room - line.size() - 2);
  }
  for (const std::string& counts : forms)
    if (counts.size() <= room) return counts;
  return CutEnd(forms.back(), room);
}

}  // namespace engine
