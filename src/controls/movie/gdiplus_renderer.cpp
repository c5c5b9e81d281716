#include "gdiplus_renderer.h"

#include "device_text.h"
#include "layer_targets.h"

#include <algorithm>
#include <memory>
using std::max;
using std::min;
#include <objidl.h>  // PROPID, which the lean Windows headers leave out
#include <gdiplus.h>

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

// The outlines of one item as a path (closed figures for fills, open ones for strokes); null
// when GDI+ cannot make one.
GpPath* MakePath(const zp::swf::DrawItem& item) {
  GpPath* path = nullptr;
  if (gp::GdipCreatePath(Gdiplus::FillModeAlternate, &path) != Gdiplus::Ok) return nullptr;
  for (const auto& contour : item.contours) {
    if (contour.size() < 2) continue;
    const auto points = ToPoints(contour);
    if (item.stroke) {
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

// Draws background and items on a prepared graphics object, within `bounds`; layer groups need
// the pixels it draws on (`pixels`, showing `bounds`), else they are drawn straight.
void DrawOn(GpGraphics* graphics, const RECT& bounds, zp::swf::Rgba background,
            const std::vector<zp::swf::DrawItem>& items, zp::swf::PixelView pixels = {}) {
  gp::GdipSetSmoothingMode(graphics, Gdiplus::SmoothingModeAntiAlias);
  gp::GdipSetPixelOffsetMode(graphics, Gdiplus::PixelOffsetModeHalf);
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
    GpPath* path = MakePath(item);
    if (!path) continue;
    if (item.stroke) {
      Gdiplus::GpPen* pen = nullptr;
      if (gp::GdipCreatePen1(ToArgb(item.color), static_cast<float>(item.width), Gdiplus::UnitPixel, &pen) ==
          Gdiplus::Ok) {
        gp::GdipSetPenLineJoin(pen, Gdiplus::LineJoinRound);
        gp::GdipSetPenStartCap(pen, Gdiplus::LineCapRound);
        gp::GdipSetPenEndCap(pen, Gdiplus::LineCapRound);
        gp::GdipDrawPath(graphics, pen, path);
        gp::GdipDeletePen(pen);
      }
    } else {
      Gdiplus::GpSolidFill* fill = nullptr;
      if (gp::GdipCreateSolidFill(ToArgb(item.color), &fill) == Gdiplus::Ok) {
        gp::GdipFillPath(graphics, fill, path);
        gp::GdipDeleteBrush(fill);
      }
    }
    gp::GdipDeletePath(path);
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
