#include <gtest/gtest.h>

#include "core/layout/input_rules.h"
#include "core/layout/player_options.h"
#include "core/layout/rect_text.h"
#include "core/layout/region_data.h"
#include "core/package_format.h"

namespace zp::layout {
namespace {

TEST(LayoutKeys, EscapeIsSwallowedWhetherOrNotItCloses) {
  KeyDecision closes = DecideKeyDown(kVirtualKeyEscape, 0, 0, 1);
  EXPECT_TRUE(closes.close);
  EXPECT_TRUE(closes.swallow);
  KeyDecision stays = DecideKeyDown(kVirtualKeyEscape, 0, 0, 0);
  EXPECT_FALSE(stays.close);
  EXPECT_TRUE(stays.swallow);
}

TEST(LayoutKeys, AnyKeyClosesOnlyWithBothSwitches) {
  EXPECT_TRUE(DecideKeyDown('A', 1, 1, 0).close);
  EXPECT_FALSE(DecideKeyDown('A', 1, 0, 0).close);
  EXPECT_FALSE(DecideKeyDown('A', 2, 1, 0).close);
  KeyDecision plain = DecideKeyDown('A', 0, 0, 1);
  EXPECT_FALSE(plain.swallow);
  EXPECT_FALSE(plain.close);
}

TEST(LayoutKeys, EnterGoesStraightToItsTarget) {
  KeyDecision enter = DecideKeyDown(kVirtualKeyReturn, 0, 0, 1);
  EXPECT_TRUE(enter.dispatchDirect);
  EXPECT_TRUE(enter.swallow);
  EXPECT_FALSE(enter.close);
}

TEST(LayoutMouse, LeftButtonByLeftDrag) {
  EXPECT_TRUE(DecideLeftDown(1, false, true).swallow);
  EXPECT_EQ(DecideLeftDown(1, false, true).drag, DragAction::kNone);
  MouseDecision inside = DecideLeftDown(0, true, true);
  EXPECT_EQ(inside.drag, DragAction::kBegin);
  EXPECT_TRUE(inside.moveCursor && inside.swallow);
  MouseDecision outside = DecideLeftDown(0, true, false);
  EXPECT_EQ(outside.drag, DragAction::kNone);
  EXPECT_FALSE(outside.swallow);
  EXPECT_TRUE(DecideLeftDown(1, true, false).swallow);
  EXPECT_EQ(DecideLeftDown(2, true, false).drag, DragAction::kBegin);
  EXPECT_FALSE(DecideLeftDown(2, true, false).swallow);
  EXPECT_EQ(DecideLeftDown(7, true, true).drag, DragAction::kNone);
  EXPECT_TRUE(DecideLeftDown(7, true, true).swallow);

  EXPECT_EQ(DecideLeftUp(0, true).drag, DragAction::kEnd);
  EXPECT_FALSE(DecideLeftUp(0, false).swallow);
  EXPECT_TRUE(DecideLeftUp(1, false).swallow);
  EXPECT_EQ(DecideLeftUp(2, false).drag, DragAction::kEnd);
  EXPECT_FALSE(DecideLeftUp(2, false).swallow);
  EXPECT_TRUE(DecideLeftUp(3, false).swallow);
}

TEST(LayoutMouse, RightButtonByRightButton) {
  EXPECT_FALSE(DecideRightDown(0).swallow);
  EXPECT_TRUE(DecideRightDown(1).contextMenu);
  EXPECT_EQ(DecideRightDown(2).drag, DragAction::kBegin);
  EXPECT_TRUE(DecideRightDown(9).swallow);
  EXPECT_FALSE(DecideRightDown(9).contextMenu);
  EXPECT_FALSE(DecideRightUp(0).swallow);
  EXPECT_EQ(DecideRightUp(2).drag, DragAction::kEnd);
  EXPECT_TRUE(DecideRightUp(1).swallow);
  EXPECT_TRUE(DecideHover(true).moveCursor);
  EXPECT_FALSE(DecideHover(false).swallow);
}

TEST(LayoutMouse, MovesWithAButtonHeldGoWhereThatButtonsClicksGo) {
  struct Case {
    bool leftHeld, dragging;
    int leftDrag, rightButton;
    bool swallowed;
  };
  const Case cases[] = {
      {true, true, kLeftDragOnAreas, kRightButtonMenu, true},               // dragging by an area
      {true, true, kLeftDragAnywhere, kRightButtonMenu, true},              // the movie saw no press
      {true, true, kLeftDragAnywhereWithClicks, kRightButtonMenu, false},   // nor does it miss the moves
      {true, false, kLeftDragOnAreas, kRightButtonMenu, false},             // a press off the areas
      {true, false, kLeftDragAnywhereWithClicks, kRightButtonMenu, false},
      {true, false, kLeftDragNone, kRightButtonToMovie, true},              // the left button does nothing
      {true, false, -1, kRightButtonToMovie, true},
      {false, false, kLeftDragOnAreas, kRightButtonToMovie, false},         // the right button's to the movie
      {false, false, kLeftDragOnAreas, kRightButtonMenu, true},
      {false, true, kLeftDragAnywhereWithClicks, kRightButtonDrags, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.leftHeld << c.dragging << " " << c.leftDrag << " " << c.rightButton);
    EXPECT_EQ(DecideButtonMove(c.leftHeld, c.dragging, c.leftDrag, c.rightButton).swallow, c.swallowed);
  }
}

TEST(LayoutMouse, CompanionDragCodes) {
  EXPECT_EQ(CompanionLeftCode(0), 0);
  EXPECT_EQ(CompanionLeftCode(1), 1);
  EXPECT_EQ(CompanionLeftCode(2), 2);
  EXPECT_EQ(CompanionLeftCode(3), 4);
  EXPECT_EQ(CompanionRightCode(0), 0);
  EXPECT_EQ(CompanionRightCode(1), 3);
  EXPECT_EQ(CompanionRightCode(2), 1);
  EXPECT_EQ(CompanionRightCode(3), 4);
  EXPECT_EQ(HostQualityCode(0), 2);
  EXPECT_EQ(HostQualityCode(2), 0);
  EXPECT_EQ(HostQualityCode(5), 3);
}

TEST(LayoutRectText, RoundTripAndNumberCounts) {
  Box box{-5, 10, 300, 2000};
  EXPECT_EQ(FormatRectText(box), u"-5,10,300,2000");
  Box read;
  ASSERT_TRUE(ParseRectText(FormatRectText(box), read));
  EXPECT_EQ(read, box);
  EXPECT_FALSE(ParseRectText(u"1,2,3", read));
  EXPECT_EQ(read, Box{});
  ASSERT_TRUE(ParseRectText(u"1,2,3,4,5", read));
  EXPECT_EQ(read, (Box{1, 2, 3, 4}));
  ASSERT_TRUE(ParseRectText(u" 1, 2,\t3,  4", read));
  EXPECT_EQ(read, (Box{1, 2, 3, 4}));
  EXPECT_FALSE(ParseRectText(u"1 ,2,3,4", read));
  EXPECT_FALSE(ParseRectText(u"", read));
  EXPECT_FALSE(ParseRectText(u"a,b,c,d", read));
  EXPECT_FALSE(ParseRectText(u"1,2,3,99999999999", read));
  ASSERT_TRUE(ParseRectText(u"-2147483648,2147483647,0,0", read));
  EXPECT_EQ(read.left, INT32_MIN);
}

std::vector<uint8_t> RegionBlock(uint32_t count, std::vector<Box> rects, Box bound) {
  std::vector<uint8_t> bytes(32 + rects.size() * 16);
  WriteU32(bytes, 0, 32);
  WriteU32(bytes, 4, 1);
  WriteU32(bytes, 8, count);
  WriteU32(bytes, 12, static_cast<uint32_t>(rects.size() * 16));
  auto put = [&](size_t at, Box b) {
    WriteU32(bytes, at, b.left);
    WriteU32(bytes, at + 4, b.top);
    WriteU32(bytes, at + 8, b.right);
    WriteU32(bytes, at + 12, b.bottom);
  };
  put(16, bound);
  for (size_t i = 0; i < rects.size(); ++i) put(32 + i * 16, rects[i]);
  return bytes;
}

TEST(LayoutRegionData, ReadsAWellFormedBlock) {
  auto block = RegionBlock(2, {{0, 0, 300, 100}, {50, 100, 250, 200}}, {0, 0, 300, 200});
  auto info = InspectRegionData(block);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->rectangleCount, 2u);
  EXPECT_EQ(info->bound, (Box{0, 0, 300, 200}));
  EXPECT_EQ(info->rectanglesBound, (Box{0, 0, 300, 200}));
  EXPECT_EQ(info->byteSize, 64u);
}

TEST(LayoutRegionData, RejectsBlocksThatClaimMoreThanTheyHold) {
  EXPECT_FALSE(InspectRegionData(RegionBlock(3, {{0, 0, 1, 1}, {0, 0, 2, 2}}, {})));
  EXPECT_FALSE(InspectRegionData(RegionBlock(0xFFFFFFFF, {{0, 0, 1, 1}}, {})));
  EXPECT_FALSE(InspectRegionData(RegionBlock(0, {}, {})));
  auto block = RegionBlock(1, {{0, 0, 1, 1}}, {});
  block.resize(40);
  EXPECT_FALSE(InspectRegionData(block));
  auto wrongType = RegionBlock(1, {{0, 0, 1, 1}}, {});
  wrongType[4] = 2;
  EXPECT_FALSE(InspectRegionData(wrongType));
  EXPECT_FALSE(InspectRegionData({}));
}

}  // namespace
}  // namespace zp::layout

#include "core/layout/from_document.h"

namespace zp::layout {
namespace {

TEST(LayoutFromDocument, DefaultsAgreeWithTheDocument) {
  DocumentModel document;
  const SizeSettings size = SizeSettingsOf(document.sizeOptions);
  const SizeSettings sizeDefaults;
  EXPECT_EQ(size.positionPreset, sizeDefaults.positionPreset);
  EXPECT_EQ(size.hostFlags, sizeDefaults.hostFlags);
  EXPECT_EQ(size.workAreaOnly, sizeDefaults.workAreaOnly);
  EXPECT_EQ(MenuSwitchesOf(document.menuAboutOptions).hideAbout, MenuSwitches().hideAbout);
  document.sizeOptions.bottom = 17;
  document.menuAboutOptions.backItem = 0;
  EXPECT_EQ(SizeSettingsOf(document.sizeOptions).bottom, 17);
  EXPECT_EQ(MenuSwitchesOf(document.menuAboutOptions).backItem, 0);
}

}  // namespace
}  // namespace zp::layout
