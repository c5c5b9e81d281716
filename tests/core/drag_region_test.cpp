#include <gtest/gtest.h>

#include <vector>

#include "core/layout/drag_region.h"

namespace zp::layout {
namespace {

CDragRegion Stage(Size movie, Size window, bool scaling = true) {
  CDragRegion region;
  region.SetScaling(scaling);
  region.SetKeepAspect(true);
  region.SetMovieSize(movie.width, movie.height);
  region.SetWindowSize(window.width, window.height);
  return region;
}

TEST(DragRegion, HandleOnTheStageInDifferentWindows) {
  CDragRegion region = Stage({550, 400}, {550, 400});
  EXPECT_FALSE(region.IsDragPoint(10, 10)) << "no drag command yet";
  ASSERT_TRUE(region.AddRect({0, 0, 100, 20}));
  EXPECT_TRUE(region.IsDragPoint(10, 10));
  EXPECT_FALSE(region.IsDragPoint(10, 30));
  EXPECT_FALSE(region.IsDragPoint(100, 10)) << "right edge excluded";

  // Twice the size, scaled with the aspect kept: (20, 20) shows stage point (10, 10).
  region.SetWindowSize(1100, 800);
  EXPECT_DOUBLE_EQ(region.scaleX(), 0.5);
  EXPECT_EQ(region.MapToMovie(20, 20), (Point{10, 10}));
  EXPECT_TRUE(region.IsDragPoint(20, 20));
  EXPECT_FALSE(region.IsDragPoint(20, 60));

  // Unscaled in a wider window: the stage sits centred, (110, 10) shows (10, 10).
  CDragRegion unscaled = Stage({550, 400}, {750, 400}, false);
  unscaled.AddRect({0, 0, 100, 20});
  EXPECT_EQ(unscaled.MapToMovie(110, 10), (Point{10, 10}));
  EXPECT_TRUE(unscaled.IsDragPoint(110, 10));
  EXPECT_FALSE(unscaled.IsDragPoint(10, 10));

  // Any unknown size: nothing drags.
  region.SetWindowSize(0, 0);
  CDragRegion noWindow;
  noWindow.SetMovieSize(550, 400);
  noWindow.AddRect({0, 0, 100, 20});
  EXPECT_FALSE(noWindow.IsDragPoint(10, 10));
}

TEST(DragRegion, CommandSequences) {
  CDragRegion region = Stage({550, 400}, {550, 400});
  // Removing first leaves nothing draggable.
  region.SubRect({0, 0, 100, 100});
  EXPECT_FALSE(region.IsDragPoint(10, 10));
  EXPECT_FALSE(region.IsDragPoint(300, 300));
  // Add then remove a part of it; corners in any order.
  region.AddRect({200, 200, 0, 0});
  region.SubRect({50, 50, 100, 100});
  EXPECT_TRUE(region.IsDragPoint(10, 10));
  EXPECT_FALSE(region.IsDragPoint(60, 60));
  EXPECT_TRUE(region.IsDragPoint(150, 150));
  // Cancel: nothing drags; the next command starts from the whole stage again.
  region.Cancel();
  EXPECT_FALSE(region.IsDragPoint(10, 10));
  region.AddEllipse({300, 100, 500, 300});
  EXPECT_TRUE(region.IsDragPoint(400, 200));
  EXPECT_FALSE(region.IsDragPoint(302, 102)) << "the ellipse's bounding corner";
  EXPECT_FALSE(region.IsDragPoint(10, 10)) << "earlier shapes are gone";
  region.SubEllipse({350, 150, 450, 250});
  EXPECT_FALSE(region.IsDragPoint(400, 200));
  EXPECT_TRUE(region.IsDragPoint(400, 110));
}

TEST(DragRegion, PolygonsFillByWinding) {
  CDragRegion region = Stage({550, 400}, {550, 400});
  // A five-pointed star drawn in one stroke: its centre is wound twice and still inside.
  const std::vector<Point> star{{275, 50}, {350, 300}, {150, 140}, {400, 140}, {200, 300}};
  ASSERT_TRUE(region.AddPoly(star));
  EXPECT_TRUE(region.IsDragPoint(275, 180));
  EXPECT_TRUE(region.IsDragPoint(275, 80));
  EXPECT_FALSE(region.IsDragPoint(160, 290));
  ASSERT_TRUE(region.SubPoly(star));
  EXPECT_FALSE(region.IsDragPoint(275, 180));
}

TEST(DragRegion, FailedOperationsAndFarValuesChangeNothing) {
  CDragRegion region = Stage({550, 400}, {550, 400});
  region.AddRect({0, 0, 100, 20});
  const std::vector<Point> line{{0, 0}, {500, 300}};
  EXPECT_FALSE(region.SubPoly(line));
  EXPECT_TRUE(region.IsDragPoint(10, 10));
  for (size_t i = 1; i < CDragRegion::kMaxShapes - 1; ++i) ASSERT_TRUE(region.AddRect({0, 30, 1, 31}));
  EXPECT_FALSE(region.SubRect({0, 0, 100, 20}));
  EXPECT_TRUE(region.IsDragPoint(10, 10)) << "the refused shape left the areas as they were";

  // Signs are dropped, the most negative size saturates.
  CDragRegion sized;
  sized.SetMovieSize(-550, -400);
  sized.SetWindowSize(INT32_MIN, 800);
  sized.SetWindowSize(1100, 800);
  EXPECT_DOUBLE_EQ(sized.scaleX(), 0.5);
  // A far window point saturates instead of wrapping onto the stage.
  CDragRegion wide = Stage({550, 400}, {1, 1});
  EXPECT_EQ(wide.MapToMovie(INT32_MAX, INT32_MIN), (Point{INT32_MAX, INT32_MIN}));
}

}  // namespace
}  // namespace zp::layout
