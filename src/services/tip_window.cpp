#include "services/tip_window.h"

#include <commctrl.h>

namespace zp::services {

namespace {

constexpr UINT_PTR kToolId = 1;
constexpr int kCursorOffset = 16;  // below and right of the cursor's hot spot

TTTOOLINFOW ToolInfo(HWND tip, wchar_t* text) {
  TTTOOLINFOW info{};
  info.cbSize = TTTOOLINFOW_V2_SIZE;
  info.uFlags = TTF_TRACK | TTF_ABSOLUTE;
  info.hwnd = tip;
  info.uId = kToolId;
  info.lpszText = text;
  return info;
}

}  // namespace

TipWindow& TipWindow::Instance() {
  static TipWindow tip;
  return tip;
}

bool TipWindow::Make() {
  if (tip_ && IsWindow(tip_)) return true;
  tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
  if (!tip_) return false;
  wchar_t empty[] = L"";
  TTTOOLINFOW info = ToolInfo(tip_, empty);
  SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
  return true;
}

void TipWindow::NoteControl(HWND control) {
  if (control_ != control) Hide();
  control_ = control;
}

void TipWindow::Show(HWND control, const std::wstring& text) {
  NoteControl(control);
  if (text.empty()) {
    Hide();
    return;
  }
  if (!Make()) return;
  text_ = text;
  TTTOOLINFOW info = ToolInfo(tip_, text_.data());
  SendMessageW(tip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
  POINT cursor{};
  GetCursorPos(&cursor);
  SendMessageW(tip_, TTM_TRACKPOSITION, 0, MAKELPARAM(cursor.x + kCursorOffset, cursor.y + kCursorOffset));
  if (!showing_) SendMessageW(tip_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&info));
  showing_ = true;
}

void TipWindow::Hide() {
  if (!showing_ || !tip_) return;
  wchar_t empty[] = L"";
  TTTOOLINFOW info = ToolInfo(tip_, empty);
  SendMessageW(tip_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&info));
  showing_ = false;
}

}  // namespace zp::services
