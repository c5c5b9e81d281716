// Embedded fonts: glyph outlines, the code table that maps characters to glyphs, and the
// layout figures (ascent, descent, leading, advances) that text is set with.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/swf/swf_geometry.h"

namespace zp::swf {

// Every font's figures are kept in an em square of this many units, whatever the file used
// (the newest font tag stores its glyphs twenty times finer).
inline constexpr double kEmUnits = 1024;

struct Glyph {
  std::vector<Contour> contours;  // em units, y down, the origin on the baseline
  char16_t code = 0;
  double advance = 0;             // em units; 0 when the font carries no layout
};

struct FontDefinition {
  uint16_t id = 0;
  std::u16string name;
  bool bold = false;
  bool italic = false;
  bool hasLayout = false;
  double ascent = 0, descent = 0, leading = 0;  // em units
  std::vector<Glyph> glyphs;

  // The glyph of a character, when the font carries one.
  const Glyph* GlyphFor(char16_t code) const;
  // How far a character moves the pen, in em units: the font's advance, else the glyph's
  // width, else a typical width, so that text without layout still reads.
  double AdvanceOf(const Glyph* glyph) const;
  // Rebuilds the character lookup after the glyphs or their codes changed.
  void IndexCodes();

 private:
  std::map<char16_t, size_t> byCode_;
};

// Parses a DefineFont, DefineFont2 or DefineFont3 body (`tagCode` says which). A font's
// name is read as movie text of `version`. Fails only when the body ends before the id.
std::optional<FontDefinition> ParseFont(uint16_t tagCode, std::span<const uint8_t> body, uint8_t version);

// DefineFontInfo and DefineFontInfo2 name an earlier DefineFont and give it its name, style
// and code table. Returns the font id they refer to, or nothing when the body is cut short.
std::optional<uint16_t> FontInfoTarget(std::span<const uint8_t> body);
void ApplyFontInfo(uint16_t tagCode, std::span<const uint8_t> body, uint8_t version, FontDefinition& font);

// The fonts of a movie, by id and by name and style.
class FontTable {
 public:
  void Add(FontDefinition font);
  FontDefinition* FindMutable(uint16_t id);
  const FontDefinition* Find(uint16_t id) const;
  // The font of this name (compared without regard to ASCII case) that has glyphs, the one
  // of the same style first; nothing when no font of the name has glyphs.
  const FontDefinition* FindByName(std::u16string_view name, bool bold, bool italic) const;
  bool empty() const { return fonts_.empty(); }

 private:
  std::map<uint16_t, FontDefinition> fonts_;
};

}  // namespace zp::swf
