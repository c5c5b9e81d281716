#include "player/window_shape.h"

#include <vector>

#include "core/layout/region_data.h"

namespace zp::player {

win::UniqueRegion MakeShapeRegion(const layout::Shape& shape) {
  using Kind = layout::Shape::Kind;
  switch (shape.kind) {
    case Kind::kEllipse:
      return win::UniqueRegion(CreateEllipticRgn(0, 0, shape.box.width, shape.box.height));
    case Kind::kRoundRect:
      return win::UniqueRegion(
          CreateRoundRectRgn(0, 0, shape.box.width, shape.box.height, shape.corner, shape.corner));
    case Kind::kPolygon: {
      if (shape.points.size() < 3) return {};
      std::vector<POINT> points;
      points.reserve(shape.points.size());
      for (const auto& p : shape.points) points.push_back({p.x, p.y});
      return win::UniqueRegion(CreatePolygonRgn(points.data(), static_cast<int>(points.size()), ALTERNATE));
    }
    default:
      return {};
  }
}

win::UniqueRegion MakeCustomRegion(std::span<const uint8_t> regionData) {
  auto info = layout::InspectRegionData(regionData);
  if (!info) return {};
  // Only the checked header and rectangles are handed over, whatever the block's tail holds.
  return win::UniqueRegion(ExtCreateRegion(nullptr, info->byteSize, reinterpret_cast<const RGNDATA*>(regionData.data())));
}

}  // namespace zp::player
