#include "services/hyper_link.h"

#include <vector>

#include "services/open_url.h"
#include "services/tip_window.h"

namespace zp::services {

namespace {

std::wstring WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::vector<wchar_t> text(static_cast<size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, text.data(), length + 1);
  return std::wstring(text.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

}  // namespace

CHyperLink::CHyperLink() : opener_([](const std::wstring& target, int show) { return OpenUrl(target, show); }) {}

CHyperLink::~CHyperLink() {
  // The window may outlive this object only as a plain static: it must not keep our font.
  if (hwnd() && IsWindow(hwnd())) SendMessageW(hwnd(), WM_SETFONT, 0, FALSE);
  if (hover_ && GetCapture() == hwnd()) ReleaseCapture();
  TipWindow::Instance().NoteControl(nullptr);
}

bool CHyperLink::SubclassControl(HWND control) {
  if (!Subclass(control)) return false;
  SetWindowLongPtrW(control, GWL_STYLE, GetWindowLongPtrW(control, GWL_STYLE) | SS_NOTIFY);
  const std::wstring text = WindowText(control);
  if (target_.empty()) target_ = text;
  if (text.empty()) SetWindowTextW(control, target_.c_str());
  ApplyFont();
  AdjustSize();
  if (!cursor_) SetCursor(nullptr);
  return true;
}

void CHyperLink::SetTarget(std::wstring target) {
  target_ = std::move(target);
  AdjustSize();
}

void CHyperLink::SetColours(COLORREF link, COLORREF visited, COLORREF hover) {
  linkColour_ = link;
  visitedColour_ = visited;
  hoverColour_ = hover == kHighlightColour ? GetSysColor(COLOR_HIGHLIGHT) : hover;
  Repaint();
}

void CHyperLink::SetVisited(bool visited) {
  visited_ = visited;
  Repaint();
}

void CHyperLink::SetCursor(HCURSOR cursor) { cursor_ = cursor ? cursor : LoadCursorW(nullptr, IDC_HAND); }

void CHyperLink::SetUnderline(bool underline) {
  if (underline == underline_) return;
  underline_ = underline;
  if (!hwnd()) return;
  ApplyFont();
  Repaint();
}

void CHyperLink::SetAutoSize(bool autoSize) {
  autoSize_ = autoSize;
  AdjustSize();
}

COLORREF CHyperLink::TextColour() const {
  if (hover_) return hoverColour_;
  return visited_ ? visitedColour_ : linkColour_;
}

HBRUSH CHyperLink::OnControlColour(HDC dc) const {
  SetTextColor(dc, TextColour());
  SetBkMode(dc, TRANSPARENT);
  return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

void CHyperLink::OnClicked() {
  TipWindow& tip = TipWindow::Instance();
  tip.Hide();
  const INT_PTR result = opener_ ? opener_(target_, SW_SHOWNORMAL) : 0;
  visited_ = result > 32;
  if (!visited_) MessageBeep(MB_ICONEXCLAMATION);
  tip.Hide();
  LeaveHover();
  Repaint();
}

void CHyperLink::ApplyFont() {
  if (!hwnd()) return;
  // A copy of the control's font (or of the status-bar font when it has none), underlined or not.
  LOGFONTW description{};
  HFONT current = reinterpret_cast<HFONT>(SendMessageW(hwnd(), WM_GETFONT, 0, 0));
  if (!current || GetObjectW(current, sizeof description, &description) != sizeof description) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    description = metrics.lfStatusFont;
  }
  description.lfUnderline = underline_ ? TRUE : FALSE;
  win::UniqueFont font(CreateFontIndirectW(&description));
  if (!font) return;
  SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
  font_ = std::move(font);  // the old font goes only once the control no longer uses it
}

void CHyperLink::AdjustSize() {
  if (!hwnd() || !autoSize_) return;
  HWND parent = GetParent(hwnd());
  const std::wstring text = WindowText(hwnd());
  HDC dc = GetDC(hwnd());
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd(), WM_GETFONT, 0, 0)));
  SIZE extent{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  SelectObject(dc, old);
  ReleaseDC(hwnd(), dc);

  RECT rect{};
  GetWindowRect(hwnd(), &rect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  const LONG_PTR style = GetWindowLongPtrW(hwnd(), GWL_STYLE);
  if (style & SS_CENTERIMAGE) {
    const int shrink = (rect.bottom - rect.top - extent.cy + 1) / 2;
    rect.top += shrink;
    rect.bottom -= shrink;
  } else {
    rect.bottom = rect.top + extent.cy;
  }
  if ((style & SS_TYPEMASK) == SS_CENTER) {
    const int shrink = (rect.right - rect.left - extent.cx + 1) / 2;
    rect.left += shrink;
    rect.right -= shrink;
  } else if ((style & SS_TYPEMASK) == SS_RIGHT) {
    rect.left = rect.right - extent.cx;
  } else {
    rect.right = rect.left + extent.cx;
  }
  SetWindowPos(hwnd(), nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  Repaint();
}

void CHyperLink::Repaint() {
  if (!hwnd()) return;
  // The text has no background of its own: the parent's must be drawn again behind it.
  HWND parent = GetParent(hwnd());
  RECT rect{};
  GetWindowRect(hwnd(), &rect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  RedrawWindow(parent, &rect, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void CHyperLink::OnMouseMove() {
  TipWindow& tip = TipWindow::Instance();
  tip.NoteControl(hwnd());
  if (hover_) {
    POINT cursor{};
    GetCursorPos(&cursor);
    RECT client{};
    GetClientRect(hwnd(), &client);
    MapWindowPoints(hwnd(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    if (PtInRect(&client, cursor)) {
      tip.Show(hwnd(), tipText_);
    } else {
      tip.Hide();
      LeaveHover();
      Repaint();
    }
    return;
  }
  tip.Show(hwnd(), tipText_);
  hover_ = true;
  Repaint();
  SetCapture(hwnd());
}

void CHyperLink::LeaveHover() {
  // Cleared first: releasing the capture reports a capture change back to this control.
  const bool had = hover_;
  hover_ = false;
  if (had && GetCapture() == hwnd()) ReleaseCapture();
}

void CHyperLink::OnEraseBackground(HDC dc) {
  // A link without text (an image) shows its colour as a line along its bottom.
  if (GetWindowTextLengthW(hwnd()) > 0) return;
  RECT client{};
  GetClientRect(hwnd(), &client);
  client.top = client.bottom - 1;
  win::UniqueBrush brush(CreateSolidBrush(TextColour()));
  FillRect(dc, &client, static_cast<HBRUSH>(brush.get()));
}

LRESULT CHyperLink::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEMOVE:
      OnMouseMove();
      return DefaultHandling(message, wParam, lParam);
    case WM_SETCURSOR:
      if (!cursor_) return DefaultHandling(message, wParam, lParam);
      ::SetCursor(cursor_);
      return TRUE;
    case WM_ERASEBKGND: {
      const LRESULT result = DefaultHandling(message, wParam, lParam);
      OnEraseBackground(reinterpret_cast<HDC>(wParam));
      return result;
    }
    case WM_CAPTURECHANGED:
      // Something else took the mouse: the cursor is no longer known to be over the link.
      if (hover_ && reinterpret_cast<HWND>(lParam) != hwnd()) {
        hover_ = false;
        TipWindow::Instance().Hide();
        Repaint();
      }
      return DefaultHandling(message, wParam, lParam);
    default:
      return DefaultHandling(message, wParam, lParam);
  }
}

bool ReflectToLink(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (message == WM_CTLCOLORSTATIC) {
    auto* link = dynamic_cast<CHyperLink*>(win::Window::FromHandle(reinterpret_cast<HWND>(lParam)));
    if (!link) return false;
    result = reinterpret_cast<LRESULT>(link->OnControlColour(reinterpret_cast<HDC>(wParam)));
    return true;
  }
  if (message == WM_COMMAND && HIWORD(wParam) == STN_CLICKED) {
    auto* link = dynamic_cast<CHyperLink*>(win::Window::FromHandle(reinterpret_cast<HWND>(lParam)));
    if (!link) return false;
    link->OnClicked();
    result = 0;
    return true;
  }
  return false;
}

}  // namespace zp::services
