// The mouse on the stage: the buttons' phases and the mouse events of clips.
#include "core/swf/swf_button_hit.h"
#include "core/swf/swf_player.h"
#include "core/swf/swf_timeline.h"

namespace zp::swf {

namespace {

// The events that make a clip a button.
constexpr ClipEvent kButtonEvents[] = {kEventPress,   kEventRelease,  kEventReleaseOutside, kEventRollOver,
                                       kEventRollOut, kEventDragOver, kEventDragOut};

}  // namespace

Instance* Player::ButtonBySerial(uint32_t serial) {
  Instance* instance = serial != 0 ? FindBySerial(serial) : nullptr;  // 0 is the root's
  return instance && (instance->kind == CharacterKind::kButton || instance->HasTimeline()) ? instance : nullptr;
}

bool Player::ActsAsButton(const Instance& clip) {
  if (!clip.clipActions.empty()) {
    const uint8_t version = clip.parent && clip.parent->movie ? clip.parent->movie->version() : movie_->version();
    for (const ClipEventHandler& handler : ReadClipEventHandlers(clip.clipActions, version)) {
      for (ClipEvent event : kButtonEvents) {
        if (handler.events & event) return true;
      }
    }
  }
  const auto object = clipObjects_.find(clip.serial);
  if (object == clipObjects_.end()) return false;
  for (ClipEvent event : kButtonEvents) {
    if (vm_->GetMember(Value(object->second), ClipEventMethod(event)).IsObject()) return true;
  }
  return false;
}

void Player::MouseMove(Point stage) {
  if (!movie_) return;
  mouse_ = stage;
  UpdateButtons();
  QueueMouseEvent(kEventMouseMove);
  RunQueuedActions();
  Broadcast(u"Mouse", u"onMouseMove", {});
}

void Player::MouseDown(Point stage) {
  if (!movie_) return;
  mouse_ = stage;
  UpdateButtons();
  mouseDown_ = true;
  if (Instance* button = ButtonBySerial(hoverButton_); button && button->buttonPhase == ButtonPhase::kOverUp) {
    pressedButton_ = button->serial;
    MoveButton(*button, ButtonPhase::kOverDown, kCondOverUpToOverDown, kEventPress);
  }
  QueueMouseEvent(kEventMouseDown);
  RunQueuedActions();
  Broadcast(u"Mouse", u"onMouseDown", {});
}

void Player::MouseUp(Point stage) {
  if (!movie_) return;
  mouse_ = stage;
  UpdateButtons();
  mouseDown_ = false;
  if (Instance* button = ButtonBySerial(pressedButton_)) {
    if (button->buttonPhase == ButtonPhase::kOverDown) {
      MoveButton(*button, ButtonPhase::kOverUp, kCondOverDownToOverUp, kEventRelease);
    } else if (button->buttonPhase == ButtonPhase::kOutDown) {
      MoveButton(*button, ButtonPhase::kIdle, kCondOutDownToIdle, kEventReleaseOutside);
    }
  }
  pressedButton_ = 0;
  UpdateButtons();  // let go off the button pressed, perhaps on another
  QueueMouseEvent(kEventMouseUp);
  RunQueuedActions();
  Broadcast(u"Mouse", u"onMouseUp", {});
}

void Player::UpdateButtons() {
  Instance* hit = ButtonAt(*root_, mouse_, [this](const Instance& clip) { return ActsAsButton(clip); });
  if (Instance* pressed = ButtonBySerial(pressedButton_)) {
    const bool inside = hit == pressed;
    const ButtonDefinition* definition = pressed->movie->FindButton(pressed->character);
    const bool menu = definition && definition->trackAsMenu;
    if (pressed->buttonPhase == ButtonPhase::kOverDown && !inside) {
      if (menu) {
        // A menu lets go of a press dragged off it; the next menu button takes it up.
        pressedButton_ = 0;
        MoveButton(*pressed, ButtonPhase::kIdle, kCondOverDownToIdle, kEventDragOut);
      } else {
        MoveButton(*pressed, ButtonPhase::kOutDown, kCondOverDownToOutDown, kEventDragOut);
      }
    } else if (pressed->buttonPhase == ButtonPhase::kOutDown && inside) {
      MoveButton(*pressed, ButtonPhase::kOverDown, kCondOutDownToOverDown, kEventDragOver);
    }
    if (pressedButton_ != 0) {
      hoverButton_ = inside ? pressed->serial : 0;
      return;
    }
  }
  const uint32_t hitSerial = hit ? hit->serial : 0;
  if (hitSerial == hoverButton_) return;
  if (Instance* left = ButtonBySerial(hoverButton_); left && left->buttonPhase == ButtonPhase::kOverUp) {
    MoveButton(*left, ButtonPhase::kIdle, kCondOverUpToIdle, kEventRollOut);
  }
  // A press that started elsewhere leaves the button idle (a menu's takes it up): it is
  // rolled over only once the mouse is let go on it.
  hoverButton_ = 0;
  if (!hit) return;
  const ButtonDefinition* definition = hit->movie->FindButton(hit->character);
  if (!mouseDown_) {
    hoverButton_ = hitSerial;
    MoveButton(*hit, ButtonPhase::kOverUp, kCondIdleToOverUp, kEventRollOver);
  } else if (definition && definition->trackAsMenu) {
    hoverButton_ = pressedButton_ = hitSerial;
    MoveButton(*hit, ButtonPhase::kOverDown, kCondIdleToOverDown, kEventDragOver);
  }
}

void Player::MoveButton(Instance& button, ButtonPhase to, uint16_t condition, ClipEvent event) {
  button.buttonPhase = to;
  if (button.kind != CharacterKind::kButton) {
    QueueClipEvent(button, event);  // a clip acting as a button: its handlers, then its method
    return;
  }
  DisplayTreeEditor::ShowButtonLook(*this, button);
  const ButtonDefinition* definition = button.movie ? button.movie->FindButton(button.character) : nullptr;
  if (definition && button.parent) {
    for (const ButtonAction& action : definition->actions) {
      if ((action.conditions & condition) && action.keyCode == 0) {
        actionQueue_.push_back({button.parent->serial, action.actions, {}, false, false});
      }
    }
  }
  const std::u16string_view method = ClipEventMethod(event);
  if (!method.empty()) actionQueue_.push_back({button.serial, {}, method, false, false});
}

void Player::QueueMouseEvent(ClipEvent event) {
  for (const auto& [serial, instance] : instances_) {
    if (instance->HasTimeline()) QueueClipEvent(*instance, event);
  }
  QueueClipEvent(*root_, event);
}

bool Player::OverActiveButton() {
  Instance* button = ButtonBySerial(hoverButton_);
  if (!button) return false;
  if (button->kind != CharacterKind::kButton) return true;  // taken as a button for its handlers
  const ButtonDefinition* definition = button->movie->FindButton(button->character);
  return (definition && !definition->actions.empty()) || ActsAsButton(*button);
}

}  // namespace zp::swf
