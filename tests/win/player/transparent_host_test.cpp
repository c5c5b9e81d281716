// The transparent host in process, with the movie control's windowless twin registered: a
// layered top-level window that shows the movie with per-pixel alpha, moves itself when the
// movie asks, and tells its listener about the right button.
#include <gtest/gtest.h>

#include <vector>

#include "framework/windowless_site.h"
#include "movie_test_support.h"
#include "platform/wide.h"
#include "player/movie_control.h"
#include "player/transparency_support.h"
#include "swf_writer.h"
#include "test_files.h"

namespace zp::player {
namespace {

std::wstring FernwikPath() {
  std::wstring path = test::ControlPath();
  return path.substr(0, path.find_last_of(L'\\') + 1) + L"Fernwik.ocx";
}

class TransparentHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(test::Regsvr32(FernwikPath(), false));
    win::ControlContainerManager::Install(std::make_unique<win::WindowlessContainerManager>());
  }
  void TearDown() override {
    movie_.Destroy();
    win::ControlContainerManager::Install(nullptr);
    test::Regsvr32(FernwikPath(), true);
  }
  CMovieControl movie_;
  test::ScratchDirectory scratch_;
};

TEST_F(TransparentHostTest, FloatsTheMovieWithAlphaAndMovesWhenTheMovieAsks) {
  ASSERT_TRUE(CanCreateTransparentHost());
  std::vector<HostNotification> notices;
  movie_.SetListener([&](HostNotification& notice) {
    notices.push_back(notice);
    if (notice.code == HostNotification::kStarted) notice.rightButtonMode = 3;
  });
  // Made at one size and then given another, as the player window does before its layout.
  ASSERT_TRUE(movie_.CreateControl(nullptr, true, RECT{100, 100, 120, 110}));
  HWND frame = movie_.GetControlWindow();
  ASSERT_TRUE(frame);
  SetWindowPos(frame, nullptr, 100, 100, 200, 100, SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_TRUE(GetWindowLongPtrW(frame, GWL_EXSTYLE) & WS_EX_LAYERED);
  EXPECT_EQ(GetAncestor(frame, GA_ROOT), frame);

  // A red square on an empty 200 × 100 stage that asks to be put at (10, 20).
  const std::wstring path = ToWide(scratch_.File(u"square.swf"));
  ASSERT_TRUE(test::WriteMovie(path, test::RedSquareMovie(200, 100, "WindowSetPos", "0,10,20")));
  ASSERT_TRUE(movie_.LoadMovie(path));
  RECT r{};
  ASSERT_TRUE(test::PumpUntil([&] { return GetWindowRect(frame, &r) && r.left == 10 && r.top == 20; }, 10000));
  EXPECT_EQ(r.right - r.left, 200);
  EXPECT_TRUE(movie_.IsReady());
  ASSERT_FALSE(notices.empty());
  EXPECT_EQ(notices.back().code, HostNotification::kWindowMoved);
  EXPECT_EQ(notices.back().windowRect.left, 10);
  EXPECT_EQ(notices.back().windowRect.bottom, 120);

  // The picture handed to the system: opaque red in the square, nothing on the empty stage.
  FlashCView& view = movie_.transparentHost()->view();
  ASSERT_TRUE(test::PumpUntil([&] { return view.lastPicture() && view.lastPicture()[20 * 200 + 20] != 0; }, 5000));
  EXPECT_EQ(view.lastPicture()[20 * 200 + 20], 0xFFFF0000u);
  EXPECT_EQ(view.lastPicture()[80 * 200 + 150], 0u);
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(GetPixel(screen, 10 + 20, 20 + 20), RGB(255, 0, 0));
  ReleaseDC(nullptr, screen);

  // The right button with the context menu asked for: the listener hears it, the movie does not.
  MSG press{view.hwnd(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 20), 0, {}};
  EXPECT_TRUE(view.PreTranslateMessage(press));
  ASSERT_GE(notices.size(), 3u);
  EXPECT_EQ(notices[notices.size() - 2].code, HostNotification::kStarted) << "with the first message the view sees";
  EXPECT_EQ(notices.back().code, HostNotification::kContextRequest);
}

// Only what changed between two frames is handed over; the rest of the window keeps what it
// showed, as read back from the screen.
TEST_F(TransparentHostTest, HandsOverOnlyWhatChangedAndTheRestStaysOnScreen) {
  ASSERT_TRUE(CanCreateTransparentHost());
  ASSERT_TRUE(movie_.CreateControl(nullptr, true, RECT{100, 100, 300, 200}));
  // A red square that stays and a blue one that moves down in the second frame.
  swfgen::MovieWriter m(6, 200, 100, 12);
  m.DefineRect(1, {0, 0, 50 * 20, 50 * 20}, {255, 0, 0, 255}).Place(1, 1);
  m.DefineRect(2, {0, 0, 40 * 20, 40 * 20}, {0, 0, 255, 255}).Place(2, 2, 100 * 20, 0);
  m.Actions(swfgen::ActionWriter().Stop()).ShowFrame();
  m.Move(2, 100 * 20, 50 * 20).ShowFrame();
  const std::wstring path = ToWide(scratch_.File(u"two.swf"));
  ASSERT_TRUE(test::WriteMovie(path, m.Finish(false)));
  ASSERT_TRUE(movie_.LoadMovie(path));
  HWND frame = movie_.GetControlWindow();
  RECT r{};
  ASSERT_TRUE(frame && GetWindowRect(frame, &r));
  HDC screen = GetDC(nullptr);
  const auto shows = [&](int x, int y) { return GetPixel(screen, r.left + x, r.top + y); };
  EXPECT_TRUE(test::PumpUntil([&] { return shows(120, 20) == RGB(0, 0, 255); }, 10000));
  EXPECT_EQ(shows(20, 20), RGB(255, 0, 0));

  FlashCView& view = movie_.transparentHost()->view();
  const int64_t before = view.handOvers();
  view.ocx().Forward();
  EXPECT_TRUE(test::PumpUntil([&] { return shows(120, 70) == RGB(0, 0, 255); }, 5000));
  EXPECT_EQ(view.handOvers(), before + 1);
  // The moved square's old and new places, 40 × 90 pixels, not the whole 200 × 100 window.
  EXPECT_GE(view.lastHandedPixels(), 40 * 90);
  EXPECT_LE(view.lastHandedPixels(), 42 * 92);
  EXPECT_EQ(shows(20, 20), RGB(255, 0, 0)) << "untouched by the hand-over, still on screen";
  EXPECT_EQ(shows(45, 45), RGB(255, 0, 0));
  EXPECT_NE(shows(120, 20), RGB(0, 0, 255)) << "the square's old place is cleared";

  // Drawn again without a change: nothing to hand over.
  InvalidateRect(view.hwnd(), nullptr, FALSE);
  view.OnDraw();
  EXPECT_EQ(view.handOvers(), before + 1);
  EXPECT_EQ(shows(20, 20), RGB(255, 0, 0));
  ReleaseDC(nullptr, screen);
}

}  // namespace
}  // namespace zp::player
