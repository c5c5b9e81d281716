// The overlay panel over a plain owner window: where its pop-ups stand, how they follow and are
// cut by the owner's client area, and that they never take the keys or the activation.
#include <gtest/gtest.h>

#include "player/overlay_panel.h"

namespace zp::player {
namespace {

class Panel : public ::testing::Test {
 protected:
  void SetUp() override {
    // A frameless owner: its client area is its window, 400 x 300 at (100, 100).
    owner_ = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 100, 100, 400, 300, nullptr, nullptr,
                             nullptr, nullptr);
    ASSERT_TRUE(owner_);
    SetActiveWindow(owner_);
    SetFocus(owner_);
    font_ = CreateFontW(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
    picture_ = CreateBitmap(80, 40, 1, 32, nullptr);
  }
  void TearDown() override {
    panel_.Remove();
    DestroyWindow(owner_);
    DeleteObject(font_);
    DeleteObject(picture_);
  }
  static RECT Rect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
  }
  void MoveOwner(int x, int y, int width, int height) {
    MoveWindow(owner_, x, y, width, height, TRUE);
    panel_.Replace();
  }

  HWND owner_ = nullptr;
  HFONT font_ = nullptr;
  HBITMAP picture_ = nullptr;
  OverlayPanel panel_;
};

TEST_F(Panel, BottomRightPictureAndTextFollowTheOwnerAndTakeNoKeys) {
  panel_.SetPosition(8);
  panel_.SetPicture(picture_);
  panel_.SetText(font_, L"Quarterly figures\r\nsecond line", 2, RGB(200, 0, 0), RGB(0, 0, 90));
  ASSERT_TRUE(panel_.Place(owner_));
  HWND picture = panel_.pictureWindow(), text = panel_.textWindow();
  ASSERT_TRUE(picture && text);
  const RECT p = Rect(picture), t = Rect(text);
  EXPECT_EQ(t.right, 500 - 3);
  EXPECT_EQ(p.right, t.left - 3);
  EXPECT_EQ(std::max(p.bottom, t.bottom), 400 - 3);
  EXPECT_EQ(p.right - p.left, 80);
  EXPECT_EQ(p.bottom - p.top, 40);
  EXPECT_GT(t.right - t.left, 40);  // two lines measured, not empty
  EXPECT_EQ(GetWindow(picture, GW_OWNER), owner_);
  EXPECT_EQ(GetWindow(text, GW_OWNER), owner_);

  // Read-only, no activation, and the keys stay where they were.
  HWND box = panel_.textBox();
  wchar_t shown[64] = {};
  GetWindowTextW(box, shown, 64);
  EXPECT_STREQ(shown, L"Quarterly figures\r\nsecond line");
  EXPECT_TRUE(GetWindowLongPtrW(box, GWL_STYLE) & ES_READONLY);
  EXPECT_TRUE(GetWindowLongPtrW(box, GWL_STYLE) & ES_CENTER);
  EXPECT_TRUE(GetWindowLongPtrW(text, GWL_EXSTYLE) & WS_EX_NOACTIVATE);
  EXPECT_EQ(GetFocus(), owner_);
  EXPECT_EQ(SendMessageW(box, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(text), MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
            MA_NOACTIVATEANDEAT);
  // The text in the document's colours.
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_NE(SendMessageW(text, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(box)), 0);
  EXPECT_EQ(GetTextColor(dc), RGB(200, 0, 0));
  EXPECT_EQ(GetBkColor(dc), RGB(0, 0, 90));
  DeleteDC(dc);

  // Moving the owner moves both by as much.
  MoveOwner(150, 120, 400, 300);
  EXPECT_EQ(Rect(picture).left, p.left + 50);
  EXPECT_EQ(Rect(text).top, t.top + 20);
  // A small owner cuts them to its client area; wholly outside, they are out of sight.
  MoveOwner(150, 120, 100, 30);
  const RECT cutText = Rect(text);
  EXPECT_GE(cutText.left, 150);
  EXPECT_LE(cutText.right, 250);
  EXPECT_LE(cutText.bottom, 150);
  EXPECT_FALSE(IsWindowVisible(picture));
  MoveOwner(150, 120, 400, 300);
  EXPECT_TRUE(IsWindowVisible(picture));
  EXPECT_EQ(Rect(picture).right - Rect(picture).left, 80);
}

TEST_F(Panel, PicturesAreCutToThreeQuartersAndNothingIsShownWithoutContent) {
  HBITMAP big = CreateBitmap(1000, 1000, 1, 32, nullptr);
  panel_.SetPosition(0);
  panel_.SetPicture(big);
  ASSERT_TRUE(panel_.Place(owner_));
  EXPECT_EQ(Rect(panel_.pictureWindow()).right - Rect(panel_.pictureWindow()).left, 300);
  EXPECT_EQ(Rect(panel_.pictureWindow()).bottom - Rect(panel_.pictureWindow()).top, 225);
  EXPECT_EQ(Rect(panel_.pictureWindow()).left, 103);
  EXPECT_EQ(panel_.textWindow(), nullptr);  // no font, no text

  // An unknown position keeps the placement there was.
  panel_.SetPosition(12);
  MoveOwner(120, 100, 400, 300);
  EXPECT_EQ(Rect(panel_.pictureWindow()).left, 123);

  // Text alone at the top left starts 6 pixels in.
  OverlayPanel textOnly;
  textOnly.SetText(font_, L"only text", 0, 0, RGB(255, 255, 255));
  ASSERT_TRUE(textOnly.Place(owner_));
  EXPECT_EQ(Rect(textOnly.textWindow()).left, 120 + 6);
  EXPECT_EQ(textOnly.pictureWindow(), nullptr);

  // Empty text, a missing font or a bitmap that cannot be read: nothing to show.
  OverlayPanel empty;
  empty.SetText(font_, L"", 0, 0, 0);
  EXPECT_FALSE(empty.Place(owner_));
  empty.SetText(nullptr, L"text", 0, 0, 0);
  EXPECT_FALSE(empty.Place(owner_));
  HBITMAP gone = CreateBitmap(4, 4, 1, 32, nullptr);
  DeleteObject(gone);
  empty.SetPicture(gone);
  EXPECT_FALSE(empty.Place(owner_));
  EXPECT_EQ(empty.pictureWindow(), nullptr);
  panel_.Remove();
  DeleteObject(big);
}

}  // namespace
}  // namespace zp::player
