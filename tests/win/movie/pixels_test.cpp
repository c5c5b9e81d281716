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

  std::vector<uint32_t> pixels(100 * 100, 0);
  ASSERT_TRUE(zp::movie::DrawMovieToPixels(pixels.data(), 100, 100, 400, zp::swf::Rgba{0, 0, 0, 0},
                                           session.DrawList(100, 100)));
  auto at = [&](int x, int y) { return pixels[y * 100 + x]; };
  EXPECT_EQ(at(20, 20), 0xFFFF0000u);  // opaque red, ARGB in memory order B G R A
  const uint32_t half = at(80, 20);
  EXPECT_NEAR(static_cast<int>(half >> 24), 128, 2);         // alpha
  EXPECT_NEAR(static_cast<int>(half & 0xFF), 128, 2);        // blue, premultiplied
  EXPECT_EQ((half >> 8) & 0xFFFF, 0u);                       // no red or green
  EXPECT_EQ(at(50, 80), 0u);                                 // untouched: fully transparent
  EXPECT_FALSE(zp::movie::DrawMovieToPixels(nullptr, 100, 100, 400, {}, {}));
}

}  // namespace
}  // namespace zp::test
