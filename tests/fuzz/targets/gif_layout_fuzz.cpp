// Walks GIF blocks in arbitrary bytes: never reads past them, every frame found lies inside
// them, and every frame rebuilt on its own reads back as one frame of the same size.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "core/splash/gif_layout.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  const zp::gif::Limits limits{16, 1 << 16};
  const auto layout = zp::gif::ReadLayout(bytes, limits);
  if (!layout) return 0;
  if (layout->frames.size() > layout->graphicBlocks || layout->graphicBlocks > limits.maxGraphics) std::abort();
  for (const auto& frame : layout->frames) {
    if (frame.start > frame.imageOffset || frame.imageOffset >= frame.end || frame.end > size) std::abort();
    const auto alone = zp::gif::StandaloneFrame(bytes, layout->screen, frame);
    const auto again = zp::gif::ReadLayout(alone, zp::gif::Limits{16, UINT64_MAX});
    if (frame.width == 0 || frame.height == 0) continue;  // a screen of no size is not read
    if (!again || again->frames.size() != 1 || again->frames[0].width != frame.width ||
        again->frames[0].height != frame.height || again->frames[0].left != 0 || again->frames[0].top != 0) {
      std::abort();
    }
  }
  return 0;
}
