#include "core/swf/swf_render.h"

#include <algorithm>
#include <cmath>

namespace zp::swf {

Point ViewTransform::ToTwips(Point device) const {
  return {scaleX != 0 ? (device.x - offsetX) / scaleX : 0, scaleY != 0 ? (device.y - offsetY) / scaleY : 0};
}

ViewTransform ComputeViewTransform(const TwipsRect& stage, const std::optional<TwipsRect>& zoom, ScaleMode mode,
                                   int32_t width, int32_t height) {
  const TwipsRect shown = (zoom && zoom->Width() > 0 && zoom->Height() > 0) ? *zoom : stage;
  const double shownW = std::max(1, shown.Width()), shownH = std::max(1, shown.Height());
  ViewTransform t;
  switch (mode) {
    case ScaleMode::kExactFit:
      t.scaleX = width / shownW;
      t.scaleY = height / shownH;
      break;
    case ScaleMode::kNoScale:
      t.scaleX = t.scaleY = 1.0 / 20;
      break;
    case ScaleMode::kNoBorder:
      t.scaleX = t.scaleY = std::max(width / shownW, height / shownH);
      break;
    case ScaleMode::kShowAll:
    default:
      t.scaleX = t.scaleY = std::min(width / shownW, height / shownH);
      break;
  }
  // Centre the shown rectangle in the view.
  t.offsetX = (width - shownW * t.scaleX) / 2 - shown.xMin * t.scaleX;
  t.offsetY = (height - shownH * t.scaleY) / 2 - shown.yMin * t.scaleY;
  return t;
}

std::vector<DrawItem> BuildDrawList(const Player& player, const ViewTransform& view, double rootScaleX,
                                    double rootScaleY) {
  std::vector<DrawItem> items;
  const Movie* movie = player.movie();
  if (!movie) return items;
  Matrix root;
  root.a = rootScaleX;
  root.d = rootScaleY;
  const double strokeScale = std::sqrt(std::abs(view.scaleX * view.scaleY));
  for (const auto& [depth, placement] : player.displayList()) {
    const ShapeDefinition* shape = movie->FindShape(placement.character);
    if (!shape) continue;  // not a shape (or not defined): nothing to draw
    const Matrix m = placement.matrix.Then(root);
    const double matrixScale = std::sqrt(std::abs(m.a * m.d - m.b * m.c));
    auto map = [&](const std::vector<Contour>& contours) {
      std::vector<Contour> out;
      out.reserve(contours.size());
      for (const Contour& c : contours) {
        Contour mapped;
        mapped.reserve(c.size());
        for (const Point& p : c) mapped.push_back(view.ToDevice(m.Apply(p)));
        out.push_back(std::move(mapped));
      }
      return out;
    };
    for (const ShapeFill& fill : shape->geometry.fills) {
      const Rgba color = placement.colorTransform.Apply(fill.color);
      if (color.a == 0) continue;
      items.push_back({false, color, 0, map(fill.contours), nullptr});
    }
    for (const ShapeStroke& stroke : shape->geometry.strokes) {
      const Rgba color = placement.colorTransform.Apply(stroke.color);
      if (color.a == 0) continue;
      items.push_back({true, color, std::max(1.0, stroke.width * matrixScale * strokeScale), map(stroke.polylines), nullptr});
    }
  }
  return items;
}

}  // namespace zp::swf
