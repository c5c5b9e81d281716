#include "player/transparent_frame.h"

#include <cstring>

#include "core/layout/input_rules.h"
#include "core/transparency/changed_area.h"
#include "core/transparency/layered_alpha.h"
#include "framework/application.h"
#include "fscommand/fs_command_manager.h"
#include "player/transparency_support.h"

namespace zp::player {
namespace {

using namespace layout::companion;

constexpr wchar_t kFrameClass[] = L"ZentraTransparentFrame";
constexpr UINT kFirstPaneId = 0xE900;
// No picture larger than this is drawn: a size beyond any screen is a mistake, not a movie.
constexpr int kLargestSide = 16384;

}  // namespace

// ---- the frame ------------------------------------------------------------------------------

bool TransparentFrame::Create(const RECT& rect) {
  // No background and the four-headed arrow: the window is drawn only by its picture, and it
  // drags.
  if (!win::RegisterWindowClass(kFrameClass, CS_BYTEALIGNCLIENT, IDC_SIZEALL)) return false;
  const auto* application = win::Application::Current();
  HWND owner = application ? application->mainWindow() : nullptr;
  if (!Window::Create(WS_EX_LAYERED, L"", WS_POPUP | WS_VISIBLE, rect, owner, 0, kFrameClass)) return false;
  RECT client{};
  GetClientRect(hwnd(), &client);
  if (!view_.Create(0, L"", WS_CHILD | WS_VISIBLE, client, hwnd(), kFirstPaneId)) return false;
  return view_.CreateFernwikControl(*this, rect);
}

LRESULT TransparentFrame::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SIZE && view_.hwnd()) {
    MoveWindow(view_.hwnd(), 0, 0, LOWORD(lParam), HIWORD(lParam), FALSE);
    InvalidateRect(view_.hwnd(), nullptr, FALSE);
  }
  return Window::HandleMessage(message, wParam, lParam);
}

// ---- the view -------------------------------------------------------------------------------

FlashCView::~FlashCView() {
  ocx_.Destroy();
  container_.reset();
  DeletePictures();
}

HWND FlashCView::HostWindow() const { return hostFrame_ ? hostFrame_->hwnd() : nullptr; }

bool FlashCView::CreateFernwikControl(TransparentFrame& frame, const RECT& rect) {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  // user32 is loaded in every program with windows: this only finds it, by its full path.
  HMODULE user32 = GetModuleHandleW((std::wstring(folder, length) + L"\\user32.dll").c_str());
  if (!user32) user32 = GetModuleHandleW(L"user32.dll");
  updateLayeredWindow_ = user32 ? reinterpret_cast<UpdateLayeredWindowFunction>(
                                      reinterpret_cast<void*>(GetProcAddress(user32, "UpdateLayeredWindow")))
                                : nullptr;
  if (!updateLayeredWindow_) return false;
  // Handing over only what changed needs the indirect form, which older systems lack.
  updateLayeredWindowIndirect_ = reinterpret_cast<UpdateLayeredWindowIndirectFunction>(
      reinterpret_cast<void*>(GetProcAddress(user32, "UpdateLayeredWindowIndirect")));
  hostFrame_ = &frame;
  screenIs32Bit_ = DisplayColourDepth() == 32;
  container_ = std::make_unique<win::WindowlessContainer>(hwnd());
  if (!ocx_.CreateWindowless(*container_, RECT{0, 0, rect.right - rect.left, rect.bottom - rect.top})) return false;
  ocx_.onFsCommand = [this](const std::wstring& command, const std::wstring& arguments) {
    OnFSCommand(command, arguments);
    return true;
  };
  ocxReady_ = true;
  return true;
}

void FlashCView::DeletePictures() {
  memory_.reset();  // before its bitmaps: the DC holds one of them
  dibBlack_[0].reset();
  dibBlack_[1].reset();
  dibWhite_.reset();
  pixelsBlack_[0] = pixelsBlack_[1] = pixelsWhite_ = nullptr;
  front_ = 0;
  pictureWidth_ = pictureHeight_ = 0;
  shown_ = false;
}

bool FlashCView::EnsurePictures(int width, int height) {
  if (width == pictureWidth_ && height == pictureHeight_ && memory_ && (screenIs32Bit_ || dibWhite_)) return true;
  DeletePictures();
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first, as the alpha walk reads them
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* black[2] = {nullptr, nullptr};
  void* white = nullptr;
  for (int i = 0; i < 2; ++i) dibBlack_[i].reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &black[i], nullptr, 0));
  if (!screenIs32Bit_) dibWhite_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &white, nullptr, 0));
  memory_.reset(CreateCompatibleDC(nullptr));
  if (!dibBlack_[0] || !dibBlack_[1] || (!screenIs32Bit_ && !dibWhite_) || !memory_) {
    DeletePictures();
    return false;
  }
  pixelsBlack_[0] = static_cast<uint32_t*>(black[0]);
  pixelsBlack_[1] = static_cast<uint32_t*>(black[1]);
  pixelsWhite_ = static_cast<uint32_t*>(white);
  pictureWidth_ = width;
  pictureHeight_ = height;
  return true;
}

void FlashCView::OnDraw() {
  HWND host = HostWindow();
  if (!container_ || !updateLayeredWindow_ || !host) return;
  // The controls say what changed by invalidating the view; a frame they left alone is on
  // screen already (a layered window keeps its picture when it moves).
  if (hwnd() && GetUpdateRect(hwnd(), nullptr, FALSE)) {
    changed_ = true;
    ValidateRect(hwnd(), nullptr);
  }
  RECT area{};
  GetWindowRect(host, &area);
  const int width = area.right - area.left, height = area.bottom - area.top;
  if (width <= 0 || height <= 0 || width > kLargestSide || height > kLargestSide) return;
  if (!changed_ && shown_ && width == pictureWidth_ && height == pictureHeight_) return;
  if (!EnsurePictures(width, height)) return;
  // A picture is drawn whole into the one the window does not show; what differs from the
  // shown one is all the system is given.
  const int back = 1 - front_;
  HDC memory = memory_.get();
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  uint32_t* const picture = pixelsBlack_[back];
  SelectObject(memory, dibBlack_[back].get());
  std::memset(picture, 0, count * sizeof(uint32_t));
  container_->DrawWindowlessControls(memory);
  GdiFlush();
  // The pictures are 32-bit whatever the display: a control that fills in the alpha byte itself
  // (the movie control's twin does) has given all there is with one drawing. Only one that
  // leaves the byte empty, where the display keeps none, is drawn again over white, and its
  // alpha read from how much of the white shows through.
  if (screenIs32Bit_ || transparency::CarriesAlpha(picture, count)) {
    transparency::MakeColouredPixelsOpaque(picture, count);
  } else {
    const RECT all{0, 0, width, height};
    SelectObject(memory, dibWhite_.get());
    FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    container_->DrawWindowlessControls(memory);
    GdiFlush();
    SelectObject(memory, dibBlack_[back].get());
    transparency::AlphaFromBlackAndWhite(picture, pixelsWhite_, count);
  }
  if (!shown_ || !updateLayeredWindowIndirect_) {
    shown_ = HandOver(host, area, nullptr);
  } else {
    const transparency::PixelArea changed =
        transparency::ChangedArea(pixelsBlack_[front_], picture, width, height, width);
    if (!changed.empty()) {
      const RECT dirty{changed.left, changed.top, changed.right, changed.bottom};
      shown_ = HandOver(host, area, &dirty);
    } else {
      lastHandedPixels_ = 0;
    }
  }
  // A failed hand-over leaves the window's picture unknown: the next one is given whole.
  changed_ = !shown_;
  front_ = back;
}

bool FlashCView::HandOver(HWND host, const RECT& area, const RECT* dirty) {
  HDC screen = GetDC(nullptr);
  POINT destination{area.left, area.top}, source{0, 0};
  SIZE size{area.right - area.left, area.bottom - area.top};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  bool shown = false;
  if (dirty && updateLayeredWindowIndirect_) {
    const UPDATELAYEREDWINDOWINFO info{sizeof info, screen, &destination, &size, memory_.get(), &source, 0,
                                       &blend, ULW_ALPHA, dirty};
    shown = updateLayeredWindowIndirect_(host, &info) != FALSE;
  } else {
    shown = updateLayeredWindow_(host, screen, &destination, &size, memory_.get(), &source, 0, &blend, ULW_ALPHA) !=
            FALSE;
  }
  if (screen) ReleaseDC(nullptr, screen);
  const RECT handed = dirty ? *dirty : RECT{0, 0, size.cx, size.cy};
  lastHandedPixels_ = shown ? int64_t{handed.right - handed.left} * (handed.bottom - handed.top) : 0;
  handOvers_ += shown ? 1 : 0;
  return shown;
}

void FlashCView::OnSysColorChange() {
  screenIs32Bit_ = DisplayColourDepth() == 32;
  DeletePictures();
  if (hwnd()) InvalidateRect(hwnd(), nullptr, FALSE);
}

LRESULT FlashCView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      changed_ = true;
      PAINTSTRUCT paint;
      BeginPaint(hwnd(), &paint);
      EndPaint(hwnd(), &paint);
      OnDraw();
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_SYSCOLORCHANGE:
    case WM_DISPLAYCHANGE:  // a new colour depth need not come with a colour change
      OnSysColorChange();
      break;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != hwnd()) dragging_ = false;
      break;
    case WM_SIZE:
      // The movie fills the view, whatever size the player window gives the host.
      if (ocxReady_) ocx_.SetPosition(RECT{0, 0, LOWORD(lParam), HIWORD(lParam)});
      break;
    default:
      break;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

void FlashCView::Notify(int32_t code) {
  notification_.code = code;
  if (listener_) listener_(notification_);
}

void FlashCView::MoveHostTo(int left, int top) {
  HWND host = HostWindow();
  if (!host) return;
  RECT r{};
  GetWindowRect(host, &r);
  SetWindowPos(host, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  OffsetRect(&r, left - r.left, top - r.top);
  OnDraw();
  notification_.windowRect = r;
  Notify(HostNotification::kWindowMoved);
}

void FlashCView::OnFSCommand(const std::wstring& command, const std::wstring& arguments) {
  auto& manager = fscommand::GetFsCommandManager();
  manager.OnFsCommand(&ocx_, command, arguments, true, hwnd());
  const fscommand::PendingMove move = manager.TakePendingMove();
  HWND host = HostWindow();
  if (!move.present || !host) return;
  RECT r{};
  GetWindowRect(host, &r);
  if (move.relative) {
    MoveHostTo(r.left + move.x, r.top + move.y);
  } else {
    MoveHostTo(move.x, move.y);
  }
}

bool FlashCView::InDragRegion(POINT cursor) const {
  if (dragging_) return true;
  if (!inDragRegion_) return false;
  ScreenToClient(HostWindow(), &cursor);
  return inDragRegion_(cursor);
}

void FlashCView::BeginDrag(POINT cursor) {
  RECT r{};
  GetWindowRect(HostWindow(), &r);
  dragOffsetX_ = r.left - cursor.x;
  dragOffsetY_ = r.top - cursor.y;
  SetCapture(hwnd());
  dragging_ = true;
}

void FlashCView::DragTo(POINT cursor) {
  if (dragOffsetX_ == kNoOffset || dragOffsetY_ == kNoOffset) {
    RECT r{};
    GetWindowRect(HostWindow(), &r);
    dragOffsetX_ = r.left - cursor.x;
    dragOffsetY_ = r.top - cursor.y;
  }
  MoveHostTo(cursor.x + dragOffsetX_, cursor.y + dragOffsetY_);
}

void FlashCView::EndDrag() {
  dragOffsetX_ = dragOffsetY_ = kNoOffset;
  dragging_ = false;
  if (GetCapture() == hwnd()) ReleaseCapture();
}

bool FlashCView::DragStep(const MSG& message) {
  const bool left = message.wParam & MK_LBUTTON, right = message.wParam & MK_RBUTTON;
  const int32_t leftMode = notification_.leftButtonMode, rightMode = notification_.rightButtonMode;
  if ((left && leftMode == kButtonDoesNothing) || (right && rightMode == kButtonDoesNothing)) return true;
  bool moves = false;
  if (left) {
    if (leftMode == kLeftDragsAnywhere || leftMode == kLeftDragsAnywhereAndClicks) {
      moves = true;
    } else if (leftMode == kLeftDragsByAreas && InDragRegion(message.pt)) {
      SetCursor(LoadCursorW(nullptr, IDC_SIZEALL));
      moves = true;
    }
  }
  if (right && rightMode == kRightDrags) moves = true;
  if (!moves) {
    dragOffsetX_ = dragOffsetY_ = kNoOffset;
    if (!dragging_) return false;
    EndDrag();
    return true;
  }
  if (!dragging_) {
    BeginDrag(message.pt);
  } else {
    DragTo(message.pt);
  }
  return true;
}

bool FlashCView::PreTranslateMessage(MSG& message) {
  if (!started_ && listener_) {
    notification_.parentWindow = GetParent(hwnd());
    Notify(HostNotification::kStarted);
    started_ = true;
  }
  if (started_) {
    const int32_t leftMode = notification_.leftButtonMode, rightMode = notification_.rightButtonMode;
    // Decisions use where the cursor was when the message was made: under load it may have
    // moved on by the time the message is handled.
    const POINT cursor = message.pt;
    bool regionTest = false;
    switch (message.message) {
      case WM_MOUSEMOVE:
        if (DragStep(message)) return true;
        regionTest = true;
        break;
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
        // A drag starts at the press, so that the window keeps the cursor where it took hold.
        if (leftMode == kLeftDragsAnywhere || leftMode == kLeftDragsAnywhereAndClicks ||
            (leftMode == kLeftDragsByAreas && InDragRegion(cursor))) {
          BeginDrag(cursor);
        }
        if (leftMode == kButtonDoesNothing || leftMode == kLeftDragsAnywhere) return true;
        regionTest = true;
        break;
      case WM_LBUTTONUP:
        // The window ends where the button was let go, even when the last moves were merged
        // away; a press the movie never saw is not followed by a release it sees.
        if (dragging_) {
          DragTo(cursor);
          EndDrag();
          return leftMode != kLeftDragsAnywhereAndClicks;
        }
        if (leftMode == kButtonDoesNothing || leftMode == kLeftDragsAnywhere) return true;
        regionTest = true;
        break;
      case WM_RBUTTONDOWN:
        if (rightMode == kRightDrags) BeginDrag(cursor);
        if (rightMode == kRightOpensMenu) Notify(HostNotification::kContextRequest);
        // A press the movie is meant to see goes on, so that it never gets a release alone.
        return rightMode != kRightToMovie;
      case WM_RBUTTONUP:
        if (dragging_ && rightMode == kRightDrags) {
          DragTo(cursor);
          EndDrag();
        }
        return rightMode != kRightToMovie;
      default:
        break;
    }
    if (regionTest && leftMode == kLeftDragsByAreas && InDragRegion(cursor)) {
      SetCursor(LoadCursorW(nullptr, IDC_SIZEALL));
      return true;
    }
  }
  return Window::PreTranslateMessage(message);
}

bool CanCreateTransparentHost() {
  TransparentFrame probe;
  return probe.Create(RECT{0, 0, 400, 400});
}

}  // namespace zp::player
