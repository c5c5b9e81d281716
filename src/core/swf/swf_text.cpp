#include "core/swf/swf_text.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "core/swf/swf_bits.h"
#include "core/swf/swf_movie.h"
#include "core/swf/swf_shape.h"
#include "core/text.h"

namespace zp::swf {
namespace {

enum TextRecordFlags : uint8_t {
  kRecordIsText = 0x80,
  kRecordHasFont = 0x08,
  kRecordHasColor = 0x04,
  kRecordHasY = 0x02,
  kRecordHasX = 0x01,
};

// The first flag byte of an edit text.
enum EditFlags1 : uint8_t {
  kEditHasText = 0x80,
  kEditWordWrap = 0x40,
  kEditMultiline = 0x20,
  kEditPassword = 0x10,
  kEditReadOnly = 0x08,
  kEditHasColor = 0x04,
  kEditHasMaxLength = 0x02,
  kEditHasFont = 0x01,
};

// The second flag byte of an edit text.
enum EditFlags2 : uint8_t {
  kEditHasFontClass = 0x80,
  kEditAutoSize = 0x40,
  kEditHasLayout = 0x20,
  kEditNoSelect = 0x10,
  kEditBorder = 0x08,
  kEditWasStatic = 0x04,
  kEditHtml = 0x02,
  kEditUseOutlines = 0x01,
};

// Line ends of every convention become '\n'.
std::u16string NormalizeLineEnds(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r') {
      out.push_back(u'\n');
      if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

std::u16string Lower(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) c = AsciiLower(c);
  return out;
}

// "#RRGGBB" (or without the '#'); nothing for anything else.
std::optional<Rgba> ParseHtmlColor(std::u16string_view value) {
  if (!value.empty() && value.front() == u'#') value.remove_prefix(1);
  if (value.size() != 6) return std::nullopt;
  uint32_t rgb = 0;
  for (char16_t c : value) {
    const char16_t l = AsciiLower(c);
    const int digit = l >= u'0' && l <= u'9' ? l - u'0' : l >= u'a' && l <= u'f' ? l - u'a' + 10 : -1;
    if (digit < 0) return std::nullopt;
    rgb = rgb * 16 + static_cast<uint32_t>(digit);
  }
  return Rgba{static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8), static_cast<uint8_t>(rgb), 255};
}

std::optional<double> ParseNumber(std::u16string_view value) {
  const std::string ascii = U16ToUtf8(value);
  char* end = nullptr;
  const double number = std::strtod(ascii.c_str(), &end);
  if (end == ascii.c_str() || !std::isfinite(number)) return std::nullopt;
  return number;
}

struct HtmlTag {
  std::u16string name;  // lower case
  bool closing = false;
  std::vector<std::pair<std::u16string, std::u16string>> attributes;  // names in lower case

  std::optional<std::u16string_view> Attribute(std::u16string_view key) const {
    for (const auto& [k, v] : attributes) {
      if (k == key) return std::u16string_view(v);
    }
    return std::nullopt;
  }
};

HtmlTag ParseTag(std::u16string_view inside) {
  HtmlTag tag;
  size_t i = 0;
  auto skipSpace = [&] {
    while (i < inside.size() && IsWhiteSpace(inside[i])) ++i;
  };
  auto word = [&] {
    const size_t start = i;
    while (i < inside.size() && !IsWhiteSpace(inside[i]) && inside[i] != u'=' && inside[i] != u'/') ++i;
    return Lower(inside.substr(start, i - start));
  };
  skipSpace();
  if (i < inside.size() && inside[i] == u'/') {
    tag.closing = true;
    ++i;
  }
  tag.name = word();
  while (i < inside.size()) {
    skipSpace();
    if (i < inside.size() && inside[i] == u'/') {
      ++i;
      continue;
    }
    std::u16string key = word();
    if (key.empty()) {
      ++i;
      continue;
    }
    skipSpace();
    std::u16string value;
    if (i < inside.size() && inside[i] == u'=') {
      ++i;
      skipSpace();
      if (i < inside.size() && (inside[i] == u'"' || inside[i] == u'\'')) {
        const char16_t quote = inside[i++];
        const size_t end = inside.find(quote, i);
        const size_t stop = end == std::u16string_view::npos ? inside.size() : end;
        value = inside.substr(i, stop - i);
        i = stop + 1;
      } else {
        const size_t start = i;
        while (i < inside.size() && !IsWhiteSpace(inside[i])) ++i;
        value = inside.substr(start, i - start);
      }
    }
    tag.attributes.emplace_back(std::move(key), std::move(value));
  }
  return tag;
}

// "&amp;" and the like at the start of `text`; `length` receives how much was used (0 when
// the text does not start with an entity this reader knows).
char16_t DecodeEntity(std::u16string_view text, size_t& length) {
  length = 0;
  const size_t end = text.find(u';');
  if (end == std::u16string_view::npos || end > 10) return 0;
  const std::u16string name = Lower(text.substr(1, end - 1));
  char16_t c = 0;
  if (name == u"lt") c = u'<';
  else if (name == u"gt") c = u'>';
  else if (name == u"amp") c = u'&';
  else if (name == u"quot") c = u'"';
  else if (name == u"apos") c = u'\'';
  else if (name == u"nbsp") c = 0xA0;
  else if (name.size() > 1 && name[0] == u'#') {
    const bool hex = name[1] == u'x';
    uint32_t value = 0;
    for (size_t i = hex ? 2 : 1; i < name.size(); ++i) {
      const char16_t d = name[i];
      const int digit = d >= u'0' && d <= u'9' ? d - u'0' : (hex && d >= u'a' && d <= u'f') ? d - u'a' + 10 : -1;
      if (digit < 0 || value > 0xFFFF) return 0;
      value = value * (hex ? 16 : 10) + static_cast<uint32_t>(digit);
    }
    if (value == 0 || value > 0xFFFF) return 0;
    c = static_cast<char16_t>(value);
  }
  if (c != 0) length = end + 1;
  return c;
}

// Builds the spans of an HTML text, one tag at a time.
class HtmlSpanBuilder {
 public:
  explicit HtmlSpanBuilder(const TextFormat& base) { stack_.push_back({u"", base}); }

  void Text(char16_t c) {
    const TextFormat& format = stack_.back().format;
    if (spans_.empty() || !(spans_.back().format == format)) spans_.push_back({u"", format});
    spans_.back().text.push_back(c);
  }

  void Tag(const HtmlTag& tag) {
    if (tag.name == u"br" || tag.name == u"sbr") {
      Text(u'\n');
      return;
    }
    const bool paragraph = tag.name == u"p" || tag.name == u"li";
    if (tag.closing) {
      if (paragraph) Text(u'\n');
      Pop(tag.name);
      return;
    }
    TextFormat format = stack_.back().format;
    if (paragraph) {
      if (!spans_.empty() && !spans_.back().text.empty() && spans_.back().text.back() != u'\n') Text(u'\n');
      if (auto align = tag.Attribute(u"align")) {
        const std::u16string a = Lower(*align);
        format.align = a == u"right" ? TextAlign::kRight : a == u"center" ? TextAlign::kCenter
                     : a == u"justify" ? TextAlign::kJustify : TextAlign::kLeft;
      }
    } else if (tag.name == u"font") {
      if (auto face = tag.Attribute(u"face")) format.face = *face;
      if (auto color = tag.Attribute(u"color")) format.color = ParseHtmlColor(*color).value_or(format.color);
      if (auto size = tag.Attribute(u"size")) {
        if (auto points = ParseNumber(*size)) {
          // "+2" and "-2" are relative to the size around them.
          const bool relative = !size->empty() && (size->front() == u'+' || size->front() == u'-');
          const double twips = relative ? format.size + *points * 20 : *points * 20;
          if (twips > 0 && twips < 20 * 2000) format.size = twips;
        }
      }
      if (auto spacing = tag.Attribute(u"letterspacing")) {
        if (auto points = ParseNumber(*spacing)) format.letterSpacing = std::clamp(*points, -1000.0, 1000.0) * 20;
      }
    } else if (tag.name == u"b") {
      format.bold = true;
    } else if (tag.name == u"i") {
      format.italic = true;
    } else if (tag.name == u"u") {
      format.underline = true;
    } else if (tag.name != u"textformat" && tag.name != u"span" && tag.name != u"a") {
      return;  // a tag that changes nothing here
    }
    if (stack_.size() < kMaxDepth) stack_.push_back({tag.name, format});
  }

  std::vector<StyledSpan> Finish() { return std::move(spans_); }

 private:
  static constexpr size_t kMaxDepth = 256;

  // Closes the innermost open tag of this name and those opened inside it; a closing tag
  // without its opening one changes nothing.
  void Pop(const std::u16string& name) {
    for (size_t i = stack_.size(); i-- > 1;) {
      if (stack_[i].name == name) {
        stack_.resize(i);
        return;
      }
    }
  }

  struct Open {
    std::u16string name;
    TextFormat format;
  };
  std::vector<Open> stack_;
  std::vector<StyledSpan> spans_;
};

}  // namespace

std::optional<StaticTextDefinition> ParseStaticText(uint16_t tagCode, std::span<const uint8_t> body) {
  BitReader reader(body);
  StaticTextDefinition text;
  text.id = reader.U16();
  text.bounds = ReadRect(reader);
  text.matrix = ReadMatrix(reader);
  const unsigned glyphBits = reader.U8();
  const unsigned advanceBits = reader.U8();
  if (!reader.ok()) return std::nullopt;
  StaticTextRun state;
  double x = 0;
  while (reader.ok()) {
    const uint8_t flags = reader.U8();
    if (!reader.ok() || flags == 0 || !(flags & kRecordIsText)) break;
    if (flags & kRecordHasFont) state.fontId = reader.U16();
    if (flags & kRecordHasColor) state.color = ReadColor(reader, tagCode == kTagDefineText2);
    if (flags & kRecordHasX) x = reader.S16();
    if (flags & kRecordHasY) state.y = reader.S16();
    if (flags & kRecordHasFont) state.height = reader.U16();
    const unsigned count = reader.U8();
    StaticTextRun run = state;
    for (unsigned i = 0; i < count && reader.ok(); ++i) {
      const uint32_t index = reader.UB(glyphBits);
      const int32_t advance = reader.SB(advanceBits);
      run.glyphs.push_back({index, x});
      x += advance;
    }
    reader.AlignToByte();
    if (!reader.ok()) break;  // a record cut short is not drawn
    text.runs.push_back(std::move(run));
  }
  return text;
}

std::optional<EditTextDefinition> ParseEditText(std::span<const uint8_t> body, uint8_t version) {
  BitReader reader(body);
  EditTextDefinition field;
  field.id = reader.U16();
  field.bounds = ReadRect(reader);
  const uint8_t flags1 = reader.U8();
  const uint8_t flags2 = reader.U8();
  if (!reader.ok()) return std::nullopt;
  field.wordWrap = flags1 & kEditWordWrap;
  field.multiline = flags1 & kEditMultiline;
  field.password = flags1 & kEditPassword;
  field.readOnly = flags1 & kEditReadOnly;
  field.autoSize = flags2 & kEditAutoSize;
  field.noSelect = flags2 & kEditNoSelect;
  field.border = flags2 & kEditBorder;
  field.wasStatic = flags2 & kEditWasStatic;
  field.html = flags2 & kEditHtml;
  field.useOutlines = flags2 & kEditUseOutlines;
  if (flags1 & kEditHasFont) field.fontId = reader.U16();
  if (flags2 & kEditHasFontClass) field.fontClass = DecodeMovieText(reader.CString(), version);
  if ((flags1 & kEditHasFont) || (flags2 & kEditHasFontClass)) field.height = reader.U16();
  if (flags1 & kEditHasColor) field.color = ReadColor(reader, true);
  if (flags1 & kEditHasMaxLength) field.maxLength = reader.U16();
  if (flags2 & kEditHasLayout) {
    const uint8_t align = reader.U8();
    field.align = align <= 3 ? static_cast<TextAlign>(align) : TextAlign::kLeft;
    field.leftMargin = reader.U16();
    field.rightMargin = reader.U16();
    field.indent = reader.U16();
    field.leading = reader.S16();
  }
  field.variableName = DecodeMovieText(reader.CString(), version);
  if (flags1 & kEditHasText) field.initialText = DecodeMovieText(reader.CString(), version);
  if (!reader.ok()) field.initialText.clear();  // a text cut short is not shown
  return field;
}

EditTextDefinition ScriptFieldDefinition(const TwipsRect& bounds) {
  EditTextDefinition field;
  field.bounds = bounds;
  field.fontClass = u"Times New Roman";
  field.height = 240;
  field.color = Rgba{0, 0, 0, 255};
  return field;
}

std::vector<StyledSpan> ParseHtmlText(std::u16string_view html, const TextFormat& base) {
  const std::u16string text = NormalizeLineEnds(html);
  const std::u16string_view all(text);
  // The markup as tags and the text between them.
  struct Piece {
    bool isTag = false;
    std::u16string_view raw;  // a tag without its angle brackets, or text
  };
  std::vector<Piece> pieces;
  size_t start = 0;
  for (size_t i = 0; i < all.size(); ++i) {
    if (all[i] != u'<') continue;
    const size_t end = all.find(u'>', i);
    if (end == std::u16string_view::npos) break;  // a '<' that opens no tag is text
    if (i > start) pieces.push_back({false, all.substr(start, i - start)});
    pieces.push_back({true, all.substr(i + 1, end - i - 1)});
    start = end + 1;
    i = end;
  }
  if (start < all.size()) pieces.push_back({false, all.substr(start)});

  // White space that only lays out the markup shows nothing: text of nothing but white space
  // counts only in a paragraph that has other text.
  auto blank = [](std::u16string_view part) {
    return std::all_of(part.begin(), part.end(), [](char16_t c) { return IsWhiteSpace(c); });
  };
  auto breaks = [](const HtmlTag& tag) { return tag.name == u"p" || tag.name == u"li" || tag.name == u"br"; };
  std::vector<HtmlTag> tags(pieces.size());
  std::vector<bool> shown(pieces.size(), true);
  for (size_t begin = 0; begin < pieces.size();) {
    size_t end = begin;
    bool hasText = false;
    for (; end < pieces.size(); ++end) {
      if (pieces[end].isTag) {
        tags[end] = ParseTag(pieces[end].raw);
        if (breaks(tags[end])) break;
      } else {
        hasText = hasText || !blank(pieces[end].raw);
      }
    }
    for (size_t i = begin; i < end; ++i) shown[i] = pieces[i].isTag || hasText;
    begin = end + 1;
  }

  HtmlSpanBuilder builder(base);
  for (size_t p = 0; p < pieces.size(); ++p) {
    if (pieces[p].isTag) {
      builder.Tag(tags[p]);
      continue;
    }
    if (!shown[p]) continue;
    const std::u16string_view part = pieces[p].raw;
    for (size_t i = 0; i < part.size();) {
      size_t length = 0;
      const char16_t decoded = part[i] == u'&' ? DecodeEntity(part.substr(i), length) : 0;
      builder.Text(length > 0 ? decoded : part[i]);
      i += length > 0 ? length : 1;
    }
  }
  return builder.Finish();
}

TextFieldState::TextFieldState(const EditTextDefinition& definition)
    : border(definition.border),
      background(definition.border),
      textColor(definition.color),
      definition_(definition),
      source_(definition.initialText),
      sourceIsHtml_(definition.html) {}

std::u16string TextFieldState::text() const {
  std::u16string plain;
  if (sourceIsHtml_) {
    for (const StyledSpan& span : ParseHtmlText(source_, TextFormat{})) plain += span.text;
    // Paragraphs are separated, not ended: the last one's break is not part of the text.
    if (!plain.empty() && plain.back() == u'\n') plain.pop_back();
  } else {
    plain = NormalizeLineEnds(source_);
  }
  for (char16_t& c : plain) {
    if (c == u'\n') c = u'\r';
  }
  return plain;
}

void TextFieldState::SetText(std::u16string_view text) {
  source_ = text;
  const auto& maxLength = definition_.maxLength;
  if (maxLength && *maxLength > 0 && source_.size() > *maxLength) source_.resize(*maxLength);
  sourceIsHtml_ = false;
}

std::u16string TextFieldState::htmlText() const {
  if (sourceIsHtml_) return source_;
  std::u16string escaped;
  for (char16_t c : text()) {
    if (c == u'<') escaped += u"&lt;";
    else if (c == u'>') escaped += u"&gt;";
    else if (c == u'&') escaped += u"&amp;";
    else escaped.push_back(c);
  }
  return escaped;
}

void TextFieldState::SetHtmlText(std::u16string_view html) {
  if (!definition_.html) {
    SetText(html);  // a field that is not HTML shows the markup as it is
    return;
  }
  source_ = html;
  sourceIsHtml_ = true;
}

std::vector<StyledSpan> TextFieldState::Spans(const TextFormat& base) const {
  if (sourceIsHtml_) return ParseHtmlText(source_, base);
  std::u16string plain = NormalizeLineEnds(source_);
  if (plain.empty()) return {};
  return {StyledSpan{std::move(plain), base}};
}

}  // namespace zp::swf
