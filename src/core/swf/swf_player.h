// Playback of one movie: the timeline position, the display list, the root timeline's
// variables, and the frame clock. Time comes from outside (milliseconds from any origin), so
// the same model runs under a real timer and in tests.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/swf/swf_actions.h"
#include "core/swf/swf_movie.h"

namespace zp::swf {

// An object on the display list.
struct Placement {
  uint16_t character = 0;
  Matrix matrix;
  ColorTransform colorTransform;
  bool operator==(const Placement&) const = default;
};

// A "FSCommand:" request made by a frame action, in the order the actions made them.
struct FsCommandRequest {
  std::u16string command;
  std::u16string arguments;
};

class Player final : private ActionHost {
 public:
  Player() = default;
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;

  // Shows frame 0 (running its actions) and starts playing; the clock starts at `nowMs`.
  void Load(std::shared_ptr<const Movie> movie, uint64_t nowMs);
  void Unload();
  bool loaded() const { return movie_ != nullptr; }
  const Movie* movie() const { return movie_.get(); }

  // Advances by the frames that are due at `nowMs` (at most a few per call, so that a long
  // pause does not replay many frames at once). Returns the number of frames stepped.
  int Advance(uint64_t nowMs);
  // Steps `frames` frame periods at once, as if that much time had passed, without waiting for
  // the clock (deterministic playback for measuring). Returns the number of frames stepped.
  int StepFrames(int frames);
  // Milliseconds per frame at the movie's rate (a rate of 0 plays at 12 frames per second).
  double FrameIntervalMs() const;

  // The control's own playback operations.
  void Play() override;
  void StopPlay() { playing_ = false; }
  void Rewind();   // frame 0, stopped
  void Forward();  // one frame on, stopped
  void Back();     // one frame back, stopped
  void GotoFrameAndStop(size_t frame);

  bool playing() const { return playing_; }
  bool loop() const { return loop_; }
  void SetLoop(bool on) { loop_ = on; }
  size_t currentFrame() const { return current_; }
  size_t frameCount() const { return movie_ ? movie_->FrameCount() : 0; }

  // Root timeline variables, shared by the actions and the control's SetVariable/GetVariable.
  // Names may carry the root path ("/:", "_root.", "_level0." and the like).
  Value GetVariable(std::u16string_view name) override;
  void SetVariable(std::u16string_view name, Value value) override;

  const std::map<uint16_t, Placement>& displayList() const { return displayList_; }
  Rgba background() const { return background_; }

  // At most this many actions run per frame step (all blocks together), so that a frame that
  // loops forever costs a bounded moment instead of freezing the thread that plays it.
  void SetActionBudget(size_t actions) { actionBudget_ = actions; }

  // Requests since the last call, in order.
  std::vector<FsCommandRequest> TakeFsCommands();
  // Lines traced since the last call, in order. A message with line breaks (CR, LF, or both)
  // gives one line per break, as an output window shows it.
  std::vector<std::u16string> TakeTraceLines();
  // Whether what is visible changed since the last call (a frame that changes nothing on the
  // display list or the background needs no redraw).
  bool TakeRedraw();

 private:
  // ActionHost for frame actions.
  void Stop() override { playing_ = false; }
  void NextFrame() override;
  void PrevFrame() override;
  void GotoFrame(uint32_t frame) override;
  void GotoLabel(std::u16string_view label) override;
  void GetUrl(std::u16string_view url, std::u16string_view target) override;
  void Trace(std::u16string_view message) override;

  bool StepFrame();  // the next frame, as playing reaches it; false at the end of a movie that does not loop
  void Enter(size_t frame);  // display list for `frame`, its actions queued
  void ApplyChanges(const Frame& frame);
  void RunQueuedActions();
  static std::u16string VariableKey(std::u16string_view name);

  std::shared_ptr<const Movie> movie_;
  size_t current_ = 0;
  bool playing_ = false;
  bool loop_ = true;
  double nextDueMs_ = 0;
  std::map<uint16_t, Placement> displayList_;
  Rgba background_{255, 255, 255, 255};
  std::map<std::u16string, Value> variables_;
  std::vector<size_t> actionQueue_;
  bool runningActions_ = false;
  std::vector<FsCommandRequest> fsCommands_;
  std::vector<std::u16string> traceLines_;
  bool redraw_ = false;
  size_t actionBudget_ = 50000;
};

}  // namespace zp::swf
