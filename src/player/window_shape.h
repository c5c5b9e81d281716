// Regions for the player window's shapes: the predefined shapes and the document's custom region.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>

#include "core/layout/shapes.h"
#include "framework/unique_handle.h"

namespace zp::player {

// The region of a predefined shape (alternate filling); none for kNone.
win::UniqueRegion MakeShapeRegion(const layout::Shape& shape);

// The custom region from its stored region data; none when the block does not describe one.
win::UniqueRegion MakeCustomRegion(std::span<const uint8_t> regionData);

}  // namespace zp::player
