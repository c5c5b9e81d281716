// The Flash host showing pictures: layout, zoom, the view point, and in transparent mode the
// window's shape following the picture on screen.
#include <gtest/gtest.h>

#include "pictures_test_support.h"
#include "pump_until.h"
#include "player/flash_host.h"

namespace zp::player {
namespace {

using namespace test;

RECT RegionBox(HWND window) {
  RECT box{-1, -1, -1, -1};
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  if (GetWindowRgn(window, region) != ERROR) GetRgnBox(region, &box);
  DeleteObject(region);
  return box;
}

bool Equal(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class PictureHostTest : public ::testing::Test {
 protected:
  void Open(bool transparent) {
    // A frameless top-level window, so that window and client coordinates coincide.
    top_ = CreateWindowExW(0, L"STATIC", L"player", WS_POPUP | WS_CLIPCHILDREN | WS_VISIBLE, 50, 50, 402, 402, nullptr,
                           nullptr, nullptr, nullptr);
    ASSERT_TRUE(top_);
    ASSERT_TRUE(host_.CreateHost(top_, transparent, RECT{0, 0, 402, 402}));
    host_.SetBackgroundColour(RGB(0x30, 0xA0, 0x3C));  // kept as the system keeps colours
  }
  void TearDown() override {
    host_.Destroy();
    if (top_) DestroyWindow(top_);
  }
  // Lets the window's messages be handled until a new view rendered in the background is on
  // show, as the player's message loop would.
  bool AwaitNewView() {
    return PumpUntil([&] { return !host_.pictureView().renderPending(); }, 30000);
  }
  // What the picture window shows at a point of its client area.
  COLORREF ShownAt(int x, int y) {
    const SIZE size{400, 400};
    Surface surface(size.cx, size.cy, RGB(0, 0, 0));
    host_.PaintPicture(surface.dc());
    return surface.At(x, y);
  }

  ScratchDirectory scratch_;
  HWND top_ = nullptr;
  CFlashHost host_;
};

TEST_F(PictureHostTest, PictureIsFittedZoomedAboutTheMiddleAndStretched) {
  Open(false);
  // 200 × 100, blue over its middle half, in a 400 × 400 picture window (inside the border).
  const auto path = WritePicture(scratch_, u"slide.bmp", TwoColourBmp(200, 100, kRed, kBlue, {50, 25, 150, 75}));
  ASSERT_TRUE(host_.ShowItem(path));
  EXPECT_EQ(host_.kind(), CFlashHost::kPicture);
  EXPECT_EQ(host_.viewRect().right, 200);
  EXPECT_TRUE(Near(ShownAt(200, 200), Colour(kBlue)));
  EXPECT_TRUE(Near(ShownAt(40, 200), Colour(kRed)));
  EXPECT_TRUE(Near(ShownAt(200, 20), RGB(0x30, 0xA0, 0x3C))) << "letterbox in the background colour";

  // The middle of the window shows picture point (100, 50); zooming twice about it fills the
  // window's width with the blue middle.
  host_.SetViewPoint(200, 200);
  const POINT middle = host_.GetViewPoint();
  EXPECT_EQ(middle.x, 100);
  EXPECT_EQ(middle.y, 50);
  host_.SetZoomRect(50, 25, 150, 75);
  EXPECT_TRUE(Near(ShownAt(40, 200), Colour(kRed))) << "the last finished view shows until the new one is ready";
  ASSERT_TRUE(AwaitNewView());
  EXPECT_TRUE(Near(ShownAt(40, 200), Colour(kBlue)));

  // Stretched to the window, the picture fills it all.
  host_.SetStretchToWindow(true);
  ASSERT_TRUE(host_.ShowItem(path));
  EXPECT_TRUE(Near(ShownAt(200, 20), Colour(kRed)));
  // Outside transparent mode the window keeps its shape.
  EXPECT_EQ(RegionBox(top_).left, -1);
}

TEST_F(PictureHostTest, TransparentWindowTakesThePictureShapeOrItsKeptRegion) {
  Open(true);
  EXPECT_EQ(host_.CaptureWindowRegion(), ERROR) << "no region of its own yet";
  const auto path = WritePicture(scratch_, u"slide.bmp", TwoColourBmp(200, 100, kRed, kBlue, {50, 25, 150, 75}));
  ASSERT_TRUE(host_.ShowItem(path));
  // The picture's place in the picture window, one border pixel in from the top-level corner.
  RECT occupied{};
  ASSERT_TRUE(host_.pictureView().GetOccupiedRect(&occupied));
  OffsetRect(&occupied, 1, 1);
  EXPECT_TRUE(Equal(RegionBox(top_), occupied));

  // Zoomed off the picture: nothing on screen, the kept region (the host's area) comes back.
  host_.SetZoomRect(5000, 5000, 5100, 5100);
  EXPECT_TRUE(Equal(RegionBox(top_), RECT{0, 0, 402, 402}));

  // A kept region that misses the picture entirely: the window is not left empty.
  SetWindowRgn(top_, CreateRectRgn(0, 0, 30, 30), FALSE);
  EXPECT_EQ(host_.CaptureWindowRegion(), SIMPLEREGION);
  host_.SetZoomRect(0, 0, 200, 100);
  EXPECT_FALSE(host_.ApplyPictureShape());
  EXPECT_TRUE(Equal(RegionBox(top_), RECT{0, 0, 30, 30}));
}

}  // namespace
}  // namespace zp::player
