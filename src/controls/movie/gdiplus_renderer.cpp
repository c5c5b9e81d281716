#include "gdiplus_renderer.h"

#include "device_text.h"
#include "dib_target.h"

#include <climits>
#include <cstring>
#include <mutex>
#include <vector>
#include <objidl.h>  // PROPID, which the lean Windows headers leave out
#include <gdiplus.h>
#include <shlwapi.h>

#include "core/swf/swf_canvas.h"

namespace zp::movie {

namespace gp = Gdiplus::DllExports;

namespace {

// JPEG (or PNG, GIF) data decoded by the system into premultiplied pixels.
bool DecodeImage(const std::vector<uint8_t>& file, zp::swf::BitmapPixels& out) {
  if (file.empty() || file.size() > UINT_MAX) return false;
  IStream* stream = SHCreateMemStream(file.data(), static_cast<UINT>(file.size()));
  if (!stream) return false;
  Gdiplus::GpBitmap* bitmap = nullptr;
  bool ok = gp::GdipCreateBitmapFromStream(stream, &bitmap) == Gdiplus::Ok;
  UINT width = 0, height = 0;
  if (ok) {
    gp::GdipGetImageWidth(bitmap, &width);
    gp::GdipGetImageHeight(bitmap, &height);
    ok = width > 0 && height > 0 && uint64_t{width} * height <= zp::swf::kMaxBitmapPixels;
  }
  if (ok) {
    out.width = static_cast<int>(width);
    out.height = static_cast<int>(height);
    out.argb.assign(size_t{width} * height, 0);
    Gdiplus::BitmapData data{};
    data.Width = width;
    data.Height = height;
    data.Stride = static_cast<INT>(width * 4);
    data.PixelFormat = PixelFormat32bppPARGB;
    data.Scan0 = out.argb.data();
    const Gdiplus::GpRect rect(0, 0, static_cast<INT>(width), static_cast<INT>(height));
    ok = gp::GdipBitmapLockBits(bitmap, &rect, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf,
                                PixelFormat32bppPARGB, &data) == Gdiplus::Ok;
    if (ok) gp::GdipBitmapUnlockBits(bitmap, &data);
  }
  if (bitmap) gp::GdipDisposeImage(bitmap);
  stream->Release();
  return ok;
}

// Text in the system's fonts, drawn by GDI+ onto the canvas's transparent picture.
void DrawTextOnto(const zp::swf::DrawItem& item, zp::swf::PixelView target, int originX, int originY) {
  Gdiplus::GpBitmap* bitmap = nullptr;
  if (gp::GdipCreateBitmapFromScan0(target.width, target.height, target.stride * 4, PixelFormat32bppPARGB,
                                    reinterpret_cast<BYTE*>(target.pixels), &bitmap) != Gdiplus::Ok) {
    return;
  }
  Gdiplus::GpGraphics* graphics = nullptr;
  if (gp::GdipGetImageGraphicsContext(bitmap, &graphics) == Gdiplus::Ok) {
    gp::GdipSetSmoothingMode(graphics, Gdiplus::SmoothingModeAntiAlias);
    gp::GdipSetPixelOffsetMode(graphics, Gdiplus::PixelOffsetModeHalf);
    gp::GdipTranslateWorldTransform(graphics, static_cast<float>(-originX), static_cast<float>(-originY),
                                    Gdiplus::MatrixOrderPrepend);
    DrawDeviceText(graphics, item);
    gp::GdipFlush(graphics, Gdiplus::FlushIntentionSync);
    gp::GdipDeleteGraphics(graphics);
  }
  gp::GdipDisposeImage(bitmap);
}

const zp::swf::CanvasHooks& Hooks() {
  static const zp::swf::CanvasHooks hooks{DecodeImage, DrawTextOnto};
  return hooks;
}

// Draws background and items into premultiplied pixels, then puts those onto `hdc` (blending
// them when the background is not opaque). Where `hdc` holds a DIB section the pixels are its
// own; elsewhere they are drawn in memory of our own, reused from frame to frame, since memory
// fresh from the system costs a page fault per page on first touch.
// The library's one frame buffer. Not thread-local: a thread-local object with a destructor
// pins its library in memory until the thread ends, so the control's file, extracted to the
// player's temporary folder, could not be deleted when the player cleans up.
struct FrameBuffer {
  std::mutex lock;
  std::vector<uint32_t> pixels;
};

FrameBuffer& SharedFrameBuffer() {
  static FrameBuffer buffer;
  return buffer;
}

void DrawThroughPixels(HDC hdc, const RECT& bounds, zp::swf::Rgba background,
                       const std::vector<zp::swf::DrawItem>& items, zp::swf::EdgeQuality quality) {
  const int width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
  if (width <= 0 || height <= 0) return;
  // Drawing over what the target holds is the blend a blit would make: every item is laid
  // over the pixels below it, premultiplied, after an opaque background that replaces them. A
  // translucent background is blended, which only the blit below does.
  const bool backgroundReplacesOrLeaves = background.a == 0 || background.a == 255;
  if (const zp::swf::PixelView direct = backgroundReplacesOrLeaves ? DibTargetPixels(hdc, bounds) : zp::swf::PixelView{};
      direct.pixels) {
    DrawMovieToPixels(direct.pixels, direct.width, direct.height, direct.stride * 4, background, items, quality);
    return;
  }
  FrameBuffer& buffer = SharedFrameBuffer();
  const std::lock_guard<std::mutex> hold(buffer.lock);
  std::vector<uint32_t>& frame = buffer.pixels;
  frame.assign(static_cast<size_t>(width) * height, 0);  // transparent until the movie draws on it
  if (!DrawMovieToPixels(frame.data(), width, height, width * 4, background, items, quality)) return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  if (background.a == 255) {
    SetDIBitsToDevice(hdc, bounds.left, bounds.top, width, height, 0, 0, 0, height, frame.data(), &info,
                      DIB_RGB_COLORS);
    return;
  }
  void* bits = nullptr;
  HBITMAP picture = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!picture) return;
  if (HDC memory = CreateCompatibleDC(hdc)) {
    std::memcpy(bits, frame.data(), frame.size() * 4);
    HGDIOBJ old = SelectObject(memory, picture);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(hdc, bounds.left, bounds.top, width, height, memory, 0, 0, width, height, blend);
    SelectObject(memory, old);
    DeleteDC(memory);
  }
  DeleteObject(picture);
}

}  // namespace

void DrawMovie(HDC hdc, const RECT& bounds, zp::swf::Rgba background, const std::vector<zp::swf::DrawItem>& items,
               zp::swf::EdgeQuality quality) {
  DrawThroughPixels(hdc, bounds, background, items, quality);
}

bool DrawMovieToPixels(uint32_t* pixels, int width, int height, int stride, zp::swf::Rgba background,
                       const std::vector<zp::swf::DrawItem>& items, zp::swf::EdgeQuality quality) {
  if (!pixels || width <= 0 || height <= 0 || stride < width * 4) return false;
  const zp::swf::PixelView view{pixels, width, height, stride / 4};
  if (background.a != 0) zp::swf::FillPixels(view, background);
  zp::swf::DrawItemsToPixels(view, items, Hooks(), quality);
  return true;
}

void DrawMovieBlended(HDC hdc, const RECT& bounds, const std::vector<zp::swf::DrawItem>& items,
                      zp::swf::EdgeQuality quality) {
  DrawThroughPixels(hdc, bounds, zp::swf::Rgba{0, 0, 0, 0}, items, quality);
}

}  // namespace zp::movie
