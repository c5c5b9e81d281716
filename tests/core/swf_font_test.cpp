#include "core/swf/swf_font.h"

#include <gtest/gtest.h>

#include "core/swf/swf_file.h"
#include "text_writer.h"

namespace zp::swf {
namespace {

using swfgen::FontRecipe;

// Reads a font as the movie would: DefineFont takes its codes and name from a font info tag.
std::optional<FontDefinition> Read(uint16_t tagCode, const FontRecipe& recipe, uint16_t infoCode = kTagDefineFontInfo2) {
  auto font = ParseFont(tagCode, swfgen::FontBody(tagCode, recipe), 8);
  if (font && tagCode == kTagDefineFont) {
    const auto info = swfgen::FontInfoBody(infoCode, recipe);
    EXPECT_EQ(FontInfoTarget(info), recipe.id);
    ApplyFontInfo(infoCode, info, 8, *font);
  }
  return font;
}

TEST(SwfFont, EveryFontTagGivesTheSameGlyphsCodesAndFigures) {
  FontRecipe recipe = swfgen::SquareFont(3, "Squares");
  recipe.bold = true;
  for (auto [tag, info] : {std::pair{kTagDefineFont, kTagDefineFontInfo}, std::pair{kTagDefineFont, kTagDefineFontInfo2},
                           std::pair{kTagDefineFont2, kTagEnd}, std::pair{kTagDefineFont3, kTagEnd}}) {
    SCOPED_TRACE(tag);
    const auto font = Read(tag, recipe, info);
    ASSERT_TRUE(font);
    EXPECT_EQ(font->id, 3);
    EXPECT_EQ(font->name, u"Squares");
    EXPECT_TRUE(font->bold);
    EXPECT_FALSE(font->italic);
    ASSERT_EQ(font->glyphs.size(), 5u);
    const Glyph* o = font->GlyphFor(u'O');
    ASSERT_TRUE(o);
    ASSERT_EQ(o->contours.size(), 2u);  // the square and its hole
    EXPECT_EQ(o->contours[0].front(), (Point{0, 0}));
    EXPECT_EQ(o->contours[0][2], (Point{512, -512}));  // in the em of 1024, whatever the tag's scale
    EXPECT_EQ(font->GlyphFor(u' ')->contours.size(), 0u);
    EXPECT_EQ(font->GlyphFor(u'x'), nullptr);
    if (tag == kTagDefineFont) {
      EXPECT_FALSE(font->hasLayout);
      EXPECT_EQ(font->AdvanceOf(o), 512 + 64);  // the glyph's width and a little room
    } else {
      EXPECT_TRUE(font->hasLayout);
      EXPECT_EQ(font->AdvanceOf(o), 600);
      EXPECT_EQ(font->AdvanceOf(font->GlyphFor(u'W')), 1000);
      EXPECT_EQ(font->ascent, 800);
      EXPECT_EQ(font->descent, 200);
    }
  }
}

TEST(SwfFont, AdvancesBeyond32767AreNotNegative) {
  FontRecipe recipe = swfgen::SquareFont(1, "Wide");
  recipe.glyphs[1].advance = 33000;
  const auto font = Read(kTagDefineFont2, recipe);
  ASSERT_TRUE(font);
  EXPECT_EQ(font->AdvanceOf(font->GlyphFor(u'H')), 33000);
}

TEST(SwfFont, AFontWithoutGlyphsNamesASystemFont) {
  FontRecipe recipe;
  recipe.id = 9;
  recipe.name = "_sans";
  const auto font = Read(kTagDefineFont3, recipe);
  ASSERT_TRUE(font);
  EXPECT_EQ(font->name, u"_sans");
  EXPECT_TRUE(font->glyphs.empty());
  FontTable table;
  table.Add(*font);
  EXPECT_EQ(table.FindByName(u"_sans", false, false), nullptr);  // nothing to draw outlines with
}

TEST(SwfFont, DamagedFontsYieldWhatIsWhole) {
  const auto whole = swfgen::FontBody(kTagDefineFont3, swfgen::SquareFont(1, "Squares"));
  for (size_t length = 0; length < whole.size(); ++length) {
    const auto font = ParseFont(kTagDefineFont3, std::span(whole).first(length), 8);
    if (length < 2) {
      EXPECT_FALSE(font);
      continue;
    }
    ASSERT_TRUE(font);
    for (const Glyph& g : font->glyphs) {
      for (const Contour& c : g.contours) {
        for (const Point& p : c) EXPECT_TRUE(p.x >= 0 && p.x <= 896 && p.y <= 0 && p.y >= -512) << length;
      }
    }
    // Layout needs every advance; the glyph bounds (two bytes each) and kerning that follow do not.
    EXPECT_EQ(font->hasLayout, length >= whole.size() - 5 * 2 - 2) << length;
  }
  // Offsets that point outside the body give empty glyphs, not reads past the end.
  auto bad = whole;
  bad[5 + 7 + 2] = 0xFF;  // first glyph offset, low byte
  bad[5 + 7 + 3] = 0xFF;
  const auto font = ParseFont(kTagDefineFont3, bad, 8);
  ASSERT_TRUE(font);
  EXPECT_TRUE(font->glyphs[0].contours.empty());
}

TEST(SwfFont, TableFindsFontsByNameAndStyle) {
  FontTable table;
  for (auto [id, bold, italic] : {std::tuple{1, false, false}, std::tuple{2, true, false}, std::tuple{3, true, true}}) {
    FontRecipe recipe = swfgen::SquareFont(static_cast<uint16_t>(id), "Face");
    recipe.bold = bold;
    recipe.italic = italic;
    table.Add(*Read(kTagDefineFont2, recipe));
  }
  EXPECT_EQ(table.FindByName(u"face", true, false)->id, 2);
  EXPECT_EQ(table.FindByName(u"FACE", true, true)->id, 3);
  EXPECT_EQ(table.FindByName(u"Face", false, true)->id, 1);  // no such style: any of the name
  EXPECT_EQ(table.FindByName(u"Other", false, false), nullptr);
  EXPECT_EQ(table.Find(2)->id, 2);
  EXPECT_EQ(table.Find(4), nullptr);
}

}  // namespace
}  // namespace zp::swf
