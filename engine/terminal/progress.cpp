// The one-line progress display on standard error (see progress.h).
#include "engine/terminal/progress.h"

#include <sys/ioctl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <cstdio>
#include <utility>
#include <vector>

#include "engine/base/quote.h"
#include "engine/io/signals.h"
#include "engine/terminal/columns.h"

namespace engine {
namespace {

constexpr std::int64_t kQuietStartMs = 1000;  // nothing shown before this
constexpr std::int64_t kRedrawMs = 250;       // at most four lines a second
constexpr std::int64_t kEstimateAfterMs = 5000;  // no time left before this ...
constexpr double kEstimateAfterShare = 0.01;     // ... nor before 1% is done
constexpr std::uint64_t kLongestEstimate = 100 * 3600;  // seconds; longer: not shown
constexpr std::size_t kUnknownWidth = 80;
constexpr std::size_t kPercentWidth = 3;  // "99%": only the last 100% is wider
constexpr std::size_t kWidestSize = 10;   // "1023.9 MiB", a rate's widest
// The least room of the name and the title while counts can still go, then
// the least at all ("C...": the title shortened most).
constexpr std::size_t kReadableName = 20, kReadableTitle = 12;
constexpr std::size_t kLeastName = 8, kLeastTitle = 4;

std::int64_t SystemClock() {
  struct timespec now;
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// The share done, 0 to 1, and in whole percents (rounded down): of the
// bytes, or of the items when there are no bytes.
struct Share {
  double part;
  unsigned percent;
};

Share ShareDone(const ProgressCounts& done, const ProgressCounts& total) {
  const bool by_bytes = total.bytes > 0;
  const std::uint64_t part = by_bytes ? done.bytes : done.items;
  const std::uint64_t whole = by_bytes ? total.bytes : total.items;
  if (whole == 0 || part >= whole) return {1, 100};
  const double p = static_cast<double>(part), w = static_cast<double>(whole);
  return {p / w, static_cast<unsigned>(100.0 * p / w)};
}

// "M:SS left" or "H:MM:SS left": what is left at the pace so far, once five
// seconds have passed and 1% is done; else empty.
std::string TimeLeft(double share, std::int64_t elapsed_ms) {
  if (elapsed_ms < kEstimateAfterMs || share < kEstimateAfterShare || share >= 1) return "";
  // Rounded up: "0:00 left" would say it is done.
  const auto left = static_cast<std::uint64_t>(
      std::ceil(static_cast<double>(elapsed_ms) * (1 - share) / share / 1000));
  if (left >= kLongestEstimate) return "";
  const auto hours = static_cast<unsigned>(left / 3600);
  const auto minutes = static_cast<unsigned>(left / 60 % 60), seconds = static_cast<unsigned>(left % 60);
  char text[32];
  if (hours > 0)
    std::snprintf(text, sizeof text, "%u:%02u:%02u left", hours, minutes, seconds);
  else
    std::snprintf(text, sizeof text, "%u:%02u left", minutes, seconds);
  return text;
}

// `text` right-aligned in `width` columns, so that a count keeps its place
// as it grows.
std::string Padded(const std::string& text, std::size_t width) {
  return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

// The widest SizeText of a size up to `most`: "1023.9 KiB" is wider than
// "1.0 MiB".
std::size_t WidestSize(std::uint64_t most) {
  std::size_t widest = SizeText(most).size();
  for (std::uint64_t unit = 1; unit <= most / 1024 + 1; unit *= 1024)
    widest = std::max(widest, SizeText(std::min(most, unit * 1024 - 1)).size());
  return widest;
}

// `parts` joined by ", ", the empty ones left out.
std::string Listed(std::initializer_list<std::string> parts) {
  std::string text;
  for (const std::string& part : parts) {
    if (part.empty()) continue;
    if (!text.empty()) text += ", ";
    text += part;
  }
  return text;
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
  Add(items, bytes);
}

void ProgressLine::Add(std::uint64_t items, std::uint64_t bytes) {
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
  const ScreenText name(Displayed(name_));
  widest_name_ = std::max(widest_name_, name.columns());
  const std::string text = Text(room, now - start_ms_, show_names_ ? &name : nullptr);
  const std::size_t columns = ColumnsOf(text);
  // Padding wipes what a longer line left, within the row.
  const std::size_t pad = std::min(shown_width_, room) > columns
                              ? std::min(shown_width_, room) - columns : 0;
  std::fprintf(stderr, "\r%s%s", text.c_str(), std::string(pad, ' ').c_str());
  std::fflush(stderr);
  shown_width_ = std::max<std::size_t>(columns + pad, 1);
  drawn_ms_ = now;
  EndLineOnSignal(STDERR_FILENO);
}

// The counts, longest first, each right-aligned in a width that holds it
// from start to end: "P%, I of N items, B of T, R/s, L left", then without
// the items, without the rate, with the share and the time left, and the
// share alone. With no bytes in all: "P%, I of N items, L left", the
// share and the time left, the share alone.
std::vector<std::string> ProgressLine::Counts(std::int64_t elapsed_ms) const {
  const std::uint64_t rate =
      elapsed_ms > 0 ? done_.bytes * 1000 / static_cast<std::uint64_t>(elapsed_ms) : 0;
  const Share share = ShareDone(done_, total_);
  const std::string percent = Padded(std::to_string(share.percent) + "%", kPercentWidth);
  const std::string left = TimeLeft(share.part, elapsed_ms);
  const std::string all = std::to_string(total_.items);
  const std::string items =
      Padded(std::to_string(done_.items), all.size()) + " of " + all + " items";
  if (total_.bytes == 0) return {Listed({percent, items, left}), Listed({percent, left}), percent};
  const std::string bytes =
      Padded(SizeText(done_.bytes), WidestSize(total_.bytes)) + " of " + SizeText(total_.bytes);
  const std::string per_second = Padded(SizeText(rate), kWidestSize) + "/s";
  return {Listed({percent, items, bytes, per_second, left}),
          Listed({percent, bytes, per_second, left}), Listed({percent, bytes, left}),
          Listed({percent, left}), percent};
}

// "TITLE: COUNTS: NAME" in `room` columns, or empty when the `least` of the
// name and the title do not fit. The title has what the widest name shown
// so far leaves, and keeps a third of their room when both are too long;
// so it has the same room for every name, and the counts keep their place
// when a shorter name follows. The name has the rest, cut from the front;
// the title is cut from the end.
std::string ProgressLine::Composed(const std::string& counts, const ScreenText& title,
                                   const ScreenText* name, Least least, std::size_t room) const {
  const std::size_t name_least = name ? std::min(least.name, widest_name_) : 0;
  const std::size_t title_least = std::min(title.columns(), least.title);
  const std::size_t fixed = counts.size() + 2 + (name ? 2 : 0);
  if (fixed + title_least + name_least > room) return "";
  const std::size_t both = room - fixed;  // for the title and the name
  const std::size_t spare = !name ? both : both > widest_name_ ? both - widest_name_ : 0;
  const std::size_t title_room =
      std::min({title.columns(), std::max({spare, both / 3, title_least}), both - name_least});
  const std::string line = title.Start(title_room) + ": " + counts;
  return name ? line + ": " + name->End(both - title_room) : line;
}

// The most counts that leave the name and the title a readable room; then
// the least room; then the title and counts without the name, the counts
// alone, and the share cut to the row.
std::string ProgressLine::Text(std::size_t room, std::int64_t elapsed_ms,
                              const ScreenText* names) const {
  const std::vector<std::string> forms = Counts(elapsed_ms);
  const ScreenText title(title_);
  for (const Least least : {Least{kReadableName, kReadableTitle}, Least{kLeastName, kLeastTitle}}) {
    for (const std::string& counts : forms) {
      const std::string line = Composed(counts, title, names, least, room);
      if (!line.empty()) return line;
    }
  }
  for (const std::string& counts : forms) {
    const std::string line = Composed(counts, title, nullptr, {0, kLeastTitle}, room);
    if (!line.empty()) return line;
  }
  for (const std::string& counts : forms)
    if (counts.size() <= room) return counts;
  const std::string& share = forms.back();
  return ScreenText(share.substr(share.find_first_not_of(' '))).Start(room);
}

}  // namespace engine
