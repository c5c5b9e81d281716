#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/pictures/metafile_bits.h"
#include "core/pictures/picture_header.h"
#include "core/pictures/picture_layout.h"
#include "core/pictures/sharpen.h"

namespace zp::pictures {
namespace {

using layout::Box;
using layout::Point;
using layout::Size;

PictureViewInput Whole(Size picture, Size window) {
  return {picture, {0, 0, picture.width, picture.height}, window, true, true, false};
}

TEST(PictureLayout, WidePictureInASquareWindowIsLetterboxed) {
  const auto layout = LayOutPictureView(Whole({1000, 500}, {400, 400}));
  ASSERT_TRUE(layout && layout->rendering);
  EXPECT_DOUBLE_EQ(layout->scaleX, 0.4);
  EXPECT_DOUBLE_EQ(layout->scaleY, 200.5 / 500);
  const auto& r = *layout->rendering;
  // The one-pixel inset source (998 × 498) at 0.4, rounded.
  EXPECT_EQ(r.output, (Size{399, 200}));
  EXPECT_EQ(r.source, (Box{1, 1, 999, 499}));
  EXPECT_EQ(OccupiedRect(r, {400, 400}), (Box{0, 100, 399, 300}));
  EXPECT_EQ(r.interpolation, Interpolation::kHighQualityBicubic);
  EXPECT_TRUE(r.sharpen);
  // The window's centre shows the view's centre.
  EXPECT_EQ(MapWindowPoint(*layout, {400, 400}, {200, 200}), (Point{500, 250}));
  EXPECT_EQ(MapWindowPoint(*layout, {400, 400}, {0, 100}), (Point{0, 0}));
}

TEST(PictureLayout, ZoomedFarInEnlargesSquarePixelsWithoutSharpening) {
  PictureViewInput input = Whole({1000, 500}, {400, 400});
  input.view = {100, 100, 150, 150};
  const auto layout = LayOutPictureView(input);
  ASSERT_TRUE(layout && layout->rendering);
  EXPECT_DOUBLE_EQ(layout->scaleX, 8.0);
  EXPECT_EQ(layout->rendering->interpolation, Interpolation::kNearestNeighbour);
  EXPECT_FALSE(layout->rendering->sharpen);
  EXPECT_EQ(layout->rendering->output, (Size{400, 400}));
}

TEST(PictureLayout, StretchedAndUnscaledViews) {
  PictureViewInput stretched = Whole({200, 100}, {400, 400});
  stretched.keepAspect = false;
  const auto s = LayOutPictureView(stretched);
  ASSERT_TRUE(s && s->rendering);
  EXPECT_DOUBLE_EQ(s->scaleX, 2.0);
  EXPECT_DOUBLE_EQ(s->scaleY, 4.0);

  PictureViewInput unscaled = Whole({1000, 500}, {400, 400});
  unscaled.allowScale = false;
  const auto u = LayOutPictureView(unscaled);
  ASSERT_TRUE(u && u->rendering);
  EXPECT_DOUBLE_EQ(u->scaleX, 1.0);
  // Only the window's worth around the centre is rendered, pixel for pixel.
  EXPECT_EQ(u->rendering->source, (Box{300, 50, 700, 450}));
  EXPECT_EQ(u->rendering->output, (Size{400, 400}));
}

TEST(PictureLayout, DegenerateSizesStayFiniteAndTinyPicturesShow) {
  // A view of no width divides by one pixel, not by zero.
  PictureViewInput flat = Whole({100, 100}, {400, 400});
  flat.view = {50, 50, 50, 50};
  const auto f = LayOutPictureView(flat);
  ASSERT_TRUE(f);
  EXPECT_DOUBLE_EQ(f->pixelsPerViewX, 100.0);
  ASSERT_TRUE(f->rendering);
  EXPECT_GE(f->rendering->source.Width(), 1);

  for (Size tiny : {Size{1, 1}, Size{2, 2}, Size{2, 40}}) {
    const auto t = LayOutPictureView(Whole(tiny, {400, 400}));
    ASSERT_TRUE(t && t->rendering) << tiny.width << "x" << tiny.height;
    EXPECT_EQ(t->rendering->source, (Box{0, 0, tiny.width, tiny.height}));
  }
  EXPECT_FALSE(LayOutPictureView(Whole({0, 10}, {400, 400})));
  // A window of no size renders nothing.
  const auto hidden = LayOutPictureView(Whole({100, 100}, {0, 0}));
  ASSERT_TRUE(hidden);
  EXPECT_FALSE(hidden->rendering);
  // A view far off the picture renders nothing.
  PictureViewInput away = Whole({100, 100}, {400, 400});
  away.view = {5000, 5000, 5100, 5100};
  EXPECT_FALSE(LayOutPictureView(away)->rendering);
  // Extreme views neither overflow nor wrap.
  PictureViewInput extreme = Whole({100, 100}, {400, 400});
  extreme.view = {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
  const auto e = LayOutPictureView(extreme);
  ASSERT_TRUE(e);
  EXPECT_GT(e->scaleX, 0);
}

TEST(PictureLayout, MetafileIsPlayedWholeAroundTheViewCentre) {
  PictureViewInput input = Whole({200, 100}, {400, 400});
  input.metafile = true;
  const auto whole = LayOutPictureView(input);
  ASSERT_TRUE(whole);
  EXPECT_FALSE(whole->rendering);
  // Fitted 400 × 200.5, centred.
  EXPECT_EQ(MetafilePlacement(*whole, {200, 100}, {400, 400}, true), (Box{0, 99, 400, 300}));
  // Zoomed in twice on the middle: twice the size, the middle still in the middle.
  input.view = {50, 25, 150, 75};
  const auto zoomed = LayOutPictureView(input);
  EXPECT_EQ(MetafilePlacement(*zoomed, {200, 100}, {400, 400}, true), (Box{-200, 0, 600, 401}));
  // Before any view there is nothing to play.
  EXPECT_TRUE(MetafilePlacement(PictureViewLayout{}, {200, 100}, {400, 400}, true).IsEmpty());
}

TEST(PictureLayout, PixelBudgetAndFitting) {
  EXPECT_TRUE(WithinPixelBudget(4000, 3000));
  EXPECT_FALSE(WithinPixelBudget(30000, 30000));
  EXPECT_FALSE(WithinPixelBudget(INT32_MAX, INT32_MAX));
  EXPECT_FALSE(WithinPixelBudget(0, 10));
  const FittedSize fit = FitProportionally(550, 400, 1100, 800);
  EXPECT_DOUBLE_EQ(fit.width, 1100);
  EXPECT_DOUBLE_EQ(fit.height, 800.5);
  EXPECT_EQ(TruncateToInt32(1e300), INT32_MAX);
  EXPECT_EQ(TruncateToInt32(-1e300), INT32_MIN);
  EXPECT_EQ(TruncateToInt32(-2.7), -2);
}

std::vector<uint8_t> Wmf(size_t total, uint32_t words, bool placeable) {
  std::vector<uint8_t> file(total, 0);
  const size_t at = placeable ? kPlaceableHeaderSize : 0;
  if (placeable) std::memcpy(file.data(), &kPlaceableMetafileKey, 4);
  if (at + 10 <= total) std::memcpy(file.data() + at + 6, &words, 4);
  return file;
}

TEST(MetafileBits, SizeFieldMustFitTheFile) {
  struct Case {
    size_t total;
    uint32_t words;
    bool placeable;
    bool found;
    size_t offset;
  } cases[] = {
      {18, 9, false, false, 0},          // 18 bytes or less never load
      {19, 9, false, true, 0},           // one header's worth
      {100, 50, false, true, 0},         // exactly the file
      {100, 51, false, false, 0},        // one word past the end
      {100, 8, false, false, 0},         // under one header
      {100, 0x80000000u, false, false, 0},  // would overflow 32 bits when doubled
      {21, 9, true, false, 0},           // a placeable header with nothing after it
      {40, 9, true, true, 22},
      {40, 10, true, false, 22},
  };
  for (const Case& c : cases) {
    const auto file = Wmf(c.total, c.words, c.placeable);
    const auto bits = FindWindowsMetafileBits(file);
    ASSERT_EQ(bits.has_value(), c.found) << c.total << " " << c.words;
    if (bits) {
      EXPECT_EQ(bits->offset, c.offset);
      EXPECT_EQ(bits->size, size_t{c.words} * 2);
    }
  }
}

TEST(Sharpen, FlatColourStaysAndEdgesGainContrast) {
  const int width = 5, height = 4, stride = 16;  // 24-bit rows padded to four bytes
  std::vector<uint8_t> pixels(stride * height, 0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t* p = &pixels[y * stride + x * 3];
      p[0] = 10;
      p[1] = 200;
      p[2] = x < 2 ? 50 : 150;  // a vertical edge in red only
    }
  const auto before = pixels;
  ASSERT_TRUE(SharpenPixels(pixels, width, height, stride, 3));
  for (int y = 1; y < 3; ++y) {
    EXPECT_EQ(pixels[y * stride + 3 + 0], 10);
    EXPECT_EQ(pixels[y * stride + 3 + 1], 200);
    // Left of the edge darker, right of it lighter: (26·50 − 2·(50+150+50+50) − (50+150+50+150)) / 14.
    EXPECT_EQ(pixels[y * stride + 3 + 2], (26 * 50 - 600 - 400 + 7) / 14);
    EXPECT_EQ(pixels[y * stride + 6 + 2], std::min(255, (26 * 150 - 2 * 500 - 400 + 7) / 14));
  }
  // The border rows and columns are untouched.
  EXPECT_TRUE(std::equal(before.begin(), before.begin() + stride, pixels.begin()));
  EXPECT_EQ(pixels[stride + 2], before[stride + 2]);

  std::vector<uint8_t> small(8 * 2, 7);
  EXPECT_FALSE(SharpenPixels(small, 2, 2, 8, 4));
  EXPECT_FALSE(SharpenPixels(pixels, width, height, stride, 2));
  EXPECT_FALSE(SharpenPixels(std::span(pixels).first(40), width, height, stride, 3));
}

}  // namespace
}  // namespace zp::pictures

namespace zp::pictures {
namespace {

TEST(PictureHeader, SizesFromTheFirstBytes) {
  using Bytes = std::vector<uint8_t>;
  const Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                  0, 0, 0x0F, 0xA0, 0, 0, 0x0B, 0xB8};
  const Bytes gif{'G', 'I', 'F', '8', '9', 'a', 0x26, 0x02, 0x90, 0x01};
  Bytes bmp(26, 0);
  bmp[0] = 'B';
  bmp[1] = 'M';
  bmp[14] = 40;
  bmp[18] = 200;
  bmp[22] = 0x9C;  // -100 as 32 bits: a top-down bitmap
  bmp[23] = bmp[24] = bmp[25] = 0xFF;
  // Start of image, an APP0 segment of 16 bytes, fill bytes, then a baseline frame header.
  Bytes jpeg{0xFF, 0xD8, 0xFF, 0xE0, 0, 16};
  jpeg.resize(jpeg.size() + 14, 0);
  jpeg.insert(jpeg.end(), {0xFF, 0xFF, 0xC0, 0, 17, 8, 0x0B, 0xB8, 0x0F, 0xA0, 3});
  struct Case {
    Bytes file;
    std::optional<layout::Size> size;
  } cases[] = {
      {png, layout::Size{4000, 3000}},
      {gif, layout::Size{550, 400}},
      {bmp, layout::Size{200, 100}},
      {jpeg, layout::Size{4000, 3000}},
      {Bytes(png.begin(), png.end() - 1), std::nullopt},      // cut inside the header
      {Bytes(jpeg.begin(), jpeg.end() - 3), std::nullopt},    // cut inside the frame header
      {Bytes{0xFF, 0xD8, 0xFF, 0xDA, 0, 2}, std::nullopt},   // scan data before any frame
      {Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0xFF, 0xFF}, std::nullopt},  // a segment longer than the file
      {Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0, 1, 0}, std::nullopt},  // no width
      {Bytes{'I', 'I', '*', 0}, std::nullopt},                 // TIFF: the system's decoders decide
  };
  for (const Case& c : cases) EXPECT_EQ(ReadPictureHeaderSize(c.file), c.size) << c.file.size();
}

}  // namespace
}  // namespace zp::pictures
