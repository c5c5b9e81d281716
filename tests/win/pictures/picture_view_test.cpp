// The picture view with real files under Wine: what is rendered where, when it is rendered
// again, and the pictures it refuses or still shows.
#include <gtest/gtest.h>

#include <atomic>

#include "pictures_test_support.h"
#include "player/picture_view.h"

namespace zp::player {
namespace {

using namespace test;

class PictureViewTest : public ::testing::Test {
 protected:
  // Fills `surface` with green, lets the view draw, and reads the pixel.
  COLORREF DrawnAt(int x, int y, int width = 400, int height = 400) {
    Surface surface(width, height, Colour(kGreen));
    view_.Draw(surface.dc());
    return surface.At(x, y);
  }

  ScratchDirectory scratch_;
  PictureView view_;
};

TEST_F(PictureViewTest, WidePictureIsLetterboxedRenderedOnceAndZoomedWithSquarePixels) {
  // Red with a blue middle: 1000 × 500 in a 400 × 400 window.
  const auto path = WritePicture(scratch_, u"wide.bmp", TwoColourBmp(1000, 500, kRed, kBlue, {250, 125, 750, 375}));
  ASSERT_TRUE(view_.Load(path));
  EXPECT_EQ(view_.GetSize().cx, 1000);
  view_.SetWindowSize(400, 400);
  ASSERT_TRUE(view_.SetView(RECT{0, 0, 1000, 500}));
  RECT occupied{};
  ASSERT_TRUE(view_.GetOccupiedRect(&occupied));
  EXPECT_EQ(occupied.left, 0);
  EXPECT_EQ(occupied.top, 100);
  EXPECT_EQ(occupied.right, 399);
  EXPECT_EQ(occupied.bottom, 300);
  EXPECT_TRUE(Near(DrawnAt(200, 200), Colour(kBlue)));
  EXPECT_TRUE(Near(DrawnAt(20, 200), Colour(kRed)));
  EXPECT_TRUE(Near(DrawnAt(200, 50), Colour(kGreen))) << "the letterbox shows what was there";
  EXPECT_EQ(view_.MapPoint(POINT{200, 200}).x, 500);

  // The same view and window again: nothing is rendered.
  ASSERT_TRUE(view_.SetView(RECT{0, 0, 1000, 500}));
  EXPECT_EQ(view_.renderCount(), 1);

  // 50 × 50 picture pixels across the window: enlarged eight times, nearest neighbour.
  ASSERT_TRUE(view_.SetView(RECT{230, 100, 280, 150}));
  EXPECT_EQ(view_.renderCount(), 2);
  EXPECT_EQ(view_.lastInterpolation(), pictures::Interpolation::kNearestNeighbour);
  // Picture x 249 is red, 250 blue: the boundary falls at window x 160, a sharp step.
  EXPECT_TRUE(Near(DrawnAt(155, 300), Colour(kRed)));
  EXPECT_TRUE(Near(DrawnAt(165, 300), Colour(kBlue)));
  // A new window size renders again.
  view_.SetWindowSize(300, 300);
  ASSERT_TRUE(view_.SetView(RECT{230, 100, 280, 150}));
  EXPECT_EQ(view_.renderCount(), 3);
}

TEST_F(PictureViewTest, InTheBackgroundTheLastFinishedRenderingShowsUntilTheNewViewIsReady) {
  const auto path = WritePicture(scratch_, u"wide.bmp", TwoColourBmp(1000, 500, kRed, kBlue, {250, 125, 750, 375}));
  std::atomic<int> finished {0};
  // The owner takes its time over the news: waiting for the rendering includes the telling.
  view_.SetRenderInBackground([&] {
    Sleep(30);
    ++finished;
  });
  ASSERT_TRUE(view_.Load(path));
  view_.SetWindowSize(400, 400);
  // The first view of a picture is rendered at once: there is nothing else to show.
  ASSERT_TRUE(view_.SetView(RECT{0, 0, 1000, 500}));
  EXPECT_FALSE(view_.renderPending());
  EXPECT_TRUE(Near(DrawnAt(200, 50), Colour(kGreen)));

  // Two steps in a row: only the last is shown, and until then the whole picture is.
  ASSERT_TRUE(view_.SetView(RECT{0, 0, 500, 250}));
  ASSERT_TRUE(view_.SetView(RECT{230, 100, 280, 150}));
  EXPECT_TRUE(view_.renderPending());
  EXPECT_EQ(view_.MapPoint(POINT{200, 200}).x, 255) << "points map to the view asked for";
  EXPECT_TRUE(Near(DrawnAt(200, 50), Colour(kGreen)));
  ASSERT_TRUE(view_.AwaitRendering(30000));
  EXPECT_FALSE(view_.renderPending());
  EXPECT_GE(finished.load(), 1);
  EXPECT_EQ(view_.renderCount(), 2);
  EXPECT_EQ(view_.lastInterpolation(), pictures::Interpolation::kNearestNeighbour);
  EXPECT_TRUE(Near(DrawnAt(155, 300), Colour(kRed)));
  EXPECT_TRUE(Near(DrawnAt(165, 300), Colour(kBlue)));
  RECT occupied{};
  ASSERT_TRUE(view_.GetOccupiedRect(&occupied));
  EXPECT_EQ(occupied.top, 0);

  // Asked for and then back to what is on show: the rendering under way is dropped.
  ASSERT_TRUE(view_.SetView(RECT{0, 0, 1000, 500}));
  ASSERT_TRUE(view_.SetView(RECT{230, 100, 280, 150}));
  EXPECT_FALSE(view_.renderPending());
  ASSERT_TRUE(view_.AwaitRendering(30000));
  EXPECT_FALSE(view_.TakeFinishedRendering());
  EXPECT_TRUE(Near(DrawnAt(165, 300), Colour(kBlue)));

  // Another picture while a rendering of this one is under way: the old one never shows.
  const auto other = WritePicture(scratch_, u"plain.bmp", TwoColourBmp(200, 100, kGreen, kGreen, {0, 0, 1, 1}));
  ASSERT_TRUE(view_.SetView(RECT{0, 0, 1000, 500}));
  ASSERT_TRUE(view_.Load(other));
  ASSERT_TRUE(view_.SetView(RECT{0, 0, 200, 100}));
  ASSERT_TRUE(view_.AwaitRendering(30000));
  EXPECT_FALSE(view_.TakeFinishedRendering());
  EXPECT_TRUE(Near(DrawnAt(200, 200, 400, 400), Colour(kGreen)));
}

TEST_F(PictureViewTest, TinyHugeAndMetafilePictures) {
  // Two pixels square still show.
  ASSERT_TRUE(view_.Load(WritePicture(scratch_, u"tiny.bmp", TwoColourBmp(2, 2, kBlue, kBlue, {}))));
  view_.SetWindowSize(400, 400);
  ASSERT_TRUE(view_.SetView(RECT{0, 0, 2, 2}));
  EXPECT_TRUE(Near(DrawnAt(200, 200), Colour(kBlue)));

  // A picture claiming 30000 × 30000 is measured, but never decoded: the window keeps its
  // background.
  ASSERT_TRUE(view_.Load(WritePicture(scratch_, u"huge.bmp", BmpClaiming(30000, 30000))));
  EXPECT_EQ(view_.GetSize().cx, 30000);
  EXPECT_FALSE(view_.SetView(RECT{0, 0, 30000, 30000}));
  EXPECT_TRUE(view_.renderFailed());
  EXPECT_TRUE(Near(DrawnAt(200, 200), Colour(kGreen)));
  RECT occupied{};
  EXPECT_FALSE(view_.GetOccupiedRect(&occupied));

  // Metafiles: one that is too short never loads, a real one is played over the window.
  EXPECT_FALSE(view_.Load(WritePicture(scratch_, u"short.wmf", Bytes(18, 1))));
  ASSERT_TRUE(view_.Load(WritePicture(scratch_, u"flat.wmf", FilledWmf(200, 100, kRed))));
  EXPECT_EQ(view_.GetSize().cx, 200);
  ASSERT_TRUE(view_.SetView(RECT{0, 0, 200, 100}));
  EXPECT_TRUE(Near(DrawnAt(200, 200), Colour(kRed)));
  EXPECT_TRUE(Near(DrawnAt(200, 50), Colour(kGreen)));

  // A file that is no picture leaves nothing of the previous one.
  EXPECT_FALSE(view_.Load(WritePicture(scratch_, u"notes.txt", ToBytes("text"))));
  EXPECT_FALSE(view_.SetView(RECT{0, 0, 200, 100}));
  EXPECT_TRUE(Near(DrawnAt(200, 200), Colour(kGreen)));
}

}  // namespace
}  // namespace zp::player
