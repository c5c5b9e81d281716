#include "core/swf/swf_player.h"

#include <algorithm>
#include <functional>
#include <utility>

#include "core/swf/swf_builtins.h"
#include "core/swf/swf_input_objects.h"
#include "core/swf/swf_timeline.h"
#include "core/swf/swf_clip.h"
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

Player::Player() { ResetTree(); }

Player::~Player() = default;

void Player::ResetTree() {
  root_ = std::make_unique<Instance>(nullptr, 0, 0);
  instances_.clear();
  initializedSprites_.clear();
  nextInstanceName_ = 1;
  target_ = nullptr;
  if (movie_) {
    root_->movie = movie_.get();
    root_->timeline = &movie_->timeline();
  }
}

void Player::Load(std::shared_ptr<const Movie> movie, uint64_t nowMs) {
  Unload();
  if (!movie) return;
  movie_ = std::move(movie);
  ResetTree();
  root_->playing = true;
  auto* rootObject = new ClipObject(*this, root_->serial);
  vm_ = std::make_unique<Vm>(movie_->version(), static_cast<ActionHost&>(*this), rootObject);
  vm_->heap().Adopt(rootObject);
  clipObjects_[root_->serial] = rootObject;
  InstallInputObjects(*vm_, *this);
  loadedAtMs_ = nowMs;
  nextDueMs_ = static_cast<double>(nowMs) + FrameIntervalMs();
  ShowFrame(*root_, 0);
  RunQueuedActions();
}

void Player::Unload() {
  clipObjects_.clear();
  vm_.reset();  // before the movie: functions point into its bytes
  movie_.reset();
  ResetTree();
  actionQueue_.clear();
  hoverButton_ = pressedButton_ = focus_ = 0;
  mouseDown_ = focusPressed_ = false;
  std::fill(keysDown_.begin(), keysDown_.end(), false);
  lastKeyCode_ = lastKeyAscii_ = 0;
  redraw_ = true;
}

Rgba Player::background() const {
  const auto color = movie_ ? movie_->background() : std::nullopt;
  return color ? *color : Rgba{255, 255, 255, 255};
}

double Player::FrameIntervalMs() const {
  const uint16_t rate = movie_ ? movie_->header().frameRate8_8 : 0;
  return rate == 0 ? 1000.0 / 12 : 1000.0 * 256 / rate;
}

bool Player::NeedsFrames() const {
  if (!movie_) return false;
  if (root_->playing) return true;
  for (const auto& [serial, instance] : instances_) {
    if (instance->playing && instance->FrameCount() > 1) return true;
  }
  return HasFrameHandlers();
}

bool Player::HasFrameHandlers() const {
  for (const auto& [serial, instance] : instances_) {
    for (const ClipEventHandler& handler : ReadClipEventHandlers(instance->clipActions, movie_->version())) {
      if (handler.events & kEventEnterFrame) return true;
    }
  }
  for (const auto& [serial, object] : clipObjects_) {
    if (object->FindOwn(ClipEventMethod(kEventEnterFrame))) return true;
  }
  return false;
}

void Player::QueueClipHandlers(Instance& clip, ClipEvent event) {
  if (clip.clipActions.empty()) return;
  const uint8_t version = clip.parent && clip.parent->movie ? clip.parent->movie->version() : movie_->version();
  for (const ClipEventHandler& handler : ReadClipEventHandlers(clip.clipActions, version)) {
    if (handler.events & event) actionQueue_.push_back({clip.serial, handler.actions, {}, event == kEventUnload, false});
  }
}

void Player::QueueClipEvent(Instance& clip, ClipEvent event) {
  QueueClipHandlers(clip, event);
  const std::u16string_view method = ClipEventMethod(event);
  if (!method.empty() && clip.HasTimeline()) actionQueue_.push_back({clip.serial, {}, method, event == kEventUnload, false});
}

void Player::ClipCreated(Instance& clip) {
  if (!clip.HasTimeline()) return;
  if (clip.fromTimeline) actionQueue_.push_back({clip.serial, {}, {}, false, true});  // its class first
  QueueClipEvent(clip, kEventLoad);
}

size_t Player::Construct(Instance& clip, size_t budget) {
  if (!clip.movie) return 0;
  // The symbol's class: a name registered with Object.registerClass that exports this clip.
  Object* registry = RegisteredClasses(*vm_);
  std::vector<std::u16string> names;
  registry->OwnKeys(names, true);
  for (const std::u16string& name : names) {
    if (clip.movie->FindExport(name) != clip.character) continue;
    const Value constructor = registry->FindOwn(name)->value;
    const Value prototype = vm_->GetMember(constructor, u"prototype");
    if (!prototype.IsObject()) return 0;
    Object* object = ObjectFor(clip);
    object->SetProto(prototype.AsObject());
    object->Define(u"__constructor__", constructor, kDontEnum);
    if (movie_->version() < 7) object->Define(u"constructor", constructor, kDontEnum);
    return vm_->RunMethod(Value(object), u"__constructor__", {}, budget);
  }
  return 0;
}

void Player::ClipRemoved(Instance& clip) {
  if (!vm_ || !clip.HasTimeline() || (clip.clipActions.empty() && !clipObjects_.count(clip.serial))) return;
  ObjectFor(clip);  // what the handlers run on once the clip is gone
  QueueClipEvent(clip, kEventUnload);
}

int Player::Advance(uint64_t nowMs) {
  if (!movie_) return 0;
  const double now = static_cast<double>(nowMs);
  const double interval = FrameIntervalMs();
  vm_->SetClock(static_cast<double>(nowMs - std::min(nowMs, loadedAtMs_)));
  vm_->RunTimers(actionBudget_);
  target_ = nullptr;  // timers may have aimed timeline actions elsewhere
  RunQueuedActions();
  if (!NeedsFrames()) {
    nextDueMs_ = now + interval;  // playing again later starts a full frame from then
    return 0;
  }
  int stepped = 0;
  while (now >= nextDueMs_ && stepped < kMaxCatchUpFrames && NeedsFrames()) {
    nextDueMs_ += interval;
    ++stepped;
    Tick();
  }
  if (now >= nextDueMs_) nextDueMs_ = now + interval;
  CollectGarbage(false);
  return stepped;
}

int Player::StepFrames(int frames) {
  int stepped = 0;
  while (stepped < frames && NeedsFrames()) {
    ++stepped;
    Tick();
  }
  CollectGarbage(false);
  return stepped;
}

void Player::Tick() {
  // Clips run their frame in the reverse of the order they were made (serials grow), the root
  // last: each first receives its enter-frame event, then its timeline moves on. Clips made
  // during the tick wait for the next one.
  std::vector<uint32_t> order;
  order.reserve(instances_.size() + 1);
  for (const auto& [serial, instance] : instances_) {
    if (instance->HasTimeline()) order.push_back(serial);
  }
  std::sort(order.begin(), order.end(), std::greater<>());
  order.push_back(root_->serial);
  for (const uint32_t serial : order) {
    Instance* clip = FindBySerial(serial);
    if (!clip) continue;  // removed by an earlier clip's frame
    QueueClipEvent(*clip, kEventEnterFrame);
    if (clip->playing) StepTimeline(*clip);
  }
  RunQueuedActions();
}

bool Player::StepTimeline(Instance& clip) {
  const size_t count = clip.FrameCount();
  if (clip.currentFrame + 1 < count) {
    ShowFrame(clip, clip.currentFrame + 1);
  } else if (&clip == root_.get() && !loop_) {
    clip.playing = false;  // stays on the last frame
    return false;
  } else if (count > 1) {
    ShowFrame(clip, 0);  // a timeline of one frame has nothing to play again
  }
  return true;
}

void Player::ShowFrame(Instance& clip, size_t frame) { DisplayTreeEditor::ShowFrame(*this, clip, frame); }

Instance* Player::CreateInstance(Instance& parent, int32_t depth, uint16_t character, std::u16string name) {
  return DisplayTreeEditor::Create(*this, parent, depth, character, std::move(name));
}

void Player::RemoveInstance(Instance& instance) {
  if (instance.parent) DisplayTreeEditor::Remove(*this, *instance.parent, instance.depth);
}

Instance* Player::FindBySerial(uint32_t serial) {
  if (serial == root_->serial) return root_.get();
  const auto it = instances_.find(serial);
  return it == instances_.end() ? nullptr : it->second;
}

void Player::Play() {
  if (movie_) Target().playing = true;
}

void Player::GotoFrameAndStop(size_t frame) {
  if (!movie_) return;
  root_->playing = false;
  ShowFrame(*root_, frame);
  RunQueuedActions();
}

void Player::Rewind() { GotoFrameAndStop(0); }

void Player::Forward() {
  if (movie_) GotoFrameAndStop(std::min(root_->currentFrame + 1, movie_->FrameCount() - 1));
}

void Player::Back() {
  if (movie_) GotoFrameAndStop(root_->currentFrame == 0 ? 0 : root_->currentFrame - 1);
}

void Player::NextFrame() {
  Instance& clip = Target();
  clip.playing = false;
  if (clip.currentFrame + 1 < clip.FrameCount()) ShowFrame(clip, clip.currentFrame + 1);
}

void Player::PrevFrame() {
  Instance& clip = Target();
  clip.playing = false;
  if (clip.currentFrame > 0) ShowFrame(clip, clip.currentFrame - 1);
}

void Player::GotoFrame(uint32_t frame) {
  // A frame past the end is one that never loads: going there does nothing.
  Instance& clip = Target();
  if (clip.HasTimeline() && frame < clip.FrameCount()) ShowFrame(clip, frame);
}

void Player::GotoLabel(std::u16string_view label) {
  Instance& clip = Target();
  if (!clip.HasTimeline()) return;
  if (const auto frame = clip.timeline->FindLabel(label)) ShowFrame(clip, *frame);
}

void Player::GetUrl(std::u16string_view url, std::u16string_view target) {
  if (url.size() >= kFsCommandPrefix.size() && EqualsNoCase(url.substr(0, kFsCommandPrefix.size()), kFsCommandPrefix)) {
    fsCommands_.push_back({std::u16string(url.substr(kFsCommandPrefix.size())), std::u16string(target)});
  }
  // Other addresses would open a browser window; this player does not navigate.
}

void Player::QueueFrameActions(Instance& clip, size_t from, size_t to) {
  const auto& frames = clip.timeline->frames;
  for (size_t f = from; f <= to && f < frames.size(); ++f) {
    for (const InitActions& init : frames[f].initActions) {
      if (initializedSprites_.emplace(clip.movie, init.sprite).second) actionQueue_.push_back({clip.serial, init.actions, {}, false, false});
    }
  }
  if (to < frames.size()) {
    for (const auto& block : frames[to].actions) actionQueue_.push_back({clip.serial, block, {}, false, false});
  }
}

void Player::RunQueuedActions() {
  if (runningActions_) return;  // a goto inside actions queues; the outer loop runs it
  runningActions_ = true;
  size_t blocks = 0;
  size_t budget = actionBudget_;
  for (size_t i = 0; i < actionQueue_.size() && budget > 0 && ++blocks <= kMaxBlocksPerStep; ++i) {
    const QueuedBlock queued = actionQueue_[i];
    Instance* clip = FindBySerial(queued.clip);
    Object* object = nullptr;
    if (clip && clip->movie) {
      object = ObjectFor(*clip);
      target_ = clip;
    } else if (queued.afterRemoval) {
      const auto left = clipObjects_.find(queued.clip);
      if (left == clipObjects_.end()) continue;
      object = left->second;
      target_ = &removedTarget_;
    } else {
      continue;  // removed before its actions ran
    }
    const size_t executed = queued.construct        ? (clip ? Construct(*clip, budget) : 0)
                            : queued.method.empty() ? vm_->RunBlock(queued.actions, object, budget).executed
                                                    : vm_->RunMethod(Value(object), queued.method, {}, budget);
    budget -= std::min(budget, executed);
    target_ = nullptr;
  }
  actionQueue_.clear();
  runningActions_ = false;
  SyncBoundFields();
}

void Player::SyncBoundFields() {
  if (!vm_) return;
  for (const auto& [serial, instance] : instances_) {
    TextFieldState* field = instance->textField.get();
    if (!field || field->variableName().empty() || !instance->parent) continue;
    // "a.b.v", "/a:v", "_root.v": the path leads from the field's clip to the variable's owner.
    const std::u16string_view path = field->variableName();
    Value owner(ObjectFor(path[0] == u'/' ? *root_ : *instance->parent));
    size_t start = path[0] == u'/' ? 1 : 0;
    std::u16string_view name;
    while (true) {
      const size_t end = path.find_first_of(u".:/", start);
      name = path.substr(start, end == std::u16string_view::npos ? std::u16string_view::npos : end - start);
      if (end == std::u16string_view::npos) break;
      if (!name.empty()) owner = vm_->GetMember(owner, name);
      start = end + 1;
    }
    if (!owner.IsObject() || name.empty()) continue;
    const Value value = vm_->GetMember(owner, name);
    if (value.IsUndefined()) {
      // The variable starts from what the field shows.
      const std::u16string text = field->text();
      if (!text.empty()) vm_->SetMember(owner, name, Value(text));
      continue;
    }
    // HTML fields keep the formatting their own text gives them until a script sets it.
    if (field->definition().html) continue;
    const std::u16string text = vm_->ToString(value);
    if (text == field->text()) continue;
    field->SetText(text);
    redraw_ = true;
  }
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
  return vm_ ? vm_->GetVariable(VariableKey(name)) : Value();
}

void Player::SetVariable(std::u16string_view name, Value value) {
  if (name.empty() || !vm_) return;
  vm_->SetVariable(VariableKey(name), value);
}

void Player::CallFrame(uint32_t frame) {
  Instance& clip = Target();
  if (!clip.HasTimeline() || frame >= clip.FrameCount()) return;
  for (const auto& block : clip.timeline->frames[frame].actions) vm_->RunBlock(block, ObjectFor(clip), actionBudget_);
}

void Player::SetActionTarget(Object* timeline) {
  auto* clip = dynamic_cast<ClipObject*>(timeline);
  Instance* instance = clip ? clip->instance() : nullptr;
  if (instance && instance->HasTimeline()) target_ = instance;
}

Object* Player::ObjectFor(Instance& instance) {
  Object*& object = clipObjects_[instance.serial];
  if (!object) {
    // Text fields, buttons and videos are plain objects to scripts (typeof gives "object").
    const bool field = instance.kind == CharacterKind::kEditText, button = instance.kind == CharacterKind::kButton;
    const bool video = instance.kind == CharacterKind::kVideo;
    const ObjectKind kind = field || button || video ? ObjectKind::kObject : ObjectKind::kClip;
    object = vm_->heap().Make<ClipObject>(*this, instance.serial, kind);
    object->SetProto(field    ? vm_->textFieldProto
                     : button ? vm_->buttonProto
                     : video  ? vm_->videoProto
                              : vm_->movieClipProto);
  }
  return object;
}

void Player::CollectGarbage(bool always) {
  if (!vm_) return;
  // Objects of instances that left the stage are kept only while scripts refer to them.
  std::vector<Object*> live;
  for (auto it = clipObjects_.begin(); it != clipObjects_.end();) {
    if (FindBySerial(it->first)) {
      live.push_back(it->second);
      ++it;
    } else {
      it = clipObjects_.erase(it);
    }
  }
  if (always) {
    vm_->Collect(live);
  } else {
    vm_->MaybeCollect(live);
  }
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
