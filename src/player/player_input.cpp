// Keys and mouse before the dialog sees them, and dragging the window.
#include "player/player_dialog.h"

#include "core/layout/input_rules.h"
#include "fscommand/fs_command_manager.h"
#include "player/player_dialog_parts.h"

namespace zp::player {

using namespace detail;

CompanionAnswer PlayerDialog::OnCompanionNotice(const CompanionNotice& notice) {
  CompanionAnswer answer;
  switch (notice.kind) {
    case HostNotification::kStarted:
      companionValue_ = notice.value;
      answer.leftCode = layout::CompanionLeftCode(document_.mouseKeyOptions.leftDrag);
      answer.rightCode = layout::CompanionRightCode(document_.mouseKeyOptions.rightButton);
      break;
    case HostNotification::kContextRequest:
      ShowContextMenu();
      break;
    case HostNotification::kWindowMoved:
      companionRect_ = notice.rect;
      break;
    default:
      break;
  }
  return answer;
}

bool PlayerDialog::PreTranslateMessage(MSG& message) {
  if (message.message == WM_KEYDOWN) return HandleKeyDown(message);
  if (message.message >= WM_MOUSEFIRST && message.message <= WM_MOUSELAST) {
    // A transparent Flash movie gets its mouse through the companion window.
    if (transparent_ && CurrentIsFlash()) return false;
    return HandleMouse(message);
  }
  return false;
}

bool PlayerDialog::HandleKeyDown(MSG& message) {
  const auto& k = document_.mouseKeyOptions;
  const layout::KeyDecision d =
      layout::DecideKeyDown(static_cast<int>(message.wParam), k.closeKeyMode, k.closeKeyEnabled, k.escapeCloses);
  if (d.dispatchDirect) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  if (d.close) OnCancel();
  return d.swallow;
}

bool detail::OnDragModel(POINT client) {
  return fscommand::FsCommandManagerExists() &&
         fscommand::GetFsCommandManager().dragRegion().IsDragPoint(client.x, client.y);
}

bool PlayerDialog::OnDragArea(POINT cursor) const {
  if (dragging_) return true;
  ScreenToClient(hwnd(), &cursor);
  return OnDragModel(cursor);
}

void PlayerDialog::SetDragScaling(bool scaleCoordinates, bool keepAspect, int movieWidth, int movieHeight) {
  layout::CDragRegion& region = fscommand::GetFsCommandManager().dragRegion();
  region.SetScaling(scaleCoordinates);
  region.SetKeepAspect(keepAspect);
  region.SetMovieSize(movieWidth, movieHeight);
}

void PlayerDialog::SetDragWindowSize(int width, int height) {
  fscommand::GetFsCommandManager().dragRegion().SetWindowSize(width, height);
}

bool PlayerDialog::HandleMouse(MSG& message) {
  const auto& k = document_.mouseKeyOptions;
  // Where the mouse was when the message was made, not where it is now: under load the
  // cursor may have moved on, and Wine may still report where it was before the input came.
  const POINT cursor = message.pt;
  layout::MouseDecision d;
  switch (message.message) {
    case WM_MOUSEMOVE:
      if (message.wParam & (MK_LBUTTON | MK_RBUTTON)) {
        if (dragging_) DragTo(cursor);
        d = layout::DecideButtonMove((message.wParam & MK_LBUTTON) != 0, dragging_, k.leftDrag, k.rightButton);
      } else {
        d = layout::DecideHover(OnDragArea(cursor));
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      RECT outer = WindowRect(hwnd());
      d = layout::DecideLeftDown(k.leftDrag, PtInRect(&outer, cursor) != 0, OnDragArea(cursor));
      break;
    }
    case WM_LBUTTONUP:
      // The window ends where the button was let go, even when the system merged away the
      // last moves before the release.
      if (dragging_) DragTo(cursor);
      d = layout::DecideLeftUp(k.leftDrag, OnDragArea(cursor));
      break;
    case WM_RBUTTONDOWN: d = layout::DecideRightDown(k.rightButton); break;
    case WM_RBUTTONUP: d = layout::DecideRightUp(k.rightButton); break;
    default: return false;
  }
  if (d.moveCursor) SetCursor(LoadCursorW(nullptr, IDC_SIZEALL));
  if (d.drag == layout::DragAction::kBegin) BeginDrag(cursor);
  if (d.drag == layout::DragAction::kEnd) EndDrag();
  if (d.contextMenu) ShowContextMenu();
  return d.swallow;
}

void PlayerDialog::BeginDrag(POINT cursor) {
  RECT outer = WindowRect(hwnd());
  dragOffset_ = {outer.left - cursor.x, outer.top - cursor.y};
  hasDragOffset_ = true;
  SetCapture(hwnd());
  dragging_ = true;
}

void PlayerDialog::DragTo(POINT cursor) {
  if (!hasDragOffset_) return;
  SetWindowPos(hwnd(), nullptr, cursor.x + dragOffset_.x, cursor.y + dragOffset_.y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  GetWindowRect(hwnd(), &savedRect_);
}

void PlayerDialog::EndDrag() {
  hasDragOffset_ = false;
  if (GetCapture() == hwnd()) ReleaseCapture();
  dragging_ = false;
}

}  // namespace zp::player
