#include "progress.h"

#include <cstdio>
#include <ostream>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace zentra {

namespace {
using Clock = std::chrono::steady_clock;
constexpr auto kQuietStart = std::chrono::seconds(1);
constexpr auto kRedraw = std::chrono::milliseconds(200);
}  // namespace

bool StderrIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(fileno(stderr)) != 0;
#endif
}

std::string Progress::Size(uint64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MiB", static_cast<double>(bytes) / (1 << 20));
  return text;
}

Progress::Progress(std::ostream& err, bool shown, std::string what, uint64_t total)
    : err_(err), shown_(shown), what_(std::move(what)), total_(total), start_(Clock::now()), lastDraw_(start_) {}

Progress::~Progress() { Finish(); }

void Progress::Advance(uint64_t bytes) {
  done_ += bytes;
  if (!shown_) return;
  const auto now = Clock::now();
  if (now - start_ < kQuietStart || now - lastDraw_ < kRedraw) return;
  lastDraw_ = now;
  Draw(false);
}

void Progress::Rewind(uint64_t bytes) { done_ = bytes > done_ ? 0 : done_ - bytes; }

void Progress::Draw(bool last) {
  const double seconds = std::chrono::duration<double>(Clock::now() - start_).count();
  const double rate = seconds > 0 ? static_cast<double>(done_) / seconds : 0;
  char line[160];
  std::snprintf(line, sizeof line, "\rzentra: %s %s of %s, %s/s   ", what_.c_str(), Size(done_).c_str(),
                Size(total_).c_str(), Size(static_cast<uint64_t>(rate)).c_str());
  err_ << line;
  if (last) err_ << "\n";
  err_.flush();
  drawn_ = true;
}

void Progress::Finish() {
  if (!drawn_) return;
  Draw(true);
  drawn_ = false;
  shown_ = false;
}

}  // namespace zentra
