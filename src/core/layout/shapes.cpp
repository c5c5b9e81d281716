#include "core/layout/shapes.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace zp::layout {

namespace {

constexpr size_t kMaxPolygonPoints = 512;

std::vector<FractionPoint> Burst() {
  std::vector<FractionPoint> points;
  constexpr double kPi = 3.14159265358979323846;
  for (int k = 0; k <= 60; ++k) {
    double angle = 6.0 * k * kPi / 180.0;
    double radius = (k % 2 == 0) ? 0.42 : 0.5;
    // Three decimals, as the outline tables of the other shapes have them.
    double x = std::round((0.5 + radius * std::cos(angle)) * 1000.0) / 1000.0;
    double y = std::round((0.5 + radius * std::sin(angle)) * 1000.0) / 1000.0;
    points.push_back({x, y});
  }
  return points;
}

}  // namespace

std::vector<FractionPoint> ShapeOutline(int shapeKind) {
  switch (shapeKind) {
    case 0:
      return {{0.5, 0}, {1, 0.5}, {0.5, 1}, {0, 0.5}, {0.5, 0}};
    case 2:
      return {{0.5, 0.024}, {1, 0.388}, {0.809, 0.976}, {0.191, 0.976}, {0, 0.388}, {0.5, 0.024}};
    case 3:
      return {{0.26, 0}, {0, 0.26}, {0, 0.74}, {0.26, 1}, {0.74, 1},
              {1, 0.74}, {1, 0.26}, {0.74, 0}, {0.26, 0}};
    case 4:
      return {{0.711, 0.62}, {0.809, 0.98}, {0.5, 0.774}, {0.191, 0.98}, {0.289, 0.62}, {0, 0.387},
              {0.37, 0.37},  {0.5, 0.02},   {0.63, 0.37}, {1, 0.387},    {0.711, 0.62}};
    case 6:
      return Burst();
    default:
      return {};
  }
}

std::vector<Point> ScaleOutline(const std::vector<FractionPoint>& outline, Size window) {
  std::vector<Point> points;
  size_t count = std::min(outline.size(), kMaxPolygonPoints);
  points.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    points.push_back({static_cast<int>(std::trunc((window.width - 1.0) * outline[i].x)),
                      static_cast<int>(std::trunc((window.height - 1.0) * outline[i].y))});
  }
  return points;
}

Shape PredefinedShape(int shapeKind, Size window) {
  Shape shape;
  switch (shapeKind) {
    case 1:
      shape.kind = Shape::Kind::kEllipse;
      shape.box = window;
      break;
    case 5:
      shape.kind = Shape::Kind::kRoundRect;
      shape.box = window;
      shape.corner = std::min(window.width, window.height) / 10;
      break;
    case 0: case 2: case 3: case 4: case 6:
      shape.kind = Shape::Kind::kPolygon;
      shape.points = ScaleOutline(ShapeOutline(shapeKind), window);
      break;
    default:
      break;
  }
  return shape;
}

}  // namespace zp::layout
