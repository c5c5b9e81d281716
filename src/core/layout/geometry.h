// Plain integer geometry shared by the window arithmetic.
#pragma once

namespace zp::layout {

struct Size {
  int width = 0;
  int height = 0;
  bool operator==(const Size&) const = default;
};

struct Point {
  int x = 0;
  int y = 0;
  bool operator==(const Point&) const = default;
};

// left, top, right, bottom as Win32 rectangles have them (right and bottom exclusive).
struct Box {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  bool operator==(const Box&) const = default;
};

}  // namespace zp::layout
