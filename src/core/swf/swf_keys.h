// Keys as movies see them: the codes Key.getCode gives (the same numbers as the system's
// virtual keys) and the codes a button's key-press condition is written with.
#pragma once

#include <cstdint>

namespace zp::swf {

enum KeyCode : int {
  kKeyBackspace = 8,
  kKeyTab = 9,
  kKeyEnter = 13,
  kKeyShift = 16,
  kKeyControl = 17,
  kKeyCapsLock = 20,
  kKeyEscape = 27,
  kKeySpace = 32,
  kKeyPageUp = 33,
  kKeyPageDown = 34,
  kKeyEnd = 35,
  kKeyHome = 36,
  kKeyLeft = 37,
  kKeyUp = 38,
  kKeyRight = 39,
  kKeyDown = 40,
  kKeyInsert = 45,
  kKeyDelete = 46,
};

// Key codes beyond this are not tracked (Key.isDown answers false for them).
inline constexpr int kMaxKeyCode = 255;

// The code a button's key-press condition uses for a key: its own small number for the
// movement and editing keys, the character for a printable one, 0 when a button cannot ask
// for it.
uint8_t ButtonKeyCode(int keyCode, int ascii);

}  // namespace zp::swf
