// Reads a filter list from arbitrary bytes and runs every filter it holds, and every blend
// mode, over a small layer made of the bytes that follow.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "core/swf/swf_bits.h"
#include "core/swf/swf_effects.h"
#include "core/swf/swf_pixels.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zp::swf::BitReader reader(std::span(data, size));
  const auto filters = zp::swf::ReadFilterList(reader);
  if (filters.size() > zp::swf::kMaxFilters) std::abort();
  constexpr int kSide = 16;
  std::vector<uint32_t> layer(kSide * kSide), below(kSide * kSide, 0xFF808080u);
  for (size_t i = 0; i < layer.size(); ++i) {
    const uint8_t byte = size ? data[i % size] : 0;
    layer[i] = zp::swf::PackPremultiplied({byte, static_cast<uint8_t>(byte * 3), static_cast<uint8_t>(i), byte});
  }
  const zp::swf::PixelView view{layer.data(), kSide, kSide, kSide};
  for (const auto& filter : filters) zp::swf::ApplyFilter(view, filter, 0.5 + (size % 4), 1);
  for (uint8_t mode = 0; mode < 16; ++mode) {
    zp::swf::CompositeLayer({below.data(), kSide, kSide, kSide}, static_cast<int>(size % 7) - 3, 2, view,
                            zp::swf::BlendModeFromByte(mode));
  }
  for (uint32_t p : below) {
    if (((p >> 16) & 0xFF) > (p >> 24)) std::abort();  // premultiplied colour never exceeds alpha
  }
  return 0;
}
