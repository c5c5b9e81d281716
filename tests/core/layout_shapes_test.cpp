#include <gtest/gtest.h>

#include <cmath>

#include "core/layout/shapes.h"
#include "core/layout/zoom.h"

namespace zp::layout {
namespace {

TEST(LayoutShapes, DiamondOnA101By201Window) {
  Shape shape = PredefinedShape(0, {101, 201});
  ASSERT_EQ(shape.kind, Shape::Kind::kPolygon);
  std::vector<Point> expected{{50, 0}, {100, 100}, {50, 200}, {0, 100}, {50, 0}};
  EXPECT_EQ(shape.points, expected);
}

TEST(LayoutShapes, PointsAreTruncatedNotRounded) {
  // (800 - 1) * 0.5 = 399.5 -> 399; (600 - 1) * 0.976 = 584.624 -> 584.
  Shape pentagon = PredefinedShape(2, {800, 600});
  ASSERT_EQ(pentagon.points.size(), 6u);
  EXPECT_EQ(pentagon.points[0], (Point{399, 14}));
  EXPECT_EQ(pentagon.points[2], (Point{646, 584}));
  EXPECT_EQ(pentagon.points[3], (Point{152, 584}));
}

TEST(LayoutShapes, EveryPolygonIsClosed) {
  for (int kind : {0, 2, 3, 4, 6}) {
    auto points = PredefinedShape(kind, {640, 480}).points;
    ASSERT_GE(points.size(), 5u) << kind;
    EXPECT_EQ(points.front(), points.back()) << kind;
  }
  EXPECT_EQ(PredefinedShape(3, {10, 10}).points.size(), 9u);
  EXPECT_EQ(PredefinedShape(4, {10, 10}).points.size(), 11u);
}

TEST(LayoutShapes, BurstAlternatesTwoRadii) {
  auto outline = ShapeOutline(6);
  ASSERT_EQ(outline.size(), 61u);
  EXPECT_DOUBLE_EQ(outline[0].x, 0.92);
  EXPECT_DOUBLE_EQ(outline[0].y, 0.5);
  // k = 15: 90 degrees, odd, radius 0.5.
  EXPECT_DOUBLE_EQ(outline[15].x, 0.5);
  EXPECT_DOUBLE_EQ(outline[15].y, 1.0);
  // k = 1: 6 degrees at radius 0.5, three decimals.
  EXPECT_DOUBLE_EQ(outline[1].x, 0.997);
  EXPECT_DOUBLE_EQ(outline[1].y, 0.552);
}

TEST(LayoutShapes, FiguresAndUnknownKinds) {
  Shape ellipse = PredefinedShape(1, {300, 200});
  EXPECT_EQ(ellipse.kind, Shape::Kind::kEllipse);
  EXPECT_EQ(ellipse.box, (Size{300, 200}));
  Shape rounded = PredefinedShape(5, {300, 205});
  EXPECT_EQ(rounded.kind, Shape::Kind::kRoundRect);
  EXPECT_EQ(rounded.corner, 20);
  EXPECT_EQ(PredefinedShape(7, {300, 200}).kind, Shape::Kind::kNone);
  EXPECT_EQ(PredefinedShape(-1, {300, 200}).kind, Shape::Kind::kNone);
}

TEST(LayoutShapes, AtMost512PointsAreTaken) {
  std::vector<FractionPoint> many(600, {0.5, 0.5});
  EXPECT_EQ(ScaleOutline(many, {10, 10}).size(), 512u);
}

TEST(LayoutZoom, InTwiceThenOutTwice) {
  ZoomState zoom;
  zoom.ZoomIn();
  zoom.ZoomIn();
  EXPECT_EQ(zoom.factor(), 4);
  EXPECT_TRUE(zoom.zoomedIn());
  EXPECT_EQ(zoom.VisibleSize({800, 600}), (Size{200, 150}));
  zoom.ZoomOut();
  EXPECT_EQ(zoom.factor(), 2);
  EXPECT_TRUE(zoom.zoomedIn());
  zoom.ZoomOut();
  EXPECT_EQ(zoom.factor(), 1);
  EXPECT_FALSE(zoom.zoomedIn());
}

TEST(LayoutZoom, OutFromOneShowsMoreAndInComesBack) {
  ZoomState zoom;
  zoom.ZoomOut();
  EXPECT_EQ(zoom.factor(), 2);
  EXPECT_FALSE(zoom.zoomedIn());
  EXPECT_EQ(zoom.VisibleSize({800, 600}), (Size{1600, 1200}));
  zoom.ZoomIn();
  EXPECT_EQ(zoom.factor(), 1);
  EXPECT_FALSE(zoom.zoomedIn());
  zoom.ZoomIn();
  EXPECT_TRUE(zoom.zoomedIn());
  zoom.Reset();
  EXPECT_EQ(zoom.factor(), 1);
  EXPECT_FALSE(zoom.zoomedIn());
}

TEST(LayoutZoom, RepeatedZoomingNeverOverflows) {
  ZoomState zoom;
  for (int i = 0; i < 100; ++i) zoom.ZoomOut();
  Size visible = zoom.VisibleSize({800, 600});
  EXPECT_GT(visible.width, 0);
  for (int i = 0; i < 200; ++i) zoom.ZoomIn();
  EXPECT_GE(zoom.VisibleSize({800, 600}).width, 0);
}

}  // namespace
}  // namespace zp::layout
