// ApplyWindowLayout: styles, size and place, shape, and the About entry.
#include "player/player_dialog.h"

#include "core/document/option_values.h"
#include "core/layout/from_document.h"
#include "core/layout/shapes.h"
#include "core/layout/window_size.h"
#include "framework/menu.h"
#include "framework/topmost.h"
#include "platform/wide.h"
#include "player/screen_area.h"
#include "player/window_shape.h"
#include "resource_ids.h"
#include "player/player_dialog_parts.h"

namespace zp::player {

using namespace detail;

void PlayerDialog::ApplyWindowLayout() {
  ApplyStyles();
  ApplySizeAndShape();
  ApplyAboutEntry();
}

void PlayerDialog::SetTopmost(bool topmost) { win::SetTopmostWithOwnedWindows(hwnd(), topmost); }

void PlayerDialog::ApplyStyles() {
  const auto& a = document_.appearanceOptions;
  HWND h = hwnd();
  if (a.alwaysOnTop) SetTopmost(true);
  if (!a.title.empty()) SetWindowTextW(h, ToWide(a.title).c_str());
  if (a.minimizeOthers) SendToShellTray(kShellMinimizeAll);
  LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE);
  LONG_PTR exStyle = GetWindowLongPtrW(h, GWL_EXSTYLE);
  if (!HasFrame(a)) {
    style &= ~static_cast<LONG_PTR>(kFrameStyles);
    exStyle &= ~static_cast<LONG_PTR>(WS_EX_CLIENTEDGE);
  }
  if (a.showInTaskbar == 0) exStyle &= ~static_cast<LONG_PTR>(WS_EX_APPWINDOW);
  if (a.trayIcon) trayIcon_.Add(h, icon_, OwnString(IDS_TRAY_TIP).c_str());
  // The document keeps the colour as the system does (0x00BBGGRR), and so does the host.
  if (UsesBackgroundColour(a)) flashHost_.SetBackgroundColour(a.movieBackground & 0xFFFFFF);
  HMENU systemMenu = GetSystemMenu(h, FALSE);
  if (transparent_ && systemMenu) DeleteMenu(systemMenu, SC_MAXIMIZE, MF_BYCOMMAND);
  if (FrameBoxSwitchesApply(a)) {
    if (a.systemMenu != 0) {
      if (a.minimizeBox == 0) {
        if (systemMenu) DeleteMenu(systemMenu, SC_MINIMIZE, MF_BYCOMMAND);
        style &= ~static_cast<LONG_PTR>(WS_MINIMIZEBOX);
      }
      if (a.maximizeBox == 0) {
        style &= ~static_cast<LONG_PTR>(WS_MAXIMIZEBOX);
        if (systemMenu) {
          DeleteMenu(systemMenu, SC_MAXIMIZE, MF_BYCOMMAND);
          DeleteMenu(systemMenu, SC_RESTORE, MF_BYCOMMAND);
        }
      }
    } else {
      style &= ~static_cast<LONG_PTR>(WS_SYSMENU);
    }
  }
  SetWindowLongPtrW(h, GWL_STYLE, style);
  SetWindowLongPtrW(h, GWL_EXSTYLE, exStyle);
  // The frame changes only take effect, and the client size only follows, after this.
  SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void PlayerDialog::MoveToPlacement(int width, int height) {
  const auto& s = document_.sizeOptions;
  const layout::Size area = ScreenArea(s.workAreaOnly != 0);
  const layout::Point at = layout::ComputePlacement(layout::SizeSettingsOf(s), area, {width, height});
  SetWindowPos(hwnd(), nullptr, at.x, at.y, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

void PlayerDialog::ApplySizeAndShape() {
  flashHost_.SetAllowScale(AllowsScale(document_.sizeOptions));
  TakeSizeFromCustomRegion();
  ApplySize();
  switch (WindowStateOf(document_.sizeOptions)) {
    case WindowState::kMaximised: SendMessageW(hwnd(), WM_SYSCOMMAND, SC_MAXIMIZE, 0); break;
    case WindowState::kMinimised: SendMessageW(hwnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0); break;
    default: break;
  }
  ApplyShape();
  GetWindowRect(hwnd(), &savedRect_);
  if (transparent_) {
    // The floating movie goes where the placed window's client area is, at once; the window
    // itself stays out of sight while it floats.
    if (CurrentIsFlash()) MoveOffScreen();
    ResyncTransparentHost();
  }
}

void PlayerDialog::TakeSizeFromCustomRegion() {
  const auto& a = document_.appearanceOptions;
  if (ShapeModeOf(a) != ShapeMode::kCustomRegion) return;
  win::UniqueRegion region = MakeCustomRegion(a.region);
  RECT box{};
  if (!region || GetRgnBox(static_cast<HRGN>(region.get()), &box) == NULLREGION || IsRectEmpty(&box)) return;
  auto& s = document_.sizeOptions;
  s.sizeMode = static_cast<int32_t>(SizeMode::kFixed);
  s.width = box.right - box.left;
  s.height = box.bottom - box.top;
}

void PlayerDialog::ApplySize() {
  HWND h = hwnd();
  const auto& s = document_.sizeOptions;
  RECT outer = WindowRect(h), client{};
  GetClientRect(h, &client);
  layout::SizeInputs inputs;
  inputs.area = ScreenArea(s.workAreaOnly != 0);
  inputs.screen = ScreenPixelSize();
  inputs.movie = {current_.width, current_.height};
  inputs.frameExtra = {static_cast<int>((outer.right - outer.left) - client.right),
                       static_cast<int>((outer.bottom - outer.top) - client.bottom)};
  inputs.frameAdjust = HasFrame(document_.appearanceOptions);
  inputs.transparent = transparent_;
  const layout::SizeDecision decision = layout::DecideWindowSize(layout::SizeSettingsOf(s), inputs);
  switch (decision.kind) {
    case layout::SizeDecision::Kind::kResize:
      MoveToPlacement(decision.size.width, decision.size.height);
      break;
    case layout::SizeDecision::Kind::kFullScreen: {
      LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE) & ~static_cast<LONG_PTR>(kFrameStyles);
      LONG_PTR exStyle = GetWindowLongPtrW(h, GWL_EXSTYLE) & ~static_cast<LONG_PTR>(WS_EX_CLIENTEDGE);
      SetWindowLongPtrW(h, GWL_STYLE, style);
      SetWindowLongPtrW(h, GWL_EXSTYLE, exStyle);
      const layout::Box& r = decision.fullRect;
      SetWindowPos(h, nullptr, r.left, r.top, r.Width(), r.Height(),
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW | SWP_FRAMECHANGED);
      break;
    }
    case layout::SizeDecision::Kind::kUnchanged: {
      RECT now = WindowRect(h);
      MoveToPlacement(now.right - now.left, now.bottom - now.top);
      break;
    }
  }
}

void PlayerDialog::ApplyShape() {
  const auto& a = document_.appearanceOptions;
  if (!IsShaped(a)) return;
  win::UniqueRegion region;
  if (ShapeModeOf(a) == ShapeMode::kCustomRegion) {
    region = MakeCustomRegion(a.region);
  } else {
    RECT outer = WindowRect(hwnd());
    region = MakeShapeRegion(layout::PredefinedShape(a.shapeKind, {static_cast<int>(outer.right - outer.left),
                                                                    static_cast<int>(outer.bottom - outer.top)}));
  }
  if (!region) return;
  // The system owns the region once it has accepted it.
  if (SetWindowRgn(hwnd(), static_cast<HRGN>(region.get()), TRUE)) (void)region.release();
}

void PlayerDialog::ApplyAboutEntry() {
  if (document_.menuAboutOptions.hideAbout != 0) return;
  HMENU systemMenu = GetSystemMenu(hwnd(), FALSE);
  if (!systemMenu) return;
  win::InsertMenuItemBefore(systemMenu, SC_CLOSE, kAboutCommand, OwnString(IDS_ABOUT_ENTRY));
  win::InsertSeparatorBefore(systemMenu, SC_CLOSE);
}

}  // namespace zp::player
