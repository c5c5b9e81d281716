// Picture files made byte by byte for tests: flat-colour bitmaps, a metafile that fills its
// frame with one colour, and a bitmap that only claims a size.
#pragma once

#include <cstdint>

#include "test_files.h"

namespace zp::test {

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
};

struct PixelBox {
  int left = 0, top = 0, right = 0, bottom = 0;  // from the top-left corner, right and bottom excluded
};

// A 24-bit ".bmp" of `outer` colour with `inner` over `box`.
Bytes TwoColourBmp(int width, int height, Rgb outer, Rgb inner, PixelBox box);

// A placeable ".wmf" of `width` × `height` pixels (at 96 per inch) that fills its frame with
// `colour`.
Bytes FilledWmf(int width, int height, Rgb colour);

// The headers of a ".bmp" claiming `width` × `height`, with a few pixels after them: enough for
// anything that reads sizes from headers, nothing a decoder could draw.
Bytes BmpClaiming(int32_t width, int32_t height);

}  // namespace zp::test
