// GIF files for tests: a logical screen with a four-colour global table and frames that are
// solid rectangles of one of those colours, with their own delays and disposal.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zp::test {

struct GifFrameRecipe {
  uint16_t left = 0;
  uint16_t top = 0;
  uint16_t width = 0;  // 0: the whole logical screen
  uint16_t height = 0;
  uint8_t colour = 0;     // index into the palette
  int32_t delay = -1;     // hundredths of a second; -1 writes no graphic control extension
  uint8_t disposal = 0;
  int transparent = -1;   // a palette index drawn as transparent (needs a graphic control)
};

struct GifRecipe {
  uint16_t width = 16;
  uint16_t height = 16;
  // 0xRRGGBB each.
  std::array<uint32_t, 4> palette = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
  std::vector<GifFrameRecipe> frames;
  bool loopExtension = false;  // an application extension before the first frame
  std::string comment;         // a comment extension before the first frame when not empty
};

std::vector<uint8_t> MakeGif(const GifRecipe& recipe);

}  // namespace zp::test
