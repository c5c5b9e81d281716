// The predefined window shapes as point lists and simple figures over the window's outer size.
#pragma once

#include <vector>

#include "core/layout/geometry.h"

namespace zp::layout {

struct FractionPoint {
  double x = 0;
  double y = 0;
};

struct Shape {
  enum class Kind { kNone, kPolygon, kEllipse, kRoundRect };
  Kind kind = Kind::kNone;
  std::vector<Point> points;  // kPolygon: window pixels, alternate filling
  Size box;                   // kEllipse, kRoundRect: the window's outer size
  int corner = 0;             // kRoundRect: corner width and height
};

// The fractional outline of a polygon shape (0, 2, 3, 4, 6); empty for the others.
std::vector<FractionPoint> ShapeOutline(int shapeKind);

// (truncate((w - 1) * fx), truncate((h - 1) * fy)); at most 512 points are taken.
std::vector<Point> ScaleOutline(const std::vector<FractionPoint>& outline, Size window);

// Shape kinds 0 to 6 over a window of the given outer size; other kinds give kNone.
Shape PredefinedShape(int shapeKind, Size window);

}  // namespace zp::layout
