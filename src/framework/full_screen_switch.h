// Switching a top-level window to cover the whole screen and back: it keeps the rectangle and
// styles of the window as it was, so that switching off restores them exactly.
#pragma once

#include <windows.h>

namespace zp::win {

class FullScreenSwitch {
 public:
  bool IsOn() const { return !IsRectEmpty(&savedRect_); }
  // On: saves the rectangle and styles, removes the caption, sizing border and client edge, and
  // places the window at (-1, -1) with the screen's size plus 2 pixels, topmost in Z order.
  // Off: restores styles and rectangle. A repeated request does nothing.
  void Set(HWND window, bool on);

 private:
  RECT savedRect_{};
  LONG_PTR savedStyle_ = 0;
  LONG_PTR savedExStyle_ = 0;
};

}  // namespace zp::win
