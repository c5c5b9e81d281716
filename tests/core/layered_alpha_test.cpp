#include "core/transparency/layered_alpha.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace zp::transparency {
namespace {

struct TwoPassCase {
  const char* what;
  uint32_t overBlack, overWhite, expected;
};

TEST(LayeredAlpha, TwoPassGivesPremultipliedPixels) {
  const TwoPassCase cases[] = {
      {"opaque area: both passes equal", 0x00336699, 0x00336699, 0xFF336699},
      {"empty area: black over black, white over white", 0x00000000, 0x00FFFFFF, 0x00000000},
      {"half red: the red channels imply alpha 128", 0x00800000, 0x00FFFF7F, 0x80800000},
      {"half green: red moves from 0 to 127", 0x00008000, 0x007FFF7F, 0x80008000},
      {"black brighter than white cannot be blended: opaque", 0x00900000, 0x00100000, 0xFF900000},
      {"colour above the alpha is clamped to it", 0x000000F0, 0x00F000F0, 0x0F00000F},
      {"the alpha byte of the inputs does not count", 0xAB800000, 0xCDFFFF7F, 0x80800000},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BlendedPixel(c.overBlack, c.overWhite), c.expected) << c.what;
    uint32_t pixel = c.overBlack;
    AlphaFromBlackAndWhite(&pixel, &c.overWhite, 1);
    EXPECT_EQ(pixel, c.expected) << c.what;
  }
}

TEST(LayeredAlpha, OnePassMakesOnlyColouredTransparentPixelsOpaque) {
  std::vector<uint32_t> pixels = {0x00000000, 0x00010000, 0x00000001, 0x80404040, 0xFF000000, 0x00FFFFFF};
  EXPECT_TRUE(MakeColouredPixelsOpaque(pixels.data(), pixels.size()));
  EXPECT_EQ(pixels, (std::vector<uint32_t>{0x00000000, 0xFF010000, 0xFF000001, 0x80404040, 0xFF000000, 0xFFFFFFFF}));
  // Nothing left to fix: a second walk changes nothing and says so.
  EXPECT_FALSE(MakeColouredPixelsOpaque(pixels.data(), pixels.size()));
  EXPECT_FALSE(MakeColouredPixelsOpaque(nullptr, 0));
}

// The bulk walks take four pixels at a time; every length and every position in a group must
// give what the one-pixel forms give.
TEST(LayeredAlpha, BulkWalksAgreeWithOnePixelFormsAtEveryLength) {
  uint64_t state = 0x2545F4914F6CDD1Dull;
  auto next = [&state] {
    state ^= state << 13, state ^= state >> 7, state ^= state << 17;
    return static_cast<uint32_t>(state >> 16);
  };
  for (size_t length = 0; length < 19; ++length) {
    std::vector<uint32_t> black(length), white(length), opaque(length);
    for (size_t i = 0; i < length; ++i) {
      black[i] = next();
      white[i] = next();
      // Some pixels with alpha 0 and some pure black ones, which the one-pass rule tells apart.
      opaque[i] = (i % 3 == 0) ? black[i] & 0x00FFFFFF : (i % 3 == 1 ? 0 : black[i]);
    }
    std::vector<uint32_t> blended = black, fixed = opaque;
    AlphaFromBlackAndWhite(blended.data(), white.data(), length);
    const bool changed = MakeColouredPixelsOpaque(fixed.data(), length);
    bool anyChanged = false;
    for (size_t i = 0; i < length; ++i) {
      EXPECT_EQ(blended[i], BlendedPixel(black[i], white[i])) << "length " << length << " pixel " << i;
      EXPECT_EQ(fixed[i], OpaqueIfColoured(opaque[i])) << "length " << length << " pixel " << i;
      anyChanged |= fixed[i] != opaque[i];
    }
    EXPECT_EQ(changed, anyChanged) << "length " << length;
  }
}

// A drawing that filled in any alpha byte needs no second drawing; colour alone, or nothing at
// all, does not count, and nothing past the count is read.
TEST(LayeredAlpha, OnlyAnAlphaByteShowsTheDrawingCarriesAlpha) {
  const uint32_t pixels[] = {0x00FFFFFFu, 0x00000000u, 0x01000000u};
  EXPECT_FALSE(CarriesAlpha(pixels, 2));
  EXPECT_TRUE(CarriesAlpha(pixels, 3));
  EXPECT_FALSE(CarriesAlpha(pixels, 0));
}

}  // namespace
}  // namespace zp::transparency
