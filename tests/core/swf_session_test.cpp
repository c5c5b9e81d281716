#include "core/swf/movie_session.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "swf_writer.h"

namespace zp::swf {
namespace {

TEST(MoviePath, ResolvesAgainstTheBase) {
  EXPECT_EQ(ResolveMoviePath(u"C:\\show", u"intro.swf"), u"C:\\show\\intro.swf");
  EXPECT_EQ(ResolveMoviePath(u"C:\\show\\", u"sub/intro.swf"), u"C:\\show\\sub\\intro.swf");
  EXPECT_EQ(ResolveMoviePath(u"C:\\my.show", u"intro.swf"), u"C:\\my.show\\intro.swf");
  EXPECT_EQ(ResolveMoviePath(u"file:///C:/show/", u"a.swf"), u"C:\\show\\a.swf");
  EXPECT_EQ(ResolveMoviePath(u"C:\\show", u"D:\\other\\a.swf"), u"D:\\other\\a.swf");
  EXPECT_EQ(ResolveMoviePath(u"C:\\show", u"file:///D:/x.swf"), u"D:\\x.swf");
  EXPECT_EQ(ResolveMoviePath(u"", u"a.swf"), u"a.swf");
  EXPECT_EQ(ResolveMoviePath(u"C:\\show", u" "), u"");
  EXPECT_EQ(ResolveMoviePath(u"C:\\show", u""), u"");
}

TEST(MovieColor, ParsesHexTexts) {
  EXPECT_EQ(ParseColorText(u"#FF0080"), 0xFF0080u);
  EXPECT_EQ(ParseColorText(u"ff0080"), 0xFF0080u);
  EXPECT_EQ(ParseColorText(u"0x00ff00"), 0x00FF00u);
  EXPECT_FALSE(ParseColorText(u""));
  EXPECT_FALSE(ParseColorText(u"#"));
  EXPECT_FALSE(ParseColorText(u"red"));
  EXPECT_FALSE(ParseColorText(u"#1234567"));
}

class MovieSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    swfgen::MovieWriter m(6, 550, 400, 12);
    m.Background({0, 0, 255});
    m.ShowFrame().ShowFrame().ShowFrame();
    ASSERT_TRUE(session.LoadBytes(m.Finish(true), 0));
  }
  MovieSession session;
};

TEST_F(MovieSessionTest, BackgroundIsTheContainersElseTheMovies) {
  EXPECT_EQ(session.Background(), (Rgba{0, 0, 255, 255}));
  session.backgroundRgb = 0x112233;
  EXPECT_EQ(session.Background(), (Rgba{0x11, 0x22, 0x33, 255}));
}

TEST_F(MovieSessionTest, RootProperties) {
  EXPECT_EQ(session.GetProperty(u"/", 8), u"550");
  EXPECT_EQ(session.GetProperty(u"/", 9), u"400");
  EXPECT_EQ(session.GetProperty(u"/", 5), u"3");
  EXPECT_EQ(session.GetProperty(u"/", 4), u"1");
  EXPECT_EQ(session.GetProperty(u"/", 2), u"100");
  session.SetProperty(u"/", 2, u"50");
  session.SetProperty(u"/", 3, u"200");
  EXPECT_EQ(session.GetProperty(u"/", 2), u"50");
  EXPECT_EQ(session.GetProperty(u"_root", 8), u"275");
  EXPECT_EQ(session.GetProperty(u"/", 9), u"800");
  session.SetProperty(u"/", 16, u"0");
  EXPECT_EQ(session.GetProperty(u"/", 16), u"0");
  session.SetProperty(u"/", 16, u"junk");  // not a number: ignored
  EXPECT_EQ(session.GetProperty(u"/", 16), u"0");
  EXPECT_EQ(session.GetProperty(u"/clip", 8), u"");
  session.SetProperty(u"/clip", 2, u"10");
  EXPECT_EQ(session.GetProperty(u"/", 2), u"50");
  EXPECT_EQ(session.GetProperty(u"/", 99), u"");
}

TEST_F(MovieSessionTest, MousePositionInStagePixels) {
  // A 1100 × 800 view shows the 550 × 400 stage at twice its size.
  session.TrackMouse(200, 100, 1100, 800);
  EXPECT_EQ(session.GetProperty(u"/", 20), u"100");
  EXPECT_EQ(session.GetProperty(u"/", 21), u"50");
  session.scaleMode = 3;  // no scale: stage centred at 1:1
  session.TrackMouse(275, 200, 1100, 800);
  EXPECT_EQ(session.GetProperty(u"/", 20), u"0");
  EXPECT_EQ(session.GetProperty(u"/", 21), u"0");
}

TEST(MovieSessionMouse, ClicksReachButtonsThroughTheViewAndTheRootScale) {
  // A 50-pixel button at the stage's corner that asks for a command when clicked.
  swfgen::MovieWriter m(8, 550, 400, 12);
  m.DefineRect(1, {0, 0, 1000, 1000}, {255, 0, 0});
  m.DefineButton2(2, {{kLookUp | kLookHitArea, 1, 1}},
                  {{kCondOverDownToOverUp, 0, swfgen::ActionWriter().FsCommand("hit", "")}});
  m.Place(1, 2).ShowFrame();
  MovieSession session;
  ASSERT_TRUE(session.LoadBytes(m.Finish(false), 0));
  session.xScalePercent = session.yScalePercent = 50;  // the button now covers 25 view pixels
  auto click = [&](int32_t x, int32_t y) {
    using Action = MovieSession::MouseAction;
    for (Action action : {Action::kMove, Action::kDown, Action::kUp}) session.Mouse(action, x, y, 550, 400);
    return session.player().TakeFsCommands().size();
  };
  EXPECT_EQ(click(40, 40), 0u);
  EXPECT_EQ(click(20, 20), 1u);
  session.xScalePercent = 0;  // a collapsed root takes no clicks
  EXPECT_EQ(click(0, 0), 0u);
}

TEST_F(MovieSessionTest, ZoomRectangleAndReset) {
  session.SetZoomRect(0, 0, 5500, 4000);  // the top-left quarter
  EXPECT_EQ(session.View(550, 400).ToDevice({5500, 4000}), (Point{550, 400}));
  session.SetZoomRect(0, 0, 0, 0);
  EXPECT_EQ(session.View(550, 400).ToDevice({5500, 4000}), (Point{275, 200}));
}

TEST_F(MovieSessionTest, StretchingToAWindowComposesZoomAndRootScale) {
  // What the player does for "stretch to window" with a 401 × 300 window and this 550 × 400
  // stage: zoom to the window in twips, then scale the root by 73 % and 75 %.
  swfgen::MovieWriter m(6, 550, 400, 12);
  m.DefineRect(1, {0, 0, 550 * 20, 400 * 20}, {255, 0, 0});
  m.Place(1, 1).ShowFrame();
  ASSERT_TRUE(session.LoadBytes(m.Finish(false), 0));
  session.SetZoomRect(0, 0, 401 * 20, 300 * 20);
  session.SetProperty(u"/", 2, u"73");
  session.SetProperty(u"/", 3, u"75");
  const auto items = session.DrawList(401, 300);
  ASSERT_EQ(items.size(), 1u);
  double right = 0, bottom = 0;
  for (const auto& p : items[0].contours[0]) {
    right = std::max(right, p.x);
    bottom = std::max(bottom, p.y);
  }
  EXPECT_NEAR(right, 401.5, 1);
  EXPECT_NEAR(bottom, 300, 0.01);
}

TEST_F(MovieSessionTest, BytesThatAreNoMovieUnload) {
  const uint32_t before = session.generation();
  const uint8_t junk[] = {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0};
  EXPECT_FALSE(session.LoadBytes(junk, 0));
  EXPECT_FALSE(session.player().loaded());
  EXPECT_NE(session.generation(), before);
  EXPECT_EQ(session.GetProperty(u"/", 8), u"0");
  EXPECT_EQ(session.GetProperty(u"/", 5), u"0");
  const uint32_t unloaded = session.generation();
  session.Unload();
  EXPECT_NE(session.generation(), unloaded);
}

}  // namespace
}  // namespace zp::swf
