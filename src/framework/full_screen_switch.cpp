#include "framework/full_screen_switch.h"

namespace zp::win {

void FullScreenSwitch::Set(HWND window, bool on) {
  if (!window || on == IsOn()) return;
  if (on) {
    RECT rect{};
    if (!GetWindowRect(window, &rect) || IsRectEmpty(&rect)) return;
    savedRect_ = rect;
    savedStyle_ = GetWindowLongPtrW(window, GWL_STYLE);
    savedExStyle_ = GetWindowLongPtrW(window, GWL_EXSTYLE);
    SetWindowLongPtrW(window, GWL_STYLE, savedStyle_ & ~static_cast<LONG_PTR>(WS_CAPTION | WS_THICKFRAME));
    SetWindowLongPtrW(window, GWL_EXSTYLE, savedExStyle_ & ~static_cast<LONG_PTR>(WS_EX_CLIENTEDGE));
    HDC screen = GetDC(nullptr);
    const int width = GetDeviceCaps(screen, HORZRES);
    const int height = GetDeviceCaps(screen, VERTRES);
    ReleaseDC(nullptr, screen);
    SetWindowPos(window, HWND_TOP, -1, -1, width + 2, height + 2, SWP_FRAMECHANGED | SWP_SHOWWINDOW);
  } else {
    SetWindowLongPtrW(window, GWL_STYLE, savedStyle_);
    SetWindowLongPtrW(window, GWL_EXSTYLE, savedExStyle_);
    SetWindowPos(window, nullptr, savedRect_.left, savedRect_.top, savedRect_.right - savedRect_.left,
                 savedRect_.bottom - savedRect_.top, SWP_NOZORDER | SWP_FRAMECHANGED);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    SetRectEmpty(&savedRect_);
  }
}

}  // namespace zp::win
