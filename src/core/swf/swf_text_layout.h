// Sets the text of an edit text field in lines: the font of each stretch (embedded or of
// the system), word wrap, alignment, margins, indent and leading.
#pragma once

#include <string>
#include <vector>

#include "core/swf/swf_font.h"
#include "core/swf/swf_text.h"

namespace zp::swf {

// The space between a field's bounds and its text, on every side (two pixels).
inline constexpr double kTextGutter = 40;

// Characters of one format on one line.
struct LaidOutRun {
  TextFormat format;
  const FontDefinition* font = nullptr;  // nullptr: drawn with a font of the system
  std::u16string text;
  std::vector<double> x;  // each character's pen position, twips in the field's space
  double baseline = 0;
  double width = 0;  // from the first character's position to the end of the last one
};

struct TextLayout {
  std::vector<LaidOutRun> runs;
  double textWidth = 0;   // the widest line
  double textHeight = 0;  // from the first line's top to the last line's bottom
};

// The field's text `spans` set inside its bounds. Lines that start below the bounds are left
// out (the drawing cuts the text at the box); an auto-sized field keeps them all.
TextLayout LayoutEditText(const EditTextDefinition& field, const std::vector<StyledSpan>& spans,
                          const FontTable& fonts);

// The format a field's text starts from: its font's name, size, colour and alignment.
TextFormat BaseFormat(const EditTextDefinition& field, const FontTable& fonts);

// The embedded font that draws text of `format` in `field`, or nothing when the field draws
// with a font of the system.
const FontDefinition* EmbeddedFontFor(const EditTextDefinition& field, const TextFormat& format,
                                      const FontTable& fonts);

// What a character of a font of the system advances, as a share of the em, and the share of
// the em above and below the baseline, for layout without asking the system.
double DeviceAdvance(char16_t c, const TextFormat& format);
double DeviceAscent(const TextFormat& format);
double DeviceDescent(const TextFormat& format);

}  // namespace zp::swf
