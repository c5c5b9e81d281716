// The layers a draw list's layer groups draw into: each is a transparent premultiplied bitmap
// that GDI+ draws on; when its group ends, the portable operations filter it and composite it
// onto the layer (or the frame's pixels) below.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "core/swf/swf_pixels.h"
#include "core/swf/swf_render.h"

namespace Gdiplus {
class GpGraphics;
class GpBitmap;
}  // namespace Gdiplus

namespace zp::movie {

class LayerTargets {
 public:
  // `root` draws on `rootPixels` (its top-left pixel showing the view's (originX, originY));
  // without pixels (a device context), layer groups are drawn straight onto `root`.
  LayerTargets(Gdiplus::GpGraphics* root, zp::swf::PixelView rootPixels, int originX, int originY);
  ~LayerTargets();
  LayerTargets(const LayerTargets&) = delete;
  LayerTargets& operator=(const LayerTargets&) = delete;

  // What the items draw on now.
  Gdiplus::GpGraphics* graphics() const { return stack_.back().graphics; }

  void Begin(const zp::swf::LayerEffects& effects);
  void End();

 private:
  struct Target {
    Gdiplus::GpGraphics* graphics = nullptr;
    Gdiplus::GpBitmap* bitmap = nullptr;  // null: drawn straight onto the target below
    std::vector<uint32_t> pixels;
    zp::swf::PixelView view;
    int originX = 0, originY = 0;
    const zp::swf::LayerEffects* effects = nullptr;
  };

  // The nearest target with pixels of its own (the root when it has them).
  const Target* Below() const;

  std::vector<Target> stack_;
};

// True when the items hold layer groups, which need a target with pixels.
bool HasLayers(const std::vector<zp::swf::DrawItem>& items);

}  // namespace zp::movie
