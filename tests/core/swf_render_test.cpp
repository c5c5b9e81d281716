#include "core/swf/swf_render.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "swf_writer.h"

namespace zp::swf {
namespace {

double Left(const DrawItem& item) {
  double x = 1e9;
  for (const auto& c : item.contours)
    for (const Point& p : c) x = std::min(x, p.x);
  return x;
}

double Right(const DrawItem& item) {
  double x = -1e9;
  for (const auto& c : item.contours)
    for (const Point& p : c) x = std::max(x, p.x);
  return x;
}

const TwipsRect kStage{0, 2000, 0, 1000};  // 100 × 50 pixels

TEST(SwfRender, ShowAllFitsAndCentres) {
  const auto t = ComputeViewTransform(kStage, std::nullopt, ScaleMode::kShowAll, 400, 400);
  // Width limits: 4× magnification, 200 pixels tall, centred vertically.
  EXPECT_DOUBLE_EQ(t.scaleX, 4.0 / 20);
  EXPECT_DOUBLE_EQ(t.scaleY, 4.0 / 20);
  EXPECT_EQ(t.ToDevice({0, 0}), (Point{0, 100}));
  EXPECT_EQ(t.ToDevice({2000, 1000}), (Point{400, 300}));
  EXPECT_EQ(t.ToTwips({200, 200}), (Point{1000, 500}));
}

TEST(SwfRender, NoScaleCentresAtOneToOne) {
  const auto t = ComputeViewTransform(kStage, std::nullopt, ScaleMode::kNoScale, 300, 100);
  EXPECT_EQ(t.ToDevice({0, 0}), (Point{100, 25}));
  EXPECT_EQ(t.ToDevice({2000, 1000}), (Point{200, 75}));
}

TEST(SwfRender, ExactFitAndNoBorder) {
  const auto fit = ComputeViewTransform(kStage, std::nullopt, ScaleMode::kExactFit, 300, 300);
  EXPECT_EQ(fit.ToDevice({2000, 1000}), (Point{300, 300}));
  const auto border = ComputeViewTransform(kStage, std::nullopt, ScaleMode::kNoBorder, 300, 300);
  EXPECT_DOUBLE_EQ(border.scaleX, 6.0 / 20);
  EXPECT_EQ(border.ToDevice({1000, 500}), (Point{150, 150}));
}

TEST(SwfRender, ZoomRectangleShowsThatPart) {
  const TwipsRect zoom{1000, 2000, 0, 500};
  const auto t = ComputeViewTransform(kStage, zoom, ScaleMode::kShowAll, 100, 50);
  EXPECT_EQ(t.ToDevice({1000, 0}), (Point{0, 0}));
  EXPECT_EQ(t.ToDevice({2000, 500}), (Point{100, 50}));
  // An empty zoom rectangle means the whole stage.
  const auto whole = ComputeViewTransform(kStage, TwipsRect{}, ScaleMode::kShowAll, 100, 50);
  EXPECT_EQ(whole.ToDevice({2000, 1000}), (Point{100, 50}));
}

TEST(SwfRender, DrawListMapsPlacementsBackToFront) {
  swfgen::MovieWriter m(6, 100, 50, 12);
  m.DefineRect(1, {0, 0, 200, 200}, {255, 0, 0}, swfgen::Color{0, 0, 0}, 20);
  m.DefineRect(2, {0, 0, 200, 200}, {0, 255, 0});
  m.Place(5, 1, 1000, 0).PlaceWithAlpha(2, 2, 0, 0, 128).Place(9, 2, 0, 0);
  m.PlaceWithAlpha(7, 2, 0, 0, 0);  // fully transparent: not drawn
  m.ShowFrame();
  auto file = File::Parse(m.Finish(false));
  Player p;
  p.Load(Movie::Build(std::move(*file)), 0);
  const auto view = ComputeViewTransform({0, 2000, 0, 1000}, std::nullopt, ScaleMode::kNoScale, 100, 50);
  const auto items = BuildDrawList(p, view, 1, 1);
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(items[0].color, (Rgba{0, 255, 0, 127}));  // depth 2, alpha 255 × 128 / 256
  EXPECT_FALSE(items[1].stroke);                      // depth 5 fill, then its outline
  EXPECT_EQ(Left(items[1]), 50);  // 1000 twips
  EXPECT_TRUE(items[2].stroke);
  EXPECT_DOUBLE_EQ(items[2].width, 1);
  EXPECT_EQ(items[3].color, (Rgba{0, 255, 0, 255}));  // depth 9

  // The root scale doubles everything about the stage origin.
  const auto scaled = BuildDrawList(p, view, 2, 2);
  EXPECT_EQ(Left(scaled[1]), 100);
  EXPECT_EQ(Right(scaled[1]), 120);
}

}  // namespace
}  // namespace zp::swf
