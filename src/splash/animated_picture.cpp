#include "splash/animated_picture.h"

#include <objbase.h>

#include "core/splash/gif_layout.h"
#include "platform/platform.h"
#include "platform/wide.h"

namespace zp::splash {

namespace {

using Microsoft::WRL::ComPtr;

constexpr long kHimetricPerInch = 2540;

// Decodes a picture with the system's OLE loader from a copy of the bytes.
ComPtr<IPicture> LoadPicture(std::span<const uint8_t> data) {
  if (data.empty() || data.size() > MAXDWORD) return nullptr;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, data.size());
  if (!memory) return nullptr;
  void* target = GlobalLock(memory);
  if (!target) {
    GlobalFree(memory);
    return nullptr;
  }
  memcpy(target, data.data(), data.size());
  GlobalUnlock(memory);
  ComPtr<IStream> stream;
  if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
    GlobalFree(memory);
    return nullptr;
  }
  ComPtr<IPicture> picture;
  if (FAILED(OleLoadPicture(stream.Get(), static_cast<LONG>(data.size()), FALSE, IID_IPicture,
                            reinterpret_cast<void**>(picture.GetAddressOf())))) {
    return nullptr;
  }
  return picture;
}

// Draws the whole picture into the rectangle (the source runs bottom-up in HIMETRIC).
bool RenderPicture(IPicture* picture, HDC dc, int left, int top, int width, int height) {
  OLE_XSIZE_HIMETRIC sourceWidth = 0;
  OLE_YSIZE_HIMETRIC sourceHeight = 0;
  if (FAILED(picture->get_Width(&sourceWidth)) || FAILED(picture->get_Height(&sourceHeight))) return false;
  return SUCCEEDED(picture->Render(dc, left, top, width, height, 0, sourceHeight, sourceWidth, -sourceHeight, nullptr));
}

// COM for the thread that calls it, for as long as the object lives.
class ThreadCom {
 public:
  ThreadCom() : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ThreadCom() {
    if (initialised_) CoUninitialize();
  }
  ThreadCom(const ThreadCom&) = delete;
  ThreadCom& operator=(const ThreadCom&) = delete;

 private:
  bool initialised_;
};

}  // namespace

bool OffscreenSurface::Create(HDC compatibleWith, int width, int height) {
  Release();
  dc_ = CreateCompatibleDC(compatibleWith);
  bitmap_ = dc_ ? CreateCompatibleBitmap(compatibleWith, width, height) : nullptr;
  if (!bitmap_) {
    Release();
    return false;
  }
  replaced_ = SelectObject(dc_, bitmap_);
  return true;
}

void OffscreenSurface::Release() {
  if (dc_ && replaced_) SelectObject(dc_, replaced_);
  if (bitmap_) DeleteObject(bitmap_);
  if (dc_) DeleteDC(dc_);
  dc_ = nullptr;
  bitmap_ = nullptr;
  replaced_ = nullptr;
}

AnimatedPicture::AnimatedPicture() : exitEvent_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

AnimatedPicture::~AnimatedPicture() {
  Unload();
  Destroy();
}

bool AnimatedPicture::LoadFromFile(const std::wstring& path) {
  platform::MappedFile file;
  const size_t size = file.Map(FromWide(path));
  if (size == 0 || size > kMaxFileSize) {
    Unload();
    return false;
  }
  return LoadFromMemory(file.bytes());
}

bool AnimatedPicture::LoadFromMemory(std::span<const uint8_t> data) {
  Unload();
  if (!hwnd()) return false;
  if (!gif::HasGifSignature(data)) {
    single_ = LoadPicture(data);
    if (!single_) return false;
    OLE_XSIZE_HIMETRIC himetricWidth = 0;
    OLE_YSIZE_HIMETRIC himetricHeight = 0;
    single_->get_Width(&himetricWidth);
    single_->get_Height(&himetricHeight);
    HDC dc = GetDC(hwnd());
    const int width = MulDiv(himetricWidth, GetDeviceCaps(dc, LOGPIXELSX), kHimetricPerInch);
    const int height = MulDiv(himetricHeight, GetDeviceCaps(dc, LOGPIXELSY), kHimetricPerInch);
    ReleaseDC(hwnd(), dc);
    return PrepareOffscreen(width, height) || (Unload(), false);
  }
  return LoadFrames(data) || (Unload(), false);
}

bool AnimatedPicture::LoadFrames(std::span<const uint8_t> data) {
  const auto layout = gif::ReadLayout(data);
  if (!layout || layout->graphicBlocks == 0) return false;
  if (layout->graphicBlocks == 1) {
    // A still GIF is decoded whole, at its logical screen size.
    single_ = LoadPicture(data);
    return single_ && PrepareOffscreen(layout->screen.width, layout->screen.height);
  }
  for (const auto& frame : layout->frames) {
    // A frame the loader rejects is left out; the others still play.
    ComPtr<IPicture> picture = LoadPicture(gif::StandaloneFrame(data, layout->screen, frame));
    if (!picture) continue;
    frames_.push_back({picture, frame.left, frame.top, frame.width, frame.height, frame.delay, frame.disposal});
  }
  return !frames_.empty() && PrepareOffscreen(layout->screen.width, layout->screen.height);
}

bool AnimatedPicture::PrepareOffscreen(int width, int height) {
  if (width <= 0 || height <= 0) return false;
  SetWindowPos(hwnd(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  HDC dc = GetDC(hwnd());
  if (!dc) return false;
  const bool created = offscreen_.Create(dc, width, height);
  ReleaseDC(hwnd(), dc);
  if (!created) return false;
  width_ = width;
  height_ = height;
  background_ = GetSysColor(COLOR_BTNFACE);
  Fill({0, 0, width, height}, GetSysColor(COLOR_WINDOW));
  ready_ = true;
  return true;
}

bool AnimatedPicture::Draw() {
  if (!ready_) return false;
  if (animated()) {
    if (animation_.joinable()) return true;
    exitRequested_ = false;
    ResetEvent(exitEvent_.get());
    playing_ = true;
    animation_ = std::thread([this] { Animate(); });
    return true;
  }
  bool drawn = false;
  {
    std::lock_guard lock(drawing_);
    drawn = single_ ? RenderPicture(single_.Get(), offscreen_.dc(), 0, 0, width_, height_) : DrawFrame(frames_.front());
  }
  if (drawn) InvalidateRect(hwnd(), nullptr, FALSE);
  return drawn;
}

void AnimatedPicture::Stop() {
  exitRequested_ = true;
  if (exitEvent_) SetEvent(exitEvent_.get());
  // No time limit: the thread looks at the request around every wait, and what it draws with
  // must not be released while it still draws.
  if (animation_.joinable()) animation_.join();
  playing_ = false;
  exitRequested_ = false;
  if (exitEvent_) ResetEvent(exitEvent_.get());
}

void AnimatedPicture::Unload() {
  Stop();
  std::lock_guard lock(drawing_);
  single_.Reset();
  frames_.clear();
  saved_.Release();
  offscreen_.Release();
  width_ = height_ = 0;
  currentFrame_ = 0;
  ready_ = false;
  background_ = RGB(255, 255, 255);
}

void AnimatedPicture::Animate() {
  ThreadCom com;
  // A restart first clears away the frame the last run stopped on, as its disposal says.
  ApplyDisposal(frames_[currentFrame_]);
  while (!exitRequested_) {
    const FrameRecord& frame = frames_[currentFrame_];
    if (DrawFrame(frame)) InvalidateRect(hwnd(), nullptr, FALSE);
    if (exitRequested_) break;
    WaitForSingleObject(exitEvent_.get(), gif::FrameMilliseconds(frame.delay));
    if (exitRequested_) break;
    ApplyDisposal(frame);
    if (++currentFrame_ == frames_.size()) {
      currentFrame_ = 0;
      Fill({0, 0, width_, height_}, background_);
    }
  }
  playing_ = false;
}

bool AnimatedPicture::DrawFrame(const FrameRecord& frame) {
  std::lock_guard lock(drawing_);
  if (frame.disposal == 3 && saved_.Create(offscreen_.dc(), frame.width, frame.height)) {
    BitBlt(saved_.dc(), 0, 0, frame.width, frame.height, offscreen_.dc(), frame.left, frame.top, SRCCOPY);
  }
  const bool drawn = RenderPicture(frame.picture.Get(), offscreen_.dc(), frame.left, frame.top, frame.width, frame.height);
  if (frameObserver_) frameObserver_(static_cast<size_t>(&frame - frames_.data()));
  return drawn;
}

void AnimatedPicture::ApplyDisposal(const FrameRecord& frame) {
  if (frame.disposal == 2) {
    Fill({frame.left, frame.top, frame.left + frame.width, frame.top + frame.height}, background_);
  } else if (frame.disposal == 3) {
    std::lock_guard lock(drawing_);
    if (saved_.valid()) {
      BitBlt(offscreen_.dc(), frame.left, frame.top, frame.width, frame.height, saved_.dc(), 0, 0, SRCCOPY);
      saved_.Release();
    }
  }
}

void AnimatedPicture::Fill(const RECT& area, COLORREF colour) {
  std::lock_guard lock(drawing_);
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(offscreen_.dc(), &area, brush);
  DeleteObject(brush);
}

void AnimatedPicture::Paint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd(), &paint);
  {
    std::lock_guard lock(drawing_);
    if (ready_) BitBlt(dc, 0, 0, width_, height_, offscreen_.dc(), 0, 0, SRCCOPY);
  }
  EndPaint(hwnd(), &paint);
}

LRESULT AnimatedPicture::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      // The off-screen picture covers the whole control.
      if (ready_) return TRUE;
      break;
    case WM_DESTROY:
      Stop();
      break;
    default:
      break;
  }
  return DefaultHandling(message, wParam, lParam);
}

}  // namespace zp::splash
