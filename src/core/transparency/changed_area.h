// Which part of a layered window's picture changed between two frames, so that only that part
// is handed to the system. Both pictures are 32-bit pixels of the same size, `stride` pixels
// from one row to the next.
#pragma once

#include <cstdint>

namespace zp::transparency {

// A rectangle of pixels, right and bottom exclusive; empty when nothing is inside.
struct PixelArea {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool empty() const { return right <= left || bottom <= top; }
  bool operator==(const PixelArea&) const = default;
};

// The smallest rectangle holding every pixel that differs between `before` and `after`. Rows
// are compared from both ends and each row only outside the columns already known to differ,
// so a frame that changed all over costs little more than its corners.
PixelArea ChangedArea(const uint32_t* before, const uint32_t* after, int width, int height, int stride);

}  // namespace zp::transparency
