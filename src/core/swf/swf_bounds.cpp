#include "core/swf/swf_bounds.h"

#include <algorithm>

#include "core/swf/swf_display.h"
#include "core/swf/swf_file.h"
#include "core/swf/swf_morph.h"
#include "core/swf/swf_shape.h"

namespace zp::swf {
namespace {

void Include(std::optional<Extent>& into, const Extent& e) {
  if (!into) {
    into = e;
    return;
  }
  into->xMin = std::min(into->xMin, e.xMin);
  into->yMin = std::min(into->yMin, e.yMin);
  into->xMax = std::max(into->xMax, e.xMax);
  into->yMax = std::max(into->yMax, e.yMax);
}

// The four corners of a rectangle mapped, and the box around them.
Extent Mapped(double x0, double y0, double x1, double y1, const Matrix& m) {
  Extent e{1e300, 1e300, -1e300, -1e300};
  for (const Point p : {Point{x0, y0}, Point{x1, y0}, Point{x0, y1}, Point{x1, y1}}) {
    const Point q = m.Apply(p);
    e.xMin = std::min(e.xMin, q.x);
    e.yMin = std::min(e.yMin, q.y);
    e.xMax = std::max(e.xMax, q.x);
    e.yMax = std::max(e.yMax, q.y);
  }
  return e;
}

Extent Mapped(const TwipsRect& r, const Matrix& m) { return Mapped(r.xMin, r.yMin, r.xMax, r.yMax, m); }

std::optional<TwipsRect> OwnBounds(const Instance& in) {
  if (!in.movie) return std::nullopt;
  switch (in.kind) {
    case CharacterKind::kShape:
      if (const ShapeDefinition* shape = in.movie->FindShape(in.character)) return shape->bounds;
      break;
    case CharacterKind::kMorphShape:
      if (const MorphShapeDefinition* morph = in.movie->FindMorphShape(in.character)) {
        const double t = in.ratio / 65535.0;
        auto mix = [t](int32_t a, int32_t b) { return static_cast<int32_t>(a + (b - a) * t); };
        const TwipsRect& s = morph->startBounds;
        const TwipsRect& e = morph->endBounds;
        return TwipsRect{mix(s.xMin, e.xMin), mix(s.xMax, e.xMax), mix(s.yMin, e.yMin), mix(s.yMax, e.yMax)};
      }
      break;
    case CharacterKind::kStaticText:
      if (const StaticTextDefinition* text = in.movie->FindStaticText(in.character)) return text->bounds;
      break;
    case CharacterKind::kEditText:
      if (in.textField) return in.textField->definition().bounds;
      break;
    default: break;
  }
  return std::nullopt;
}

}  // namespace

std::optional<Extent> ContentExtent(const Instance& instance, const Matrix& toSpace) {
  std::optional<Extent> extent;
  if (const auto own = OwnBounds(instance)) Include(extent, Mapped(*own, toSpace));
  if (instance.drawing) {
    for (const ShapePart& part : instance.drawing->geometry().parts) {
      const double half = part.stroke ? part.line.width / 2 : 0;
      for (const Contour& c : part.contours) {
        for (const Point& p : c) Include(extent, Mapped(p.x - half, p.y - half, p.x + half, p.y + half, toSpace));
      }
    }
  }
  for (const auto& [depth, child] : instance.children) {
    if (const auto inner = ContentExtent(child, child.matrix.Then(toSpace))) Include(extent, *inner);
  }
  return extent;
}

}  // namespace zp::swf
