#include "player/movie_control.h"

#include <gtest/gtest.h>

#include <functional>

#include "common/movie_ids.h"
#include "core/colour.h"
#include "framework/variant.h"
#include "movie_test_support.h"
#include "platform/wide.h"
#include "swf_writer.h"
#include "test_files.h"

namespace zp::player {
namespace {

using namespace zp::movie;

using test::PumpUntil;

class MovieControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Client area 401 wide: the fitting example.
    RECT frame{0, 0, 401, 300};
    AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
    parent_ = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0,
                              frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(parent_);
    CMovieControl::offerInstall = false;  // never the installer here
  }
  void TearDown() override {
    movie_.Destroy();
    DestroyWindow(parent_);
  }
  std::wstring WriteMovie(const char16_t* name, int frames) {
    zp::swfgen::MovieWriter m(6, 550, 400, 12);
    m.Background({0, 128, 255});
    for (int i = 0; i < frames; ++i) m.ShowFrame();
    const std::wstring path = ToWide(scratch_.File(name));
    EXPECT_TRUE(test::WriteMovie(path, m.Finish(false)));
    return path;
  }
  bool Create() { return movie_.CreateControl(parent_, false, RECT{0, 0, 400, 300}); }
  IDispatch* Control() { return movie_.flashCtrl().dispatch(); }
  std::wstring ControlString(DISPID dispid) { return win::GetStringProperty(Control(), dispid).value_or(L"?"); }

  HWND parent_ = nullptr;
  CMovieControl movie_;
  test::ScratchDirectory scratch_;
};

TEST_F(MovieControlTest, NotCreatedColumn) {
  EXPECT_FALSE(movie_.created());
  EXPECT_FALSE(movie_.LoadMovie(WriteMovie(u"a.swf", 3)));
  EXPECT_EQ(movie_.control(), nullptr);  // the playback verbs have nothing to go to
  EXPECT_FALSE(movie_.IsReady());
  EXPECT_EQ(movie_.GetMouseInMovie(), std::make_pair(0, 0));
  EXPECT_FALSE(movie_.GetControlWindow());
  movie_.SetQuality(1);
  movie_.FitMovieToWindow(550, 400);
  movie_.SetBackgroundColour(0x112233);
  EXPECT_EQ(movie_.backgroundColour(), 0x112233);
  CMovieControl::SetAllowScale(false);
  EXPECT_FALSE(movie_.allowScale());
  movie_.UnloadMovie();
  EXPECT_FALSE(movie_.movieLoaded());
}

TEST_F(MovieControlTest, AllowScaleAndColourGivenBeforeCreationAreApplied) {
  CMovieControl::SetAllowScale(false);
  movie_.SetBackgroundColour(0x112233);
  ASSERT_TRUE(Create());
  EXPECT_EQ(win::GetLongProperty(Control(), kDispScaleMode), 3);
  EXPECT_EQ(win::GetLongProperty(Control(), kDispBackgroundColor), 0x332211);  // red and blue exchanged
  EXPECT_TRUE(GetWindowLongPtrW(movie_.GetControlWindow(), GWL_EXSTYLE) & WS_EX_STATICEDGE);
  CMovieControl::SetAllowScale(true);
  EXPECT_EQ(win::GetLongProperty(Control(), kDispScaleMode), 0);
}

TEST_F(MovieControlTest, LoadingPlayingAndUnloading) {
  ASSERT_TRUE(Create());
  ASSERT_NE(movie_.control(), nullptr);
  CFlashMovieCtrl& control = *movie_.control();
  EXPECT_EQ(control.FlashVersion(), 0x00070000);
  EXPECT_FALSE(movie_.LoadMovie(ToWide(scratch_.File(u"missing.swf"))));
  const std::wstring path = WriteMovie(u"five.swf", 5);
  ASSERT_TRUE(movie_.LoadMovie(path));
  EXPECT_TRUE(movie_.movieLoaded());
  EXPECT_EQ(movie_.moviePath(), path);
  ASSERT_TRUE(PumpUntil([&] { return movie_.IsReady(); }, 10000));
  movie_.ResetReady(1);
  EXPECT_FALSE(movie_.IsReady());
  EXPECT_EQ(control.GetMovie(), path);
  EXPECT_EQ(control.TotalFrames(), 5);
  EXPECT_EQ(ControlString(kDispBGColor), L"");  // no colour given: the movie's own

  control.StopPlay();
  EXPECT_FALSE(control.IsPlaying());
  control.Rewind();
  EXPECT_EQ(control.CurrentFrame(), 0);
  control.Forward();
  control.Forward();
  EXPECT_EQ(control.CurrentFrame(), 2);
  control.Back();
  EXPECT_EQ(control.CurrentFrame(), 1);
  control.Play();
  EXPECT_TRUE(control.IsPlaying());
  control.PutLoop(false);
  EXPECT_FALSE(control.GetLoop());
  control.PutLoop(true);
  EXPECT_TRUE(control.GetLoop());

  movie_.SetQuality(2);
  EXPECT_EQ(movie_.flashCtrl().TGetProperty(L"/", 16), L"0");
  movie_.SetQuality(7);
  EXPECT_EQ(movie_.flashCtrl().TGetProperty(L"/", 16), L"2");

  movie_.MoveControl(RECT{5, 6, 105, 56}, true);
  RECT r;
  GetWindowRect(movie_.GetControlWindow(), &r);
  EXPECT_EQ(r.right - r.left, 100);
  EXPECT_EQ(r.bottom - r.top, 50);

  movie_.UnloadMovie();
  EXPECT_FALSE(movie_.movieLoaded());
  EXPECT_EQ(movie_.moviePath(), L"");
  EXPECT_EQ(control.GetMovie(), L" ");  // one space, not an empty string
  EXPECT_EQ(control.TotalFrames(), 0);

  movie_.Destroy();
  EXPECT_FALSE(movie_.created());
  EXPECT_FALSE(movie_.GetControlWindow());
  EXPECT_EQ(movie_.control(), nullptr);
}

TEST_F(MovieControlTest, FitMovieToWindowScalesToTheParentsClientArea) {
  ASSERT_TRUE(Create());
  ASSERT_TRUE(movie_.LoadMovie(WriteMovie(u"fit.swf", 2)));
  movie_.FitMovieToWindow(550, 400);
  EXPECT_EQ(movie_.flashCtrl().TGetProperty(L"/", 2), L"73");  // (40100 + 275) / 550
  EXPECT_EQ(movie_.flashCtrl().TGetProperty(L"/", 3), L"75");  // (30000 + 200) / 400
  movie_.FitMovieToWindow(0, 400);                               // nothing
  EXPECT_EQ(movie_.flashCtrl().TGetProperty(L"/", 2), L"73");
}

TEST_F(MovieControlTest, FsCommandReachesTheHandlerAndFullScreenRestores) {
  zp::swfgen::MovieWriter m(6, 100, 100, 12);
  zp::swfgen::ActionWriter a;
  a.FsCommand("hello", "world").Stop();
  m.Actions(a).ShowFrame();
  const std::wstring path = ToWide(scratch_.File(u"fs.swf"));
  ASSERT_TRUE(test::WriteMovie(path, m.Finish(false)));
  std::wstring seen;
  movie_.flashCtrl().onFsCommand = [&](const std::wstring& c, const std::wstring& args) {
    seen = c + L"|" + args;
    return true;
  };
  ASSERT_TRUE(Create());
  ASSERT_TRUE(movie_.LoadMovie(path));
  ASSERT_TRUE(PumpUntil([&] { return !seen.empty(); }, 10000));
  EXPECT_EQ(seen, L"hello|world");

  RECT before;
  GetWindowRect(parent_, &before);
  CMovieControl::SetFullScreen(true, nullptr);
  EXPECT_FALSE(GetWindowLongPtrW(parent_, GWL_STYLE) & WS_CAPTION);
  RECT full;
  GetWindowRect(parent_, &full);
  EXPECT_EQ(full.left, -1);
  EXPECT_EQ(full.right - full.left, GetSystemMetrics(SM_CXSCREEN) + 2);
  CMovieControl::SetFullScreen(true, parent_);  // again: the first saved state is kept
  CMovieControl::SetFullScreen(false, parent_);
  RECT after;
  GetWindowRect(parent_, &after);
  EXPECT_EQ(after.left, before.left);
  EXPECT_EQ(after.right - after.left, before.right - before.left);
  EXPECT_TRUE(GetWindowLongPtrW(parent_, GWL_STYLE) & WS_CAPTION);
}

TEST(ColourAndQuality, Conversions) {
  EXPECT_EQ(SwapRedBlue(0x112233), 0x332211u);
  EXPECT_EQ(SwapRedBlue(0xFF0000), 0x0000FFu);
  EXPECT_EQ(SwapRedBlue(SwapRedBlue(0x123456)), 0x123456u);
  EXPECT_EQ(SwapRedBlue(0xFF112233u), 0x332211u);  // the top byte is no colour
  EXPECT_EQ(std::wstring(QualityText(0)), L"2");
  EXPECT_EQ(std::wstring(QualityText(1)), L"1");
  EXPECT_EQ(std::wstring(QualityText(2)), L"0");
  EXPECT_EQ(std::wstring(QualityText(3)), L"2");
}

}  // namespace
}  // namespace zp::player
