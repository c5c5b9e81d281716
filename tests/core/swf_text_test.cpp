#include "core/swf/swf_canvas.h"
#include "core/swf/swf_text.h"

#include <gtest/gtest.h>

#include "core/swf/swf_player.h"
#include "core/swf/swf_text_draw.h"
#include "core/swf/swf_text_layout.h"
#include "text_writer.h"

namespace zp::swf {
namespace {

using swfgen::EditTextSpec;

EditTextDefinition Field(const EditTextSpec& recipe, uint8_t version = 8) {
  auto field = ParseEditText(swfgen::EditTextBody(recipe), version);
  EXPECT_TRUE(field);
  return field.value_or(EditTextDefinition{});
}

FontTable SquareFonts() {
  FontTable fonts;
  auto recipe = swfgen::SquareFont(1, "Squares");
  fonts.Add(*ParseFont(kTagDefineFont3, swfgen::FontBody(kTagDefineFont3, recipe), 8));
  recipe.id = 2;
  recipe.bold = true;
  recipe.glyphs.resize(3);  // space, H and I only
  fonts.Add(*ParseFont(kTagDefineFont2, swfgen::FontBody(kTagDefineFont2, recipe), 8));
  return fonts;
}

TEST(SwfText, StaticTextRecordsCarryFontColourAndPosition) {
  std::vector<swfgen::TextRecordSpec> records(2);
  records[0] = {1, 1024, swfgen::Color{255, 0, 0, 128}, 100, 700, {{1, 600}, {3, 600}}};
  records[1] = {std::nullopt, 0, swfgen::Color{0, 0, 255, 255}, std::nullopt, 1500, {{2, 300}}};
  for (uint16_t tag : {kTagDefineText, kTagDefineText2}) {
    const auto text = ParseStaticText(tag, swfgen::StaticTextBody(tag, 5, {0, 0, 2000, 2000}, 40, 60, records));
    ASSERT_TRUE(text);
    EXPECT_EQ(text->id, 5);
    EXPECT_EQ(text->matrix.tx, 40);
    ASSERT_EQ(text->runs.size(), 2u);
    EXPECT_EQ(text->runs[0].color, (Rgba{255, 0, 0, tag == kTagDefineText2 ? uint8_t{128} : uint8_t{255}}));
    EXPECT_EQ(text->runs[0].glyphs[1].x, 700);   // 100 and the first glyph's advance
    EXPECT_EQ(text->runs[1].fontId, 1);          // font, height and x carry on
    EXPECT_EQ(text->runs[1].height, 1024);
    EXPECT_EQ(text->runs[1].glyphs[0].x, 1300);
    EXPECT_EQ(text->runs[1].y, 1500);

    // Drawn through the text's and the placement's matrices: 'H' is a square of half the em.
    std::vector<DrawItem> items;
    const Matrix place{1, 0, 0, 1, 1000, 0};
    AppendStaticText(*text, SquareFonts(), place.Then(Matrix{0.05, 0, 0, 0.05, 0, 0}), ColorTransform{}, items);
    ASSERT_EQ(items.size(), 2u);
    ASSERT_EQ(items[0].contours.size(), 3u);  // H, and O with its hole
    // Glyphs fill by the non-zero rule: the hole, wound the other way, stays empty; a part
    // overlapping another of the same glyph stays filled.
    EXPECT_TRUE(items[0].nonZeroWinding);
    std::vector<uint32_t> pixels(200 * 100, 0);
    DrawItemsToPixels(PixelView{pixels.data(), 200, 100, 200}, items, {}, EdgeQuality::kCrisp);
    const double holeX = (40 + 1000 + 700 + 256) * 0.05, holeY = (60 + 700 - 256) * 0.05;
    EXPECT_EQ(pixels[static_cast<int>(holeY) * 200 + static_cast<int>(holeX)], 0u);
    EXPECT_NE(pixels[static_cast<int>(holeY) * 200 + static_cast<int>(holeX - 8)], 0u);  // O's left side
    const Point corner = items[0].contours[0][2];
    EXPECT_EQ(items[0].contours[0][0], (Point{(40 + 1000 + 100) * 0.05, (60 + 700) * 0.05}));
    EXPECT_NEAR(corner.x, (40 + 1000 + 100 + 512) * 0.05, 1e-9);
    EXPECT_NEAR(corner.y, (60 + 700 - 512) * 0.05, 1e-9);
  }
  // Cut anywhere, the text keeps the records that are whole.
  const auto whole = swfgen::StaticTextBody(kTagDefineText2, 5, {0, 0, 20, 20}, 0, 0, records);
  for (size_t length = 0; length < whole.size(); ++length) {
    const auto text = ParseStaticText(kTagDefineText2, std::span(whole).first(length));
    if (text) {
      EXPECT_LE(text->runs.size(), 2u);
    }
  }
}

TEST(SwfText, EditTextFlagsAndFieldsRoundTrip) {
  EditTextSpec recipe;
  recipe.id = 7;
  recipe.bounds = {-40, 20, 2000, 400};
  recipe.wordWrap = recipe.multiline = recipe.password = recipe.readOnly = true;
  recipe.autoSize = recipe.noSelect = recipe.border = recipe.wasStatic = recipe.html = recipe.useOutlines = true;
  recipe.fontId = 3;
  recipe.fontClass = "Lib";
  recipe.height = 300;
  recipe.color = swfgen::Color{1, 2, 3, 4};
  recipe.maxLength = 12;
  recipe.align = 2;
  recipe.leftMargin = 10;
  recipe.rightMargin = 20;
  recipe.indent = 30;
  recipe.leading = -40;
  recipe.variable = "_root.v\xC3\xA9";
  recipe.text = "caf\xC3\xA9";
  const auto f = Field(recipe);
  EXPECT_EQ(f.id, 7);
  EXPECT_EQ(f.bounds, (TwipsRect{-40, 2000, 20, 400}));
  EXPECT_TRUE(f.wordWrap && f.multiline && f.password && f.readOnly && f.autoSize && f.noSelect && f.border &&
              f.wasStatic && f.html && f.useOutlines);
  EXPECT_EQ(f.fontId, 3);
  EXPECT_EQ(f.fontClass, u"Lib");
  EXPECT_EQ(f.height, 300);
  EXPECT_EQ(f.color, (Rgba{1, 2, 3, 4}));
  EXPECT_EQ(f.maxLength, 12);
  EXPECT_EQ(f.align, TextAlign::kCenter);
  EXPECT_EQ(f.leftMargin + f.rightMargin + f.indent, 60);
  EXPECT_EQ(f.leading, -40);
  EXPECT_EQ(f.variableName, u"_root.v\u00e9");
  EXPECT_EQ(f.initialText, u"caf\u00e9");
  EXPECT_EQ(Field(recipe, 5).initialText, u"caf\u00c3\u00a9");  // before version 6, bytes of the code page

  const auto bare = Field(EditTextSpec{});
  EXPECT_FALSE(bare.border || bare.html || bare.fontId || bare.color);
  EXPECT_TRUE(bare.initialText.empty());
  EXPECT_FALSE(ParseEditText(std::vector<uint8_t>{1, 0, 0}, 8));
}

TEST(SwfText, HtmlBecomesFormattedSpans) {
  TextFormat base;
  base.face = u"Base";
  const auto spans = ParseHtmlText(
      u"<p align=\"center\"><font face='Arial' size=\"30\" color=\"#FF99cc\">Big <b>bold</b></font></p>"
      u"<P>a&lt;b&amp;&#65;&nbsp;<i>it</I><u>u</u><br>x<unknown>y</unknown></p>",
      base);
  std::u16string all;
  for (const auto& s : spans) all += s.text;
  EXPECT_EQ(all, u"Big bold\na<b&A\u00a0itu\nxy\n");
  ASSERT_GE(spans.size(), 5u);
  EXPECT_EQ(spans[0].format.face, u"Arial");
  EXPECT_EQ(spans[0].format.size, 600);
  EXPECT_EQ(spans[0].format.color, (Rgba{0xFF, 0x99, 0xCC, 255}));
  EXPECT_EQ(spans[0].format.align, TextAlign::kCenter);
  EXPECT_TRUE(spans[1].format.bold);
  EXPECT_EQ(spans[1].text, u"bold");
  EXPECT_EQ(spans[2].format.face, u"Base");  // the paragraph break, after the font closed
  EXPECT_EQ(spans[2].format.align, TextAlign::kCenter);
  EXPECT_TRUE(spans[3].format.italic || spans[4].format.italic);
  // Markup laid out with white space shows none of it; line ends in text end paragraphs.
  const std::pair<std::u16string_view, std::u16string_view> plain[] = {
      {u"test\ntest\n\ntest", u"test\ntest\n\ntest"}, {u"<p>test</p>\n", u"test\n"},
      {u" <p>test</p>  <p>test</p> ", u"test\ntest\n"}, {u"<b> </b>", u""}, {u"<b> test </b>", u" test "},
      {u"<p>\ntest\r\n</p>", u"\ntest\n\n"}, {u"\n \n", u""}, {u"<p>a<b> </b>b</p>", u"a b\n"}};
  for (const auto& [html, expected] : plain) {
    std::u16string text;
    for (const auto& span : ParseHtmlText(html, base)) text += span.text;
    EXPECT_EQ(text, expected);
  }
  // Unclosed tags, a stray '<' and relative sizes do no harm.
  base.size = 200;
  const auto odd = ParseHtmlText(u"<font size=\"+2\">a</b>b<c", base);
  ASSERT_EQ(odd.size(), 1u);
  EXPECT_EQ(odd[0].text, u"ab<c");
  EXPECT_EQ(odd[0].format.size, 240);
}

TEST(SwfText, FieldStateIsWhatActionsReadAndWrite) {
  EditTextSpec recipe;
  recipe.html = true;
  recipe.border = true;
  recipe.maxLength = 5;
  recipe.variable = "_root.name";
  recipe.text = "<p>one</p><p>two &amp; more</p>";
  TextFieldState state(Field(recipe));
  EXPECT_EQ(state.text(), u"one\rtwo & more");  // paragraphs are separated, not ended
  EXPECT_EQ(state.htmlText(), u"<p>one</p><p>two &amp; more</p>");
  EXPECT_EQ(state.variableName(), u"_root.name");
  EXPECT_TRUE(state.border && state.background);
  state.SetText(u"a<b>\nlonger");
  EXPECT_EQ(state.text(), u"a<b>\r");  // plain, cut at the maximum length
  EXPECT_EQ(state.htmlText(), u"a&lt;b&gt;\r");
  state.SetHtmlText(u"<b>x</b>y");
  EXPECT_EQ(state.text(), u"xy");
  ASSERT_EQ(state.Spans(TextFormat{}).size(), 2u);

  // A field a script makes starts empty, without border, in 12-point serif.
  TextFieldState made(ScriptFieldDefinition({0, 2000, 0, 400}));
  EXPECT_EQ(made.text(), u"");
  EXPECT_FALSE(made.border || made.background || made.definition().html);
  EXPECT_EQ(BaseFormat(made.definition(), FontTable{}).face, u"Times New Roman");
  EXPECT_EQ(made.definition().height, 240);

  recipe.html = false;
  recipe.maxLength.reset();
  TextFieldState plain(Field(recipe));
  plain.SetHtmlText(u"<b>x</b>");  // a field that is not HTML shows the markup
  EXPECT_EQ(plain.text(), u"<b>x</b>");
}

TEST(SwfText, LayoutWrapsAlignsAndKeepsToTheBounds) {
  const FontTable fonts = SquareFonts();
  EditTextSpec recipe;
  recipe.fontId = 1;
  recipe.height = 1024;  // one twip per em unit: H advances 600, space 300
  recipe.useOutlines = true;
  recipe.bounds = {0, 0, 80 + 2000, 80 + 3000};
  struct Case {
    const char* name;
    uint8_t align;
    bool wrap;
    std::u16string text;
    std::vector<std::pair<double, double>> starts;  // x and baseline of each run
  };
  const double gutter = kTextGutter, first = gutter + 800, next = first + 1000;
  const std::vector<Case> cases = {
      {"left, no wrap", 0, false, u"HH HH", {{gutter, first}}},
      {"wrap after a space", 0, true, u"HH HH", {{gutter, first}, {gutter, next}}},
      {"a long word breaks inside", 0, true, u"HHHHH", {{gutter, first}, {gutter, next}}},
      {"right", 1, true, u"HH HH", {{gutter + 2000 - 1200, first}, {gutter + 2000 - 1200, next}}},
      {"centre", 2, false, u"H", {{gutter + 700, first}}},
      {"paragraphs", 0, false, u"H\rH\r\nH", {{gutter, first}, {gutter, next}, {gutter, next + 1000}}},
      {"lines starting below the bounds are left out", 0, false, u"H\nH\nH\nH\nH",
       {{gutter, first}, {gutter, next}, {gutter, next + 1000}, {gutter, next + 2000}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    recipe.align = c.align;
    recipe.wordWrap = c.wrap;
    const auto field = Field(recipe);
    const auto layout = LayoutEditText(field, {StyledSpan{c.text, BaseFormat(field, fonts)}}, fonts);
    ASSERT_EQ(layout.runs.size(), c.starts.size());
    for (size_t i = 0; i < c.starts.size(); ++i) {
      EXPECT_EQ(layout.runs[i].x.front(), c.starts[i].first) << i;
      EXPECT_EQ(layout.runs[i].baseline, c.starts[i].second) << i;
      EXPECT_EQ(layout.runs[i].font, fonts.Find(1));
    }
  }
  // Justified lines spread their spaces; the paragraph's last line stays left.
  recipe.align = 3;
  recipe.wordWrap = true;
  const auto justified = Field(recipe);
  const auto layout = LayoutEditText(justified, {StyledSpan{u"H H H H", BaseFormat(justified, fonts)}}, fonts);
  ASSERT_EQ(layout.runs.size(), 2u);
  EXPECT_EQ(layout.runs[0].x[2], gutter + 2000 - 600);  // "H H " with the room in its inner space
  EXPECT_EQ(layout.runs[1].x.front(), gutter);
  // Password fields show stars; a bold span takes the bold font, and a character it lacks is not drawn.
  recipe.password = true;
  recipe.align = 0;
  const auto secret = Field(recipe);
  auto bold = BaseFormat(secret, fonts);
  bold.bold = true;
  const auto mixed = LayoutEditText(secret, {StyledSpan{u"HI", bold}}, fonts);
  ASSERT_EQ(mixed.runs.size(), 1u);
  EXPECT_EQ(mixed.runs[0].text, u"**");
  EXPECT_EQ(mixed.runs[0].font, fonts.Find(2));
}

TEST(SwfText, FieldsDrawBackgroundBorderAndText) {
  const FontTable fonts = SquareFonts();
  EditTextSpec recipe;
  recipe.bounds = {0, 0, 400, 400};  // 20 pixels; drawn at twice the size from (10, 20)
  recipe.border = true;
  recipe.fontId = 1;
  recipe.height = 200;
  recipe.color = swfgen::Color{0, 0, 255, 255};
  recipe.text = "HO";
  const Matrix toDevice{0.1, 0, 0, 0.1, 10, 20};
  auto draw = [&](const EditTextSpec& s, const TextFieldState* changed = nullptr) {
    const auto field = Field(s);
    std::vector<DrawItem> items;
    AppendEditText(changed ? *changed : TextFieldState(field), fonts, toDevice, ColorTransform{}, items);
    return items;
  };
  auto items = draw(recipe);
  ASSERT_EQ(items.size(), 6u);
  EXPECT_EQ(items[0].color, (Rgba{255, 255, 255, 255}));  // the background: the box's pixels
  EXPECT_EQ(items[0].contours[0], (Contour{{10, 20}, {50, 20}, {50, 60}, {10, 60}}));
  EXPECT_EQ(items[1].color, (Rgba{0, 0, 0, 255}));  // the border: a pixel wide on each edge
  ASSERT_EQ(items[1].contours.size(), 4u);
  EXPECT_EQ(items[1].contours[0], (Contour{{10, 20}, {51, 20}, {51, 21}, {10, 21}}));
  EXPECT_EQ(items[1].contours[2], (Contour{{50, 21}, {51, 21}, {51, 40 + 20}, {50, 60}}));
  // The text draws inside the box only.
  EXPECT_EQ(items[2].kind, DrawKind::kClipBegin);
  EXPECT_EQ(items[3].kind, DrawKind::kClipArea);
  EXPECT_EQ(items[3].contours, items[0].contours);
  EXPECT_EQ(items[5].kind, DrawKind::kClipEnd);
  ASSERT_TRUE(items[4].text);  // without "use outlines": a font of the system
  EXPECT_EQ(items[4].text->text, u"HO");
  EXPECT_EQ(items[4].text->face, u"Squares");
  EXPECT_EQ(items[4].text->origin, (Point{kTextGutter, kTextGutter + DeviceAscent(TextFormat{}) * 200}));
  EXPECT_EQ(items[4].color, (Rgba{0, 0, 255, 255}));

  // Right and centre aligned lines are placed by their end and middle, for the system's font.
  recipe.align = 1;
  recipe.text = "HO  ";
  items = draw(recipe);
  ASSERT_EQ(items.size(), 6u);
  EXPECT_EQ(items[4].text->anchor, DeviceText::Anchor::kEnd);
  EXPECT_EQ(items[4].text->origin.x, 400 - kTextGutter);
  EXPECT_EQ(items[4].text->text, u"HO");
  recipe.align = 2;
  EXPECT_EQ(draw(recipe)[4].text->anchor, DeviceText::Anchor::kMiddle);
  EXPECT_NEAR(draw(recipe)[4].text->origin.x, 200, 1e-9);
  recipe.align.reset();

  recipe.useOutlines = true;
  items = draw(recipe);
  ASSERT_EQ(items.size(), 6u);
  EXPECT_FALSE(items[4].text);
  EXPECT_EQ(items[4].contours.size(), 3u);  // H, and O with its hole

  // Actions change the look: no border, a coloured background, another text.
  TextFieldState state(Field(recipe));
  state.border = false;
  state.backgroundColor = {255, 255, 0, 255};
  state.SetText(u"");
  items = draw(recipe, &state);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].color, (Rgba{255, 255, 0, 255}));

  // An auto-sized field's box fits its text: H and O (600 twips each) and the gutters wide, one
  // line (ascent 800, descent 200) and the gutters high, kept on the right.
  EditTextSpec sized = recipe;
  sized.autoSize = true;
  sized.height = 1024;
  sized.align = 1;
  items = draw(sized);
  ASSERT_FALSE(items.empty());
  EXPECT_EQ(items[0].contours[0], (Contour{{50 - 128, 20}, {50, 20}, {50, 20 + 108}, {50 - 128, 20 + 108}}));

  // A turned field's box is drawn as it turns, not snapped.
  const auto field = Field(recipe);
  std::vector<DrawItem> turned;
  AppendEditText(TextFieldState(field), fonts, Matrix{0, 0.1, -0.1, 0, 100, 0}, ColorTransform{}, turned);
  ASSERT_GE(turned.size(), 2u);
  EXPECT_TRUE(turned[1].stroke);
  EXPECT_EQ(turned[1].contours[0].size(), 5u);
}

TEST(SwfText, AMovieDrawsItsTextsAndFieldsKeepTheirOwnState) {
  swfgen::MovieWriter m(8, 100, 100, 12);
  const auto font = swfgen::SquareFont(1, "Squares");
  m.Tag(kTagDefineFont, swfgen::FontBody(kTagDefineFont, font));
  m.Tag(kTagDefineFontInfo2, swfgen::FontInfoBody(kTagDefineFontInfo2, font));
  std::vector<swfgen::TextRecordSpec> records(1);
  records[0] = {1, 400, swfgen::Color{255, 0, 0, 255}, 0, 400, {{1, 300}, {2, 300}}};  // "HI"
  m.Tag(kTagDefineText2, swfgen::StaticTextBody(kTagDefineText2, 2, {0, 0, 600, 400}, 0, 0, records));
  EditTextSpec recipe;
  recipe.id = 3;
  recipe.fontId = 1;
  recipe.useOutlines = true;
  recipe.border = true;
  recipe.text = "H";
  m.Tag(kTagDefineEditText, swfgen::EditTextBody(recipe));
  m.Place(1, 2, 200, 200).Place(2, 3, 0, 1000).Place(3, 3, 0, 1500).ShowFrame();
  auto file = File::Parse(m.Finish(false));
  ASSERT_TRUE(file);
  Player player;
  player.Load(Movie::Build(std::move(*file)), 0);
  const auto view = ComputeViewTransform({0, 2000, 0, 2000}, std::nullopt, ScaleMode::kNoScale, 100, 100);
  auto items = BuildDrawList(player, view, 1, 1);
  // The static text's two glyphs, then each field's background, border and clipped glyph.
  ASSERT_EQ(items.size(), 1u + 6u + 6u);
  EXPECT_EQ(items[0].color, (Rgba{255, 0, 0, 255}));
  ASSERT_EQ(items[0].contours.size(), 2u);
  EXPECT_EQ(items[0].contours[0][0], (Point{10, 30}));  // (200 + 0, 200 + 400) twips
  EXPECT_EQ(items[1].contours[0][0], (Point{0, 50}));   // the first field's background
  EXPECT_EQ(items[5].contours.size(), 1u);

  // Each placed field has its own state: changing one leaves the other as it was.
  Instance* second = player.root().ChildAt(3);
  ASSERT_TRUE(second && second->textField);
  EXPECT_EQ(second->textField->text(), u"H");
  second->textField->SetText(u"HH");
  second->textField->border = false;
  items = BuildDrawList(player, view, 1, 1);
  ASSERT_EQ(items.size(), 1u + 6u + 5u);
  EXPECT_EQ(items[1 + 6 + 3].contours.size(), 2u);
  EXPECT_EQ(player.root().ChildAt(2)->textField->text(), u"H");
}

}  // namespace
}  // namespace zp::swf
