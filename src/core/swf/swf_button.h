// Buttons as the dictionary holds them (DefineButton, DefineButton2, and the colour transform
// DefineButtonCxform adds): the characters each look of the button shows, the area that takes
// the mouse, and the actions its mouse transitions run.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/swf/swf_effects.h"
#include "core/swf/swf_geometry.h"

namespace zp::swf {

// Which looks a record is part of, as its flag byte stores them.
enum ButtonLook : uint8_t {
  kLookUp = 0x01,
  kLookOver = 0x02,
  kLookDown = 0x04,
  kLookHitArea = 0x08,  // the area that takes the mouse; never drawn
};

struct ButtonRecord {
  uint8_t looks = 0;  // ButtonLook bits
  uint16_t character = 0;
  uint16_t depth = 0;
  Matrix matrix;
  ColorTransform colorTransform;
  BlendMode blendMode = BlendMode::kNormal;
  std::vector<Filter> filters;
};

// The mouse transitions a condition action runs on, as the 16-bit condition field stores
// them (the key code sits in the seven bits above these).
enum ButtonCondition : uint16_t {
  kCondIdleToOverUp = 1u << 0,       // roll over
  kCondOverUpToIdle = 1u << 1,       // roll out
  kCondOverUpToOverDown = 1u << 2,   // press
  kCondOverDownToOverUp = 1u << 3,   // release
  kCondOverDownToOutDown = 1u << 4,  // drag out
  kCondOutDownToOverDown = 1u << 5,  // drag over
  kCondOutDownToIdle = 1u << 6,      // release outside
  kCondIdleToOverDown = 1u << 7,     // drag over, menus
  kCondOverDownToIdle = 1u << 8,     // drag out, menus
};

struct ButtonAction {
  uint16_t conditions = 0;  // ButtonCondition bits
  uint8_t keyCode = 0;      // non-zero: runs when this key is pressed
  std::span<const uint8_t> actions;  // points into the file
};

// Where the mouse stands with a button: away (idle), over it, pressed on it, or pressed on it
// and dragged off.
enum class ButtonPhase : uint8_t { kIdle, kOverUp, kOverDown, kOutDown };

// The look each phase shows; dragged off while pressed, a button looks as it does under the
// mouse.
inline ButtonLook LookOf(ButtonPhase phase) {
  switch (phase) {
    case ButtonPhase::kOverUp:
    case ButtonPhase::kOutDown: return kLookOver;
    case ButtonPhase::kOverDown: return kLookDown;
    case ButtonPhase::kIdle:
    default: return kLookUp;
  }
}

struct ButtonDefinition {
  uint16_t id = 0;
  // A menu button takes a press that started on another button (and lets go of one dragged off).
  bool trackAsMenu = false;
  std::vector<ButtonRecord> records;  // in file order
  std::vector<ButtonAction> actions;
  // The sounds DefineButtonSound gives the transitions, by ButtonSoundTransition; 0 for none.
  std::array<uint16_t, 4> sounds{};
};

// The transitions a button can sound on, in the order DefineButtonSound stores them.
enum ButtonSoundTransition : uint8_t { kSoundRollOut, kSoundRollOver, kSoundPress, kSoundRelease };

// DefineButton (`tagCode` 7: one action block run on release) or DefineButton2 (34: condition
// actions). Nothing when the body ends before the id; a damaged record list or action chain
// keeps what was read whole before it.
std::optional<ButtonDefinition> ParseButton(uint16_t tagCode, std::span<const uint8_t> body);
// The button a DefineButtonCxform tag is for, and the colour transform it gives every record.
struct ButtonColorTransform {
  uint16_t button = 0;
  ColorTransform colorTransform;
};
std::optional<ButtonColorTransform> ParseButtonCxform(std::span<const uint8_t> body);
// The button a DefineButtonSound tag is for and its sounds; nothing when the body ends before
// the last sound's description does.
struct ButtonSounds {
  uint16_t button = 0;
  std::array<uint16_t, 4> sounds{};
};
std::optional<ButtonSounds> ParseButtonSound(std::span<const uint8_t> body);

}  // namespace zp::swf
