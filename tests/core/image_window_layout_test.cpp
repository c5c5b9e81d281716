#include <gtest/gtest.h>

#include "core/pictures/image_window_layout.h"

namespace zp::pictures {
namespace {

using layout::Box;
using layout::Size;

TEST(ImageWindowLayout, RequestItemsAndRectangleDefaults) {
  struct Case {
    const char16_t* args;
    Box rect;
    bool fit;
  } cases[] = {
      {u"c:\\p.png", {100, 100, 500, 400}, true},
      {u"c:\\p.png,My caption,0,10,10,300,200", {10, 10, 300, 200}, false},
      {u"c:\\p.png,,,50,60", {50, 60, 450, 360}, true},
      {u"c:\\p.png,,1,300,200,10,10", {10, 10, 300, 200}, true},  // corners put in order
      {u"c:\\p.png,,7,,,20", {20, 100, 100, 400}, true},          // right left of the default left
      // Numbers near the 32-bit limits neither wrap nor leave the coordinate range.
      {u"c:\\p.png,,0,2147483000,-2147483000", {32767, -32768, 32767, -32768}, false},
      {u"c:\\p.png,,0,-2147483648,-2147483648,,", {-32768, -32768, -32768, -32768}, false},
  };
  for (const Case& c : cases) {
    const auto request = ReadShowImageRequest(c.args);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->path, u"c:\\p.png");
    EXPECT_EQ(ImageWindowRect(*request), c.rect) << request->left;
    EXPECT_EQ(request->fit, c.fit);
  }
  EXPECT_EQ(ReadShowImageRequest(u"c:\\p.png,My caption")->caption, u"My caption");
  EXPECT_FALSE(ReadShowImageRequest(u"  "));
  EXPECT_EQ(FileNamePart(u"c:\\dir/sub\\p.png"), u"p.png");
  EXPECT_EQ(FileNamePart(u"p.png"), u"p.png");
}

TEST(ImageWindowLayout, WindowShrinksToTheWorkAreaAndMovesOntoIt) {
  const FrameSizes frame{4, 24, 4, 4};
  const Box work{0, 0, 1024, 738};
  // Small picture: the client area becomes the picture's size, left and top kept.
  EXPECT_EQ(FitWindowToPicture({100, 100, 500, 400}, frame, {200, 100}, work), (Box{100, 100, 308, 228}));
  // Too wide: width to the room (1016), height by the proportions (508); then moved left.
  EXPECT_EQ(FitWindowToPicture({100, 100, 500, 400}, frame, {4000, 2000}, work), (Box{0, 100, 1024, 636}));
  // Too tall after that: height to the room (710), width by the proportions.
  EXPECT_EQ(FitWindowToPicture({100, 100, 500, 400}, frame, {1000, 2000}, work), (Box{100, 0, 463, 738}));
  // Above and left of the area: moved down and right onto it.
  EXPECT_EQ(FitWindowToPicture({-50, -50, 0, 0}, frame, {100, 100}, work), (Box{0, 0, 108, 128}));
  // A picture without size leaves the window alone.
  EXPECT_EQ(FitWindowToPicture({1, 2, 3, 4}, frame, {0, 100}, work), (Box{1, 2, 3, 4}));
}

TEST(ImageWindowLayout, PictureFitsItsBox) {
  struct Case {
    Size picture, box, drawn;
  } cases[] = {
      {{50, 40}, {100, 100}, {50, 40}},      // never enlarged
      {{1000, 500}, {100, 100}, {100, 50}},  // limited by width
      {{500, 1000}, {100, 100}, {50, 100}},  // limited by height
      {{3, 1000}, {100, 100}, {1, 100}},     // at least one pixel
      {{60000, 60000}, {286, 170}, {170, 170}},  // no 32-bit overflow in the products
      {{0, 10}, {100, 100}, {0, 0}},
  };
  for (const Case& c : cases) EXPECT_EQ(FitPictureInBox(c.picture, c.box), c.drawn) << c.picture.width;
}

}  // namespace
}  // namespace zp::pictures
