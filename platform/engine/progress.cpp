// The one-line progress display on standard error (see progress.h).
#include "platform/engine/progress.h"

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <utility>

namespace platform {
namespace engine {
namespace {

constexpr std::int64_t kQuietStartMs = 1000;  // nothing shown before this
constexpr std::int64_t kRedrawMs = 250;       // at most four lines a second

std::int64_t SystemClock() {
  struct timespec now;
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// "512 B", "1.5 KB", "20.0 MB" ...
std::string SizeText(std::uint64_t bytes) {
  static const char* const kUnits[] = {"B", "KB", "MB", "GB", "TB"};
  double size = static_cast<double>(bytes);
  std::size_t unit = 0;
  for (; size >= 1024 && unit + 1 < sizeof kUnits / sizeof *kUnits; ++unit) size /= 1024;
  char text[32];
  std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.1f %s", size, kUnits[unit]);
  return text;
}

}  // namespace

bool ProgressWanted(bool silent, bool terminal_forced) {
  return !silent && (terminal_forced || ::isatty(STDERR_FILENO));
}

ProgressLine::ProgressLine(std::string title, bool show_names, ProgressCounts total,
                           MonotonicClock clock)
    : title_(std::move(title)),
      show_names_(show_names),
      clock_(clock),
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
}

std::int64_t ProgressLine::Now() const { return clock_ ? clock_() : SystemClock(); }

void ProgressLine::MaybeDraw() {
  const std::int64_t now = Now();
  if (now - start_ms_ < kQuietStartMs) return;
  if (shown_width_ != 0 && now - drawn_ms_ < kRedrawMs) return;
  const std::string text = Text();
  const std::size_t pad = shown_width_ > text.size() ? shown_width_ - text.size() : 0;
  std::fprintf(stderr, "\r%s%s", text.c_str(), std::string(pad, ' ').c_str());
  std::fflush(stderr);
  shown_width_ = std::max<std::size_t>(text.size() + pad, 1);
  drawn_ms_ = now;
}

// The counts always show; a long name is cut from the front.
std::string ProgressLine::Text() const {
  std::string text = title_ + ": " + std::to_string(done_.items) + " of " +
                     std::to_string(total_.items) + " items, " + SizeText(done_.bytes) +
                     " of " + SizeText(total_.bytes);
  if (!show_names_ || name_.empty() || text.size() + 6 > kProgressWidth) return text;
  const std::size_t room = kProgressWidth - text.size() - 2;
  const std::string name = name_.size() <= room ? name_ : "..." + name_.substr(name_.size() - room + 3);
  return text + ": " + name;
}

}  // namespace engine
}  // namespace platform
