#include "core/swf/swf_keys.h"

namespace zp::swf {

uint8_t ButtonKeyCode(int keyCode, int ascii) {
  struct Special {
    int key;
    uint8_t button;
  };
  static constexpr Special kSpecial[] = {
      {kKeyLeft, 1},   {kKeyRight, 2}, {kKeyHome, 3},    {kKeyEnd, 4},       {kKeyInsert, 5},
      {kKeyDelete, 6}, {kKeyBackspace, 8}, {kKeyEnter, 13}, {kKeyUp, 14},   {kKeyDown, 15},
      {kKeyPageUp, 16}, {kKeyPageDown, 17}, {kKeyTab, 18}, {kKeyEscape, 19}};
  for (const Special& s : kSpecial) {
    if (s.key == keyCode) return s.button;
  }
  constexpr int kFirstPrintable = 32, kLastPrintable = 126;
  return ascii >= kFirstPrintable && ascii <= kLastPrintable ? static_cast<uint8_t>(ascii) : 0;
}

}  // namespace zp::swf
