// Blend modes and filters: placements read, layer groups in the draw list, and the pixel
// arithmetic the back ends share.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/swf/swf_pixels.h"
#include "core/swf/swf_player.h"
#include "core/swf/swf_render.h"
#include "swf_movie_test_support.h"
#include "swf_writer.h"

namespace zp::swf {
namespace {

using movie_test::Build;

using swfgen::MovieWriter;
using swfgen::Placement;

uint32_t Px(uint32_t a, uint32_t r, uint32_t g, uint32_t b) { return (a << 24) | (r << 16) | (g << 8) | b; }

// One pixel `src` composited onto one pixel `dst`.
uint32_t Blend(BlendMode mode, uint32_t src, uint32_t dst) {
  uint32_t target = dst, layer = src;
  CompositeLayer({&target, 1, 1, 1}, 0, 0, {&layer, 1, 1, 1}, mode);
  return target;
}

TEST(SwfEffects, BlendModesOnPremultipliedPixels) {
  const uint32_t orange = Px(255, 250, 130, 40), grey = Px(255, 100, 100, 100), white = Px(255, 255, 255, 255);
  const uint32_t halfRed = Px(128, 128, 0, 0), clear = 0;
  struct Case {
    BlendMode mode;
    uint32_t src, dst, want;
  } cases[] = {
      {BlendMode::kNormal, halfRed, grey, Px(255, 178, 50, 50)},
      {BlendMode::kLayer, grey, orange, grey},
      {BlendMode::kMultiply, grey, orange, Px(255, 98, 51, 16)},
      {BlendMode::kMultiply, halfRed, white, Px(255, 255, 127, 127)},  // red over white, half covered
      {BlendMode::kScreen, grey, orange, Px(255, 252, 179, 124)},
      {BlendMode::kLighten, grey, orange, Px(255, 250, 130, 100)},
      {BlendMode::kDarken, grey, orange, Px(255, 100, 100, 40)},
      {BlendMode::kDifference, grey, orange, Px(255, 150, 30, 60)},
      {BlendMode::kDifference, white, white, Px(255, 0, 0, 0)},
      {BlendMode::kAdd, grey, orange, Px(255, 255, 230, 140)},
      {BlendMode::kSubtract, grey, orange, Px(255, 150, 30, 0)},
      {BlendMode::kInvert, grey, orange, Px(255, 5, 125, 215)},
      {BlendMode::kInvert, halfRed, white, Px(255, 127, 127, 127)},
      {BlendMode::kAlpha, halfRed, grey, Px(128, 50, 50, 50)},
      {BlendMode::kAlpha, clear, grey, clear},  // where the object is not, the layer goes
      {BlendMode::kErase, halfRed, grey, Px(127, 50, 50, 50)},
      {BlendMode::kErase, clear, grey, grey},
      {BlendMode::kOverlay, grey, orange, Px(255, 249, 103, 31)},
      {BlendMode::kHardLight, grey, orange, Px(255, 196, 102, 31)},
      {BlendMode::kHardLight, white, grey, white},
      // Onto a transparent layer every mode leaves the object as it is.
      {BlendMode::kMultiply, halfRed, clear, halfRed},
      {BlendMode::kScreen, halfRed, clear, halfRed},
      {BlendMode::kOverlay, halfRed, clear, halfRed},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Blend(c.mode, c.src, c.dst), c.want) << "mode " << int(c.mode) << std::hex << " src " << c.src
                                                   << " dst " << c.dst;
  }
  // A layer partly off the target is clipped, not written out of bounds.
  std::vector<uint32_t> target(4, grey), layer(9, white);
  CompositeLayer({target.data(), 2, 2, 2}, 1, -1, {layer.data(), 3, 3, 3}, BlendMode::kNormal);
  EXPECT_EQ(target, (std::vector<uint32_t>{grey, white, grey, white}));
}

// A square of `side` opaque pixels in the middle of a transparent layer of `size`.
std::vector<uint32_t> Square(int size, int side, uint32_t color) {
  std::vector<uint32_t> pixels(size * size, 0);
  const int from = (size - side) / 2;
  for (int y = from; y < from + side; ++y) {
    for (int x = from; x < from + side; ++x) pixels[y * size + x] = color;
  }
  return pixels;
}

uint32_t Alpha(uint32_t p) { return p >> 24; }

TEST(SwfEffects, BlurSpreadsEvenlyAndKeepsTheTotal) {
  const uint32_t white = Px(255, 255, 255, 255);
  auto pixels = Square(9, 1, white);
  Filter blur;
  blur.blurX = blur.blurY = 4;
  ApplyFilter({pixels.data(), 9, 9, 9}, blur, 1, 1);
  // A size of 4 blurs through 3 pixels: one pixel becomes a 3 × 3 box of a ninth each; a second pass makes it 5 × 5, peaked.
  EXPECT_EQ(Alpha(pixels[4 * 9 + 4]), 28u);
  EXPECT_EQ(Alpha(pixels[3 * 9 + 5]), 28u);
  EXPECT_EQ(Alpha(pixels[2 * 9 + 4]), 0u);
  auto twice = Square(9, 1, white);
  blur.passes = 2;
  ApplyFilter({twice.data(), 9, 9, 9}, blur, 1, 1);
  EXPECT_GT(Alpha(twice[4 * 9 + 4]), Alpha(twice[4 * 9 + 3]));
  EXPECT_GT(Alpha(twice[4 * 9 + 2]), 0u);
  // Sizes scale with the view: at twice the size, 2 stage pixels blur as 4; 1 does not blur.
  auto scaled = Square(9, 1, white);
  blur.blurX = blur.blurY = 2;
  blur.passes = 1;
  ApplyFilter({scaled.data(), 9, 9, 9}, blur, 2, 2);
  EXPECT_EQ(Alpha(scaled[3 * 9 + 3]), 28u);
  auto sharp = Square(9, 1, white);
  blur.blurX = blur.blurY = 1;
  ApplyFilter({sharp.data(), 9, 9, 9}, blur, 2, 2);
  EXPECT_EQ(sharp, Square(9, 1, white));
  // Premultiplied colour never exceeds alpha after blurring.
  for (uint32_t p : twice) EXPECT_LE((p >> 16) & 0xFF, Alpha(p));
}

TEST(SwfEffects, ShadowsGlowsAndBevelsJoinTheObjectAsTheirFlagsSay) {
  const uint32_t red = Px(255, 255, 0, 0);
  const int n = 12;
  auto at = [&](const std::vector<uint32_t>& p, int x, int y) { return p[y * n + x]; };
  Filter shadow;
  shadow.kind = FilterKind::kDropShadow;
  shadow.color = {0, 0, 255, 255};
  shadow.distance = 2;  // angle 0: to the right
  auto plain = Square(n, 4, red);  // the square covers 4..7
  ApplyFilter({plain.data(), n, n, n}, shadow, 1, 1);
  EXPECT_EQ(at(plain, 5, 5), red);                    // the object on top
  EXPECT_EQ(at(plain, 9, 5), Px(255, 0, 0, 255));     // its shadow beside it
  EXPECT_EQ(at(plain, 3, 5), 0u);                     // nothing on the far side
  shadow.knockout = true;
  auto knocked = Square(n, 4, red);
  ApplyFilter({knocked.data(), n, n, n}, shadow, 1, 1);
  EXPECT_EQ(at(knocked, 5, 5), 0u);
  EXPECT_EQ(at(knocked, 9, 5), Px(255, 0, 0, 255));
  shadow.knockout = false;
  shadow.inner = true;
  auto inner = Square(n, 4, red);
  ApplyFilter({inner.data(), n, n, n}, shadow, 1, 1);
  EXPECT_EQ(at(inner, 4, 5), Px(255, 0, 0, 255));  // the edge away from the light darkens inside
  EXPECT_EQ(at(inner, 7, 5), red);
  EXPECT_EQ(at(inner, 9, 5), 0u);  // an inner shadow stays inside
  shadow.inner = false;
  shadow.hideObject = true;
  auto hidden = Square(n, 4, red);
  ApplyFilter({hidden.data(), n, n, n}, shadow, 1, 1);
  EXPECT_EQ(at(hidden, 7, 5), Px(255, 0, 0, 255));
  EXPECT_EQ(at(hidden, 5, 5), 0u);

  Filter glow;
  glow.kind = FilterKind::kGlow;
  glow.color = {0, 255, 0, 255};
  glow.blurX = glow.blurY = 4;
  glow.strength = 0.5;
  auto glowing = Square(n, 4, red);
  ApplyFilter({glowing.data(), n, n, n}, glow, 1, 1);
  EXPECT_EQ(at(glowing, 5, 5), red);
  EXPECT_EQ(Alpha(at(glowing, 3, 5)), 43u);  // two thirds covered, at half strength
  EXPECT_EQ(Alpha(at(glowing, 5, 3)), 43u);  // no distance: all round

  Filter bevel;
  bevel.kind = FilterKind::kBevel;
  bevel.color = {0, 0, 0, 255};
  bevel.highlight = {255, 255, 255, 255};
  bevel.angle = M_PI / 4;
  bevel.distance = 1;
  bevel.inner = true;
  auto bevelled = Square(n, 4, red);
  ApplyFilter({bevelled.data(), n, n, n}, bevel, 1, 1);
  EXPECT_EQ(at(bevelled, 4, 4), Px(255, 255, 255, 255));  // lit from the top left
  EXPECT_EQ(at(bevelled, 7, 7), Px(255, 0, 0, 0));        // shaded at the bottom right
  EXPECT_EQ(at(bevelled, 3, 3), 0u);                      // an inner bevel stays inside

  Filter matrix;
  matrix.kind = FilterKind::kColorMatrix;
  matrix.matrix = {0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0.5f, 0};  // swap red, blue; half alpha
  uint32_t swapped = Px(255, 200, 10, 0);
  ApplyFilter({&swapped, 1, 1, 1}, matrix, 1, 1);
  EXPECT_EQ(swapped, Px(128, 0, 5, 100));
}

TEST(SwfEffects, PlacementsMakeLayerGroupsSizedToWhatTheyDraw) {
  // A blur of 4 pixels, two passes.
  const swfgen::Bytes blur{1, 1, 0, 0, 4, 0, 0, 0, 4, 0, 2 << 3};
  MovieWriter sprite(8, 1, 1, 1);
  sprite.Place(1, 1).PlaceObject3(Placement(2).Character(1).At(200, 0).BlendMode(12)).ShowFrame();  // erase
  MovieWriter m(8, 100, 100, 10);
  m.DefineRect(1, {0, 0, 200, 200}, {255, 0, 0});
  m.DefineSprite(2, sprite);
  m.PlaceObject3(Placement(1).Character(1).BlendMode(3).At(400, 400));              // multiply
  m.PlaceObject3(Placement(2).Character(1).BlendMode(11));                          // alpha, no layer
  m.PlaceObject3(Placement(3).Character(2).Filters(blur).BlendMode(200).Alpha(128));  // blur; mode unknown
  m.PlaceObject3(Placement(4).Character(1).Filters({1, 99, 0}));                    // damaged: plain
  m.ShowFrame();
  Player p;
  p.Load(Build(m), 0);
  ASSERT_EQ(p.displayList().size(), 4u);
  EXPECT_EQ(p.displayList().at(1).blendMode, BlendMode::kMultiply);
  EXPECT_EQ(p.displayList().at(3).blendMode, BlendMode::kNormal);
  ASSERT_EQ(p.displayList().at(3).filters.size(), 1u);
  EXPECT_EQ(p.displayList().at(3).filters[0].blurX, 4);
  EXPECT_EQ(p.displayList().at(3).filters[0].passes, 2);
  EXPECT_TRUE(p.displayList().at(4).filters.empty());

  const auto view = ComputeViewTransform({0, 2000, 0, 2000}, std::nullopt, ScaleMode::kShowAll, 200, 200);  // 2×
  const auto items = BuildDrawList(p, view);
  std::vector<DrawKind> kinds;
  for (const DrawItem& item : items) kinds.push_back(item.kind);
  using K = DrawKind;
  EXPECT_EQ(kinds, (std::vector<K>{K::kLayerBegin, K::kShape, K::kLayerEnd,  // multiply
                                   K::kShape,                                // alpha without a layer: plain
                                   K::kLayerBegin, K::kShape,                // the blurred sprite...
                                   K::kLayerBegin, K::kShape, K::kLayerEnd,  // ...erasing inside it
                                   K::kLayerEnd, K::kShape}));
  const LayerEffects& multiply = *items[0].layer;
  EXPECT_EQ(multiply.blendMode, BlendMode::kMultiply);
  EXPECT_LE(multiply.left, 40);
  EXPECT_GE(multiply.left, 38);
  EXPECT_LE(multiply.width, 24);
  const LayerEffects& blurred = *items[4].layer;
  EXPECT_EQ(blurred.filterScaleX, 2);
  EXPECT_EQ(blurred.colorTransform.aMult, 128);  // taken by the layer as a whole...
  EXPECT_EQ(items[5].color.a, 255);              // ...not by what it holds
  EXPECT_LT(blurred.left, -8);                   // reaching what its blur spreads to, off the view
  EXPECT_GE(blurred.width, 60);
  EXPECT_EQ(items[6].layer->blendMode, BlendMode::kErase);
}

}  // namespace
}  // namespace zp::swf
