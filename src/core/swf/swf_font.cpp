#include "core/swf/swf_font.h"

#include <algorithm>
#include <utility>

#include "core/swf/swf_bits.h"
#include "core/swf/swf_file.h"
#include "core/swf/swf_movie.h"
#include "core/swf/swf_shape.h"
#include "core/text.h"

namespace zp::swf {
namespace {

// A glyph is a small drawing; one that claims more edges than this is damaged or hostile.
constexpr size_t kMaxGlyphEdges = 20000;

// What a character without layout figures advances, as a share of the em.
constexpr double kTypicalAdvance = 0.5;

enum FontFlags : uint8_t {
  kFontHasLayout = 0x80,
  kFontWideOffsets = 0x08,
  kFontWideCodes = 0x04,
  kFontItalic = 0x02,
  kFontBold = 0x01,
};

enum FontInfoFlags : uint8_t {
  kInfoItalic = 0x04,
  kInfoBold = 0x02,
  kInfoWideCodes = 0x01,
};

// A glyph's outline: the records of a shape without style tables. Every move starts a new
// contour; the fill sides do not matter, as a glyph is filled with one colour.
std::vector<Contour> ReadGlyphOutline(std::span<const uint8_t> bytes, double scale) {
  BitReader reader(bytes);
  const unsigned fillBits = reader.UB(4);
  const unsigned lineBits = reader.UB(4);
  std::vector<Contour> contours;
  Contour current;
  auto finish = [&] {
    if (current.size() >= 3) contours.push_back(std::move(current));
    current.clear();
  };
  Point pen;
  size_t edges = 0;
  while (reader.ok() && edges < kMaxGlyphEdges) {
    if (reader.UB(1) == 0) {
      const uint32_t flags = reader.UB(5);
      if (flags == 0) break;
      if (flags & 0x01) {
        const unsigned bits = reader.UB(5);
        const int32_t x = reader.SB(bits);
        const int32_t y = reader.SB(bits);
        finish();
        pen = {static_cast<double>(x), static_cast<double>(y)};
      }
      if (flags & 0x02) reader.UB(fillBits);
      if (flags & 0x04) reader.UB(fillBits);
      if (flags & 0x08) reader.UB(lineBits);
      if (flags & 0x10) break;  // glyphs carry no style tables: the rest is not a glyph
      continue;
    }
    if (current.empty()) current.push_back(pen);
    const size_t whole = current.size();
    ReadEdge(reader, pen, current);
    if (!reader.ok()) current.resize(whole);  // an edge cut short is left out
    ++edges;
  }
  finish();
  for (Contour& c : contours) {
    for (Point& p : c) p = {p.x * scale, p.y * scale};
  }
  return contours;
}

// The glyph outlines of a table of `count` offsets (relative to `table`), each glyph running
// to the next offset and the last to `end`.
void ReadGlyphTable(std::span<const uint8_t> body, size_t table, const std::vector<uint32_t>& offsets, size_t end,
                    double scale, std::vector<Glyph>& glyphs) {
  glyphs.resize(offsets.size());
  for (size_t i = 0; i < offsets.size(); ++i) {
    const size_t from = table + offsets[i];
    const size_t to = i + 1 < offsets.size() ? table + offsets[i + 1] : end;
    if (from >= to || to > body.size()) continue;  // an empty or impossible glyph draws nothing
    glyphs[i].contours = ReadGlyphOutline(body.subspan(from, to - from), scale);
  }
}

std::u16string FontName(std::span<const uint8_t> bytes, uint8_t version) {
  std::string name(bytes.begin(), bytes.end());
  name.erase(std::find(name.begin(), name.end(), '\0'), name.end());
  return DecodeMovieText(name, version);
}

void ReadCodes(BitReader& reader, bool wide, std::vector<Glyph>& glyphs) {
  for (Glyph& g : glyphs) g.code = wide ? reader.U16() : reader.U8();
}

// The code table and, when the font has them, its layout figures.
void ReadCodesAndLayout(std::span<const uint8_t> bytes, uint8_t flags, double scale, FontDefinition& font) {
  BitReader codes(bytes);
  ReadCodes(codes, flags & kFontWideCodes, font.glyphs);
  if (!codes.ok()) {
    for (Glyph& g : font.glyphs) g.code = 0;  // a cut code table maps nothing
    return;
  }
  if (!(flags & kFontHasLayout)) return;
  const double ascent = codes.U16(), descent = codes.U16(), leading = codes.S16();
  std::vector<double> advances;
  // Advances are unsigned: wide letters of large fonts pass 32767.
  for (size_t i = 0; i < font.glyphs.size() && codes.ok(); ++i) advances.push_back(codes.U16() * scale);
  if (!codes.ok()) return;
  font.hasLayout = true;
  font.ascent = ascent * scale;
  font.descent = descent * scale;
  font.leading = leading * scale;
  for (size_t i = 0; i < font.glyphs.size(); ++i) font.glyphs[i].advance = advances[i];
  // Glyph bounds and kerning pairs follow; text is set without them.
}

std::optional<FontDefinition> ParseFirstFont(std::span<const uint8_t> body) {
  BitReader reader(body);
  FontDefinition font;
  font.id = reader.U16();
  if (!reader.ok()) return std::nullopt;
  // The first offset says how long the offset table is, and so how many glyphs there are.
  BitReader peek(body.subspan(2));
  const size_t count = peek.U16() / 2;
  std::vector<uint32_t> offsets;
  for (size_t i = 0; i < count && reader.ok(); ++i) offsets.push_back(reader.U16());
  if (!reader.ok()) offsets.clear();
  ReadGlyphTable(body, 2, offsets, body.size(), 1, font.glyphs);
  font.IndexCodes();  // every code is 0 until a font info names them
  return font;
}

std::optional<FontDefinition> ParseLaterFont(uint16_t tagCode, std::span<const uint8_t> body, uint8_t version) {
  BitReader reader(body);
  FontDefinition font;
  font.id = reader.U16();
  if (!reader.ok()) return std::nullopt;
  const uint8_t flags = reader.U8();
  reader.U8();  // language
  font.name = FontName(reader.Bytes(reader.U8()), version);
  font.bold = flags & kFontBold;
  font.italic = flags & kFontItalic;
  const size_t count = reader.U16();
  const size_t table = reader.position();
  const bool wideOffsets = flags & kFontWideOffsets;
  std::vector<uint32_t> offsets;
  for (size_t i = 0; i < count && reader.ok(); ++i) offsets.push_back(wideOffsets ? reader.U32() : reader.U16());
  const uint32_t codeOffset = count == 0 ? 0 : (wideOffsets ? reader.U32() : reader.U16());
  if (!reader.ok() || count == 0) return font;  // a font of no glyphs names a system font
  // The newest font tag draws its glyphs (and gives its figures) twenty times finer.
  const double scale = tagCode == kTagDefineFont3 ? 1.0 / 20 : 1.0;
  const size_t codeTable = table + codeOffset;
  ReadGlyphTable(body, table, offsets, std::min(codeTable, body.size()), scale, font.glyphs);
  if (codeTable <= body.size()) ReadCodesAndLayout(body.subspan(codeTable), flags, scale, font);
  font.IndexCodes();
  return font;
}

}  // namespace

const Glyph* FontDefinition::GlyphFor(char16_t code) const {
  const auto it = byCode_.find(code);
  return it == byCode_.end() ? nullptr : &glyphs[it->second];
}

double FontDefinition::AdvanceOf(const Glyph* glyph) const {
  if (!glyph) return 0;
  if (hasLayout) return glyph->advance;
  double right = 0;
  for (const Contour& c : glyph->contours) {
    for (const Point& p : c) right = std::max(right, p.x);
  }
  return right > 0 ? right + kEmUnits / 16 : kEmUnits * kTypicalAdvance;
}

void FontDefinition::IndexCodes() {
  byCode_.clear();
  for (size_t i = 0; i < glyphs.size(); ++i) byCode_.emplace(glyphs[i].code, i);  // the first glyph of a code wins
}

std::optional<FontDefinition> ParseFont(uint16_t tagCode, std::span<const uint8_t> body, uint8_t version) {
  if (tagCode == kTagDefineFont) return ParseFirstFont(body);
  return ParseLaterFont(tagCode, body, version);
}

std::optional<uint16_t> FontInfoTarget(std::span<const uint8_t> body) {
  BitReader reader(body);
  const uint16_t id = reader.U16();
  return reader.ok() ? std::optional<uint16_t>(id) : std::nullopt;
}

void ApplyFontInfo(uint16_t tagCode, std::span<const uint8_t> body, uint8_t version, FontDefinition& font) {
  BitReader reader(body);
  reader.U16();  // the font id
  const auto name = reader.Bytes(reader.U8());
  const uint8_t flags = reader.U8();
  if (tagCode == kTagDefineFontInfo2) reader.U8();  // language
  if (!reader.ok()) return;
  font.name = FontName(name, version);
  font.bold = flags & kInfoBold;
  font.italic = flags & kInfoItalic;
  std::vector<Glyph> coded = font.glyphs;
  ReadCodes(reader, tagCode == kTagDefineFontInfo2 || (flags & kInfoWideCodes), coded);
  if (reader.ok()) font.glyphs = std::move(coded);
  font.IndexCodes();
}

void FontTable::Add(FontDefinition font) {
  const uint16_t id = font.id;
  fonts_.insert_or_assign(id, std::move(font));
}

FontDefinition* FontTable::FindMutable(uint16_t id) {
  const auto it = fonts_.find(id);
  return it == fonts_.end() ? nullptr : &it->second;
}

const FontDefinition* FontTable::Find(uint16_t id) const {
  const auto it = fonts_.find(id);
  return it == fonts_.end() ? nullptr : &it->second;
}

const FontDefinition* FontTable::FindByName(std::u16string_view name, bool bold, bool italic) const {
  const FontDefinition* any = nullptr;
  for (const auto& [id, font] : fonts_) {
    if (font.glyphs.empty() || !EqualsNoCase(font.name, name)) continue;
    if (font.bold == bold && font.italic == italic) return &font;
    if (!any) any = &font;
  }
  return any;
}

}  // namespace zp::swf
