// Morph shapes: a start and an end outline with paired styles, drawn in between by the ratio
// of their placement (0 = start, 65535 = end).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/swf/swf_shape.h"

namespace zp::swf {

enum MorphTagCode : uint16_t { kTagDefineMorphShape = 46, kTagDefineMorphShape2 = 84 };

struct MorphShapeDefinition {
  uint16_t id = 0;
  TwipsRect startBounds, endBounds;
  ShapeRecords start;                // start edges with the start styles
  std::vector<Paint> endFills;       // parallel to start.fills
  std::vector<LineStyle> endLines;   // parallel to start.lines
  std::vector<ShapeEdge> endEdges;   // parallel to start.edges (fewer: the rest do not move)

  ShapeGeometry At(uint16_t ratio) const;
};

// Parses a DefineMorphShape or DefineMorphShape2 body; fails only when the id and bounds are
// cut short. Damaged records keep what came before.
std::optional<MorphShapeDefinition> ParseMorphShape(uint16_t tagCode, std::span<const uint8_t> body);

}  // namespace zp::swf
