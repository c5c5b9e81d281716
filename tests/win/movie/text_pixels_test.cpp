// Text in fonts of the system, drawn by the GDI+ back end where the layout says.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "controls/movie/gdiplus_renderer.h"
#include "core/swf/swf_text_draw.h"
#include "package/gdiplus_session.h"

namespace zp::test {
namespace {

struct Ink {
  int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
  bool any() const { return right >= 0; }
};

// Where dark pixels are on a white picture.
Ink FindInk(const std::vector<uint32_t>& pixels, int width, int height) {
  Ink ink;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if ((pixels[y * width + x] & 0xFF) < 128) {
        ink.left = std::min(ink.left, x);
        ink.right = std::max(ink.right, x);
        ink.top = std::min(ink.top, y);
        ink.bottom = std::max(ink.bottom, y);
      }
    }
  }
  return ink;
}

TEST(MovieTextPixels, FieldsInFontsOfTheSystemDrawWhereTheLayoutSays) {
  const GdiplusSession gdiplus;
  ASSERT_TRUE(gdiplus.started());
  const int width = 300, height = 100;
  for (const char16_t* face : {u"_sans", u"_serif", u"_typewriter", u"No Such Family"}) {
    for (auto align : {swf::TextAlign::kLeft, swf::TextAlign::kRight}) {
      SCOPED_TRACE(std::string(face, face + std::char_traits<char16_t>::length(face)) + (align == swf::TextAlign::kLeft ? " left" : " right"));
      // A field of 280 × 60 pixels at (10, 20), text 30 pixels high.
      swf::EditTextDefinition field;
      field.bounds = {0, 280 * 20, 0, 60 * 20};
      field.height = 600;
      field.align = align;
      field.initialText = u"HHHH";
      swf::FontDefinition named;
      named.id = 1;
      named.name = face;
      swf::FontTable fonts;
      fonts.Add(named);
      field.fontId = 1;
      std::vector<swf::DrawItem> items;
      swf::AppendEditText(swf::TextFieldState(field), fonts, swf::Matrix{0.05, 0, 0, 0.05, 10, 20},
                          swf::ColorTransform{}, items);
      ASSERT_EQ(items.size(), 4u);  // the text in a clip group of the field's box
      ASSERT_TRUE(items[2].text);

      std::vector<uint32_t> pixels(width * height, 0);
      ASSERT_TRUE(movie::DrawMovieToPixels(pixels.data(), width, height, width * 4, swf::Rgba{255, 255, 255, 255}, items));
      const Ink ink = FindInk(pixels, width, height);
      ASSERT_TRUE(ink.any());
      // Capitals stand on the baseline (2 + 0.9 × 30 pixels below the field's top) and reach
      // most of the way up the em.
      EXPECT_NEAR(ink.bottom, 20 + 2 + 27, 3);
      EXPECT_NEAR(ink.bottom - ink.top, 21, 5);
      if (align == swf::TextAlign::kLeft) {
        EXPECT_NEAR(ink.left, 10 + 2, 4);
      } else {
        EXPECT_NEAR(ink.right, 10 + 280 - 2, 6);
      }
      EXPECT_GT(ink.right - ink.left, 60);  // four wide letters of 30 pixels
    }
  }
}

}  // namespace
}  // namespace zp::test
