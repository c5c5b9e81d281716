#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "core/layout/overlay_layout.h"

namespace zp::layout {
namespace {

constexpr Box kClient{100, 50, 500, 350};  // 400 x 300

Box At(Point corner, Size size) { return {corner.x, corner.y, corner.x + size.width, corner.y + size.height}; }

TEST(OverlayLayout, NinePositionsWithPictureAndText) {
  const Size picture{80, 40}, text{120, 20};
  const struct {
    int code;
    Point picture;
    Point text;
  } cases[] = {
      // Left column: the picture 3 from the edge, the text 3 after it; tops 3 from the edge,
      // the shorter text centred on the taller picture ((40 - 20 + 1) / 2 = 10).
      {0, {103, 53}, {186, 63}},
      // Centre column: 100 + 200 - 105 + 3.
      {1, {198, 53}, {281, 63}},
      // Right column: the text's right edge 3 from the client's.
      {2, {294, 53}, {377, 63}},
      // Middle row: both centred on the client's middle line (50 + 150).
      {3, {103, 180}, {186, 190}},
      {4, {198, 180}, {281, 190}},
      {5, {294, 180}, {377, 190}},
      // Bottom row: the taller one's bottom 3 above the client's.
      {6, {103, 307}, {186, 317}},
      {7, {198, 307}, {281, 317}},
      {8, {294, 307}, {377, 317}},
  };
  for (const auto& c : cases) {
    const auto position = PanelPositionOf(c.code);
    ASSERT_TRUE(position) << c.code;
    const PanelPlacement at = LayOutPanel(*position, kClient, picture, text);
    EXPECT_EQ(at.picture, c.picture) << c.code;
    EXPECT_EQ(at.text, c.text) << c.code;
  }
}

TEST(OverlayLayout, BottomRightKeepsThreePixelGaps) {
  // A text taller than the picture: now the picture is centred on the text.
  const Size picture{80, 40}, text{120, 71};
  const PanelPlacement at = LayOutPanel(*PanelPositionOf(8), kClient, picture, text);
  const Box pictureBox = At(at.picture, picture), textBox = At(at.text, text);
  EXPECT_EQ(textBox.right, kClient.right - 3);
  EXPECT_EQ(pictureBox.right, textBox.left - 3);
  EXPECT_EQ(textBox.bottom, kClient.bottom - 3);
  EXPECT_EQ(pictureBox.bottom, textBox.bottom - 16);  // (71 - 40 + 1) / 2
  // Top row, same sizes: the text at the edge, the picture pushed down by the same half.
  const PanelPlacement top = LayOutPanel(*PanelPositionOf(2), kClient, picture, text);
  EXPECT_EQ(top.text.y, kClient.top + 3);
  EXPECT_EQ(top.picture.y, kClient.top + 3 + 16);
}

TEST(OverlayLayout, TextAloneStartsSixPixelsIn) {
  const PanelPlacement at = LayOutPanel(*PanelPositionOf(0), kClient, {}, {120, 20});
  EXPECT_EQ(at.text, (Point{106, 53}));
  // A picture alone at the right keeps 6 pixels, the room the absent text's gap leaves.
  EXPECT_EQ(LayOutPanel(*PanelPositionOf(5), kClient, {80, 40}, {}).picture.x, 500 - 86);
}

TEST(OverlayLayout, OnlyNineCodesArePositions) {
  for (int code : {-1, 9, 100, INT_MIN, INT_MAX}) EXPECT_FALSE(PanelPositionOf(code)) << code;
  EXPECT_EQ(PanelPositionOf(7), (PanelPosition{PanelColumn::kCentre, PanelRow::kBottom}));
  EXPECT_EQ(PanelAlignmentOf(1), PanelAlignment::kRight);
  EXPECT_EQ(PanelAlignmentOf(2), PanelAlignment::kCentre);
  for (int code : {0, 3, -1}) EXPECT_EQ(PanelAlignmentOf(code), PanelAlignment::kLeft) << code;
}

TEST(OverlayLayout, RoomsAndLimits) {
  // The picture gets three quarters of each side; a bigger one is cut to that.
  const Box pictureRoom = PictureRoom(kClient);
  EXPECT_EQ(pictureRoom, (Box{100, 50, 400, 275}));
  EXPECT_EQ(LimitToRoom({1000, 1000}, pictureRoom), (Size{300, 225}));
  EXPECT_EQ(LimitToRoom({10, 20}, pictureRoom), (Size{10, 20}));
  EXPECT_EQ(LimitToRoom({-5, 20}, pictureRoom), (Size{0, 20}));
  // The text room leaves the picture's width and the gaps free.
  EXPECT_EQ(TextRoom(kClient, 80), (Box{100, 50, 408, 341}));
  // A client too small for the gaps gives an empty room, never a negative one.
  const Box tiny{10, 10, 20, 15};
  EXPECT_EQ(TextRoom(tiny, 80), (Box{10, 10, 10, 10}));
  EXPECT_EQ(LimitToRoom({50, 50}, TextRoom(tiny, 80)), (Size{0, 0}));
  EXPECT_EQ(TextRoom(kClient, INT_MAX).right, kClient.left);
  EXPECT_EQ(PictureRoom({0, 0, -4, -4}), (Box{0, 0, 0, 0}));
}

TEST(OverlayLayout, TextNeedsItsWidestLineAndAllHeights) {
  const std::vector<Size> lines{{40, 13}, {95, 13}, {0, 13}};
  EXPECT_EQ(NeededTextSize(lines, 1, 2), (Size{103, 44}));
  EXPECT_EQ(NeededTextSize({}, 0, 0), (Size{5, 5}));
  const std::vector<Size> huge(3, Size{INT_MAX, INT_MAX});
  EXPECT_EQ(NeededTextSize(huge, 0, 0), (Size{INT_MAX, INT_MAX}));
}

TEST(OverlayLayout, PopUpsAreClippedToTheClientArea) {
  EXPECT_EQ(ClipToClient({450, 300, 550, 400}, kClient), (Box{450, 300, 500, 350}));
  EXPECT_EQ(ClipToClient({120, 60, 140, 70}, kClient), (Box{120, 60, 140, 70}));
  // Wholly outside, or touching only an edge: nothing is left.
  EXPECT_EQ(ClipToClient({500, 60, 540, 70}, kClient), (Box{}));
  EXPECT_EQ(ClipToClient({0, 0, 90, 40}, kClient), (Box{}));
}

}  // namespace
}  // namespace zp::layout
