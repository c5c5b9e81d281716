#include "player/flash_host.h"

#include "core/layout/player_options.h"
#include "core/text.h"
#include "framework/library_loading.h"
#include "framework/message_pump.h"
#include "platform/platform.h"
#include "platform/wide.h"

namespace zp::player {
namespace {

const wchar_t kHostClass[] = L"ZentraFlashHost";

bool RegisterHostClass() { return win::RegisterWindowClass(kHostClass, CS_BYTEALIGNCLIENT); }

// The system's sound call, looked up once: the player links no sound library for it.
using PlaySoundFunction = BOOL(WINAPI*)(LPCWSTR, HMODULE, DWORD);
PlaySoundFunction SystemPlaySound() {
  static const PlaySoundFunction play = [] {
    HMODULE library = win::LoadSystemLibrary(L"winmm.dll");
    return library ? reinterpret_cast<PlaySoundFunction>(reinterpret_cast<void*>(GetProcAddress(library, "PlaySoundW")))
                   : nullptr;
  }();
  return play;
}

constexpr DWORD kSoundPurge = 0x40;
constexpr DWORD kSoundFileAsyncNoWaitPurge = 0x22041;

SIZE ClientSize(HWND window) {
  RECT r{};
  if (window) GetClientRect(window, &r);
  return SIZE{r.right, r.bottom};
}

// While the user drags a window's frame the picture keeps its rendering; it is rendered again
// for the new size when the drag ends.
bool InSizeMoveLoop() {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(GetCurrentThreadId(), &info) && (info.flags & GUI_INMOVESIZE);
}

}  // namespace

bool CFlashHost::CreateHost(HWND topWindow, bool transparent, const RECT& rect) {
  topWindow_ = topWindow;
  transparent_ = transparent;
  if (!RegisterHostClass()) return false;
  if (!Create(0, L"", WS_CHILD | WS_VISIBLE, rect, topWindow, 0, kHostClass)) return false;
  picture_.SetRenderInBackground([window = hwnd()] { PostMessageW(window, kPictureRenderedMessage, 0, 0); });
  switch (kind_) {
    case kPicture:
      SwitchToPicture();
      break;
    case kWeb:
      SwitchToWeb();
      break;
    default:
      kind_ = kMovie;
      SwitchToMovie();
      break;
  }
  return true;
}

RECT CFlashHost::ClientRect() const {
  RECT r{};
  if (hwnd()) GetClientRect(hwnd(), &r);
  return r;
}

void CFlashHost::SwitchToMovie() {
  if (movie_.GetControlWindow()) return;
  pictureWindow_.Destroy();
  web_.Destroy();
  if (transparent_) {
    // The transparent host floats where this host would be on screen.
    RECT area = ClientRect();
    MapWindowPoints(hwnd(), nullptr, reinterpret_cast<POINT*>(&area), 2);
    if (movie_.CreateControl(topWindow_, true, area)) return;
    // No transparent host after all: the movie plays opaque rather than not at all.
    transparent_ = false;
  }
  movie_.SetBackgroundColour(backgroundColour_);
  movie_.SetStaticEdge(border_);
  if (movie_.CreateControl(hwnd(), false, RECT{0, 0, 400, 400})) movie_.MoveControl(ClientRect(), true);
}

void CFlashHost::SwitchToPicture() {
  if (pictureWindow_.hwnd()) return;
  movie_.Destroy();
  web_.Destroy();
  pictureWindow_.Create(border_ ? WS_EX_STATICEDGE : 0, L"", WS_CHILD | WS_VISIBLE, RECT{0, 0, 1, 1}, hwnd(),
                        kPictureWindowId, kHostClass);
  const RECT r = ClientRect();
  if (pictureWindow_.hwnd()) {
    MoveWindow(pictureWindow_.hwnd(), r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
  }
}

void CFlashHost::SwitchToWeb() {
  if (web_.hwnd()) return;
  pictureWindow_.Destroy();
  movie_.Destroy();
  web_.Create(hwnd(), ClientRect(), kWebFrameId);
}

bool CFlashHost::PrepareMovieControl() {
  if (!hwnd()) return false;
  kind_ = kMovie;
  SwitchToMovie();
  return movie_.created();
}

bool CFlashHost::ShowItem(const std::wstring& path) {
  itemPath_ = ToWide(std::u16string(TrimWhiteSpace(FromWide(path))));
  if (!platform::IsExistingFile(FromWide(itemPath_))) return true;
  paused_ = false;
  const MovieKind kind = KindOfPath(FromWide(itemPath_));
  kind_ = kind == MovieKind::kFlash ? kMovie : kind == MovieKind::kWebPage ? kWeb : kPicture;
  const auto play = SystemPlaySound();
  if (play) play(nullptr, nullptr, kSoundPurge);  // an earlier entry's sound ends here
  if (kind_ != kMovie && play && EqualsNoCase(ExtensionOf(FromWide(itemPath_)), u"wav")) {
    play(itemPath_.c_str(), nullptr, kSoundFileAsyncNoWaitPurge);
  }
  if (kind_ == kPicture) {
    SwitchToPicture();
    // A picture that cannot be read leaves the window in its background colour.
    picture_.Load(itemPath_);
    picture_.SetKeepAspect(!stretchToWindow_);
    const SIZE size = picture_.GetSize();
    viewRect_ = RECT{0, 0, size.cx, size.cy};
    LayoutPicture();
    ApplyPictureShape();
    InvalidateRect(hwnd(), nullptr, FALSE);
    if (pictureWindow_.hwnd()) InvalidateRect(pictureWindow_.hwnd(), nullptr, FALSE);
    return true;
  }
  RestoreWindowRegion();
  if (kind_ == kWeb) {
    SwitchToWeb();
    web_.view().Stop();
    web_.view().Navigate(itemPath_);
    return web_.view().GetSafeHwnd() != nullptr;
  }
  SwitchToMovie();
  movie_.SetBase(baseUrl_);
  return movie_.LoadMovie(itemPath_);
}

bool CFlashHost::LoadEntry(const SequenceItem& entry) {
  quality_ = entry.quality;
  const std::wstring path = ToWide(entry.path);
  switch (KindOfPath(entry.path)) {
    case MovieKind::kFlash:
      ShowItem(path);
      if (entry.quality != layout::kHostQualityUnchanged) SetQuality(entry.quality);
      if (stretchToWindow_) FitMovieToWindow(entry.width, entry.height);
      return true;
    case MovieKind::kPicture:
    case MovieKind::kWebPage:
      ShowItem(path);
      return true;
    default:
      return false;
  }
}

void CFlashHost::SetAllowScale(bool allow) {
  picture_.SetAllowScale(allow);
  CMovieControl::SetAllowScale(allow);
}

void CFlashHost::SetStretchToWindow(bool on) {
  stretchToWindow_ = on;
  picture_.SetKeepAspect(!on);
}

void CFlashHost::SetBackgroundColour(long colour) {
  if (kind_ == kMovie) {
    backgroundColour_ = colour;
    movie_.SetBackgroundColour(colour);
  } else {
    backgroundColour_ = colour == -1 ? 0xFFFFFF : colour;
    if (hwnd()) InvalidateRect(hwnd(), nullptr, TRUE);
    if (pictureWindow_.hwnd()) InvalidateRect(pictureWindow_.hwnd(), nullptr, FALSE);
  }
}

void CFlashHost::SetQuality(int mode) {
  quality_ = mode;
  if (kind_ == kMovie) movie_.SetQuality(mode);
}

void CFlashHost::SetZoomRect(int left, int top, int right, int bottom) {
  viewRect_ = RECT{left, top, right, bottom};
  if (kind_ == kMovie) {
    constexpr int k = kTwipsPerPixel;
    movie_.SetZoomRect(RECT{left * k, top * k, right * k, bottom * k});
  }
  if (kind_ == kPicture) {
    LayoutPicture();
    ApplyPictureShape();
    if (pictureWindow_.hwnd()) InvalidateRect(pictureWindow_.hwnd(), nullptr, FALSE);
  }
}

void CFlashHost::FitMovieToWindow(int width, int height) {
  if (kind_ == kMovie) movie_.FitMovieToWindow(width, height);
}

POINT CFlashHost::GetViewPoint() {
  if (kind_ == kMovie) {
    const auto [x, y] = movie_.GetMouseInMovie();
    return POINT{x, y};
  }
  return kind_ == kPicture ? picture_.MapPoint(viewPoint_) : POINT{0, 0};
}

void CFlashHost::ResetReady(int value) {
  if (kind_ == kMovie) movie_.ResetReady(value);
}

bool CFlashHost::MovieExists() const {
  return kind_ != kMovie || platform::IsExistingFile(FromWide(movie_.moviePath()));
}

CFlashMovieCtrl* CFlashHost::PlayingControl() { return kind_ == kMovie ? movie_.control() : nullptr; }

bool CFlashHost::HasTimeline() {
  if (kind_ != kMovie) return false;
  if (movie_.moviePath().empty()) return true;
  CFlashMovieCtrl* control = PlayingControl();
  return control && control->TotalFrames() > 1;
}

void CFlashHost::Play() {
  paused_ = false;
  if (CFlashMovieCtrl* control = PlayingControl()) control->Play();
}

void CFlashHost::StopPlay() {
  paused_ = true;
  if (CFlashMovieCtrl* control = PlayingControl()) control->StopPlay();
}

void CFlashHost::Forward() {
  if (CFlashMovieCtrl* control = PlayingControl()) control->Forward();
}
void CFlashHost::Back() {
  if (CFlashMovieCtrl* control = PlayingControl()) control->Back();
}
void CFlashHost::Rewind() {
  if (CFlashMovieCtrl* control = PlayingControl()) control->Rewind();
}
bool CFlashHost::GetLoop() {
  CFlashMovieCtrl* control = PlayingControl();
  return control && control->GetLoop();
}
void CFlashHost::SetLoop(bool loop) {
  if (CFlashMovieCtrl* control = PlayingControl()) control->PutLoop(loop);
}
int CFlashHost::GetCurrentFrame() {
  CFlashMovieCtrl* control = PlayingControl();
  return control ? control->CurrentFrame() : 1;
}

bool CFlashHost::IsPlaying() {
  if (kind_ == kMovie) {
    CFlashMovieCtrl* control = PlayingControl();
    paused_ = movie_.moviePath().empty() || !control || !control->IsPlaying();
  }
  return !paused_;
}

void CFlashHost::Layout() {
  const RECT r = ClientRect();
  if (movie_.GetControlWindow()) {
    // The transparent host is placed by the player window, on screen, not in this host.
    if (!transparent_) movie_.MoveControl(r, true);
  } else if (web_.hwnd()) {
    MoveWindow(web_.hwnd(), r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
  } else if (pictureWindow_.hwnd()) {
    MoveWindow(pictureWindow_.hwnd(), r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    const SIZE size = ClientSize(pictureWindow_.hwnd());
    picture_.SetWindowSize(size.cx, size.cy);
    // Sizes that come in one step (maximising, full screen) are rendered at once.
    if (!InSizeMoveLoop()) LayoutPicture();
    InvalidateRect(pictureWindow_.hwnd(), nullptr, FALSE);
  }
}

// The picture is laid out in the picture window's client area, inside its border, so that it
// is centred in what can be seen and no edge of it is cut off.
void CFlashHost::LayoutPicture() {
  if (kind_ != kPicture || itemPath_.empty()) return;
  const SIZE size = ClientSize(pictureWindow_.hwnd() ? pictureWindow_.hwnd() : hwnd());
  picture_.SetWindowSize(size.cx, size.cy);
  picture_.SetView(viewRect_);
}

COLORREF CFlashHost::BackgroundColour() const {
  return backgroundColour_ == -1 ? RGB(255, 255, 255) : static_cast<COLORREF>(backgroundColour_ & 0xFFFFFF);
}

void CFlashHost::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd(), &ps);
  if (kind_ == kPicture) {
    HBRUSH brush = CreateSolidBrush(BackgroundColour());
    const RECT r = ClientRect();
    FillRect(dc, &r, brush);
    DeleteObject(brush);
  }
  EndPaint(hwnd(), &ps);
}

void CFlashHost::PaintPicture(HDC dc) {
  const SIZE size = ClientSize(pictureWindow_.hwnd());
  if (size.cx <= 0 || size.cy <= 0) return;
  HDC buffer = CreateCompatibleDC(dc);
  HBITMAP surface = CreateCompatibleBitmap(dc, size.cx, size.cy);
  HGDIOBJ old = SelectObject(buffer, surface);
  HBRUSH brush = CreateSolidBrush(BackgroundColour());
  const RECT whole{0, 0, size.cx, size.cy};
  FillRect(buffer, &whole, brush);
  DeleteObject(brush);
  if (kind_ == kPicture) picture_.Draw(buffer);
  BitBlt(dc, 0, 0, size.cx, size.cy, buffer, 0, 0, SRCCOPY);
  SelectObject(buffer, old);
  DeleteObject(surface);
  DeleteDC(buffer);
}

int CFlashHost::CaptureWindowRegion() {
  if (!windowRegion_) {
    const RECT r = ClientRect();
    windowRegion_.reset(CreateRectRgn(r.left, r.top, r.right, r.bottom));
  }
  if (!topWindow_ || !IsWindow(topWindow_) || !windowRegion_) return ERROR;
  return GetWindowRgn(topWindow_, static_cast<HRGN>(windowRegion_.get()));
}

bool CFlashHost::ApplyPictureShape() {
  if (!transparent_ || !topWindow_ || !IsWindow(topWindow_) || !windowRegion_) return false;
  RECT occupied{};
  if (pictureWindow_.hwnd() && picture_.GetOccupiedRect(&occupied)) {
    // From the picture window's client area to the top-level window's own corner, where
    // window regions are measured from.
    MapWindowPoints(pictureWindow_.hwnd(), topWindow_, reinterpret_cast<POINT*>(&occupied), 2);
    RECT outer{};
    POINT clientOrigin{0, 0};
    GetWindowRect(topWindow_, &outer);
    ClientToScreen(topWindow_, &clientOrigin);
    OffsetRect(&occupied, clientOrigin.x - outer.left, clientOrigin.y - outer.top);
    win::UniqueRegion picture(CreateRectRgnIndirect(&occupied));
    win::UniqueRegion shape(CreateRectRgn(0, 0, 0, 0));
    // Nothing of the picture inside the window's region would leave an invisible window that
    // cannot be clicked: that counts as a failure, like a failed combination.
    if (picture && shape &&
        CombineRgn(static_cast<HRGN>(shape.get()), static_cast<HRGN>(windowRegion_.get()),
                   static_cast<HRGN>(picture.get()), RGN_AND) > NULLREGION &&
        SetWindowRgn(topWindow_, static_cast<HRGN>(shape.get()), TRUE)) {
      (void)shape.release();  // the system owns it now
      return true;
    }
  }
  RestoreWindowRegion();
  return false;
}

void CFlashHost::RestoreWindowRegion() {
  if (!transparent_ || !topWindow_ || !IsWindow(topWindow_) || !windowRegion_) return;
  win::UniqueRegion copy(CreateRectRgn(0, 0, 0, 0));
  if (!copy || CombineRgn(static_cast<HRGN>(copy.get()), static_cast<HRGN>(windowRegion_.get()), nullptr,
                          RGN_COPY) == ERROR) {
    return;
  }
  if (SetWindowRgn(topWindow_, static_cast<HRGN>(copy.get()), TRUE)) (void)copy.release();
}

LRESULT CPictureWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd(), &ps);
      host_.PaintPicture(dc);
      EndPaint(hwnd(), &ps);
      return 0;
    }
    default:
      return win::Window::HandleMessage(message, wParam, lParam);
  }
}

LRESULT CFlashHost::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      Layout();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint();
      return 0;
    case kPictureRenderedMessage:
      if (picture_.TakeFinishedRendering() && kind_ == kPicture) {
        ApplyPictureShape();
        if (pictureWindow_.hwnd()) InvalidateRect(pictureWindow_.hwnd(), nullptr, FALSE);
      }
      return 0;
    case WM_EXITSIZEMOVE:
      if (kind_ == kPicture) {
        LayoutPicture();
        ApplyPictureShape();
        if (pictureWindow_.hwnd()) InvalidateRect(pictureWindow_.hwnd(), nullptr, FALSE);
      }
      return 0;
    default:
      return win::Window::HandleMessage(message, wParam, lParam);
  }
}

bool FlashHostSequenceAdapter::PumpPendingMessages(int count) {
  if (win::PumpPendingMessages(count, win::PumpRange::kAll).quit) return false;
  // Give the control time to work rather than spinning.
  MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  return host_.hwnd() != nullptr && (!playerGoesOn_ || playerGoesOn_());
}

}  // namespace zp::player
