// How FSCommand argument texts and extension-library results are split into items, and how an
// item is read as a number. One splitter serves every caller.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zp {

// Splits on `separator` (0 means the comma). Characters up to and including the space are
// skipped until an item has started, so leading blanks are dropped and trailing ones stay; two
// separators in a row give an empty item; a trailing separator gives no empty last item; an
// empty or all-blank text gives no items. With a blank separator, runs of it collapse.
std::vector<std::u16string> SplitFsArguments(std::u16string_view text, char16_t separator = 0);

// The item at `index`, or an empty text beyond the end of the list.
std::u16string FsArgumentAt(const std::vector<std::u16string>& items, size_t index);

// A decimal integer: leading blanks skipped, an optional sign, digits up to the first
// non-digit; no digits read as 0. Values beyond the 32-bit range saturate.
int32_t ReadFsNumber(std::u16string_view item);

}  // namespace zp
