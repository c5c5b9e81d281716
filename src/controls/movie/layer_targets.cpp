#include "layer_targets.h"

#include <algorithm>
using std::max;
using std::min;
#include <objidl.h>  // PROPID, which the lean Windows headers leave out
#include <gdiplus.h>

namespace zp::movie {

namespace gp = Gdiplus::DllExports;

LayerTargets::LayerTargets(Gdiplus::GpGraphics* root, zp::swf::PixelView rootPixels, int originX, int originY) {
  Target target;
  target.graphics = root;
  target.view = rootPixels;
  target.originX = originX;
  target.originY = originY;
  stack_.push_back(std::move(target));
}

LayerTargets::~LayerTargets() {
  while (stack_.size() > 1) End();
}

const LayerTargets::Target* LayerTargets::Below() const {
  for (auto it = stack_.rbegin(); it != stack_.rend(); ++it) {
    if (it->view.pixels) return &*it;
  }
  return nullptr;
}

void LayerTargets::Begin(const zp::swf::LayerEffects& effects) {
  Target target;
  target.graphics = graphics();
  if (Below() && effects.width > 0 && effects.height > 0) {
    target.pixels.assign(static_cast<size_t>(effects.width) * effects.height, 0);
    target.view = {target.pixels.data(), effects.width, effects.height, effects.width};
    target.originX = effects.left;
    target.originY = effects.top;
    Gdiplus::GpGraphics* drawing = nullptr;
    if (gp::GdipCreateBitmapFromScan0(effects.width, effects.height, effects.width * 4, PixelFormat32bppPARGB,
                                      reinterpret_cast<BYTE*>(target.pixels.data()), &target.bitmap) == Gdiplus::Ok &&
        gp::GdipGetImageGraphicsContext(target.bitmap, &drawing) == Gdiplus::Ok) {
      gp::GdipSetSmoothingMode(drawing, Gdiplus::SmoothingModeAntiAlias);
      gp::GdipSetPixelOffsetMode(drawing, Gdiplus::PixelOffsetModeHalf);
      gp::GdipTranslateWorldTransform(drawing, static_cast<float>(-effects.left), static_cast<float>(-effects.top),
                                      Gdiplus::MatrixOrderPrepend);
      target.graphics = drawing;
      target.effects = &effects;
    } else {
      if (target.bitmap) gp::GdipDisposeImage(target.bitmap);
      target = Target{};
      target.graphics = graphics();
    }
  }
  stack_.push_back(std::move(target));
}

void LayerTargets::End() {
  if (stack_.size() <= 1) return;
  Target layer = std::move(stack_.back());
  stack_.pop_back();
  if (!layer.bitmap) return;
  gp::GdipFlush(layer.graphics, Gdiplus::FlushIntentionSync);
  gp::GdipDeleteGraphics(layer.graphics);
  gp::GdipDisposeImage(layer.bitmap);
  const zp::swf::LayerEffects& effects = *layer.effects;
  for (const zp::swf::Filter& filter : effects.filters) {
    zp::swf::ApplyFilter(layer.view, filter, effects.filterScaleX, effects.filterScaleY);
  }
  zp::swf::ApplyColorTransform(layer.view, effects.colorTransform);
  const Target* below = Below();
  if (!below) return;
  // What GDI+ drew below must be in its pixels before they are blended with.
  gp::GdipFlush(below->graphics, Gdiplus::FlushIntentionSync);
  zp::swf::CompositeLayer(below->view, layer.originX - below->originX, layer.originY - below->originY, layer.view,
                          effects.blendMode);
}

bool HasLayers(const std::vector<zp::swf::DrawItem>& items) {
  return std::any_of(items.begin(), items.end(),
                     [](const zp::swf::DrawItem& item) { return item.kind == zp::swf::DrawKind::kLayerBegin; });
}

}  // namespace zp::movie
