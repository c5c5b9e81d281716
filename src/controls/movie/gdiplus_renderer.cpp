#include "gdiplus_renderer.h"

#include "device_text.h"
#include "layer_targets.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>
using std::max;
using std::min;
#include <objidl.h>  // PROPID, which the lean Windows headers leave out
#include <gdiplus.h>
#include <shlwapi.h>

namespace zp::movie {

namespace gp = Gdiplus::DllExports;
using Gdiplus::ARGB;
using Gdiplus::GpGraphics;
using Gdiplus::GpPath;

namespace {

ARGB ToArgb(zp::swf::Rgba c) {
  return (static_cast<ARGB>(c.a) << 24) | (static_cast<ARGB>(c.r) << 16) | (static_cast<ARGB>(c.g) << 8) | c.b;
}

std::vector<Gdiplus::PointF> ToPoints(const zp::swf::Contour& contour) {
  std::vector<Gdiplus::PointF> points;
  points.reserve(contour.size());
  for (const auto& p : contour) points.emplace_back(static_cast<float>(p.x), static_cast<float>(p.y));
  return points;
}

}  // namespace

namespace {

Gdiplus::LineCap ToCap(zp::swf::LineCap cap) {
  switch (cap) {
    case zp::swf::LineCap::kNone:
      return Gdiplus::LineCapFlat;
    case zp::swf::LineCap::kSquare:
      return Gdiplus::LineCapSquare;
    case zp::swf::LineCap::kRound:
    default:
      return Gdiplus::LineCapRound;
  }
}

Gdiplus::LineJoin ToJoin(zp::swf::LineJoin join) {
  switch (join) {
    case zp::swf::LineJoin::kBevel:
      return Gdiplus::LineJoinBevel;
    case zp::swf::LineJoin::kMiter:
      return Gdiplus::LineJoinMiterClipped;  // cut off at the limit, not turned into a bevel
    case zp::swf::LineJoin::kRound:
    default:
      return Gdiplus::LineJoinRound;
  }
}

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

// The device box (in item coordinates) an item can touch, within the view of `width` × `height`.
bool ItemBox(const zp::swf::DrawItem& item, int width, int height, RECT& box) {
  double left = 1e30, top = 1e30, right = -1e30, bottom = -1e30;
  for (const auto& contour : item.contours) {
    for (const auto& p : contour) {
      left = min(left, p.x);
      top = min(top, p.y);
      right = max(right, p.x);
      bottom = max(bottom, p.y);
    }
  }
  const double margin = 1 + (item.stroke ? item.width * max(1.0, item.miterLimit) / 2 : 0);
  box.left = static_cast<LONG>(max(0.0, std::floor(left - margin)));
  box.top = static_cast<LONG>(max(0.0, std::floor(top - margin)));
  box.right = static_cast<LONG>(min(static_cast<double>(width), std::ceil(right + margin)));
  box.bottom = static_cast<LONG>(min(static_cast<double>(height), std::ceil(bottom + margin)));
  return box.right > box.left && box.bottom > box.top;
}

// A brush for a gradient or bitmap: the paint drawn into a texture over the part of the view
// the item can touch. `pixels` must outlive the brush.
Gdiplus::GpBrush* CreatePaintBrush(const zp::swf::DrawItem& item, int width, int height,
                                   std::vector<uint32_t>& pixels) {
  const zp::swf::Paint& paint = *item.paint;
  const zp::swf::BitmapPixels* bitmap = nullptr;
  if (paint.kind == zp::swf::PaintKind::kBitmap) {
    if (!paint.bitmap) return nullptr;
    bitmap = paint.bitmap->Pixels(DecodeImage);
    if (!bitmap) return nullptr;
  }
  RECT box;
  if (!ItemBox(item, width, height, box)) return nullptr;
  const int boxWidth = box.right - box.left, boxHeight = box.bottom - box.top;
  if (!zp::swf::RasterisePaint(paint, bitmap, box.left, box.top, boxWidth, boxHeight, pixels)) return nullptr;
  Gdiplus::GpBitmap* image = nullptr;
  if (gp::GdipCreateBitmapFromScan0(boxWidth, boxHeight, boxWidth * 4, PixelFormat32bppPARGB,
                                    reinterpret_cast<BYTE*>(pixels.data()), &image) != Gdiplus::Ok) {
    return nullptr;
  }
  Gdiplus::GpTexture* texture = nullptr;
  if (gp::GdipCreateTexture(image, Gdiplus::WrapModeClamp, &texture) == Gdiplus::Ok) {
    gp::GdipTranslateTextureTransform(texture, static_cast<float>(box.left), static_cast<float>(box.top),
                                      Gdiplus::MatrixOrderAppend);
  }
  gp::GdipDisposeImage(image);
  return texture;
}

Gdiplus::GpBrush* CreateItemBrush(const zp::swf::DrawItem& item, int width, int height,
                                  std::vector<uint32_t>& pixels) {
  if (item.paint) return CreatePaintBrush(item, width, height, pixels);
  Gdiplus::GpSolidFill* fill = nullptr;
  return gp::GdipCreateSolidFill(ToArgb(item.color), &fill) == Gdiplus::Ok ? fill : nullptr;
}

// The outlines of one item as a path (closed figures for fills, open ones for strokes); null
// when GDI+ cannot make one.
GpPath* MakePath(const zp::swf::DrawItem& item) {
  GpPath* path = nullptr;
  const auto mode = item.nonZeroWinding ? Gdiplus::FillModeWinding : Gdiplus::FillModeAlternate;
  if (gp::GdipCreatePath(mode, &path) != Gdiplus::Ok) return nullptr;
  for (const auto& contour : item.contours) {
    if (contour.size() < 2) continue;
    auto points = ToPoints(contour);
    if (item.stroke) {
      // A stroke that comes back to where it started is joined there, not capped: it starts
      // and ends half way along its first edge, where the caps hide under the stroke. (Closing
      // the figure would say the same, but not every GDI+ joins a figure's ends.)
      if (points.size() > 2 && contour.front() == contour.back()) {
        const Gdiplus::PointF middle((points[0].X + points[1].X) / 2, (points[0].Y + points[1].Y) / 2);
        points.front() = middle;
        points.push_back(middle);
      }
      gp::GdipStartPathFigure(path);
      gp::GdipAddPathLine2(path, points.data(), static_cast<INT>(points.size()));
    } else if (points.size() >= 3) {
      gp::GdipAddPathPolygon(path, points.data(), static_cast<INT>(points.size()));
    }
  }
  return path;
}

// The clip groups of a draw list: each group narrows the clip to the union of its areas
// (within the groups around it) until it ends; the clip is applied lazily, once a group's
// areas are all known.
class ClipGroups {
 public:
  explicit ClipGroups(GpGraphics* graphics) : graphics_(graphics) {}
  ~ClipGroups() {
    while (!saved_.empty()) End();
    if (pending_) gp::GdipDeleteRegion(pending_);
  }
  ClipGroups(const ClipGroups&) = delete;
  ClipGroups& operator=(const ClipGroups&) = delete;

  void Begin() {
    Apply();
    Gdiplus::GraphicsState state = 0;
    gp::GdipSaveGraphics(graphics_, &state);
    saved_.push_back(state);
    if (gp::GdipCreateRegion(&pending_) == Gdiplus::Ok) gp::GdipSetEmpty(pending_);
  }
  void AddArea(GpPath* area) {
    if (pending_) gp::GdipCombineRegionPath(pending_, area, Gdiplus::CombineModeUnion);
  }
  void Apply() {
    if (!pending_) return;
    gp::GdipSetClipRegion(graphics_, pending_, Gdiplus::CombineModeIntersect);
    gp::GdipDeleteRegion(pending_);
    pending_ = nullptr;
  }
  void End() {
    Apply();
    if (saved_.empty()) return;
    gp::GdipRestoreGraphics(graphics_, saved_.back());
    saved_.pop_back();
  }

 private:
  GpGraphics* graphics_;
  std::vector<Gdiplus::GraphicsState> saved_;
  Gdiplus::GpRegion* pending_ = nullptr;
};

void DrawOneItem(GpGraphics* graphics, const zp::swf::DrawItem& item, int width, int height) {
  GpPath* path = MakePath(item);
  if (!path) return;
  std::vector<uint32_t> texture;
  Gdiplus::GpBrush* brush = CreateItemBrush(item, width, height, texture);
  if (brush && item.stroke) {
    Gdiplus::GpPen* pen = nullptr;
    if (gp::GdipCreatePen2(brush, static_cast<float>(item.width), Gdiplus::UnitPixel, &pen) == Gdiplus::Ok) {
      gp::GdipSetPenLineJoin(pen, ToJoin(item.join));
      gp::GdipSetPenMiterLimit(pen, static_cast<float>(max(1.0, item.miterLimit)));
      gp::GdipSetPenStartCap(pen, ToCap(item.startCap));
      gp::GdipSetPenEndCap(pen, ToCap(item.endCap));
      gp::GdipDrawPath(graphics, pen, path);
      gp::GdipDeletePen(pen);
    }
  } else if (brush) {
    gp::GdipFillPath(graphics, brush, path);
  }
  if (brush) gp::GdipDeleteBrush(brush);
  gp::GdipDeletePath(path);
}

// Draws background and items on a prepared graphics object, within `bounds`; layer groups need
// the pixels it draws on (`pixels`, showing `bounds`), else they are drawn straight.
void DrawOn(GpGraphics* graphics, const RECT& bounds, zp::swf::Rgba background,
            const std::vector<zp::swf::DrawItem>& items, zp::swf::PixelView pixels = {}) {
  gp::GdipSetSmoothingMode(graphics, Gdiplus::SmoothingModeAntiAlias);
  gp::GdipSetPixelOffsetMode(graphics, Gdiplus::PixelOffsetModeHalf);
  // Textures are made at the view's own pixels: sampling them needs no blending.
  gp::GdipSetInterpolationMode(graphics, Gdiplus::InterpolationModeNearestNeighbor);
  gp::GdipSetClipRectI(graphics, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                       Gdiplus::CombineModeReplace);

  Gdiplus::GpSolidFill* brush = nullptr;
  if (background.a != 0 && gp::GdipCreateSolidFill(ToArgb(background), &brush) == Gdiplus::Ok) {
    gp::GdipFillRectangleI(graphics, brush, bounds.left, bounds.top, bounds.right - bounds.left,
                           bounds.bottom - bounds.top);
    gp::GdipDeleteBrush(brush);
  }
  gp::GdipTranslateWorldTransform(graphics, static_cast<float>(bounds.left), static_cast<float>(bounds.top),
                                  Gdiplus::MatrixOrderPrepend);
  LayerTargets layers(graphics, pixels, bounds.left, bounds.top);
  // Each layer has clip groups of its own: a group opened outside a layer ends outside it.
  std::vector<std::unique_ptr<ClipGroups>> clipStack;
  clipStack.push_back(std::make_unique<ClipGroups>(graphics));
  for (const auto& item : items) {
    ClipGroups& clips = *clipStack.back();
    graphics = layers.graphics();
    switch (item.kind) {
      case zp::swf::DrawKind::kLayerBegin:
        if (item.layer) {
          layers.Begin(*item.layer);
          clipStack.push_back(std::make_unique<ClipGroups>(layers.graphics()));
        }
        continue;
      case zp::swf::DrawKind::kLayerEnd:
        if (clipStack.size() > 1) {
          clipStack.pop_back();
          layers.End();
        }
        continue;
      case zp::swf::DrawKind::kClipBegin: clips.Begin(); continue;
      case zp::swf::DrawKind::kClipEnd: clips.End(); continue;
      case zp::swf::DrawKind::kClipArea:
        if (GpPath* area = MakePath(item)) {
          clips.AddArea(area);
          gp::GdipDeletePath(area);
        }
        continue;
      case zp::swf::DrawKind::kShape: break;
    }
    clips.Apply();
    if (item.text) {
      DrawDeviceText(graphics, item);
      continue;
    }
    DrawOneItem(graphics, item, bounds.right - bounds.left, bounds.bottom - bounds.top);
  }
}

}  // namespace

namespace {
void DrawThroughPixels(HDC hdc, const RECT& bounds, zp::swf::Rgba background,
                       const std::vector<zp::swf::DrawItem>& items);
}  // namespace

void DrawMovie(HDC hdc, const RECT& bounds, zp::swf::Rgba background, const std::vector<zp::swf::DrawItem>& items) {
  if (HasLayers(items)) {
    DrawThroughPixels(hdc, bounds, background, items);
    return;
  }
  GpGraphics* graphics = nullptr;
  if (gp::GdipCreateFromHDC(hdc, &graphics) != Gdiplus::Ok) return;
  DrawOn(graphics, bounds, background, items);
  gp::GdipDeleteGraphics(graphics);
}

bool DrawMovieToPixels(uint32_t* pixels, int width, int height, int stride, zp::swf::Rgba background,
                       const std::vector<zp::swf::DrawItem>& items) {
  if (!pixels || width <= 0 || height <= 0 || stride < width * 4) return false;
  Gdiplus::GpBitmap* bitmap = nullptr;
  if (gp::GdipCreateBitmapFromScan0(width, height, stride, PixelFormat32bppPARGB, reinterpret_cast<BYTE*>(pixels),
                                    &bitmap) != Gdiplus::Ok) {
    return false;
  }
  GpGraphics* graphics = nullptr;
  const bool ok = gp::GdipGetImageGraphicsContext(bitmap, &graphics) == Gdiplus::Ok;
  if (ok) {
    DrawOn(graphics, RECT{0, 0, width, height}, background, items, {pixels, width, height, stride / 4});
    gp::GdipDeleteGraphics(graphics);
  }
  gp::GdipDisposeImage(bitmap);
  return ok;
}

void DrawMovieBlended(HDC hdc, const RECT& bounds, const std::vector<zp::swf::DrawItem>& items) {
  DrawThroughPixels(hdc, bounds, zp::swf::Rgba{0, 0, 0, 0}, items);
}

namespace {

// Draws background and items into premultiplied pixels, then blends those onto `hdc`.
void DrawThroughPixels(HDC hdc, const RECT& bounds, zp::swf::Rgba background,
                       const std::vector<zp::swf::DrawItem>& items) {
  const int width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
  if (width <= 0 || height <= 0) return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP picture = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!picture) return;
  HDC memory = CreateCompatibleDC(hdc);
  if (memory) {
    // A fresh section is all zeros: fully transparent until the movie draws on it.
    if (DrawMovieToPixels(static_cast<uint32_t*>(bits), width, height, width * 4, background, items)) {
      HGDIOBJ old = SelectObject(memory, picture);
      const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
      AlphaBlend(hdc, bounds.left, bounds.top, width, height, memory, 0, 0, width, height, blend);
      SelectObject(memory, old);
    }
    DeleteDC(memory);
  }
  DeleteObject(picture);
}

}  // namespace

}  // namespace zp::movie
