#include "core/swf/swf_player.h"

#include <algorithm>
#include <utility>

#include "core/text.h"

namespace zp::swf {
namespace {

// A frame whose actions keep jumping elsewhere could run forever; each step runs at most
// this many action blocks.
constexpr size_t kMaxBlocksPerStep = 256;
// After a long stall the clock skips ahead instead of replaying every missed frame.
constexpr int kMaxCatchUpFrames = 4;

constexpr std::u16string_view kFsCommandPrefix = u"FSCommand:";

}  // namespace

void Player::Load(std::shared_ptr<const Movie> movie, uint64_t nowMs) {
  Unload();
  if (!movie) return;
  movie_ = std::move(movie);
  playing_ = true;
  nextDueMs_ = static_cast<double>(nowMs) + FrameIntervalMs();
  Enter(0);
  RunQueuedActions();
}

void Player::Unload() {
  movie_.reset();
  current_ = 0;
  playing_ = false;
  displayList_.clear();
  background_ = {255, 255, 255, 255};
  variables_.clear();
  actionQueue_.clear();
  redraw_ = true;
}

double Player::FrameIntervalMs() const {
  const uint16_t rate = movie_ ? movie_->header().frameRate8_8 : 0;
  return rate == 0 ? 1000.0 / 12 : 1000.0 * 256 / rate;
}

int Player::Advance(uint64_t nowMs) {
  if (!movie_) return 0;
  const double now = static_cast<double>(nowMs);
  const double interval = FrameIntervalMs();
  if (!playing_) {
    nextDueMs_ = now + interval;  // playing again later starts a full frame from then
    return 0;
  }
  int stepped = 0;
  while (playing_ && now >= nextDueMs_ && stepped < kMaxCatchUpFrames) {
    nextDueMs_ += interval;
    ++stepped;
    if (!StepFrame()) break;
  }
  if (now >= nextDueMs_) nextDueMs_ = now + interval;
  return stepped;
}

int Player::StepFrames(int frames) {
  int stepped = 0;
  while (movie_ && playing_ && stepped < frames) {
    ++stepped;
    if (!StepFrame()) break;
  }
  return stepped;
}

bool Player::StepFrame() {
  const size_t last = movie_->FrameCount() - 1;
  if (current_ < last) {
    Enter(current_ + 1);
  } else if (loop_) {
    Enter(0);
  } else {
    playing_ = false;  // stays on the last frame
    return false;
  }
  RunQueuedActions();
  return true;
}

void Player::Play() {
  if (movie_ && !playing_) {
    playing_ = true;
  }
}

void Player::GotoFrameAndStop(size_t frame) {
  if (!movie_) return;
  playing_ = false;
  Enter(std::min(frame, movie_->FrameCount() - 1));
  RunQueuedActions();
}

void Player::Rewind() { GotoFrameAndStop(0); }

void Player::Forward() {
  if (movie_) GotoFrameAndStop(std::min(current_ + 1, movie_->FrameCount() - 1));
}

void Player::Back() {
  if (movie_) GotoFrameAndStop(current_ == 0 ? 0 : current_ - 1);
}

void Player::NextFrame() {
  playing_ = false;
  if (movie_ && current_ + 1 < movie_->FrameCount()) Enter(current_ + 1);
}

void Player::PrevFrame() {
  playing_ = false;
  if (movie_ && current_ > 0) Enter(current_ - 1);
}

void Player::GotoFrame(uint32_t frame) {
  if (movie_) Enter(std::min<size_t>(frame, movie_->FrameCount() - 1));
}

void Player::GotoLabel(std::u16string_view label) {
  if (!movie_) return;
  if (const auto frame = movie_->FindLabel(label)) Enter(*frame);
}

void Player::GetUrl(std::u16string_view url, std::u16string_view target) {
  if (url.size() >= kFsCommandPrefix.size() && EqualsNoCase(url.substr(0, kFsCommandPrefix.size()), kFsCommandPrefix)) {
    fsCommands_.push_back({std::u16string(url.substr(kFsCommandPrefix.size())), std::u16string(target)});
  }
  // Other addresses would open a browser window; this player does not navigate.
}

void Player::Enter(size_t frame) {
  const auto& frames = movie_->frames();
  const auto before = displayList_;
  const Rgba backgroundBefore = background_;
  if (frame == current_ + 1 && frame < frames.size() && !displayList_.empty()) {
    ApplyChanges(frames[frame]);
  } else if (frame != current_ || displayList_.empty()) {
    // Going anywhere but forward by one rebuilds the display list from the start; this also
    // puts back the background colour that the frames before it set.
    displayList_.clear();
    background_ = {255, 255, 255, 255};
    for (size_t i = 0; i <= frame; ++i) ApplyChanges(frames[i]);
  }
  if (displayList_ != before || !(background_ == backgroundBefore)) redraw_ = true;
  current_ = frame;
  if (!frames[frame].actions.empty()) actionQueue_.push_back(frame);
}

void Player::ApplyChanges(const Frame& frame) {
  for (const DisplayChange& change : frame.changes) {
    switch (change.kind) {
      case DisplayChange::Kind::kBackground:
        background_ = change.background;
        break;
      case DisplayChange::Kind::kRemove:
        displayList_.erase(change.depth);
        break;
      case DisplayChange::Kind::kPlace: {
        auto it = displayList_.find(change.depth);
        if (change.move) {
          if (it == displayList_.end()) break;
          if (change.character) it->second.character = *change.character;
        } else {
          if (!change.character) break;
          it = displayList_.insert_or_assign(change.depth, Placement{*change.character, {}, {}}).first;
        }
        if (change.matrix) it->second.matrix = *change.matrix;
        if (change.colorTransform) it->second.colorTransform = *change.colorTransform;
        break;
      }
    }
  }
}

void Player::RunQueuedActions() {
  if (runningActions_) return;  // a goto inside actions queues; the outer loop runs it
  runningActions_ = true;
  size_t blocks = 0;
  size_t budget = actionBudget_;
  for (size_t i = 0; i < actionQueue_.size() && blocks < kMaxBlocksPerStep && budget > 0; ++i) {
    const size_t frame = actionQueue_[i];
    for (const auto& block : movie_->frames()[frame].actions) {
      if (++blocks > kMaxBlocksPerStep || budget == 0) break;
      budget -= RunActions(block, movie_->version(), *this, budget).executed;
    }
  }
  actionQueue_.clear();
  runningActions_ = false;
}

std::u16string Player::VariableKey(std::u16string_view name) {
  for (std::u16string_view prefix : {u"/:", u"_root.", u"_root:", u"_level0.", u"_level0:", u"/"}) {
    if (name.size() > prefix.size() && EqualsNoCase(name.substr(0, prefix.size()), prefix)) {
      return std::u16string(name.substr(prefix.size()));
    }
  }
  return std::u16string(name);
}

Value Player::GetVariable(std::u16string_view name) {
  const auto it = variables_.find(VariableKey(name));
  return it == variables_.end() ? Value() : it->second;
}

void Player::SetVariable(std::u16string_view name, Value value) {
  if (name.empty()) return;
  variables_.insert_or_assign(VariableKey(name), std::move(value));
}

void Player::Trace(std::u16string_view message) {
  // A movie tracing in a loop keeps at most this many unread lines; later ones are dropped.
  constexpr size_t kMaxPendingLines = 100000;
  size_t start = 0;
  for (size_t i = 0; i <= message.size(); ++i) {
    if (i == message.size() || message[i] == u'\r' || message[i] == u'\n') {
      if (traceLines_.size() >= kMaxPendingLines) return;
      traceLines_.emplace_back(message.substr(start, i - start));
      start = i + 1;
    }
  }
}

std::vector<std::u16string> Player::TakeTraceLines() { return std::exchange(traceLines_, {}); }

std::vector<FsCommandRequest> Player::TakeFsCommands() { return std::exchange(fsCommands_, {}); }

bool Player::TakeRedraw() { return std::exchange(redraw_, false); }

}  // namespace zp::swf
