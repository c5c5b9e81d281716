#include "text_writer.h"

#include <algorithm>

namespace zp::swfgen {
namespace {

// A glyph's shape: one fill bit, no line bits, each polygon a move and straight edges back
// to its start.
Bytes GlyphShape(const GlyphSpec& glyph, int32_t scale) {
  BitWriter w;
  w.UB(1, 4);
  w.UB(0, 4);
  bool first = true;
  for (const auto& polygon : glyph.polygons) {
    if (polygon.empty()) continue;
    const int32_t x = polygon[0].first * scale, y = polygon[0].second * scale;
    w.UB(0, 1);
    w.UB(first ? 0x05 : 0x01, 5);  // move to, and fill style 1 on the first
    const unsigned bits = std::max(SignedBits(x), SignedBits(y));
    w.UB(bits, 5);
    w.SB(x, bits);
    w.SB(y, bits);
    if (first) w.UB(1, 1);
    first = false;
    for (size_t i = 1; i <= polygon.size(); ++i) {
      const auto& from = polygon[i - 1];
      const auto& to = polygon[i % polygon.size()];
      WriteLine(w, (to.first - from.first) * scale, (to.second - from.second) * scale);
    }
  }
  w.UB(0, 6);
  return w.bytes();
}

}  // namespace

FontRecipe SquareFont(uint16_t id, std::string name) {
  FontRecipe font;
  font.id = id;
  font.name = std::move(name);
  const std::vector<std::pair<int32_t, int32_t>> square{{0, 0}, {0, -512}, {512, -512}, {512, 0}};
  font.glyphs = {{u' ', {}, 300},
                 {u'H', {square}, 600},
                 {u'I', {{{0, 0}, {0, -512}, {128, -512}, {128, 0}}}, 300},
                 {u'O', {square, {{128, -128}, {384, -128}, {384, -384}, {128, -384}}}, 600},
                 {u'W', {{{0, 0}, {0, -512}, {896, -512}, {896, 0}}}, 1000}};
  return font;
}

Bytes FontBody(uint16_t tagCode, const FontRecipe& font) {
  const int32_t scale = tagCode == 75 ? 20 : 1;
  std::vector<Bytes> shapes;
  for (const GlyphSpec& g : font.glyphs) shapes.push_back(GlyphShape(g, scale));
  BitWriter w;
  w.U16(font.id);
  const size_t count = font.glyphs.size();
  if (tagCode == 10) {
    uint32_t offset = static_cast<uint32_t>(count * 2);
    for (const Bytes& s : shapes) {
      w.U16(static_cast<uint16_t>(offset));
      offset += static_cast<uint32_t>(s.size());
    }
    for (const Bytes& s : shapes) w.Append(s);
    return w.bytes();
  }
  w.U8(static_cast<uint8_t>((font.layout ? 0x80 : 0) | 0x04 | (font.italic ? 0x02 : 0) | (font.bold ? 0x01 : 0)));
  w.U8(0);  // language
  w.U8(static_cast<uint8_t>(font.name.size()));
  for (char c : font.name) w.U8(static_cast<uint8_t>(c));
  w.U16(static_cast<uint16_t>(count));
  uint32_t offset = static_cast<uint32_t>((count + 1) * 2);
  for (const Bytes& s : shapes) {
    w.U16(static_cast<uint16_t>(offset));
    offset += static_cast<uint32_t>(s.size());
  }
  w.U16(static_cast<uint16_t>(offset));  // the code table
  for (const Bytes& s : shapes) w.Append(s);
  for (const GlyphSpec& g : font.glyphs) w.U16(g.code);
  if (font.layout) {
    w.U16(static_cast<uint16_t>(font.ascent * scale));
    w.U16(static_cast<uint16_t>(font.descent * scale));
    w.U16(static_cast<uint16_t>(font.leading * scale));
    for (const GlyphSpec& g : font.glyphs) w.U16(static_cast<uint16_t>(g.advance * scale));
    for (size_t i = 0; i < count; ++i) WriteRect(w, {0, 0, 0, 0});
    w.U16(0);  // kerning pairs
  }
  return w.bytes();
}

Bytes FontInfoBody(uint16_t tagCode, const FontRecipe& font) {
  BitWriter w;
  w.U16(font.id);
  w.U8(static_cast<uint8_t>(font.name.size()));
  for (char c : font.name) w.U8(static_cast<uint8_t>(c));
  w.U8(static_cast<uint8_t>((font.italic ? 0x04 : 0) | (font.bold ? 0x02 : 0) | 0x01));
  if (tagCode == 62) w.U8(0);  // language
  for (const GlyphSpec& g : font.glyphs) w.U16(g.code);
  return w.bytes();
}

Bytes StaticTextBody(uint16_t tagCode, uint16_t id, Rect bounds, int32_t tx, int32_t ty,
                     const std::vector<TextRecordSpec>& records) {
  unsigned glyphBits = 1, advanceBits = 1;
  for (const TextRecordSpec& r : records) {
    for (const auto& [index, advance] : r.glyphs) {
      while (glyphBits < 32 && (index >> glyphBits) != 0) ++glyphBits;
      advanceBits = std::max(advanceBits, SignedBits(advance));
    }
  }
  BitWriter w;
  w.U16(id);
  WriteRect(w, bounds);
  WriteTranslate(w, tx, ty);
  w.U8(static_cast<uint8_t>(glyphBits));
  w.U8(static_cast<uint8_t>(advanceBits));
  for (const TextRecordSpec& r : records) {
    w.U8(static_cast<uint8_t>(0x80 | (r.fontId ? 0x08 : 0) | (r.color ? 0x04 : 0) | (r.y ? 0x02 : 0) | (r.x ? 0x01 : 0)));
    if (r.fontId) w.U16(*r.fontId);
    if (r.color) {
      w.U8(r.color->r);
      w.U8(r.color->g);
      w.U8(r.color->b);
      if (tagCode == 33) w.U8(r.color->a);
    }
    if (r.x) w.U16(static_cast<uint16_t>(*r.x));
    if (r.y) w.U16(static_cast<uint16_t>(*r.y));
    if (r.fontId) w.U16(r.height);
    w.U8(static_cast<uint8_t>(r.glyphs.size()));
    for (const auto& [index, advance] : r.glyphs) {
      w.UB(index, glyphBits);
      w.SB(advance, advanceBits);
    }
    w.Flush();
  }
  w.U8(0);
  return w.bytes();
}

Bytes EditTextBody(const EditTextSpec& f) {
  BitWriter w;
  w.U16(f.id);
  WriteRect(w, f.bounds);
  w.U8(static_cast<uint8_t>((f.text ? 0x80 : 0) | (f.wordWrap ? 0x40 : 0) | (f.multiline ? 0x20 : 0) |
                            (f.password ? 0x10 : 0) | (f.readOnly ? 0x08 : 0) | (f.color ? 0x04 : 0) |
                            (f.maxLength ? 0x02 : 0) | (f.fontId ? 0x01 : 0)));
  w.U8(static_cast<uint8_t>((f.fontClass ? 0x80 : 0) | (f.autoSize ? 0x40 : 0) | (f.align ? 0x20 : 0) |
                            (f.noSelect ? 0x10 : 0) | (f.border ? 0x08 : 0) | (f.wasStatic ? 0x04 : 0) |
                            (f.html ? 0x02 : 0) | (f.useOutlines ? 0x01 : 0)));
  if (f.fontId) w.U16(*f.fontId);
  if (f.fontClass) w.String(*f.fontClass);
  if (f.fontId || f.fontClass) w.U16(f.height);
  if (f.color) WriteColor(w, *f.color);
  if (f.maxLength) w.U16(*f.maxLength);
  if (f.align) {
    w.U8(*f.align);
    w.U16(f.leftMargin);
    w.U16(f.rightMargin);
    w.U16(f.indent);
    w.U16(static_cast<uint16_t>(f.leading));
  }
  w.String(f.variable);
  if (f.text) w.String(*f.text);
  return w.bytes();
}

}  // namespace zp::swfgen
