// Text characters: static text (glyphs placed by the authoring tool) and edit text fields
// (text set at run time, in an embedded font or a font of the system), and the state of a
// placed field that actions read and change.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/swf/swf_file.h"
#include "core/swf/swf_geometry.h"

namespace zp::swf {

// One record of static text: glyphs of one font, size and colour along one baseline.
struct StaticTextRun {
  uint16_t fontId = 0;
  Rgba color;
  double height = 0;  // the em's height in twips
  double y = 0;       // the baseline
  struct Entry {
    uint32_t index = 0;  // into the font's glyphs
    double x = 0;        // the glyph's origin
  };
  std::vector<Entry> glyphs;
};

struct StaticTextDefinition {
  uint16_t id = 0;
  TwipsRect bounds;
  Matrix matrix;  // from text space to the character's space
  std::vector<StaticTextRun> runs;
};

// Parses a DefineText or DefineText2 body (`tagCode` says which; the second has alpha).
// Fails only when the body ends before the id, bounds and matrix; damaged records end the
// text where they start.
std::optional<StaticTextDefinition> ParseStaticText(uint16_t tagCode, std::span<const uint8_t> body);

enum class TextAlign : uint8_t { kLeft = 0, kRight = 1, kCenter = 2, kJustify = 3 };

struct EditTextDefinition {
  uint16_t id = 0;
  TwipsRect bounds;
  bool wordWrap = false;
  bool multiline = false;
  bool password = false;
  bool readOnly = false;
  bool autoSize = false;
  bool noSelect = false;
  bool border = false;  // a border and a background, as the authoring tool's "show border" sets both
  bool wasStatic = false;
  bool html = false;
  bool useOutlines = false;  // draw with the embedded font's glyphs, not a font of the system
  std::optional<uint16_t> fontId;
  std::u16string fontClass;
  double height = 240;  // twips
  std::optional<Rgba> color;
  std::optional<uint16_t> maxLength;
  TextAlign align = TextAlign::kLeft;
  double leftMargin = 0, rightMargin = 0, indent = 0, leading = 0;  // twips
  std::u16string variableName;
  std::u16string initialText;
};

// Parses a DefineEditText body; text is movie text of `version`. Fails only when the body
// ends before the flags.
std::optional<EditTextDefinition> ParseEditText(std::span<const uint8_t> body, uint8_t version);

// The definition of a field a script makes (createTextField): these bounds, no text, no
// border, a single line in the system's serif font of 12 points, black.
EditTextDefinition ScriptFieldDefinition(const TwipsRect& bounds);

// The look of a stretch of text.
struct TextFormat {
  std::u16string face;  // a font name, or "_sans", "_serif", "_typewriter"
  double size = 240;    // twips
  Rgba color;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  TextAlign align = TextAlign::kLeft;
  double letterSpacing = 0;  // twips
  bool operator==(const TextFormat&) const = default;
};

// Text of one format; '\n' ends a paragraph.
struct StyledSpan {
  std::u16string text;
  TextFormat format;
};

// The text of an HTML field as formatted spans: paragraphs (a paragraph's end and a line end
// in the text both end one) and line breaks, fonts (face, size, colour), bold, italic and
// underline; other tags are dropped, entities decoded, and text of nothing but white space
// left out unless its paragraph has other text.
std::vector<StyledSpan> ParseHtmlText(std::u16string_view html, const TextFormat& base);

// The state of one placed text field: a copy of its definition (so that a field made by a
// script has one too, and scripts may change its flags and bounds), the text that actions set
// and read (the `text` and `htmlText` of the field, and the variable bound to it) and its
// appearance.
class TextFieldState {
 public:
  TextFieldState() = default;
  explicit TextFieldState(const EditTextDefinition& definition);

  const EditTextDefinition& definition() const { return definition_; }
  EditTextDefinition& definition() { return definition_; }

  // The field's text without formatting; paragraphs end with '\r', as actions see them.
  std::u16string text() const;
  // Replaces the text; formatting falls back to the field's own. Longer text than the
  // field's maximum length is cut.
  void SetText(std::u16string_view text);
  // The text as HTML (for a field that is not HTML, the text with its special characters
  // escaped), and its replacement.
  std::u16string htmlText() const;
  void SetHtmlText(std::u16string_view html);
  // The variable this field shows (empty for none), as the file names it.
  const std::u16string& variableName() const { return definition_.variableName; }

  // The text as formatted spans, starting from `base`.
  std::vector<StyledSpan> Spans(const TextFormat& base) const;

  // Appearance that actions may change; starts as the definition says.
  bool border = false;
  bool background = false;
  Rgba borderColor{0, 0, 0, 255};
  Rgba backgroundColor{255, 255, 255, 255};
  std::optional<Rgba> textColor;

 private:
  EditTextDefinition definition_;
  std::u16string source_;
  bool sourceIsHtml_ = false;
};

}  // namespace zp::swf
