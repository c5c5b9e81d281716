#include "player/overlay_panel.h"

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

#include "core/layout/overlay_layout.h"
#include "framework/timer.h"

namespace zp::player {

using layout::Box;
using layout::Size;

namespace {

Box BoxOf(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }
Box Offset(const Box& box, int dx, int dy) { return {box.left + dx, box.top + dy, box.right + dx, box.bottom + dy}; }
Box At(layout::Point corner, Size size) {
  return {corner.x, corner.y, corner.x + size.width, corner.y + size.height};
}
Size SizeOf(const Box& box) { return {box.Width(), box.Height()}; }

DWORD AlignmentStyle(int code) {
  switch (layout::PanelAlignmentOf(code)) {
    case layout::PanelAlignment::kRight: return ES_RIGHT;
    case layout::PanelAlignment::kCentre: return ES_CENTER;
    case layout::PanelAlignment::kLeft: break;
  }
  return ES_LEFT;
}

// Every line of an edit box as it wraps them, with the letter "A" after each (so that a line's
// last letter is never cut by the edge), measured in the box's font.
std::vector<Size> MeasureLines(HWND edit) {
  std::vector<Size> lines;
  HDC dc = GetDC(edit);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(edit, WM_GETFONT, 0, 0)));
  const LRESULT count = SendMessageW(edit, EM_GETLINECOUNT, 0, 0);
  for (LRESULT line = 0; line < count; ++line) {
    const LRESULT first = SendMessageW(edit, EM_LINEINDEX, static_cast<WPARAM>(line), 0);
    const size_t length = first < 0 ? 0 : static_cast<size_t>(SendMessageW(edit, EM_LINELENGTH, first, 0));
    // EM_GETLINE takes the room it may fill in the buffer's first character.
    std::vector<wchar_t> text(std::max<size_t>(length, 1) + 2, L'\0');
    text[0] = static_cast<wchar_t>(std::min<size_t>(length, 0xFFFF));
    const LRESULT copied = SendMessageW(edit, EM_GETLINE, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(text.data()));
    std::wstring measured(text.data(), static_cast<size_t>(std::clamp<LRESULT>(copied, 0, static_cast<LRESULT>(length))));
    measured += L'A';
    SIZE extent{};
    GetTextExtentPoint32W(dc, measured.c_str(), static_cast<int>(measured.size()), &extent);
    lines.push_back({extent.cx, extent.cy});
  }
  SelectObject(dc, old);
  ReleaseDC(edit, dc);
  return lines;
}

// Whether `window` stands beneath `other` among the top-level windows.
bool StandsBeneath(HWND window, HWND other) {
  for (HWND above = GetWindow(window, GW_HWNDPREV); above; above = GetWindow(above, GW_HWNDPREV)) {
    if (above == other) return true;
  }
  return false;
}

}  // namespace

// One of the two pop-ups: a borderless window owned by the player window with one child, the
// picture or the text box. It never takes activation, and it colours its text box.
class OverlayPanel::PopUp : public win::Window {
 public:
  ~PopUp() override {
    Destroy();
    if (pictureCopy_) DeleteObject(pictureCopy_);
  }

  bool Make(HWND owner, const Box& rect) {
    // The pop-up joins its owner's band: an owner made topmost before the panel came would
    // otherwise stand above it and cover it (Wine does not lift owned windows made later).
    const DWORD band = (GetWindowLongPtrW(owner, GWL_EXSTYLE) & WS_EX_TOPMOST) ? WS_EX_TOPMOST : 0;
    return Create(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW | band, L"", WS_POPUP | WS_CLIPCHILDREN, rect.left, rect.top,
                  rect.Width(), rect.Height(), owner);
  }

  bool MakePicture(HBITMAP bitmap, Size size) {
    child_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | SS_BITMAP, 0, 0, size.width,
                             size.height, hwnd(), nullptr, win::ModuleInstance(), nullptr);
    if (!child_) return false;
    SendMessageW(child_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
    // A picture control may draw from a copy of a bitmap with an alpha channel; the copy is
    // ours to free.
    auto shown = reinterpret_cast<HBITMAP>(SendMessageW(child_, STM_GETIMAGE, IMAGE_BITMAP, 0));
    if (shown && shown != bitmap) pictureCopy_ = shown;
    return true;
  }

  bool MakeTextBox(HFONT font, const std::wstring& text, int alignment, COLORREF textColour, COLORREF background) {
    textColour_ = textColour;
    backgroundColour_ = background;
    brush_.reset(CreateSolidBrush(background));
    RECT client{};
    GetClientRect(hwnd(), &client);
    child_ = CreateWindowExW(0, L"EDIT", L"",
                             WS_CHILD | WS_VISIBLE | WS_BORDER | ES_MULTILINE | ES_READONLY | AlignmentStyle(alignment),
                             0, 0, client.right, client.bottom, hwnd(), nullptr, win::ModuleInstance(), nullptr);
    if (!child_) return false;
    SendMessageW(child_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SetWindowTextW(child_, text.c_str());
    return true;
  }

  HWND child() const { return child_; }

  // To the top of its band. Within the topmost band, Wine puts an owned window asked to the top
  // just above its owner instead, under any other pop-up of the same owner; asked to the top of
  // the band it goes there.
  void LiftToTop() {
    const bool topmost = (GetWindowLongPtrW(hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    SetWindowPos(hwnd(), topmost ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }

  // Calls `tick` every `periodMs` while the pop-up lives.
  void Tick(UINT periodMs, std::function<void()> tick) {
    tick_ = std::move(tick);
    timer_.Prepare(hwnd(), kTickTimerId, periodMs);
    timer_.Start();
  }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_CLOSE:
        // The panel is part of its window: it goes when the window goes, not on its own.
        return 0;
      case WM_TIMER:
        if (wParam == kTickTimerId && tick_) {
          tick_();
          return 0;
        }
        return DefaultHandling(message, wParam, lParam);
      case WM_MOUSEACTIVATE:
        // A click neither activates the panel nor reaches the text box, which would take the
        // focus from the player window.
        return MA_NOACTIVATEANDEAT;
      case WM_CTLCOLOREDIT:
      case WM_CTLCOLORSTATIC:  // a read-only edit box asks for the static colours
        if (reinterpret_cast<HWND>(lParam) == child_ && brush_) {
          HDC dc = reinterpret_cast<HDC>(wParam);
          SetTextColor(dc, textColour_);
          SetBkColor(dc, backgroundColour_);
          return reinterpret_cast<LRESULT>(brush_.get());
        }
        return DefaultHandling(message, wParam, lParam);
      default:
        return DefaultHandling(message, wParam, lParam);
    }
  }

 private:
  static constexpr UINT_PTR kTickTimerId = 1;
  HWND child_ = nullptr;
  HBITMAP pictureCopy_ = nullptr;
  win::WindowTimer timer_;
  std::function<void()> tick_;
  win::UniqueBrush brush_;
  COLORREF textColour_ = 0;
  COLORREF backgroundColour_ = 0xFFFFFF;
};

OverlayPanel::OverlayPanel() = default;
OverlayPanel::~OverlayPanel() = default;

void OverlayPanel::SetPicture(HBITMAP bitmap) { bitmap_ = bitmap; }

void OverlayPanel::SetText(HFONT font, std::wstring text, int alignment, COLORREF textColour,
                           COLORREF backgroundColour) {
  font_ = font;
  text_ = std::move(text);
  alignment_ = alignment;
  textColour_ = textColour;
  backgroundColour_ = backgroundColour;
}

HWND OverlayPanel::pictureWindow() const { return picture_ ? picture_->hwnd() : nullptr; }
HWND OverlayPanel::textWindow() const { return textPopUp_ ? textPopUp_->hwnd() : nullptr; }
HWND OverlayPanel::textBox() const { return textPopUp_ ? textPopUp_->child() : nullptr; }

Box OverlayPanel::ClientOnScreen() const {
  RECT client{};
  GetClientRect(owner_, &client);
  MapWindowPoints(owner_, nullptr, reinterpret_cast<POINT*>(&client), 2);
  return BoxOf(client);
}

bool OverlayPanel::Place(HWND owner) {
  Remove();
  if (!owner || !IsWindow(owner) || (!bitmap_ && (!font_ || text_.empty()))) return false;
  owner_ = owner;
  const Box client = ClientOnScreen();
  if (bitmap_ && !MakePicture(client)) picture_.reset();
  if (font_ && !text_.empty() && !MakeText(client)) textPopUp_.reset();
  if (!picture_ && !textPopUp_) return false;
  Replace();
  (picture_ ? picture_ : textPopUp_)->Tick(kKeepAboveMs, [this] { KeepAbove(); });
  return true;
}

void OverlayPanel::KeepAbove() {
  if (!owner_ || !IsWindowVisible(owner_)) return;
  const auto shown = [](PopUp* popUp) { return popUp && IsWindowVisible(popUp->hwnd()); };
  const auto beneath = [&](PopUp* popUp) { return shown(popUp) && StandsBeneath(popUp->hwnd(), owner_); };
  if (!beneath(picture_.get()) && !beneath(textPopUp_.get())) return;
  // Both go up, each to the very top in turn: Wine lifts a window on screen only when a change of
  // place makes it the topmost one shown. The lower one goes first, so that neither lift finds
  // its pop-up on top already, which Wine would take as no change at all.
  PopUp* first = picture_.get();
  PopUp* second = textPopUp_.get();
  if (shown(first) && shown(second) && StandsBeneath(second->hwnd(), first->hwnd())) std::swap(first, second);
  for (PopUp* popUp : {first, second}) {
    if (shown(popUp)) popUp->LiftToTop();
  }
}

bool OverlayPanel::MakePicture(const Box& client) {
  BITMAP info{};
  if (GetObjectW(bitmap_, sizeof info, &info) != sizeof info || info.bmWidth <= 0 || info.bmHeight <= 0) return false;
  const Box room = layout::PictureRoom(client);
  const Size size = layout::LimitToRoom({info.bmWidth, info.bmHeight}, room);
  picture_ = std::make_unique<PopUp>();
  if (!picture_->Make(owner_, At({room.left, room.top}, size)) || !picture_->MakePicture(bitmap_, size)) return false;
  pictureRect_ = At({room.left - client.left, room.top - client.top}, size);
  return true;
}

bool OverlayPanel::MakeText(const Box& client) {
  const Box room = layout::TextRoom(client, picture_ ? pictureRect_.Width() : 0);
  textPopUp_ = std::make_unique<PopUp>();
  if (!textPopUp_->Make(owner_, room) ||
      !textPopUp_->MakeTextBox(font_, text_, alignment_, textColour_, backgroundColour_)) {
    return false;
  }
  HWND edit = textPopUp_->child();
  const LRESULT margins = SendMessageW(edit, EM_GETMARGINS, 0, 0);
  const Size needed = layout::NeededTextSize(MeasureLines(edit), LOWORD(margins), HIWORD(margins));
  Size size = layout::LimitToRoom(needed, room);
  size.width += GetSystemMetrics(SM_CXEDGE);
  size.height += GetSystemMetrics(SM_CYEDGE);
  SetWindowPos(textPopUp_->hwnd(), nullptr, room.left, room.top, size.width, size.height,
               SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(edit, nullptr, 0, 0, size.width, size.height, SWP_NOZORDER | SWP_NOACTIVATE);
  textRect_ = At({room.left - client.left, room.top - client.top}, size);
  return true;
}

void OverlayPanel::Replace() {
  if (owner_ && IsWindow(owner_)) PutInPlace(IsWindowVisible(owner_) && !IsIconic(owner_));
}

void OverlayPanel::OwnerAppearing() {
  if (owner_ && IsWindow(owner_)) PutInPlace(!IsIconic(owner_));
}

void OverlayPanel::PutInPlace(bool ownerShown) {
  if (!picture_ && !textPopUp_) return;
  const Box client = ClientOnScreen();
  const Size pictureSize = picture_ ? SizeOf(pictureRect_) : Size{};
  const Size textSize = textPopUp_ ? SizeOf(textRect_) : Size{};
  // A position code the panel does not know keeps the placement it had.
  if (const auto position = layout::PanelPositionOf(position_)) {
    const layout::PanelPlacement at = layout::LayOutPanel(*position, client, pictureSize, textSize);
    pictureRect_ = Offset(At(at.picture, pictureSize), -client.left, -client.top);
    textRect_ = Offset(At(at.text, textSize), -client.left, -client.top);
  }
  const auto move = [&](PopUp* popUp, const Box& relative) {
    if (!popUp) return;
    const Box shown = layout::ClipToClient(Offset(relative, client.left, client.top), client);
    // Wholly outside a small client area: out of sight rather than outside the window.
    const UINT visibility = shown.IsEmpty() || !ownerShown ? SWP_HIDEWINDOW : SWP_SHOWWINDOW;
    SetWindowPos(popUp->hwnd(), nullptr, shown.left, shown.top, shown.Width(), shown.Height(),
                 SWP_NOZORDER | SWP_NOACTIVATE | visibility);
    RedrawWindow(popUp->hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  };
  move(picture_.get(), pictureRect_);
  move(textPopUp_.get(), textRect_);
}

void OverlayPanel::Remove() {
  picture_.reset();
  textPopUp_.reset();
  pictureRect_ = {};
  textRect_ = {};
}

}  // namespace zp::player
