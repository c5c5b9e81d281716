#include "player/movie_measuring.h"

#include <gtest/gtest.h>

#include "movie_test_support.h"
#include "platform/wide.h"
#include "swf_writer.h"
#include "test_files.h"

namespace zp::player {
namespace {

// A 24-bit bottom-up bitmap file of `width` × `height` black pixels.
test::Bytes BitmapFile(int width, int height) {
  const int stride = (width * 3 + 3) & ~3;
  const uint32_t pixels = static_cast<uint32_t>(stride * height);
  test::Bytes b;
  auto u16 = [&](uint16_t v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)}); };
  auto u32 = [&](uint32_t v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}); };
  b.push_back('B');
  b.push_back('M');
  u32(54 + pixels);
  u32(0);
  u32(54);
  u32(40);
  u32(static_cast<uint32_t>(width));
  u32(static_cast<uint32_t>(height));
  u16(1);
  u16(24);
  u32(0);
  u32(pixels);
  u32(2835);
  u32(2835);
  u32(0);
  u32(0);
  b.resize(b.size() + pixels);
  return b;
}

class MeasuringTest : public ::testing::Test {
 protected:
  void SetUp() override {
    parent_ = CreateWindowExW(0, L"STATIC", L"main", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr, nullptr,
                              nullptr);
    ASSERT_TRUE(parent_);
  }
  void TearDown() override { DestroyWindow(parent_); }
  HWND parent_ = nullptr;
  test::ScratchDirectory scratch_;
};

TEST_F(MeasuringTest, MoviesByHeaderPicturesByDecodingOthersThroughTheControl) {
  PlayerSequenceMeasurer measurer(parent_);
  zp::swfgen::MovieWriter m(6, 550, 400, 12.5);
  m.ShowFrame().ShowFrame();
  const auto movie = scratch_.File(u"m.swf");
  ASSERT_TRUE(test::WriteBytes(movie, m.Finish(true)));
  const auto info = measurer.Movie(movie);
  ASSERT_TRUE(info);
  EXPECT_TRUE(info->compressed);
  EXPECT_EQ(info->right, 550);
  EXPECT_EQ(info->frameRate, 12u);
  EXPECT_EQ(info->frameCount, 2u);

  const auto picture = scratch_.File(u"p.bmp");
  ASSERT_TRUE(test::WriteBytes(picture, BitmapFile(7, 5)));
  EXPECT_EQ(measurer.Picture(picture), std::make_pair(7, 5));
  EXPECT_FALSE(measurer.Picture(scratch_.File(u"missing.png")));

  // Not a movie: measured through the hidden control, which plays nothing from it.
  const auto measured = measurer.Movie(picture);
  ASSERT_TRUE(measured);
  EXPECT_TRUE(measured->compressed);
  EXPECT_EQ(measured->version, 0u);
  EXPECT_EQ(measured->fileLength, BitmapFile(7, 5).size());
  EXPECT_EQ(measured->right, 0);
  EXPECT_EQ(measured->bottom, 0);
  EXPECT_EQ(measured->frameRate, 0u);
  EXPECT_EQ(GetWindow(parent_, GW_CHILD), nullptr);  // the hidden control is gone again
}

TEST_F(MeasuringTest, ControlReportsTheStageOfAMovieItCanPlay) {
  zp::swfgen::MovieWriter m(6, 320, 240, 12);
  m.ShowFrame().ShowFrame().ShowFrame();
  const auto movie = scratch_.File(u"m.swf");
  ASSERT_TRUE(test::WriteBytes(movie, m.Finish(false)));
  const auto measured = MeasureThroughControl(parent_, movie);
  ASSERT_TRUE(measured);
  EXPECT_EQ(measured->width, 320);
  EXPECT_EQ(measured->height, 240);
  EXPECT_EQ(measured->frameCount, 3u);
}

}  // namespace
}  // namespace zp::player
