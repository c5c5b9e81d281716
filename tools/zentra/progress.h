// Progress of long work on stderr, for a person watching a terminal: bytes done, the total and
// the rate, on one line redrawn a few times a second. Nothing is shown for work done within a
// second, nor when stderr is not a terminal, nor with --quiet.
#pragma once

#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <string>

namespace zentra {

class Progress {
 public:
  // `shown` false: a silent progress (not a terminal, --quiet, tests).
  Progress(std::ostream& err, bool shown, std::string what, uint64_t total);
  ~Progress();
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  void Advance(uint64_t bytes);
  // Takes back bytes counted twice (a payload that is made again to be stored).
  void Rewind(uint64_t bytes);
  // Ends the line if one was drawn.
  void Finish();

  // "1.5 MiB" and the like.
  static std::string Size(uint64_t bytes);

 private:
  void Draw(bool last);

  std::ostream& err_;
  bool shown_;
  std::string what_;
  uint64_t total_;
  uint64_t done_ = 0;
  bool drawn_ = false;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point lastDraw_;
};

// Whether stderr is a terminal that a person watches.
bool StderrIsTerminal();

}  // namespace zentra
