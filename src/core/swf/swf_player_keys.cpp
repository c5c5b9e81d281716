// The keyboard: key state, key events and key-press actions, and the focus Tab moves.
#include <algorithm>
#include <cmath>

#include "core/swf/swf_button.h"
#include "core/swf/swf_clip.h"
#include "core/swf/swf_paint.h"
#include "core/swf/swf_player.h"
#include "core/swf/swf_timeline.h"

namespace zp::swf {

namespace {

// From `clip`'s own space to the root's.
Matrix ToRoot(const Instance& clip) {
  Matrix m = clip.matrix;
  for (const Instance* up = clip.parent; up && up->parent; up = up->parent) m = m.Then(up->matrix);
  return m;
}

// Every instance but the root, in the order they came on the stage.
std::vector<Instance*> InStageOrder(const std::unordered_map<uint32_t, Instance*>& instances) {
  std::vector<Instance*> out;
  out.reserve(instances.size());
  for (const auto& [serial, instance] : instances) out.push_back(instance);
  std::sort(out.begin(), out.end(), [](const Instance* a, const Instance* b) { return a->serial < b->serial; });
  return out;
}

bool Shown(const Instance& clip) {
  for (const Instance* up = &clip; up; up = up->parent) {
    if (!up->visible) return false;
  }
  return true;
}

}  // namespace

Point Player::MouseIn(const Instance& clip) const {
  if (!clip.parent) return mouse_;
  const auto inverse = Invert(ToRoot(clip));
  return inverse ? inverse->Apply(mouse_) : Point{};
}

bool Player::IsKeyDown(int keyCode) const {
  return keyCode >= 0 && keyCode <= kMaxKeyCode && keysDown_[static_cast<size_t>(keyCode)];
}

void Player::Broadcast(std::u16string_view object, std::u16string_view method, std::span<const Value> args) {
  const Value source = vm_->GetMember(Value(vm_->global()), object);
  const Value listeners = source.IsObject() ? vm_->GetMember(source, u"_listeners") : Value();
  auto* list = dynamic_cast<ArrayObject*>(listeners.ObjectOrNull());
  if (!list) return;
  const std::vector<Value> copy = list->elements;  // a listener may add or remove others
  for (const Value& listener : copy) {
    if (listener.IsObject()) vm_->RunMethod(listener, method, args, actionBudget_);
  }
}

void Player::QueueKeyClipEvent(ClipEvent event) {
  for (Instance* instance : InStageOrder(instances_)) {
    if (instance->HasTimeline()) QueueClipHandlers(*instance, event);
  }
  if (Instance* focused = Focus(); focused && focused->HasTimeline()) {
    actionQueue_.push_back({focused->serial, {}, ClipEventMethod(event), false, false});
  }
}

void Player::KeyDown(int keyCode, int ascii) {
  if (!movie_) return;
  const bool repeat = IsKeyDown(keyCode);
  if (keyCode >= 0 && keyCode <= kMaxKeyCode) keysDown_[static_cast<size_t>(keyCode)] = true;
  lastKeyCode_ = keyCode;
  lastKeyAscii_ = ascii;
  QueueKeyClipEvent(kEventKeyDown);
  QueueKeyActions(ButtonKeyCode(keyCode, ascii));
  RunQueuedActions();
  Broadcast(u"Key", u"onKeyDown", {});
  if (keyCode == kKeyTab) {
    MoveFocus(IsKeyDown(kKeyShift));
  } else if ((keyCode == kKeyEnter || keyCode == kKeySpace) && !repeat && !focusPressed_) {
    if (Instance* button = Focus()) {
      focusPressed_ = true;
      MoveButton(*button, ButtonPhase::kOverDown, kCondOverUpToOverDown, kEventPress);
    }
  }
  RunQueuedActions();
}

void Player::KeyUp(int keyCode, int ascii) {
  if (!movie_) return;
  if (keyCode >= 0 && keyCode <= kMaxKeyCode) keysDown_[static_cast<size_t>(keyCode)] = false;
  lastKeyCode_ = keyCode;
  if (ascii != 0) lastKeyAscii_ = ascii;
  QueueKeyClipEvent(kEventKeyUp);
  RunQueuedActions();
  Broadcast(u"Key", u"onKeyUp", {});
  if ((keyCode == kKeyEnter || keyCode == kKeySpace) && focusPressed_) {
    focusPressed_ = false;
    // The mouse may be anywhere: the button goes back to how the mouse leaves it.
    if (Instance* button = Focus()) {
      MoveButton(*button, hoverButton_ == button->serial ? ButtonPhase::kOverUp : ButtonPhase::kIdle,
                 kCondOverDownToOverUp, kEventRelease);
    }
  }
  RunQueuedActions();
}

void Player::QueueKeyActions(uint8_t buttonKey) {
  if (buttonKey == 0) return;
  for (Instance* instance : InStageOrder(instances_)) {
    const uint32_t serial = instance->serial;
    if (instance->kind == CharacterKind::kButton && instance->enabled && instance->parent && instance->movie) {
      const ButtonDefinition* definition = instance->movie->FindButton(instance->character);
      if (!definition) continue;
      for (const ButtonAction& action : definition->actions) {
        if (action.keyCode == buttonKey) actionQueue_.push_back({instance->parent->serial, action.actions, {}, false, false});
      }
    } else if (instance->HasTimeline()) {
      for (const ClipEventHandler& handler : ReadClipEventHandlers(instance->clipActions, movie_->version())) {
        if ((handler.events & kEventKeyPress) && handler.keyCode == buttonKey) {
          actionQueue_.push_back({serial, handler.actions, {}, false, false});
        }
      }
    }
  }
}

Instance* Player::Focus() { return focus_ != 0 ? FindBySerial(focus_) : nullptr; }

void Player::SetFocus(Instance* to) {
  Instance* from = Focus();
  if (from == to) return;
  focus_ = to ? to->serial : 0;
  MarkRedraw();
  const Value oldValue = from ? Value(ObjectFor(*from)) : Value(Null{});
  const Value newValue = to ? Value(ObjectFor(*to)) : Value(Null{});
  if (from) vm_->RunMethod(oldValue, u"onKillFocus", std::span<const Value>(&newValue, 1), actionBudget_);
  if (to) vm_->RunMethod(newValue, u"onSetFocus", std::span<const Value>(&oldValue, 1), actionBudget_);
  const Value args[] = {oldValue, newValue};
  Broadcast(u"Selection", u"onSetFocus", args);
}

std::vector<Instance*> Player::TabOrder() {
  struct Candidate {
    Instance* instance;
    double index;  // NaN: none set
    double top, left;
  };
  std::vector<Candidate> found;
  bool anyIndex = false;
  for (Instance* instance : InStageOrder(instances_)) {
    const uint32_t serial = instance->serial;
    const bool button = instance->kind == CharacterKind::kButton;
    if (!button && !instance->HasTimeline()) continue;
    if (!Shown(*instance) || (button && !instance->enabled)) continue;
    Value tabEnabled, tabIndex;
    if (const auto object = clipObjects_.find(serial); object != clipObjects_.end()) {
      tabEnabled = vm_->GetMember(Value(object->second), u"tabEnabled");
      tabIndex = vm_->GetMember(Value(object->second), u"tabIndex");
    }
    if (tabEnabled.IsBool() ? !tabEnabled.AsBool() : !(button || ActsAsButton(*instance))) continue;
    const double index = tabIndex.IsNullish() ? std::nan("") : vm_->ToNumber(tabIndex);
    anyIndex = anyIndex || !std::isnan(index);
    const auto extent = ContentExtent(*instance, ToRoot(*instance));
    found.push_back({instance, index, extent ? extent->yMin : 0, extent ? extent->xMin : 0});
  }
  if (anyIndex) {
    std::erase_if(found, [](const Candidate& c) { return std::isnan(c.index); });
    std::stable_sort(found.begin(), found.end(), [](const Candidate& a, const Candidate& b) { return a.index < b.index; });
  } else {
    std::stable_sort(found.begin(), found.end(), [](const Candidate& a, const Candidate& b) {
      return a.top != b.top ? a.top < b.top : a.left < b.left;
    });
  }
  std::vector<Instance*> order;
  for (const Candidate& c : found) order.push_back(c.instance);
  return order;
}

void Player::MoveFocus(bool backwards) {
  const std::vector<Instance*> order = TabOrder();
  if (order.empty()) return;
  const auto at = std::find(order.begin(), order.end(), Focus());
  size_t next;
  if (at == order.end()) {
    next = backwards ? order.size() - 1 : 0;
  } else {
    const size_t here = static_cast<size_t>(at - order.begin());
    next = backwards ? (here + order.size() - 1) % order.size() : (here + 1) % order.size();
  }
  SetFocus(order[next]);
}

bool Player::ShowsFocusRect(const Instance& clip) const {
  if (clip.focusRect) return *clip.focusRect;
  return root_->focusRect.value_or(true);
}

std::optional<Extent> Player::FocusRectangle() const {
  const Instance* focused = focus_ != 0 ? FindBySerial(focus_) : nullptr;
  if (!focused || !focused->parent || !Shown(*focused) || !ShowsFocusRect(*focused)) return std::nullopt;
  return ContentExtent(*focused, ToRoot(*focused));
}

}  // namespace zp::swf
