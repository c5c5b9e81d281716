#include "core/swf/swf_layers.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace zp::swf {
namespace {

// Device bounds, growing; empty until something is added.
struct Bounds {
  double left = 0, top = 0, right = 0, bottom = 0;
  bool empty = true;
  void Add(double l, double t, double r, double b) {
    if (empty) {
      left = l, top = t, right = r, bottom = b;
      empty = false;
      return;
    }
    left = std::min(left, l), top = std::min(top, t), right = std::max(right, r), bottom = std::max(bottom, b);
  }
};

// What the items draw; text in fonts of the system has no outline to measure and takes the view.
Bounds DrawnBounds(const std::vector<DrawItem>& items, size_t from, const ViewTransform& view) {
  Bounds bounds;
  for (size_t i = from; i < items.size(); ++i) {
    const DrawItem& item = items[i];
    if (item.kind == DrawKind::kLayerBegin && item.layer) {
      const LayerEffects& inner = *item.layer;
      bounds.Add(inner.left, inner.top, inner.left + inner.width, inner.top + inner.height);
      continue;
    }
    if (item.kind != DrawKind::kShape) continue;
    if (item.text) {
      bounds.Add(0, 0, std::max(1, view.width), std::max(1, view.height));
      continue;
    }
    const double pad = item.stroke ? item.width / 2 + 1 : 1;
    for (const Contour& contour : item.contours) {
      for (const Point& p : contour) {
        if (std::isfinite(p.x) && std::isfinite(p.y)) bounds.Add(p.x - pad, p.y - pad, p.x + pad, p.y + pad);
      }
    }
  }
  return bounds;
}

}  // namespace

bool NeedsLayer(const Instance& instance, bool insideLayer) {
  if (!instance.filters.empty()) return true;
  if (instance.blendMode == BlendMode::kNormal) return false;
  return !ActsOnParentAlpha(instance.blendMode) || insideLayer;
}

LayerEffects EffectsOf(const Instance& instance, const ViewTransform& view, const ColorTransform& color) {
  LayerEffects effects;
  effects.blendMode = instance.blendMode;
  effects.filters = instance.filters;
  // Filter sizes are pixels of the stage at 100 %: they grow with the view, not with the object.
  effects.filterScaleX = std::abs(view.scaleX) * 20;
  effects.filterScaleY = std::abs(view.scaleY) * 20;
  effects.colorTransform = color;
  return effects;
}

void CloseLayer(std::vector<DrawItem>& items, size_t begin, LayerEffects effects, const ViewTransform& view) {
  Bounds bounds = DrawnBounds(items, begin + 1, view);
  if (bounds.empty) {
    items.resize(begin);  // only markers of empty clip groups, if anything
    return;
  }
  int margin = 0;
  for (const Filter& f : effects.filters) margin += FilterMargin(f, effects.filterScaleX, effects.filterScaleY);
  margin = std::min(margin, kMaxLayerOverhang * 2);
  double left = std::floor(bounds.left) - margin, top = std::floor(bounds.top) - margin;
  double right = std::ceil(bounds.right) + margin, bottom = std::ceil(bounds.bottom) + margin;
  if (view.width > 0 && view.height > 0) {
    const int overhang = std::min(margin, kMaxLayerOverhang);
    left = std::max(left, -static_cast<double>(overhang));
    top = std::max(top, -static_cast<double>(overhang));
    right = std::min(right, static_cast<double>(view.width + overhang));
    bottom = std::min(bottom, static_cast<double>(view.height + overhang));
  } else {
    right = std::min(right, left + 4096), bottom = std::min(bottom, top + 4096);
  }
  if (right <= left || bottom <= top) {
    items.resize(begin);
    return;
  }
  effects.left = static_cast<int32_t>(left);
  effects.top = static_cast<int32_t>(top);
  effects.width = static_cast<int32_t>(right - left);
  effects.height = static_cast<int32_t>(bottom - top);
  items[begin].layer = std::make_shared<const LayerEffects>(std::move(effects));
  DrawItem end;
  end.kind = DrawKind::kLayerEnd;
  items.push_back(std::move(end));
}

}  // namespace zp::swf
