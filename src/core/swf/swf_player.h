// Playback of one movie: the display tree (the root timeline and every sprite instance, each
// with its own frame and playing state), the root timeline's variables, and the frame clock. Time comes from outside (milliseconds from any origin), so
// the same model runs under a real timer and in tests.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/swf/swf_actions.h"
#include "core/swf/swf_clip_events.h"
#include "core/swf/swf_bounds.h"
#include "core/swf/swf_display.h"
#include "core/swf/swf_keys.h"
#include "core/swf/swf_movie.h"
#include "core/swf/swf_vm.h"

namespace zp::swf {

// A "FSCommand:" request made by a frame action, in the order the actions made them.
struct FsCommandRequest {
  std::u16string command;
  std::u16string arguments;
};

class Player final : private ActionHost {
 public:
  Player();
  ~Player();
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;

  // Shows frame 0 (running its actions) and starts playing; the clock starts at `nowMs`.
  void Load(std::shared_ptr<const Movie> movie, uint64_t nowMs);
  void Unload();
  bool loaded() const { return movie_ != nullptr; }
  const Movie* movie() const { return movie_.get(); }

  // Advances by the frames that are due at `nowMs` (at most a few per call, so that a long
  // pause does not replay many frames at once). Returns the number of frames stepped. Each
  // frame gives every clip that was already there its enter-frame event and moves its timeline
  // on when it plays, newest clip first and the root last; sprites keep playing while the root
  // stands still.
  int Advance(uint64_t nowMs);
  // Steps `frames` frame periods at once, as if that much time had passed, without waiting for
  // the clock (deterministic playback for measuring). Returns the number of frames stepped.
  int StepFrames(int frames);
  // Milliseconds per frame at the movie's rate (a rate of 0 plays at 12 frames per second).
  double FrameIntervalMs() const;

  // Whether frames still change anything: the root or some sprite plays.
  bool NeedsFrames() const;

  // The control's own playback operations, on the root timeline. (While actions run, `Play`
  // acts on the timeline whose actions they are.)
  void Play() override;
  void StopPlay() { root_->playing = false; }
  void Rewind();   // frame 0, stopped
  void Forward();  // one frame on, stopped
  void Back();     // one frame back, stopped
  void GotoFrameAndStop(size_t frame);

  bool playing() const { return root_->playing; }
  bool loop() const { return loop_; }
  void SetLoop(bool on) { loop_ = on; }
  size_t currentFrame() const { return root_->currentFrame; }
  size_t frameCount() const { return movie_ ? movie_->FrameCount() : 0; }

  // The display tree (see swf_display.h for how to walk and address it).
  Instance& root() { return *root_; }
  const Instance& root() const { return *root_; }
  const std::map<int32_t, Instance>& displayList() const { return root_->children; }
  Instance* FindBySerial(uint32_t serial);
  const Instance* FindBySerial(uint32_t serial) const { return const_cast<Player*>(this)->FindBySerial(serial); }
  // The object scripts see for an instance (made on first use, the same one afterwards).
  Object* ObjectFor(Instance& instance);
  // Scripts changed what is visible.
  void MarkRedraw() { redraw_ = true; }
  // Puts `clip` (a sprite or the root) on `frame` (0-based, clamped to its last), as a goto
  // does: its display list as that frame has it, its actions queued. Runs nothing by itself.
  void ShowFrame(Instance& clip, size_t frame);
  // What scripts make and remove (attachMovie, duplicateMovieClip, removeMovieClip): a new
  // instance of `character` (an id of `parent`'s movie) at `depth`, replacing what stood
  // there, or null when nothing can be made (an unknown id, a budget reached). The timeline
  // leaves such instances alone.
  Instance* CreateInstance(Instance& parent, int32_t depth, uint16_t character, std::u16string name);
  void RemoveInstance(Instance& instance);
  // Puts `clip`'s handlers for `event` (its clip actions, then the method scripts set on its
  // object) in line behind the actions already waiting. Runs nothing by itself.
  // The clip's onClipEvent handlers for the event.
  void QueueClipHandlers(Instance& clip, ClipEvent event);
  // Its handlers, then its method for the event (onLoad, onPress...).
  void QueueClipEvent(Instance& clip, ClipEvent event);
  // A clip came on the stage: its load event waits for the actions of the frame.
  void ClipCreated(Instance& clip);
  // A clip leaves the stage: its unload handlers still run, on the object it leaves behind.
  void ClipRemoved(Instance& clip);

  // A movie that places more objects than this, or nests sprites deeper, is cut off there:
  // what lies beyond is not created.
  static constexpr size_t kMaxInstances = 20000;
  static constexpr int kMaxNesting = 64;

  // The mouse over the stage, in twips of the root's space. Buttons under it take on the look
  // of where the mouse stands with them and run the actions of each transition (in the
  // context of the clip that holds them, then the handler methods scripts set on them,
  // onPress...); clips hear it through their mouse events. Each runs what it queued.
  void MouseMove(Point stage);
  void MouseDown(Point stage);
  void MouseUp(Point stage);
  // Clips with handlers for button events (on (press), onRelease...) take the mouse as buttons
  // do, where what they show lies, without changing their looks.
  // Whether the mouse is on a button that has something to run (the hand cursor shows).
  bool OverActiveButton();
  // The mouse in `clip`'s own space (twips), as its _xmouse/_ymouse give it.
  Point MouseIn(const Instance& clip) const;

  // Keys, by the codes Key.getCode gives (swf_keys.h) with the character they type (0 for
  // none). A press goes to the Key object's listeners, the clips' key events, the buttons'
  // key-press actions; Tab moves the focus on (back with Shift), Enter and Space press the
  // button that has it. Each runs what it queued.
  void KeyDown(int keyCode, int ascii);
  void KeyUp(int keyCode, int ascii);
  bool IsKeyDown(int keyCode) const;
  int lastKeyCode() const { return lastKeyCode_; }
  int lastKeyAscii() const { return lastKeyAscii_; }

  // The keyboard focus: a button, or a clip that takes the mouse as one or is tab-enabled;
  // null for none. Moving it tells Selection's listeners (onSetFocus) and the clips
  // (onKillFocus, onSetFocus).
  Instance* Focus();
  void SetFocus(Instance* to);
  // The objects in the order Tab visits them: by tabIndex when any has one (only those), else
  // from top to bottom and left to right.
  std::vector<Instance*> TabOrder();
  // Whether `clip` shows the focus rectangle while focused (its _focusrect, else the root's).
  bool ShowsFocusRect(const Instance& clip) const;
  // Where the focus rectangle stands, in twips of the root's space; nothing when none shows.
  std::optional<Extent> FocusRectangle() const;

  // Root timeline variables, shared by the actions and the control's SetVariable/GetVariable.
  // Names may carry the root path ("/:", "_root.", "_level0." and the like).
  Value GetVariable(std::u16string_view name) override;
  void SetVariable(std::u16string_view name, Value value) override;

  // The movie's stage colour, white when it sets none.
  Rgba background() const;

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
  // ActionHost for frame actions: timeline operations act on the clip whose actions run.
  void Stop() override { Target().playing = false; }
  void NextFrame() override;
  void PrevFrame() override;
  void GotoFrame(uint32_t frame) override;
  void GotoLabel(std::u16string_view label) override;
  void GetUrl(std::u16string_view url, std::u16string_view target) override;
  void Trace(std::u16string_view message) override;
  size_t FrameCount() override { return Target().FrameCount(); }
  size_t CurrentFrame() override { return Target().currentFrame; }
  void CallFrame(uint32_t frame) override;
  void SetActionTarget(Object* timeline) override;
  void CollectGarbage(bool always);

  struct QueuedBlock {
    uint32_t clip;  // serial of the instance whose actions these are
    std::span<const uint8_t> actions;
    std::u16string_view method;  // not empty: call this method of the clip's object instead
    bool afterRemoval = false;   // runs on the object of a clip that has left the stage
    bool construct = false;      // runs the constructor of the class registered for its symbol
  };

  Instance& Target() { return target_ ? *target_ : *root_; }
  void ResetTree();
  void Tick();                          // one frame of the whole tree, then its actions
  bool HasFrameHandlers() const;       // some clip acts on every frame by itself
  void SyncBoundFields();              // text fields show the variables they name
  size_t Construct(Instance& clip, size_t budget);  // a registered class makes the clip its instance
  bool StepTimeline(Instance& clip);    // the next frame; false at the end of a root that does not loop
  void QueueFrameActions(Instance& clip, size_t from, size_t to);
  void RunQueuedActions();
  static std::u16string VariableKey(std::u16string_view name);
  Instance* ButtonBySerial(uint32_t serial);  // a button, or a clip acting as one
  bool ActsAsButton(const Instance& clip);     // it has handlers for button events
  void UpdateButtons();  // the mouse moved: the buttons it left and reached change phase
  void MoveButton(Instance& button, ButtonPhase to, uint16_t condition, ClipEvent event);
  void QueueMouseEvent(ClipEvent event);
  // Every clip's handlers for a key going down or up, in stage order; the method only on the
  // focused clip.
  void QueueKeyClipEvent(ClipEvent event);
  void QueueKeyActions(uint8_t buttonKey);  // the buttons' and clips' actions for a pressed key
  void MoveFocus(bool backwards);
  void Broadcast(std::u16string_view object, std::u16string_view method, std::span<const Value> args);

  friend class DisplayTreeBuilder;

  std::shared_ptr<const Movie> movie_;
  bool loop_ = true;
  double nextDueMs_ = 0;
  std::unique_ptr<Instance> root_;
  uint32_t nextSerial_ = 1;
  double nextInstanceName_ = 1;  // the number of the next "instanceN" name
  std::unordered_map<uint32_t, Instance*> instances_;  // by serial, every instance but the root
  Instance* target_ = nullptr;                         // whose actions run now
  Instance removedTarget_{nullptr, 0, 0};              // stands in for a target removed by its own actions
  std::set<std::pair<const Movie*, uint16_t>> initializedSprites_;
  std::unique_ptr<Vm> vm_;  // the movie's objects and variables; made at load
  std::unordered_map<uint32_t, Object*> clipObjects_;  // by serial, the objects scripts see
  uint64_t loadedAtMs_ = 0;
  std::vector<QueuedBlock> actionQueue_;
  bool runningActions_ = false;
  std::vector<FsCommandRequest> fsCommands_;
  std::vector<std::u16string> traceLines_;
  bool redraw_ = false;
  Point mouse_;
  bool mouseDown_ = false;
  uint32_t hoverButton_ = 0;    // serial of the button the mouse is on, 0 for none
  uint32_t pressedButton_ = 0;  // the button a press started on, until it is let go
  size_t actionBudget_ = 2000000;
  std::vector<bool> keysDown_ = std::vector<bool>(kMaxKeyCode + 1);
  int lastKeyCode_ = 0;
  int lastKeyAscii_ = 0;
  uint32_t focus_ = 0;         // serial of the focused object, 0 for none
  bool focusPressed_ = false;  // Enter or Space holds the focused button down
};

}  // namespace zp::swf
