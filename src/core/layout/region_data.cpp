#include "core/layout/region_data.h"

#include <algorithm>

#include "core/package_format.h"

namespace zp::layout {

namespace {

// Callers have checked the length; value_or only keeps the reads total.
uint32_t U32(std::span<const uint8_t> bytes, size_t offset) { return ReadU32(bytes, offset).value_or(0); }
int32_t ReadI32(std::span<const uint8_t> bytes, size_t offset) { return static_cast<int32_t>(U32(bytes, offset)); }

Box ReadBox(std::span<const uint8_t> bytes, size_t offset) {
  return {ReadI32(bytes, offset), ReadI32(bytes, offset + 4), ReadI32(bytes, offset + 8),
          ReadI32(bytes, offset + 12)};
}

}  // namespace

std::optional<RegionDataInfo> InspectRegionData(std::span<const uint8_t> block) {
  if (block.size() < kRegionHeaderSize) return std::nullopt;
  if (U32(block, 0) != kRegionHeaderSize) return std::nullopt;
  if (U32(block, 4) != kRegionRectangles) return std::nullopt;
  RegionDataInfo info;
  info.rectangleCount = U32(block, 8);
  if (info.rectangleCount == 0) return std::nullopt;
  if (info.rectangleCount > (block.size() - kRegionHeaderSize) / 16) return std::nullopt;
  info.bound = ReadBox(block, 16);
  info.byteSize = kRegionHeaderSize + info.rectangleCount * 16;
  for (uint32_t i = 0; i < info.rectangleCount; ++i) {
    Box r = ReadBox(block, kRegionHeaderSize + size_t{i} * 16);
    if (i == 0) {
      info.rectanglesBound = r;
    } else {
      info.rectanglesBound.left = std::min(info.rectanglesBound.left, r.left);
      info.rectanglesBound.top = std::min(info.rectanglesBound.top, r.top);
      info.rectanglesBound.right = std::max(info.rectanglesBound.right, r.right);
      info.rectanglesBound.bottom = std::max(info.rectanglesBound.bottom, r.bottom);
    }
  }
  return info;
}

}  // namespace zp::layout
