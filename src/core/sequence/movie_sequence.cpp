#include "core/sequence/movie_sequence.h"

#include <cmath>

namespace zp {
namespace {

constexpr double kTicksPerSecond = 10'000'000.0;
constexpr double kLengthTolerance = 0.5;  // seconds between a movie's own length and its play time

}  // namespace

MovieSequence::MovieSequence(SequenceClock clock, SequenceMeasurer* measurer)
    : clock_(std::move(clock)), measurer_(measurer) {}

bool MovieSequence::Add(const std::u16string& path, int index, int quality, float playTimeSeconds) {
  SequenceItem item;
  item.path = path;
  item.index = index;
  item.quality = quality;
  switch (KindOfPath(path)) {
    case MovieKind::kFlash: {
      const auto info = measurer_ ? measurer_->Movie(path) : std::nullopt;
      if (!info) return false;
      item.isMovie = true;
      item.lastFrame = static_cast<int>(info->frameCount) - 1;
      item.width = info->right - info->left;
      item.height = info->bottom - info->top;
      const double naturalLength =
          info->frameRate < 1 ? 0.0 : static_cast<double>(info->frameCount) / static_cast<double>(info->frameRate);
      item.timed = std::fabs(naturalLength - static_cast<double>(playTimeSeconds)) > kLengthTolerance;
      break;
    }
    case MovieKind::kPicture: {
      item.timed = true;
      if (const auto size = measurer_ ? measurer_->Picture(path) : std::nullopt) {
        item.width = size->first;
        item.height = size->second;
      }
      break;
    }
    case MovieKind::kWebPage:
      item.timed = true;
      break;
    case MovieKind::kUnplayable:
      return false;
  }
  // A NaN or negative play time ends the entry at once rather than at a wrapped-around time.
  const double ticks = static_cast<double>(playTimeSeconds) * kTicksPerSecond;
  item.duration = ticks > 0 && ticks < 9.2e18 ? static_cast<int64_t>(ticks) : 0;
  if (item.width <= 0 || item.height <= 0) {
    item.width = kDefaultWidth;
    item.height = kDefaultHeight;
  }
  entries_.push_back(std::move(item));
  return true;
}

bool MovieSequence::Restart(SequenceItem& entry) {
  nextIndex_ = 0;
  return Next(entry);
}

bool MovieSequence::Next(SequenceItem& entry) {
  if (nextIndex_ >= entries_.size()) return false;
  entry = entries_[nextIndex_++];
  return true;
}

void MovieSequence::Start(SequenceItem& entry) {
  host_->LoadEntry(entry);
  if (paused_) host_->StopPlay();
  if (entry.timed) entry.endTime = clock_() + entry.duration;
  const int64_t giveUpAt = clock_() + kReadyWaitLimit;
  while (!host_->IsReady()) {
    if (!host_->PumpPendingMessages(kPumpBatch) || !host_->HasWindow()) break;
    if (clock_() >= giveUpAt) break;
  }
  host_->ResetReady(1);
  stallTicks_ = 0;
  lastSeenFrame_ = host_->HasWindow() ? host_->GetCurrentFrame() : -1;
}

bool MovieSequence::Advance(SequenceItem& entry) {
  if (!host_) return false;
  host_->StopPlay();
  if (Next(entry) || (loop_ && Restart(entry))) {
    Start(entry);
    return true;
  }
  host_->StopPlay();
  lastSeenFrame_ = -1;
  ended_ = true;
  return false;
}

bool MovieSequence::Stall(SequenceItem& entry, int frame) {
  if (static_cast<int64_t>(stallTicks_) * period_ > kStallLimitMs) return Advance(entry);
  ++stallTicks_;
  lastSeenFrame_ = frame;
  return false;
}

bool MovieSequence::Step(SequenceItem& entry) {
  if (!host_ || !host_->HasWindow()) return false;
  if (startPending_) {
    if (!Restart(entry)) return false;
    startPending_ = false;
    Start(entry);
    return true;
  }
  if (paused_) return false;
  const int frame = host_->GetCurrentFrame();
  const bool playing = host_->IsPlaying();
  if (entry.timed) {
    if (clock_() < entry.endTime) return false;
    return Advance(entry);
  }
  if (!playing) {
    if (entry.lastFrame == 0) return Stall(entry, frame);
    return Advance(entry);
  }
  if (host_->IsReady()) {
    // The movie loaded another movie into itself: from here on it runs on its own.
    host_->ResetReady(0);
    lastSeenFrame_ = frame;
    ended_ = true;
    return false;
  }
  if (frame < lastSeenFrame_) return Advance(entry);
  if (entry.lastFrame == 0) return Stall(entry, frame);
  if (frame == entry.lastFrame) return Advance(entry);
  lastSeenFrame_ = frame;
  return false;
}

void MovieSequence::SetPaused(bool paused, SequenceItem& entry) {
  if (paused) {
    if (!paused_) pauseStart_ = clock_();
  } else if (paused_) {
    entry.endTime += clock_() - pauseStart_;
  }
  paused_ = paused;
}

}  // namespace zp
