// Scan conversion and strokes: what each pixel of the device is covered by, and the canvas
// that lays items, masks and layers into premultiplied pixels.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "core/swf/swf_canvas.h"
#include "core/swf/swf_raster.h"

namespace zp::swf {
namespace {

Contour Rect(double x0, double y0, double x1, double y1) { return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}; }

TEST(SwfRasterTest, PixelsAreDrawnWhenTheirCentresLieInside) {
  struct Case {
    const char* name;
    Contour contour;
    int x, y;
    int expected;  // coverage 0..255
  } cases[] = {
      {"whole pixel", Rect(2, 2, 4, 4), 2, 2, 255},
      {"beside it", Rect(2, 2, 4, 4), 4, 2, 0},
      {"above it", Rect(2, 2, 4, 4), 2, 1, 0},
      {"edge on the centre, left", Rect(2.5, 2, 4, 4), 2, 2, 255},
      {"edge on the centre, top", Rect(2, 2.5, 4, 4), 2, 2, 255},
      {"edge past the centre", Rect(2.6, 2, 4, 4), 2, 2, 0},
      {"edge before the centre", Rect(2, 2, 3.4, 4), 3, 2, 0},
      {"inside a diagonal", {{0, 0}, {10, 0}, {0, 10}}, 4, 4, 255},
      {"outside a diagonal", {{0, 0}, {10, 0}, {0, 10}}, 5, 5, 0},
  };
  for (const auto& c : cases) {
    const Coverage cover = CoverContours({c.contour}, false, 0, 0, 100, 100, EdgeQuality::kCrisp);
    EXPECT_EQ(cover.At(c.x, c.y), c.expected) << c.name;
  }
}

TEST(SwfRasterTest, SmoothEdgesCoverTheShareOfFourSamples) {
  struct Case {
    const char* name;
    Contour contour;
    int expected;  // pixel (2, 2)
  } cases[] = {
      {"whole pixel", Rect(2, 2, 4, 4), 255},
      {"left half", Rect(0, 0, 2.5, 5), 127},
      {"top half", Rect(0, 0, 5, 2.5), 127},
      {"a sliver", Rect(2.9, 0, 5, 5), 0},
      {"three quarters across", Rect(2.2, 0, 5, 5), 191},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CoverContours({c.contour}, false, 0, 0, 10, 10, EdgeQuality::kSmooth).At(2, 2), c.expected) << c.name;
  }
  // Crisp edges take the centre alone.
  EXPECT_EQ(CoverContours({Rect(0, 0, 2.6, 5)}, false, 0, 0, 10, 10, EdgeQuality::kCrisp).At(2, 2), 255);
}

TEST(SwfRasterTest, FillRulesDifferOnlyWhereContoursOverlapTheSameWay) {
  // Two squares turning the same way, one inside the other; then the inner one reversed.
  const Contour outer = Rect(0, 0, 10, 10), inner = Rect(3, 3, 7, 7);
  Contour reversed(inner.rbegin(), inner.rend());
  EXPECT_EQ(CoverContours({outer, inner}, true, 0, 0, 20, 20).At(5, 5), 255);
  EXPECT_EQ(CoverContours({outer, inner}, false, 0, 0, 20, 20).At(5, 5), 0);
  EXPECT_EQ(CoverContours({outer, reversed}, true, 0, 0, 20, 20).At(5, 5), 0);
  EXPECT_EQ(CoverContours({outer, reversed}, false, 0, 0, 20, 20).At(1, 1), 255);
}

TEST(SwfRasterTest, BoundsAndDamagedInputAreSafe) {
  EXPECT_TRUE(CoverContours({}, true, 0, 0, 10, 10).empty());
  EXPECT_TRUE(CoverContours({Rect(20, 20, 30, 30)}, true, 0, 0, 10, 10).empty());  // outside the box
  const Coverage huge = CoverContours({{{0, 0}, {1e308, 1e308}, {-1e308, 5}}}, true, 0, 0, 10, 10);
  EXPECT_LE(huge.width, 10);  // huge values stay within the box
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_TRUE(CoverContours({{{nan, 0}, {nan, nan}, {0, nan}}}, true, 0, 0, 10, 10).empty());
  // Clipped to the box: a shape larger than it fills it all and nothing outside.
  const Coverage cover = CoverContours({Rect(-50, -50, 50, 50)}, true, 0, 0, 8, 6);
  EXPECT_EQ(cover.width, 8);
  EXPECT_EQ(cover.height, 6);
  EXPECT_EQ(cover.At(7, 5), 255);
  EXPECT_EQ(cover.At(8, 5), 0);
}

TEST(SwfRasterTest, StrokesCoverTheirWidthWithCapsAndJoins) {
  auto covered = [](const std::vector<Contour>& outline, int x, int y) {
    return CoverContours(outline, true, 0, 0, 100, 100, EdgeQuality::kCrisp).At(x, y);
  };
  // A line of width 2 along y = 10 covers rows 9 and 10 fully.
  const Contour line{{10, 10}, {30, 10}};
  auto outline = StrokeOutline({line}, 2, LineCap::kNone, LineCap::kNone, LineJoin::kRound, 3);
  EXPECT_EQ(covered(outline, 20, 9), 255);
  EXPECT_EQ(covered(outline, 20, 10), 255);
  EXPECT_EQ(covered(outline, 20, 11), 0);
  EXPECT_EQ(covered(outline, 9, 10), 0);  // no cap
  outline = StrokeOutline({line}, 2, LineCap::kSquare, LineCap::kSquare, LineJoin::kRound, 3);
  EXPECT_EQ(covered(outline, 9, 10), 255);  // a square cap reaches half the width beyond the end
  outline = StrokeOutline({line}, 4, LineCap::kRound, LineCap::kRound, LineJoin::kRound, 3);
  EXPECT_GT(covered(outline, 8, 10), 200);
  EXPECT_EQ(covered(outline, 6, 6), 0);  // the cap is round, not square

  // A right angle: a miter fills the corner square, a bevel half of it, a round join a quarter circle.
  const Contour corner{{10, 50}, {50, 50}, {50, 90}};
  auto joined = [&](LineJoin join, int x, int y) {
    return covered(StrokeOutline({corner}, 8, LineCap::kNone, LineCap::kNone, join, 3), x, y);
  };
  EXPECT_EQ(joined(LineJoin::kMiter, 53, 46), 255);
  EXPECT_EQ(joined(LineJoin::kRound, 53, 46), 0);
  EXPECT_EQ(joined(LineJoin::kRound, 52, 47), 255);
  EXPECT_EQ(joined(LineJoin::kBevel, 52, 47), 0);
  // A sharp turn cut off at the miter limit does not reach far.
  const Contour sharp{{10, 20}, {60, 22}, {10, 24}};
  EXPECT_EQ(covered(StrokeOutline({sharp}, 4, LineCap::kNone, LineCap::kNone, LineJoin::kMiter, 2), 66, 22), 0);
  // A closed square outline leaves its middle empty and has no gap at its start.
  const Contour square{{20, 20}, {40, 20}, {40, 40}, {20, 40}, {20, 20}};
  outline = StrokeOutline({square}, 2, LineCap::kNone, LineCap::kNone, LineJoin::kMiter, 3);
  EXPECT_EQ(covered(outline, 30, 30), 0);
  EXPECT_EQ(covered(outline, 19, 19), 255);
  // A single point with round caps is a dot; with no caps nothing.
  EXPECT_GT(covered(StrokeOutline({{{70.5, 70.5}}}, 3, LineCap::kRound, LineCap::kRound, LineJoin::kRound, 3), 70, 70), 200);
  EXPECT_TRUE(StrokeOutline({{{70, 70}}}, 3, LineCap::kNone, LineCap::kNone, LineJoin::kRound, 3).empty());
}

uint32_t PixelAt(const std::vector<uint32_t>& pixels, int width, int x, int y) { return pixels[y * width + x]; }

DrawItem Fill(Contour contour, Rgba color) {
  DrawItem item;
  item.color = color;
  item.contours = {std::move(contour)};
  return item;
}

DrawItem Marker(DrawKind kind) {
  DrawItem item;
  item.kind = kind;
  return item;
}

TEST(SwfCanvasTest, ItemsMasksAndLayersLandInPremultipliedPixels) {
  constexpr int kW = 20, kH = 20;
  std::vector<uint32_t> pixels(kW * kH);
  const PixelView view{pixels.data(), kW, kH, kW};
  FillPixels(view, {255, 255, 255, 255});
  std::vector<DrawItem> items;
  items.push_back(Fill(Rect(0, 0, 10, 10), {255, 0, 0, 255}));
  items.push_back(Fill(Rect(10, 0, 20, 10), {0, 0, 255, 128}));
  // A mask over the left half of the lower rows: the green square shows only inside it.
  items.push_back(Marker(DrawKind::kClipBegin));
  DrawItem area = Fill(Rect(0, 10, 5, 20), {});
  area.kind = DrawKind::kClipArea;
  items.push_back(area);
  items.push_back(Fill(Rect(0, 10, 20, 20), {0, 255, 0, 255}));
  items.push_back(Marker(DrawKind::kClipEnd));
  // A layer that multiplies: black where drawn over red.
  auto effects = std::make_shared<LayerEffects>();
  effects->left = 0, effects->top = 0, effects->width = 5, effects->height = 5;
  effects->blendMode = BlendMode::kMultiply;
  DrawItem begin = Marker(DrawKind::kLayerBegin);
  begin.layer = effects;
  items.push_back(begin);
  items.push_back(Fill(Rect(0, 0, 5, 5), {0, 0, 0, 255}));
  items.push_back(Marker(DrawKind::kLayerEnd));
  DrawItemsToPixels(view, items);

  EXPECT_EQ(PixelAt(pixels, kW, 7, 7), 0xFFFF0000u);        // red
  EXPECT_EQ(PixelAt(pixels, kW, 2, 2), 0xFF000000u);        // multiplied to black
  EXPECT_NEAR(PixelAt(pixels, kW, 15, 5) & 0xFF, 255, 1);   // half blue over white: blue stays
  EXPECT_NEAR((PixelAt(pixels, kW, 15, 5) >> 16) & 0xFF, 127, 2);
  EXPECT_EQ(PixelAt(pixels, kW, 2, 15), 0xFF00FF00u);       // inside the mask
  EXPECT_EQ(PixelAt(pixels, kW, 10, 15), 0xFFFFFFFFu);      // outside it
}

TEST(SwfCanvasTest, EmptyMaskShowsNothingAndUnbalancedGroupsAreHarmless) {
  constexpr int kW = 8, kH = 8;
  std::vector<uint32_t> pixels(kW * kH, 0);
  const PixelView view{pixels.data(), kW, kH, kW};
  std::vector<DrawItem> items;
  items.push_back(Marker(DrawKind::kClipEnd));
  items.push_back(Marker(DrawKind::kLayerEnd));
  items.push_back(Marker(DrawKind::kClipBegin));
  items.push_back(Fill(Rect(0, 0, 8, 8), {0, 0, 0, 255}));
  items.push_back(Marker(DrawKind::kLayerBegin));  // no effects: ignored
  DrawItemsToPixels(view, items);
  for (uint32_t p : pixels) EXPECT_EQ(p, 0u);
}

}  // namespace
}  // namespace zp::swf
