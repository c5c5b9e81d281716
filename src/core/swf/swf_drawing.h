// What scripts draw on a clip (beginFill, lineStyle, moveTo, lineTo, curveTo, endFill, clear):
// outlines kept as a shape, drawn under the clip's children.
#pragma once

#include <optional>

#include "core/swf/swf_shape.h"

namespace zp::swf {

class ScriptDrawing {
 public:
  // Coordinates are twips in the clip's space.
  void MoveTo(Point p);
  void LineTo(Point p);
  void CurveTo(Point control, Point end);
  // A fill from here until EndFill (or the next BeginFill); strokes drawn meanwhile lie over it.
  void BeginFill(const Paint& paint);
  void EndFill();
  // Strokes from here on; nothing means no strokes.
  void SetLineStyle(std::optional<LineStyle> line);
  const std::optional<LineStyle>& lineStyle() const { return line_; }
  void Clear();

  // What has been drawn so far, an open fill included.
  const ShapeGeometry& geometry() const;
  bool empty() const { return parts_.empty() && !fill_ && strokes_.empty(); }

 private:
  void FinishStroke();
  void AddPoint(Point p);

  std::vector<ShapePart> parts_;   // finished
  std::optional<ShapePart> fill_;  // the open fill
  std::vector<ShapePart> strokes_; // strokes drawn over the open fill, or pending
  std::optional<ShapePart> stroke_;  // the open stroke, with its current polyline last
  std::optional<LineStyle> line_;
  Point pen_;
  bool penMoved_ = true;  // the next edge starts a new contour
  size_t points_ = 0;
  mutable bool dirty_ = true;
  mutable ShapeGeometry built_;
};

}  // namespace zp::swf
