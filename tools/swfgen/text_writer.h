// Writes fonts, static texts and edit text fields for test movies.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "swf_writer.h"

namespace zp::swfgen {

// A glyph as polygons in an em of 1024 units (y down, the baseline at 0).
struct GlyphSpec {
  char16_t code = 0;
  std::vector<std::vector<std::pair<int32_t, int32_t>>> polygons;
  uint16_t advance = 0;
};

struct FontRecipe {
  uint16_t id = 0;
  std::string name;
  bool bold = false;
  bool italic = false;
  bool layout = true;
  int32_t ascent = 800, descent = 200, leading = 0;  // em units
  std::vector<GlyphSpec> glyphs;
};

// A font whose glyphs are squares of 512 units on the baseline (with a square hole for
// 'O'), each advancing 600 units; "H", "I", "O", "W" and space.
FontRecipe SquareFont(uint16_t id, std::string name);

// DefineFont2 or DefineFont3 (glyphs and figures twenty times finer), or DefineFont (the
// glyphs only; codes and name then come from `FontInfoBody`).
Bytes FontBody(uint16_t tagCode, const FontRecipe& font);
// DefineFontInfo or DefineFontInfo2 for a DefineFont.
Bytes FontInfoBody(uint16_t tagCode, const FontRecipe& font);

struct TextRecordSpec {
  std::optional<uint16_t> fontId;
  uint16_t height = 0;  // with the font
  std::optional<Color> color;
  std::optional<int16_t> x, y;
  std::vector<std::pair<uint32_t, int32_t>> glyphs;  // index, advance
};

// DefineText (colours without alpha) or DefineText2, with a translating text matrix.
Bytes StaticTextBody(uint16_t tagCode, uint16_t id, Rect bounds, int32_t tx, int32_t ty,
                     const std::vector<TextRecordSpec>& records);

struct EditTextSpec {
  uint16_t id = 0;
  Rect bounds{0, 0, 2000, 400};
  bool wordWrap = false, multiline = false, password = false, readOnly = false;
  bool autoSize = false, noSelect = false, border = false, wasStatic = false, html = false, useOutlines = false;
  std::optional<uint16_t> fontId;
  std::optional<std::string> fontClass;
  uint16_t height = 240;
  std::optional<Color> color;
  std::optional<uint16_t> maxLength;
  std::optional<uint8_t> align;  // with margins, indent and leading
  uint16_t leftMargin = 0, rightMargin = 0, indent = 0;
  int16_t leading = 0;
  std::string variable;
  std::optional<std::string> text;
};

Bytes EditTextBody(const EditTextSpec& field);

}  // namespace zp::swfgen
