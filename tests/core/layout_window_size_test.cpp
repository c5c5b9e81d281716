#include <gtest/gtest.h>

#include "core/layout/window_size.h"

namespace zp::layout {
namespace {

constexpr Size kArea{1024, 768};

SizeSettings Preset(int preset) {
  SizeSettings s;
  s.positionPreset = preset;
  return s;
}

TEST(LayoutPlacement, PresetsOnA1024By768Area) {
  const Size window{800, 600};
  EXPECT_EQ(ComputePlacement(Preset(1), kArea, window), (Point{112, 84}));
  EXPECT_EQ(ComputePlacement(Preset(2), kArea, window), (Point{112, 0}));
  EXPECT_EQ(ComputePlacement(Preset(3), kArea, window), (Point{112, 168}));
  EXPECT_EQ(ComputePlacement(Preset(4), kArea, window), (Point{0, 84}));
  EXPECT_EQ(ComputePlacement(Preset(5), kArea, window), (Point{224, 84}));
  EXPECT_EQ(ComputePlacement(Preset(6), kArea, window), (Point{0, -1}));
  EXPECT_EQ(ComputePlacement(Preset(7), kArea, window), (Point{224, 0}));
  EXPECT_EQ(ComputePlacement(Preset(8), kArea, window), (Point{0, 168}));
  EXPECT_EQ(ComputePlacement(Preset(9), kArea, window), (Point{224, 168}));
  EXPECT_EQ(ComputePlacement(Preset(10), kArea, window), (Point{0, -1}));
  EXPECT_EQ(ComputePlacement(Preset(-3), kArea, window), (Point{0, -1}));
}

TEST(LayoutPlacement, EachTermIsDividedOnItsOwn) {
  // 1024/2 - 801/2 = 112, where (1024 - 801) / 2 would be 111.
  EXPECT_EQ(ComputePlacement(Preset(1), kArea, {801, 601}), (Point{112, 84}));
  EXPECT_EQ(ComputePlacement(Preset(5), kArea, {801, 601}), (Point{223, 84}));
}

TEST(LayoutPlacement, AWindowFillingTheAreaStartsOnePixelHigher) {
  for (int preset : {1, 2, 3, 5, 7, 9}) {
    EXPECT_EQ(ComputePlacement(Preset(preset), kArea, kArea), (Point{0, -1})) << preset;
  }
  EXPECT_EQ(ComputePlacement(Preset(4), kArea, kArea), (Point{0, -1}));
  EXPECT_EQ(ComputePlacement(Preset(8), kArea, kArea), (Point{0, -1}));
  // Preset 4 and 8 only look at y: a wide window keeps its computed x of 0 and y.
  EXPECT_EQ(ComputePlacement(Preset(4), kArea, {1024, 100}), (Point{0, 334}));
}

TEST(LayoutPlacement, CustomAnchors) {
  SizeSettings s = Preset(0);
  s.left = 30;
  s.top = 40;
  EXPECT_EQ(ComputePlacement(s, kArea, {200, 100}), (Point{30, 40}));
  s.horizontalAnchor = 1;
  s.verticalAnchor = 1;
  s.bottom = 10;
  EXPECT_EQ(ComputePlacement(s, kArea, {200, 100}), (Point{824, 658}));
  s.horizontalAnchor = 2;
  s.verticalAnchor = 5;
  EXPECT_EQ(ComputePlacement(s, kArea, {200, 100}), (Point{0, -1}));
  s.horizontalAnchor = 0;
  s.verticalAnchor = 0;
  s.left = 0;
  s.top = 0;
  EXPECT_EQ(ComputePlacement(s, kArea, {200, 100}), (Point{0, -1}));
}

TEST(LayoutPlacement, HugeDocumentValuesSaturate) {
  SizeSettings s = Preset(0);
  s.verticalAnchor = 1;
  s.bottom = INT32_MAX;
  Point p = ComputePlacement(s, kArea, {200, INT32_MAX});
  EXPECT_EQ(p.y, INT32_MIN);
}

SizeInputs Inputs() {
  SizeInputs in;
  in.area = kArea;
  in.screen = {1024, 768};
  in.movie = {550, 400};
  in.frameExtra = {16, 39};
  return in;
}

TEST(LayoutSize, PercentOfTheArea) {
  EXPECT_EQ(PercentOfArea(kArea, 50), (Size{512, 384}));
  EXPECT_EQ(PercentOfArea({1001, 3}, 50), (Size{501, 2}));
  SizeSettings s;
  s.sizeMode = 2;
  s.percent = 50;
  SizeInputs in = Inputs();
  in.frameAdjust = true;  // percentages are never frame-adjusted
  SizeDecision d = DecideWindowSize(s, in);
  EXPECT_EQ(d.kind, SizeDecision::Kind::kResize);
  EXPECT_EQ(d.size, (Size{512, 384}));
}

TEST(LayoutSize, MovieSizeIsFrameAdjustedAndKeptInsideTheArea) {
  SizeSettings s;
  SizeInputs in = Inputs();
  EXPECT_EQ(DecideWindowSize(s, in).size, (Size{550, 400}));
  in.frameAdjust = true;
  EXPECT_EQ(DecideWindowSize(s, in).size, (Size{566, 439}));
  in.movie = {2000, 0};
  EXPECT_EQ(DecideWindowSize(s, in).size, (Size{1024, 39}));
  in.frameAdjust = false;
  EXPECT_EQ(DecideWindowSize(s, in).size, (Size{1024, 1}));
}

TEST(LayoutSize, FixedSizeAndFrameAdjustmentRule) {
  SizeSettings s;
  s.sizeMode = 1;
  s.width = 300;
  s.height = 200;
  SizeInputs in = Inputs();
  in.frameAdjust = FrameAdjustmentApplies(1, 0);
  EXPECT_EQ(DecideWindowSize(s, in).size, (Size{316, 239}));
  in.frameAdjust = FrameAdjustmentApplies(1, 2);
  EXPECT_EQ(DecideWindowSize(s, in).size, (Size{300, 200}));
  EXPECT_FALSE(FrameAdjustmentApplies(0, 0));
  EXPECT_TRUE(FrameAdjustmentApplies(5, 0));
}

TEST(LayoutSize, FullScreenAndUnknownModes) {
  SizeSettings s;
  s.sizeMode = 3;
  SizeInputs in = Inputs();
  in.area = {1024, 740};
  SizeDecision d = DecideWindowSize(s, in);
  EXPECT_EQ(d.kind, SizeDecision::Kind::kFullScreen);
  EXPECT_EQ(d.fullRect, (Box{-1, -1, 1025, 769}));
  in.transparent = true;
  EXPECT_EQ(DecideWindowSize(s, in).fullRect, (Box{0, 0, 1024, 740}));
  s.sizeMode = 4;
  EXPECT_EQ(DecideWindowSize(s, in).kind, SizeDecision::Kind::kUnchanged);
}

}  // namespace
}  // namespace zp::layout
