// Fill and line styles, gradients, bitmaps and morph shapes: read from movies written by swfgen,
// turned into draw items and into pixels.
#include <gtest/gtest.h>

#include <cmath>

#include "core/swf/swf_bitmap.h"
#include "core/swf/swf_morph.h"
#include "core/swf/swf_render.h"
#include "core/zlib_codec.h"
#include "swf_writer.h"

namespace zp::swf {
namespace {

using swfgen::Color;
using swfgen::GradientSpec;
using swfgen::MovieWriter;
using swfgen::ShapeWriter;

std::shared_ptr<const Movie> BuildMovie(const MovieWriter& m) {
  auto file = File::Parse(m.Finish(false));
  return file ? Movie::Build(std::move(*file)) : nullptr;
}

uint32_t Channel(uint32_t argb, int shift) { return (argb >> shift) & 0xFF; }

// Pixel (x, y) of a paint drawn over a 100 × 100 box at the origin.
uint32_t Sample(const Paint& paint, int x, int y, const BitmapPixels* bitmap = nullptr) {
  std::vector<uint32_t> out;
  EXPECT_TRUE(RasterisePaint(paint, bitmap, x, y, 1, 1, out));
  return out.empty() ? 0 : out[0];
}

TEST(SwfFills, LineStyle2FlagsKeepTheRestOfTheShapeInPlace) {
  // A miter join carries a limit and a filled stroke carries a whole fill style: misreading
  // either shifts every later byte.
  ShapeWriter s(4);
  s.Fill(swfgen::SolidFillStyle({10, 20, 30, 255}, true));
  ShapeWriter::LineStyle2 miter;
  miter.startCap = 2;  // square
  miter.join = 2;
  miter.miterLimit = 2.5;
  miter.endCap = 1;  // none
  s.Line(40, {1, 2, 3, 255}, miter);
  ShapeWriter::LineStyle2 filled;
  filled.join = 1;  // bevel
  filled.fill = swfgen::GradientFillStyle({0x10, {}, {{0, {255, 0, 0, 255}}, {255, {0, 0, 255, 255}}}}, true);
  s.Line(60, {}, filled);
  s.NonZeroWinding();
  s.Rect({0, 0, 400, 200}, 1, 1).Rect({1000, 1000, 1200, 1100}, 0, 2);
  MovieWriter m(8, 100, 100, 12);
  m.DefineShape(5, {0, 0, 1200, 1100}, s).ShowFrame();
  const auto movie = BuildMovie(m);
  const ShapeDefinition* shape = movie->FindShape(5);
  ASSERT_NE(shape, nullptr);
  const auto& parts = shape->geometry.parts;
  ASSERT_EQ(parts.size(), 3u);
  EXPECT_TRUE(shape->geometry.nonZeroWinding);
  EXPECT_FALSE(parts[0].stroke);
  EXPECT_EQ(parts[0].paint.color, (Rgba{10, 20, 30, 255}));
  EXPECT_EQ(parts[0].contours.at(0), (Contour{{400, 0}, {0, 0}, {0, 200}, {400, 200}, {400, 0}}));
  EXPECT_EQ(parts[1].line.join, LineJoin::kMiter);
  EXPECT_DOUBLE_EQ(parts[1].line.miterLimit, 2.5);
  EXPECT_EQ(parts[1].line.startCap, LineCap::kSquare);
  EXPECT_EQ(parts[1].line.endCap, LineCap::kNone);
  EXPECT_EQ(parts[1].paint.color, (Rgba{1, 2, 3, 255}));
  EXPECT_EQ(parts[2].line.join, LineJoin::kBevel);
  EXPECT_EQ(parts[2].line.width, 60);
  EXPECT_EQ(parts[2].paint.kind, PaintKind::kLinearGradient);
  ASSERT_EQ(parts[2].paint.gradient.stops.size(), 2u);
  EXPECT_EQ(parts[2].paint.gradient.stops[1].color, (Rgba{0, 0, 255, 255}));
  EXPECT_EQ(parts[2].contours.at(0).front(), (Point{1000, 1000}));
}

TEST(SwfFills, GradientsSpreadFocusAndInterpolate) {
  // The gradient square (±16384) squeezed onto 0..100 pixels: x = 50 is the middle.
  Paint linear;
  linear.kind = PaintKind::kLinearGradient;
  linear.gradient.stops = {{{0, 0, 0, 255}, 0}, {{255, 255, 255, 255}, 255}};
  linear.matrix = {50.0 / 16384, 0, 0, 50.0 / 16384, 50, 50};
  struct Case {
    const char* name;
    PaintKind kind;
    SpreadMode spread;
    GradientInterpolation interpolation;
    double focal;
    int x, y;
    int expectedGrey;
  };
  const Case cases[] = {
      {"linear start", PaintKind::kLinearGradient, SpreadMode::kPad, GradientInterpolation::kRgb, 0, 0, 50, 1},
      {"linear middle", PaintKind::kLinearGradient, SpreadMode::kPad, GradientInterpolation::kRgb, 0, 50, 0, 128},
      {"pad beyond the end", PaintKind::kLinearGradient, SpreadMode::kPad, GradientInterpolation::kRgb, 0, 125, 0, 255},
      {"repeat beyond the end", PaintKind::kLinearGradient, SpreadMode::kRepeat, GradientInterpolation::kRgb, 0, 125, 0, 64},
      {"reflect beyond the end", PaintKind::kLinearGradient, SpreadMode::kReflect, GradientInterpolation::kRgb, 0, 125, 0, 191},
      {"linear RGB middle", PaintKind::kLinearGradient, SpreadMode::kPad, GradientInterpolation::kLinearRgb, 0, 50, 0, 188},
      {"radial centre", PaintKind::kRadialGradient, SpreadMode::kPad, GradientInterpolation::kRgb, 0, 50, 50, 1},
      {"radial half way", PaintKind::kRadialGradient, SpreadMode::kPad, GradientInterpolation::kRgb, 0, 50, 75, 128},
      {"radial corner pads", PaintKind::kRadialGradient, SpreadMode::kPad, GradientInterpolation::kRgb, 0, 0, 0, 255},
      // Focal point at x = 75: there the colour starts; half way to the near rim is 0.5.
      {"focal point", PaintKind::kFocalGradient, SpreadMode::kPad, GradientInterpolation::kRgb, 0.5, 75, 50, 5},
      {"focal towards near rim", PaintKind::kFocalGradient, SpreadMode::kPad, GradientInterpolation::kRgb, 0.5, 87, 50, 128},
      {"focal towards far rim", PaintKind::kFocalGradient, SpreadMode::kPad, GradientInterpolation::kRgb, 0.5, 37, 50, 128},
  };
  for (const Case& c : cases) {
    Paint p = linear;
    p.kind = c.kind;
    p.gradient.spread = c.spread;
    p.gradient.interpolation = c.interpolation;
    p.gradient.focalPoint = c.focal;
    const uint32_t pixel = Sample(p, c.x, c.y);
    EXPECT_NEAR(static_cast<int>(Channel(pixel, 8)), c.expectedGrey, 4) << c.name;
    EXPECT_EQ(Channel(pixel, 24), 255u) << c.name;
  }
  // Stops with alpha come out premultiplied; a colour transform reaches every stop.
  Paint faded = linear;
  faded.gradient.stops = {{{255, 0, 0, 128}, 0}, {{255, 0, 0, 128}, 255}};
  EXPECT_EQ(Sample(faded, 10, 10), 0x80800000u);
  ColorTransform cx;
  cx.rMult = 0;
  cx.gAdd = 255;
  const Paint green = TransformPaint(faded, cx);
  EXPECT_EQ(Sample(green, 10, 10), 0x80008000u);
  // A gradient squeezed flat shows its last colour; a huge box is refused.
  Paint flat = linear;
  flat.matrix = {0, 0, 0, 0, 0, 0};
  EXPECT_EQ(Sample(flat, 3, 3), 0xFFFFFFFFu);
  std::vector<uint32_t> out;
  EXPECT_FALSE(RasterisePaint(linear, nullptr, 0, 0, 100000, 100000, out));
}

TEST(SwfFills, BitmapsRepeatClipSmoothAndTakeColourTransforms) {
  // 2 × 1 pixels: red, blue; drawn at 10 pixels per bitmap pixel.
  BitmapPixels bitmap{2, 1, {0xFFFF0000u, 0xFF0000FFu}};
  Paint p;
  p.kind = PaintKind::kBitmap;
  p.matrix = {10, 0, 0, 10, 0, 0};
  p.smoothed = false;
  EXPECT_EQ(Sample(p, 5, 5, &bitmap), 0xFFFF0000u);
  EXPECT_EQ(Sample(p, 15, 5, &bitmap), 0xFF0000FFu);
  EXPECT_EQ(Sample(p, 25, 25, &bitmap), 0xFFFF0000u);  // repeats both ways
  p.repeat = false;
  EXPECT_EQ(Sample(p, 25, 25, &bitmap), 0xFF0000FFu);  // clipped: the edge pixel extends
  p.smoothed = true;
  const uint32_t mid = Sample(p, 10, 5, &bitmap);  // between the two pixels
  EXPECT_NEAR(static_cast<int>(Channel(mid, 16)), 128, 14);
  EXPECT_NEAR(static_cast<int>(Channel(mid, 0)), 128, 14);
  ColorTransform half;
  half.aMult = 128;
  p.smoothed = false;
  EXPECT_EQ(Sample(TransformPaint(p, half), 5, 5, &bitmap), 0x7F7F0000u);
  EXPECT_FALSE(RasterisePaint(p, nullptr, 0, 0, 4, 4, *std::make_unique<std::vector<uint32_t>>()));
}

TEST(SwfFills, LosslessBitmapsDecodeEveryFormatWithinTheBudget) {
  MovieWriter m(8, 100, 100, 12);
  // Colour-mapped, 2 × 2: rows padded to 4 bytes; index 2 is beyond the table.
  m.DefineBitsLossless(1, false, 3, 2, 2, {255, 0, 0, 0, 255, 0, /*rows*/ 0, 1, 0, 0, 1, 2, 0, 0}, 2);
  m.DefineBitsLossless(2, true, 3, 1, 1, {100, 50, 200, 128, /*row*/ 0, 0, 0, 0}, 1);
  m.DefineBitsLossless(3, false, 4, 1, 1, {0x7C, 0x1F, 0, 0});  // 15-bit: red 31, blue 31
  m.DefineBitsLossless(4, false, 5, 1, 1, {0, 1, 2, 3});
  m.DefineBitsLossless(5, true, 5, 1, 1, {128, 200, 64, 32});  // premultiplied: red clamps to alpha
  m.DefineBitsLossless(6, true, 5, 5000, 5000, {});          // over the pixel budget
  m.DefineBitsLossless(7, true, 5, 2, 2, {1, 2, 3});         // too little data
  m.ShowFrame();
  const auto movie = BuildMovie(m);
  auto pixels = [&](uint16_t id) -> std::vector<uint32_t> {
    const auto bitmap = movie->FindBitmap(id);
    EXPECT_NE(bitmap, nullptr) << id;
    const BitmapPixels* px = bitmap ? bitmap->Pixels([](auto&, auto&) { return false; }) : nullptr;
    return px ? px->argb : std::vector<uint32_t>{};
  };
  EXPECT_EQ(pixels(1), (std::vector<uint32_t>{0xFFFF0000u, 0xFF00FF00u, 0xFF00FF00u, 0u}));
  EXPECT_EQ(pixels(2), (std::vector<uint32_t>{0x80643280u}));
  EXPECT_EQ(pixels(3), (std::vector<uint32_t>{0xFFFF00FFu}));
  EXPECT_EQ(pixels(4), (std::vector<uint32_t>{0xFF010203u}));
  EXPECT_EQ(pixels(5), (std::vector<uint32_t>{0x80804020u}));
  EXPECT_TRUE(pixels(6).empty());
  EXPECT_TRUE(pixels(7).empty());
  EXPECT_EQ(movie->FindBitmap(99), nullptr);
}

TEST(SwfFills, JpegPiecesBecomeOneFileAndAlphaIsApplied) {
  const std::vector<uint8_t> tables{0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x03, 0x07, 0xFF, 0xD9};
  // The stray end-start pair old writers put in front, then a frame header with a 2 × 1 size.
  const std::vector<uint8_t> image{0xFF, 0xD9, 0xFF, 0xD8, 0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x0B, 0x08, 0x00, 0x01,
                                   0x00, 0x02, 0x01, 0x01, 0x11, 0x00, 0xFF, 0xDA, 0x00, 0x02, 0x55, 0xFF, 0xD9};
  const std::vector<uint8_t> expected{0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x03, 0x07, 0xFF, 0xC0, 0x00, 0x0B, 0x08, 0x00,
                                      0x01, 0x00, 0x02, 0x01, 0x01, 0x11, 0x00, 0xFF, 0xDA, 0x00, 0x02, 0x55, 0xFF, 0xD9};
  EXPECT_EQ(AssembleJpeg(tables, image), expected);
  EXPECT_EQ(AssembleJpeg({}, std::vector<uint8_t>(expected.begin(), expected.end() - 2)), expected);  // end added
  EXPECT_TRUE(AssembleJpeg({}, std::vector<uint8_t>{0x12, 0x34}).empty());
  EXPECT_TRUE(AssembleJpeg({}, std::vector<uint8_t>{0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x40}).empty());  // cut short
  const std::vector<uint8_t> png{0x89, 'P', 'N', 'G', 1, 2, 3};
  EXPECT_EQ(AssembleJpeg(tables, png), png);

  // DefineBits with the shared tables, and DefineBitsJPEG3 with a zlib alpha plane.
  MovieWriter m(8, 100, 100, 12);
  std::vector<uint8_t> body{1, 0};
  body.insert(body.end(), image.begin(), image.end());
  m.Tag(kTagJpegTables, tables).Tag(kTagDefineBits, body);
  const std::vector<uint8_t> alpha = Deflate(std::vector<uint8_t>{0x40, 0xFF});
  std::vector<uint8_t> jpeg3{2, 0, static_cast<uint8_t>(expected.size()), 0, 0, 0};
  jpeg3.insert(jpeg3.end(), expected.begin(), expected.end());
  jpeg3.insert(jpeg3.end(), alpha.begin(), alpha.end());
  m.Tag(kTagDefineBitsJpeg3, jpeg3).ShowFrame();
  const auto movie = BuildMovie(m);
  EXPECT_EQ(movie->FindBitmap(1)->jpeg, expected);
  const auto bitmap = movie->FindBitmap(2);
  int decodes = 0;
  auto decode = [&](const std::vector<uint8_t>& file, BitmapPixels& out) {
    ++decodes;
    EXPECT_EQ(file, expected);
    out = {2, 1, {0xFF808080u, 0xFF808080u}};
    return true;
  };
  const BitmapPixels* px = bitmap->Pixels(decode);
  ASSERT_NE(px, nullptr);
  // Colours were stored multiplied by alpha: kept within it.
  EXPECT_EQ(px->argb, (std::vector<uint32_t>{0x40404040u, 0xFF808080u}));
  bitmap->Pixels(decode);
  EXPECT_EQ(decodes, 1);
}

TEST(SwfFills, DrawItemsCarryDevicePaintsAndColourTransforms) {
  ShapeWriter s(3);
  GradientSpec g;
  g.type = 0x12;
  g.matrix = {0.05, 0, 0, 0.05, 1000, 1000};  // radius 819 twips about (1000, 1000)
  g.stops = {{0, {255, 0, 0, 255}}, {255, {0, 0, 255, 255}}};
  s.Fill(swfgen::GradientFillStyle(g, true));
  s.Fill(swfgen::BitmapFillStyle(0x43, 9, {20, 0, 0, 20, 0, 0}));
  s.Fill(swfgen::BitmapFillStyle(0x41, 77, {}));  // no such bitmap: not drawn
  s.Rect({0, 0, 2000, 2000}, 1, 0).Rect({0, 0, 200, 200}, 2, 0).Rect({0, 0, 100, 100}, 3, 0);
  MovieWriter m(8, 100, 100, 12);
  m.DefineBitsLossless(9, true, 5, 1, 1, {255, 9, 9, 9});
  m.DefineShape(1, {0, 0, 2000, 2000}, s).PlaceWithAlpha(1, 1, 200, 0, 128).ShowFrame();
  auto file = File::Parse(m.Finish(false));
  Player player;
  player.Load(Movie::Build(std::move(*file)), 0);
  const auto view = ComputeViewTransform({0, 2000, 0, 2000}, std::nullopt, ScaleMode::kShowAll, 200, 200);
  const auto items = BuildDrawList(player, view);
  ASSERT_EQ(items.size(), 2u);
  ASSERT_NE(items[0].paint, nullptr);
  const Paint& radial = *items[0].paint;
  EXPECT_EQ(radial.kind, PaintKind::kRadialGradient);
  EXPECT_EQ(radial.gradient.stops[0].color.a, 127);
  // Centre at stage (1200, 1000) twips = device (120, 100); the rim 819 twips = 81.9 pixels on.
  const Point centre = radial.matrix.Apply({0, 0});
  EXPECT_NEAR(centre.x, 120, 1e-6);
  EXPECT_NEAR(centre.y, 100, 1e-6);
  EXPECT_NEAR(radial.matrix.Apply({kGradientHalfSize, 0}).x, 120 + 81.92, 0.01);
  ASSERT_NE(items[1].paint, nullptr);
  EXPECT_EQ(items[1].paint->bitmap, player.movie()->FindBitmap(9));
  EXPECT_EQ(items[1].paint->bitmapTransform.aMult, 128);
  EXPECT_FALSE(items[1].paint->repeat);
  EXPECT_FALSE(items[1].paint->smoothed);
}

TEST(SwfFills, MorphShapesMoveEdgesAndColoursWithTheRatio) {
  MovieWriter m(8, 100, 100, 12);
  m.DefineMorphRect(3, {0, 0, 200, 200}, {1000, 0, 1400, 400}, {255, 0, 0, 255}, {0, 0, 255, 0});
  m.ShowFrame();
  const auto movie = BuildMovie(m);
  const MorphShapeDefinition* morph = movie->FindMorphShape(3);
  ASSERT_NE(morph, nullptr);
  auto bounds = [](const ShapeGeometry& g) {
    double left = 1e9, right = -1e9;
    for (const Point& p : g.parts.at(0).contours.at(0)) {
      left = std::min(left, p.x);
      right = std::max(right, p.x);
    }
    return std::pair{left, right};
  };
  const ShapeGeometry start = morph->At(0), middle = morph->At(32768), end = morph->At(65535);
  EXPECT_EQ(bounds(start), (std::pair{0.0, 200.0}));
  EXPECT_EQ(bounds(end), (std::pair{1000.0, 1400.0}));
  EXPECT_NEAR(bounds(middle).first, 500, 1);
  EXPECT_NEAR(bounds(middle).second, 800, 1);
  EXPECT_EQ(start.parts[0].paint.color, (Rgba{255, 0, 0, 255}));
  EXPECT_EQ(middle.parts[0].paint.color, (Rgba{127, 0, 128, 127}));
  EXPECT_EQ(end.parts[0].paint.color, (Rgba{0, 0, 255, 0}));
  // Cut anywhere, the tag still parses to something drawable or is refused.
  const std::vector<uint8_t> bytes = m.Finish(false);
  for (size_t n = 0; n < bytes.size(); ++n) {
    if (auto file = File::Parse(std::vector<uint8_t>(bytes.begin(), bytes.begin() + n))) {
      if (auto cut = Movie::Build(std::move(*file)); const auto* shape = cut->FindMorphShape(3)) shape->At(40000);
    }
  }
}

}  // namespace
}  // namespace zp::swf
