// The movie's drag areas: the parts of its stage by which the user drags the player window.
//
// The model keeps the part of the stage that is NOT draggable. Adding a drag shape cuts it out
// of that part, removing one puts it back; a point is draggable when it lies outside. The part
// is kept as the shapes that built it, in order, over an empty stage: the last shape that holds
// a point decides about it. Window points are mapped onto the stage the way a movie centred in
// the window and scaled by its fitted size is shown.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "core/layout/geometry.h"

namespace zp::layout {

class CDragRegion {
 public:
  // The first drag command after start or after Cancel starts from this: the whole stage
  // not draggable except what that command adds.
  static constexpr Box kWholeStage{-32768, -32768, 32767, 32767};
  // A movie that keeps adding shapes without cancelling stops changing the areas here.
  static constexpr size_t kMaxShapes = 4096;
  static constexpr size_t kMaxPolygonPoints = 4096;

  // Shapes in movie pixels; rectangles and ellipses exclude their right and bottom edges and
  // may be given in any corner order. Each returns false, leaving the areas as they were, when
  // the shape cannot be taken (too many shapes or points, fewer than three points).
  bool AddRect(Box box) { return Combine(Kind::kRectangle, box, {}, false); }
  bool AddEllipse(Box box) { return Combine(Kind::kEllipse, box, {}, false); }
  bool AddPoly(std::span<const Point> points) { return Combine(Kind::kPolygon, {}, points, false); }
  bool SubRect(Box box) { return Combine(Kind::kRectangle, box, {}, true); }
  bool SubEllipse(Box box) { return Combine(Kind::kEllipse, box, {}, true); }
  bool SubPoly(std::span<const Point> points) { return Combine(Kind::kPolygon, {}, points, true); }
  // Drag areas off; the shapes stay until the next drag command replaces them.
  void Cancel() { active_ = false; }

  void SetScaling(bool on);
  void SetKeepAspect(bool on) { keepAspect_ = on; }
  // Sizes are stored without their sign.
  void SetMovieSize(int width, int height);
  void SetWindowSize(int width, int height);

  // Whether the point, in the window's client coordinates, is on a drag area. False while no
  // drag command is in force and while any size is unknown.
  bool IsDragPoint(int x, int y) const;
  // The stage point a window point shows, clamped to the 32-bit range.
  Point MapToMovie(int x, int y) const;
  // Whether the stage point is in the part that is not draggable.
  bool NotDraggable(Point moviePoint) const;

  bool active() const { return active_; }
  double scaleX() const { return scaleX_; }
  double scaleY() const { return scaleY_; }

 private:
  enum class Kind { kRectangle, kEllipse, kPolygon };
  struct Shape {
    Kind kind = Kind::kRectangle;
    Box box;                     // rectangle and ellipse, normalised
    std::vector<Point> points;   // polygon, winding fill
    bool notDraggable = false;   // true: united with the part; false: cut out of it
  };

  bool Combine(Kind kind, Box box, std::span<const Point> points, bool notDraggable);
  void EnsureActive();
  void Recompute();
  static bool Holds(const Shape& shape, Point point);

  std::vector<Shape> shapes_;
  bool scaleCoordinates_ = true;
  bool keepAspect_ = true;
  bool active_ = false;
  int movieWidth_ = 0, movieHeight_ = 0;
  int windowWidth_ = 0, windowHeight_ = 0;
  double scaleX_ = 1.0, scaleY_ = 1.0;
  double windowCentreX_ = 0, windowCentreY_ = 0;
  double movieCentreX_ = 0, movieCentreY_ = 0;
};

}  // namespace zp::layout
