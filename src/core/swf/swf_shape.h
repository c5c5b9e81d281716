// Readers for shape definitions and the matrix / colour-transform records that placements use,
// and the outlines a shape's edge records make.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "core/swf/swf_bits.h"
#include "core/swf/swf_file.h"
#include "core/swf/swf_geometry.h"
#include "core/swf/swf_paint.h"

namespace zp::swf {

struct LineStyle {
  double width = 20;  // twips
  Paint paint;        // a colour, or (DefineShape4) any fill
  LineCap startCap = LineCap::kRound;
  LineCap endCap = LineCap::kRound;
  LineJoin join = LineJoin::kRound;
  double miterLimit = 3;
  bool scaleX = true, scaleY = true;  // whether the width follows the placement's scale
};

// One filled region (closed contours) or one stroke (open polylines), drawn in order.
struct ShapePart {
  bool stroke = false;
  Paint paint;     // the fill's, or the stroke's
  LineStyle line;  // strokes only
  std::vector<Contour> contours;
};

// A shape ready to draw. Within each group of styles, fills come before strokes; a group
// starts with each new-styles record.
struct ShapeGeometry {
  std::vector<ShapePart> parts;
  bool nonZeroWinding = false;  // fill rule: non-zero instead of even-odd
};

struct ShapeDefinition {
  uint16_t id = 0;
  TwipsRect bounds;
  ShapeGeometry geometry;
};

// Parses a DefineShape, DefineShape2, 3 or 4 tag body (`tagCode` says which). Fails only when
// the body ends before the shape's id and bounds; damaged records keep what came before.
std::optional<ShapeDefinition> ParseShape(uint16_t tagCode, std::span<const uint8_t> body);

TwipsRect ReadRect(BitReader& reader);
Matrix ReadMatrix(BitReader& reader);
// `withAlpha`: the CXFORMWITHALPHA form of PlaceObject2; otherwise the CXFORM of PlaceObject.
ColorTransform ReadColorTransform(BitReader& reader, bool withAlpha);
Rgba ReadColor(BitReader& reader, bool withAlpha);

// Curves are flattened into this many straight pieces.
inline constexpr int kCurveSegments = 8;

// Reads one edge record whose edge flag was already read: moves `pen` to the edge's end and
// appends the points the edge passes through (a curve flattened), the end point last.
void ReadEdge(BitReader& reader, Point& pen, std::vector<Point>& points);

// --- Building blocks shared with morph shapes ---

// An edge as stored: a straight line, or a quadratic curve through `control`; its styles are
// absolute indices into the shape's style tables (0 = none).
struct ShapeEdge {
  Point start, control, end;
  bool curved = false;
  size_t fill0 = 0, fill1 = 0, line = 0;
};

struct ShapeRecords {
  std::vector<Paint> fills{Paint{}};          // index 0 unused
  std::vector<LineStyle> lines{LineStyle{}};  // index 0 unused
  std::vector<size_t> fillGroup{0}, lineGroup{0};
  std::vector<ShapeEdge> edges;
};

// Fill and line style arrays of a shape (`shapeVersion` 1-4); DefineShape4 line styles carry
// caps, joins and possibly a fill.
void ReadStyleArrays(BitReader& reader, int shapeVersion, std::vector<Paint>& fills, std::vector<LineStyle>& lines);
Paint ReadFillStyle(BitReader& reader, int shapeVersion);
// The flags after a DefineShape4 (or DefineMorphShape2) line style's width, with the miter
// limit when the join is a miter; says whether a fill follows instead of a colour.
bool ReadLineStyleFlags(BitReader& reader, LineStyle& line);

// Reads fill/line bit counts and shape records into `records`; `readStyles` (may be empty)
// reads a new-styles record's arrays. Stops at the end record, on damage or at the edge budget.
void ReadShapeRecords(BitReader& reader, ShapeRecords& records,
                      const std::function<void(std::vector<Paint>&, std::vector<LineStyle>&)>& readStyles);

ShapeGeometry BuildGeometry(const ShapeRecords& records);

}  // namespace zp::swf
