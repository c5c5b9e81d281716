// Text characters as draw-list items: glyph outlines filled like shapes, text in fonts of
// the system as items of their own, and the borders and backgrounds of fields.
#pragma once

#include <vector>

#include "core/swf/swf_font.h"
#include "core/swf/swf_render.h"
#include "core/swf/swf_text.h"

namespace zp::swf {

// The view's mapping of twips to device pixels as a matrix.
Matrix ViewMatrix(const ViewTransform& view);

// Appends a static text placed with `toDevice` (the character's space to device pixels).
void AppendStaticText(const StaticTextDefinition& text, const FontTable& fonts, const Matrix& toDevice,
                      const ColorTransform& colorTransform, std::vector<DrawItem>& items);

// Appends a field: its background, its border, then its text as it is now.
void AppendEditText(const TextFieldState& state, const FontTable& fonts, const Matrix& toDevice,
                    const ColorTransform& colorTransform, std::vector<DrawItem>& items);

}  // namespace zp::swf
