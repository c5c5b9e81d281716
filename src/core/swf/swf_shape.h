// Readers for shape definitions and the matrix / colour-transform records that placements use.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/swf/swf_bits.h"
#include "core/swf/swf_file.h"
#include "core/swf/swf_geometry.h"

namespace zp::swf {

struct ShapeDefinition {
  uint16_t id = 0;
  TwipsRect bounds;
  ShapeGeometry geometry;
};

// Parses a DefineShape, DefineShape2, 3 or 4 tag body (`tagCode` says which). Solid fills are
// drawn in their colour; gradient fills in the colour of their first stop; bitmap fills are
// not drawn. Fails only when the body ends before the shape's id and bounds.
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

}  // namespace zp::swf
