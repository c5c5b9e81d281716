#include "core/swf/swf_text_layout.h"

#include <algorithm>
#include <array>

#include "core/text.h"

namespace zp::swf {
namespace {

// Widths of the printable ASCII characters in a common sans-serif design, in thousandths of
// the em; text in fonts of the system is laid out with them.
constexpr std::array<uint16_t, 95> kSansWidths = {
    278, 278, 355, 556, 556, 889, 667, 191, 333, 333, 389, 584, 278, 333, 278, 278,  // space to /
    556, 556, 556, 556, 556, 556, 556, 556, 556, 556,                                // digits
    278, 278, 584, 584, 584, 556, 1015,                                              // : to @
    667, 667, 722, 722, 667, 611, 778, 722, 278, 500, 667, 556, 833,                 // A to M
    722, 778, 667, 778, 722, 667, 611, 722, 667, 944, 667, 667, 611,                 // N to Z
    278, 278, 278, 469, 556, 333,                                                    // [ to `
    556, 556, 500, 556, 556, 278, 556, 556, 222, 222, 500, 222, 833,                 // a to m
    556, 556, 556, 556, 333, 500, 278, 556, 500, 722, 500, 500, 500,                 // n to z
    334, 260, 334, 584};                                                             // { to ~

enum class DeviceFamily { kSans, kSerif, kTypewriter };

DeviceFamily FamilyOf(const std::u16string& face) {
  const std::u16string_view f = face;
  if (EqualsNoCase(f, u"_typewriter") || EqualsNoCase(f, u"Courier New") || EqualsNoCase(f, u"Courier")) {
    return DeviceFamily::kTypewriter;
  }
  if (EqualsNoCase(f, u"_serif") || EqualsNoCase(f, u"Times New Roman") || EqualsNoCase(f, u"Times")) {
    return DeviceFamily::kSerif;
  }
  return DeviceFamily::kSans;
}

// One character with what it needs for layout.
struct Char {
  char16_t c = 0;
  size_t style = 0;  // index into the styles
  double advance = 0;
};

struct Style {
  TextFormat format;
  const FontDefinition* font = nullptr;
  double ascent = 0, descent = 0;
};

struct Line {
  size_t begin = 0, end = 0;  // characters, without the paragraph's '\n'
  bool firstOfParagraph = false;
  bool lastOfParagraph = false;
};

double AdvanceOf(const Style& style, char16_t c) {
  const double size = style.format.size;
  double advance = 0;
  if (style.font) {
    const Glyph* glyph = style.font->GlyphFor(c);
    advance = glyph ? style.font->AdvanceOf(glyph) * size / kEmUnits : 0;
  } else {
    advance = DeviceAdvance(c, style.format) * size;
  }
  return advance + style.format.letterSpacing;
}

Style MakeStyle(const EditTextDefinition& field, const TextFormat& format, const FontTable& fonts) {
  Style style{format, EmbeddedFontFor(field, format, fonts), 0, 0};
  const double size = format.size;
  if (style.font && style.font->hasLayout) {
    style.ascent = style.font->ascent * size / kEmUnits;
    style.descent = style.font->descent * size / kEmUnits;
  } else if (style.font) {
    style.ascent = size * 0.8;
    style.descent = size * 0.2;
  } else {
    style.ascent = DeviceAscent(format) * size;
    style.descent = DeviceDescent(format) * size;
  }
  return style;
}

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == 0xA0; }

// Width of characters [begin, end) without the spaces that end them.
double LineWidth(const std::vector<Char>& chars, size_t begin, size_t end) {
  while (end > begin && IsSpace(chars[end - 1].c)) --end;
  double width = 0;
  for (size_t i = begin; i < end; ++i) width += chars[i].advance;
  return width;
}

// Breaks one paragraph [begin, end) into lines no wider than the room there is, after a
// space where one came before, otherwise inside the word.
void BreakParagraph(const std::vector<Char>& chars, size_t begin, size_t end, bool wrap, double room,
                    double indent, std::vector<Line>& lines) {
  size_t start = begin;
  bool first = true;
  while (true) {
    size_t stop = end;
    if (wrap) {
      const double width = room - (first ? indent : 0);
      double used = 0;
      size_t afterSpace = start;
      for (size_t i = start; i < end; ++i) {
        if (!IsSpace(chars[i].c) && i > start && used + chars[i].advance > width) {
          stop = afterSpace > start ? afterSpace : i;
          break;
        }
        used += chars[i].advance;
        if (IsSpace(chars[i].c)) afterSpace = i + 1;
      }
    }
    lines.push_back({start, stop, first, stop >= end});
    if (stop >= end) return;
    start = stop;
    first = false;
  }
}

}  // namespace

double DeviceAdvance(char16_t c, const TextFormat& format) {
  const DeviceFamily family = FamilyOf(format.face);
  if (family == DeviceFamily::kTypewriter) return 0.6;
  double width = 0.556;
  if (c >= 32 && c < 127) width = kSansWidths[c - 32] / 1000.0;
  else if (c == 0xA0) width = 0.278;
  if (format.bold) width *= 1.07;
  if (family == DeviceFamily::kSerif) width *= 0.92;
  return width;
}

double DeviceAscent(const TextFormat& format) {
  switch (FamilyOf(format.face)) {
    case DeviceFamily::kTypewriter: return 0.833;
    case DeviceFamily::kSerif: return 0.891;
    case DeviceFamily::kSans: break;
  }
  return 0.905;
}

double DeviceDescent(const TextFormat& format) {
  switch (FamilyOf(format.face)) {
    case DeviceFamily::kTypewriter: return 0.300;
    case DeviceFamily::kSerif: return 0.216;
    case DeviceFamily::kSans: break;
  }
  return 0.212;
}

TextFormat BaseFormat(const EditTextDefinition& field, const FontTable& fonts) {
  TextFormat format;
  const FontDefinition* own = field.fontId ? fonts.Find(*field.fontId) : nullptr;
  if (own && !own->name.empty()) format.face = own->name;
  else if (!field.fontClass.empty()) format.face = field.fontClass;
  else format.face = u"Times New Roman";  // what a field without a font shows
  format.size = field.height;
  format.color = field.color.value_or(Rgba{0, 0, 0, 255});
  format.align = field.align;
  return format;
}

const FontDefinition* EmbeddedFontFor(const EditTextDefinition& field, const TextFormat& format,
                                      const FontTable& fonts) {
  if (!field.useOutlines) return nullptr;
  const FontDefinition* own = field.fontId ? fonts.Find(*field.fontId) : nullptr;
  if (own && own->glyphs.empty()) own = nullptr;
  const std::u16string_view face = format.face.empty() && own ? std::u16string_view(own->name) : format.face;
  if (own && own->bold == format.bold && own->italic == format.italic && EqualsNoCase(own->name, face)) return own;
  if (const FontDefinition* named = fonts.FindByName(face, format.bold, format.italic)) return named;
  return own;
}

TextLayout LayoutEditText(const EditTextDefinition& field, const std::vector<StyledSpan>& spans,
                          const FontTable& fonts) {
  TextLayout layout;
  std::vector<Style> styles;
  std::vector<Char> chars;
  for (const StyledSpan& span : spans) {
    if (styles.empty() || !(styles.back().format == span.format)) styles.push_back(MakeStyle(field, span.format, fonts));
    for (size_t i = 0; i < span.text.size(); ++i) {
      char16_t c = span.text[i];
      if (c == u'\r') {
        c = u'\n';  // "\r", "\n" and "\r\n" all end a paragraph
        if (i + 1 < span.text.size() && span.text[i + 1] == u'\n') ++i;
      }
      if (c != u'\n' && field.password) c = u'*';
      chars.push_back({c, styles.size() - 1, c == u'\n' ? 0 : AdvanceOf(styles.back(), c)});
    }
  }
  if (chars.empty()) return layout;

  const double room = field.bounds.Width() - 2 * kTextGutter - field.leftMargin - field.rightMargin;
  std::vector<Line> lines;
  for (size_t begin = 0; begin <= chars.size();) {
    size_t end = begin;
    while (end < chars.size() && chars[end].c != u'\n') ++end;
    BreakParagraph(chars, begin, end, field.wordWrap, room, field.indent, lines);
    begin = end + 1;
  }

  double top = field.bounds.yMin + kTextGutter;
  const double firstTop = top;
  for (const Line& line : lines) {
    // A line is as tall as its tallest character; an empty one takes the style of the break.
    const size_t styleIndex = line.begin < chars.size() ? chars[line.begin].style : chars.back().style;
    double ascent = styles[styleIndex].ascent, descent = styles[styleIndex].descent;
    for (size_t i = line.begin; i < line.end; ++i) {
      ascent = std::max(ascent, styles[chars[i].style].ascent);
      descent = std::max(descent, styles[chars[i].style].descent);
    }
    if (!field.autoSize && top >= field.bounds.yMax) break;  // below the box: not shown
    const double baseline = top + ascent;
    top = baseline + descent + field.leading;
    layout.textHeight = baseline + descent - firstTop;

    const double width = LineWidth(chars, line.begin, line.end);
    layout.textWidth = std::max(layout.textWidth, width);
    const double lineRoom = room - (line.firstOfParagraph ? field.indent : 0);
    const TextAlign align = styles[styleIndex].format.align;
    double x = field.bounds.xMin + kTextGutter + field.leftMargin + (line.firstOfParagraph ? field.indent : 0);
    double spaceExtra = 0;
    if (align == TextAlign::kRight) x += std::max(0.0, lineRoom - width);
    else if (align == TextAlign::kCenter) x += std::max(0.0, lineRoom - width) / 2;
    else if (align == TextAlign::kJustify && !line.lastOfParagraph) {
      size_t inner = line.end;
      while (inner > line.begin && IsSpace(chars[inner - 1].c)) --inner;
      const auto spaces = std::count_if(chars.begin() + line.begin, chars.begin() + inner,
                                        [](const Char& ch) { return IsSpace(ch.c); });
      if (spaces > 0) spaceExtra = std::max(0.0, lineRoom - width) / spaces;
    }
    for (size_t i = line.begin; i < line.end; ++i) {
      const Char& ch = chars[i];
      if (layout.runs.empty() || i == line.begin || chars[i - 1].style != ch.style) {
        layout.runs.push_back({styles[ch.style].format, styles[ch.style].font, u"", {}, baseline, 0});
      }
      LaidOutRun& run = layout.runs.back();
      run.text.push_back(ch.c);
      run.x.push_back(x);
      x += ch.advance + (IsSpace(ch.c) ? spaceExtra : 0);
      run.width = x - run.x.front();
    }
  }
  return layout;
}

}  // namespace zp::swf
