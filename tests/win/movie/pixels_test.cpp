// Drawing into premultiplied pixels, as a layered window takes them.
#include <gtest/gtest.h>

#include <vector>

#include "controls/movie/gdiplus_renderer.h"
#include "core/swf/movie_session.h"
#include "package/gdiplus_session.h"
#include "swf_writer.h"

namespace zp::test {
namespace {

using swfgen::MovieWriter;

// The items drawn on a transparent 100 × 100 stage; empty when drawing fails.
std::vector<uint32_t> DrawTransparent(const std::vector<zp::swf::DrawItem>& items) {
  std::vector<uint32_t> pixels(100 * 100, 0);
  if (!zp::movie::DrawMovieToPixels(pixels.data(), 100, 100, 400, zp::swf::Rgba{0, 0, 0, 0}, items)) pixels.clear();
  return pixels;
}

TEST(MoviePixels, TransparentBackgroundKeepsAlphaPerPixel) {
  const GdiplusSession gdiplus;
  ASSERT_TRUE(gdiplus.started());
  // A 100 × 100 stage with an opaque red square on the left and a half-transparent blue one on
  // the right.
  MovieWriter m(6, 100, 100, 12);
  m.DefineRect(1, {0, 0, 40 * 20, 40 * 20}, {255, 0, 0});
  m.DefineRect(2, {0, 0, 40 * 20, 40 * 20}, {0, 0, 255, 128});
  m.Place(1, 1, 0, 0).Place(2, 2, 60 * 20, 0).ShowFrame();
  zp::swf::MovieSession session;
  ASSERT_TRUE(session.LoadBytes(m.Finish(false), 0));

  const std::vector<uint32_t> pixels = DrawTransparent(session.DrawList(100, 100));
  ASSERT_EQ(pixels.size(), 100u * 100);
  auto at = [&](int x, int y) { return pixels[y * 100 + x]; };
  EXPECT_EQ(at(20, 20), 0xFFFF0000u);  // opaque red, ARGB in memory order B G R A
  const uint32_t half = at(80, 20);
  EXPECT_NEAR(static_cast<int>(half >> 24), 128, 2);         // alpha
  EXPECT_NEAR(static_cast<int>(half & 0xFF), 128, 2);        // blue, premultiplied
  EXPECT_EQ((half >> 8) & 0xFFFF, 0u);                       // no red or green
  EXPECT_EQ(at(50, 80), 0u);                                 // untouched: fully transparent
  EXPECT_FALSE(zp::movie::DrawMovieToPixels(nullptr, 100, 100, 400, {}, {}));
}

TEST(MoviePixels, MasksClipByTheirFilledAreaOnly) {
  const GdiplusSession gdiplus;
  ASSERT_TRUE(gdiplus.started());
  // A mask over the left half clips a red square that fills the stage; a blue one above the
  // mask's depths is not clipped. A clip group without any area shows nothing.
  MovieWriter m(6, 100, 100, 12);
  m.DefineRect(1, {0, 0, 50 * 20, 100 * 20}, {0, 255, 0});
  m.DefineRect(2, {0, 0, 100 * 20, 50 * 20}, {255, 0, 0});
  m.DefineRect(3, {0, 50 * 20, 100 * 20, 100 * 20}, {0, 0, 255});
  m.PlaceObject2(swfgen::Placement(1).Character(1).ClipDepth(2)).Place(2, 2).Place(3, 3);
  m.ShowFrame();
  zp::swf::MovieSession session;
  ASSERT_TRUE(session.LoadBytes(m.Finish(false), 0));
  std::vector<uint32_t> pixels = DrawTransparent(session.DrawList(100, 100));
  ASSERT_EQ(pixels.size(), 100u * 100);
  auto at = [&](int x, int y) { return pixels[y * 100 + x]; };
  EXPECT_EQ(at(25, 25), 0xFFFF0000u);  // red inside the mask
  EXPECT_EQ(at(75, 25), 0u);           // clipped away; the mask itself is not drawn
  EXPECT_EQ(at(75, 75), 0xFF0000FFu);  // blue, above the mask's depths
  EXPECT_EQ(at(25, 75), 0xFF0000FFu);

  std::vector<zp::swf::DrawItem> empty = session.DrawList(100, 100);
  empty.erase(empty.begin() + 1);  // the mask's only area
  pixels = DrawTransparent(empty);
  ASSERT_EQ(pixels.size(), 100u * 100);
  EXPECT_EQ(at(25, 25), 0u);
  EXPECT_EQ(at(25, 75), 0xFF0000FFu);
}

}  // namespace
}  // namespace zp::test
