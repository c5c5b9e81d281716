// The order and timing of a presentation's items: which entry is on screen, when it is done
// (by the clock, or by the movie reaching its end, going back or stalling), and what comes
// next. Driven by the main window's timer; the host, the clock and the measuring of files are
// injected so that the rules run the same natively and in the player.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/document/document_model.h"
#include "core/sequence/movie_info.h"

namespace zp {

struct SequenceItem {
  std::u16string path;
  int index = 0;       // the document item it came from
  int lastFrame = 0;   // frame count - 1 for movies; 0 for pictures and web pages
  int width = 0;
  int height = 0;
  int quality = 3;     // 0 high, 1 medium, 2 low, 3 leave the host's setting
  bool timed = false;  // ends by the clock rather than by its own frames
  int64_t duration = 0;  // 100 ns units
  int64_t endTime = 0;   // absolute, 100 ns units of the injected clock
  bool isMovie = false;
};

// What the sequence needs from the window that shows the entries.
class SequenceHost {
 public:
  virtual ~SequenceHost() = default;
  virtual bool HasWindow() const = 0;
  // Shows the entry: a movie as the host's movie (quality applied unless 3), pictures and web
  // pages in place of a movie.
  virtual void LoadEntry(const SequenceItem& entry) = 0;
  virtual void StopPlay() = 0;
  virtual int GetCurrentFrame() = 0;
  virtual bool IsPlaying() = 0;
  virtual bool IsReady() = 0;
  virtual void ResetReady(int value) = 0;
  // Lets up to `count` pending window messages be handled without blocking. Returns false when
  // waiting makes no sense any more (the window is going away).
  virtual bool PumpPendingMessages(int count) = 0;
};

// Measures the files that `Add` is given.
class SequenceMeasurer {
 public:
  virtual ~SequenceMeasurer() = default;
  virtual std::optional<MovieInfo> Movie(const std::u16string& path) = 0;
  // The picture's natural size; nullopt or zero sizes fall back to 400 × 300.
  virtual std::optional<std::pair<int, int>> Picture(const std::u16string& path) = 0;
};

// Now, in 100 ns units.
using SequenceClock = std::function<int64_t()>;

class MovieSequence {
 public:
  static constexpr int kDefaultWidth = 400;
  static constexpr int kDefaultHeight = 300;
  static constexpr int kStallLimitMs = 2999;
  static constexpr int kPumpBatch = 500;
  // The ready wait gives up after this long rather than hanging the window for good when a
  // control never reports ready.
  static constexpr int64_t kReadyWaitLimit = 10 * 10'000'000LL;

  MovieSequence(SequenceClock clock, SequenceMeasurer* measurer);

  // Builds an entry by kind and appends it; false when nothing was added (unknown kind, or a
  // movie whose header cannot be read).
  bool Add(const std::u16string& path, int index, int quality, float playTimeSeconds);
  bool Restart(SequenceItem& entry);
  bool Next(SequenceItem& entry);
  // One timer tick; true when a new entry was started (and copied into `entry`).
  bool Step(SequenceItem& entry);
  // Stops the host and takes the next entry (or the first again when looping); false and
  // `ended` when there is none.
  bool Advance(SequenceItem& entry);
  void SetPaused(bool paused, SequenceItem& entry);

  void SetHost(SequenceHost* host) { host_ = host; }
  void SetBaseDirectory(std::u16string directory) { baseDirectory_ = std::move(directory); }
  void SetPeriod(int milliseconds) { period_ = milliseconds; }
  void SetLoop(bool loop) { loop_ = loop; }
  void SetLastSeenFrame(int frame) { lastSeenFrame_ = frame; }
  // Lets a stopped sequence run again (the Play command restarts the timer).
  void ClearEnded() { ended_ = false; }

  const std::vector<SequenceItem>& entries() const { return entries_; }
  size_t nextIndex() const { return nextIndex_; }
  bool paused() const { return paused_; }
  bool ended() const { return ended_; }
  bool loop() const { return loop_; }
  bool startPending() const { return startPending_; }
  int lastSeenFrame() const { return lastSeenFrame_; }
  int stallTicks() const { return stallTicks_; }
  int period() const { return period_; }
  const std::u16string& baseDirectory() const { return baseDirectory_; }

 private:
  void Start(SequenceItem& entry);
  bool Stall(SequenceItem& entry, int frame);

  SequenceClock clock_;
  SequenceMeasurer* measurer_;
  std::vector<SequenceItem> entries_;
  size_t nextIndex_ = 0;
  SequenceHost* host_ = nullptr;
  bool startPending_ = true;
  bool paused_ = false;
  bool loop_ = true;
  bool ended_ = false;
  int lastSeenFrame_ = -1;
  int stallTicks_ = 0;
  int period_ = 50;
  std::u16string baseDirectory_;
  int64_t pauseStart_ = 0;
};

}  // namespace zp
