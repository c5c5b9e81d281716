// Runs the font, static text and edit text readers over arbitrary bytes, then sets and draws
// what they read: the first byte picks the tag, the rest is its body.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "core/swf/swf_file.h"
#include "core/swf/swf_font.h"
#include "core/swf/swf_text.h"
#include "core/swf/swf_text_draw.h"
#include "core/swf/swf_text_layout.h"

using namespace zp::swf;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const std::span<const uint8_t> body(data + 1, size - 1);
  FontTable fonts;
  std::vector<DrawItem> items;
  const Matrix toDevice{0.05, 0, 0, 0.05, 0, 0};
  switch (data[0] % 6) {
    case 0:
    case 1:
    case 2: {
      const uint16_t tags[] = {kTagDefineFont, kTagDefineFont2, kTagDefineFont3};
      auto font = ParseFont(tags[data[0] % 3], body, 8);
      if (!font) return 0;
      if (data[0] % 3 == 0) ApplyFontInfo(kTagDefineFontInfo2, body, 8, *font);
      for (const Glyph& g : font->glyphs) {
        if (font->GlyphFor(g.code) == nullptr) std::abort();
      }
      font->id = 1;
      fonts.Add(*font);
      StaticTextDefinition text;
      StaticTextRun run;
      run.fontId = 1;
      run.height = 240;
      for (uint32_t i = 0; i < 4; ++i) run.glyphs.push_back({i, i * 100.0});
      text.runs.push_back(run);
      AppendStaticText(text, fonts, toDevice, ColorTransform{}, items);
      EditTextDefinition field;
      field.fontId = 1;
      field.useOutlines = true;
      field.wordWrap = true;
      field.bounds = {0, 2000, 0, 2000};
      TextFieldState state(field);
      state.SetText(u"AB CD\rEF");
      AppendEditText(state, fonts, toDevice, ColorTransform{}, items);
      break;
    }
    case 3: {
      if (auto text = ParseStaticText(kTagDefineText2, body)) AppendStaticText(*text, fonts, toDevice, ColorTransform{}, items);
      break;
    }
    case 4: {
      if (auto field = ParseEditText(body, 8)) {
        TextFieldState state(*field);
        AppendEditText(state, fonts, toDevice, ColorTransform{}, items);
        (void)state.text();
        (void)state.htmlText();
      }
      break;
    }
    default: {
      std::u16string html;
      for (size_t i = 0; i + 1 < body.size(); i += 2) html.push_back(static_cast<char16_t>(body[i] | (body[i + 1] << 8)));
      EditTextDefinition field;
      field.html = true;
      field.wordWrap = (data[0] & 0x80) != 0;
      field.bounds = {0, 1000, 0, 1000};
      TextFieldState state(field);
      state.SetHtmlText(html);
      AppendEditText(state, fonts, toDevice, ColorTransform{}, items);
      break;
    }
  }
  return 0;
}
