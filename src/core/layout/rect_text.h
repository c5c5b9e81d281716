// The text form in which window rectangles are kept in the settings: "left,top,right,bottom".
#pragma once

#include <string>
#include <string_view>

#include "core/layout/geometry.h"

namespace zp::layout {

// Decimal, no blanks: "%d,%d,%d,%d".
std::u16string FormatRectText(const Box& box);

// Reads numbers separated by single commas, each optionally preceded by blanks and a sign.
// True only when at least four numbers were read (a fifth and anything after it is ignored);
// a number that does not fit in 32 bits ends the reading. box is (0, 0, 0, 0) on false.
bool ParseRectText(std::u16string_view text, Box& box);

}  // namespace zp::layout
