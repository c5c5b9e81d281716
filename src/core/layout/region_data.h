// Checks the custom window region stored in a document (Win32 RGNDATA bytes) before the
// system is asked to build a region from it, and reads its bounding box.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "core/layout/geometry.h"

namespace zp::layout {

inline constexpr uint32_t kRegionHeaderSize = 32;  // RGNDATAHEADER
inline constexpr uint32_t kRegionRectangles = 1;   // RDH_RECTANGLES

struct RegionDataInfo {
  uint32_t rectangleCount = 0;
  Box bound;           // the header's bounding rectangle
  Box rectanglesBound; // the union of the rectangles that follow
  uint32_t byteSize = 0;  // header plus rectangles: what may be handed to the system
};

// The header is 32 bytes (size 32, type 1, count, region size, bounding rectangle) followed
// by count rectangles of 16 bytes; nothing is read past the block whatever the count says.
// No value for a block that does not describe a region of at least one rectangle.
std::optional<RegionDataInfo> InspectRegionData(std::span<const uint8_t> block);

}  // namespace zp::layout
