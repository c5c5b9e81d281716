#include "core/layout/drag_region.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "core/pictures/picture_layout.h"

namespace zp::layout {
namespace {

int Magnitude(int value) {
  return value == std::numeric_limits<int>::min() ? std::numeric_limits<int>::max() : std::abs(value);
}

Box Normalised(Box box) {
  if (box.left > box.right) std::swap(box.left, box.right);
  if (box.top > box.bottom) std::swap(box.top, box.bottom);
  return box;
}

bool InBox(const Box& box, Point p) { return p.x >= box.left && p.x < box.right && p.y >= box.top && p.y < box.bottom; }

// Pixels belong to a figure when their centre does.
bool InEllipse(const Box& box, Point p) {
  if (!InBox(box, p)) return false;
  const double rx = (static_cast<double>(box.right) - box.left) / 2, ry = (static_cast<double>(box.bottom) - box.top) / 2;
  const double dx = (p.x + 0.5 - (static_cast<double>(box.left) + rx)) / rx;
  const double dy = (p.y + 0.5 - (static_cast<double>(box.top) + ry)) / ry;
  return dx * dx + dy * dy <= 1.0;
}

bool InPolygonWinding(const std::vector<Point>& points, Point p) {
  const double x = p.x + 0.5, y = p.y + 0.5;
  int winding = 0;
  for (size_t i = 0; i < points.size(); ++i) {
    const Point& a = points[i];
    const Point& b = points[(i + 1) % points.size()];
    // Which side of the edge a->b the point lies on.
    const double side = (static_cast<double>(b.x) - a.x) * (y - a.y) - (x - a.x) * (static_cast<double>(b.y) - a.y);
    if (a.y <= y) {
      if (b.y > y && side > 0) ++winding;
    } else if (b.y <= y && side < 0) {
      --winding;
    }
  }
  return winding != 0;
}

}  // namespace

bool CDragRegion::Combine(Kind kind, Box box, std::span<const Point> points, bool notDraggable) {
  EnsureActive();
  if (shapes_.size() >= kMaxShapes) return false;
  if (kind == Kind::kPolygon && (points.size() < 3 || points.size() > kMaxPolygonPoints)) return false;
  Shape shape;
  shape.kind = kind;
  shape.box = Normalised(box);
  shape.points.assign(points.begin(), points.end());
  shape.notDraggable = notDraggable;
  shapes_.push_back(std::move(shape));
  return true;
}

void CDragRegion::EnsureActive() {
  if (active_) return;
  shapes_.clear();
  shapes_.push_back(Shape{Kind::kRectangle, kWholeStage, {}, true});
  active_ = true;
}

void CDragRegion::SetScaling(bool on) {
  scaleCoordinates_ = on;
  Recompute();
}

void CDragRegion::SetMovieSize(int width, int height) {
  movieWidth_ = Magnitude(width);
  movieHeight_ = Magnitude(height);
  Recompute();
}

void CDragRegion::SetWindowSize(int width, int height) {
  windowWidth_ = Magnitude(width);
  windowHeight_ = Magnitude(height);
  Recompute();
}

void CDragRegion::Recompute() {
  if (movieWidth_ == 0 || movieHeight_ == 0 || windowWidth_ == 0 || windowHeight_ == 0) return;
  if (scaleCoordinates_) {
    pictures::FittedSize fitted{static_cast<double>(windowWidth_), static_cast<double>(windowHeight_)};
    if (keepAspect_) {
      fitted = pictures::FitProportionally(movieWidth_, movieHeight_, windowWidth_, windowHeight_);
      if (!(fitted.width > 0)) fitted.width = 1;
      if (!(fitted.height > 0)) fitted.height = 1;
    }
    scaleX_ = movieWidth_ / fitted.width;
    scaleY_ = movieHeight_ / fitted.height;
  } else {
    scaleX_ = scaleY_ = 1.0;
  }
  windowCentreX_ = windowWidth_ / 2;
  windowCentreY_ = windowHeight_ / 2;
  movieCentreX_ = movieWidth_ / 2;
  movieCentreY_ = movieHeight_ / 2;
}

Point CDragRegion::MapToMovie(int x, int y) const {
  // Far points saturate instead of wrapping round onto some drag area.
  return {pictures::TruncateToInt32(x * scaleX_ - scaleX_ * windowCentreX_ + movieCentreX_ + 0.5),
          pictures::TruncateToInt32(y * scaleY_ - scaleY_ * windowCentreY_ + movieCentreY_ + 0.5)};
}

bool CDragRegion::Holds(const Shape& shape, Point point) {
  switch (shape.kind) {
    case Kind::kRectangle: return InBox(shape.box, point);
    case Kind::kEllipse: return InEllipse(shape.box, point);
    case Kind::kPolygon: return InPolygonWinding(shape.points, point);
  }
  return false;
}

bool CDragRegion::NotDraggable(Point moviePoint) const {
  for (auto shape = shapes_.rbegin(); shape != shapes_.rend(); ++shape) {
    if (Holds(*shape, moviePoint)) return shape->notDraggable;
  }
  return false;
}

bool CDragRegion::IsDragPoint(int x, int y) const {
  if (!active_ || movieWidth_ == 0 || movieHeight_ == 0 || windowWidth_ == 0 || windowHeight_ == 0) return false;
  return !NotDraggable(MapToMovie(x, y));
}

}  // namespace zp::layout
