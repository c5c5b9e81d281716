// Small helpers for the UTF-16 strings the core works in.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/utf8.h"  // UTF-8 <-> UTF-16

namespace zp {

bool IsWhiteSpace(char16_t c);
std::u16string_view TrimWhiteSpace(std::u16string_view text);
std::u16string_view TrimTrailingWhiteSpace(std::u16string_view text);
std::u16string_view TrimTrailingBackslashes(std::u16string_view text);

// Case-insensitive comparison for ASCII letters; other characters compare exactly.
char16_t AsciiLower(char16_t c);
bool EqualsNoCase(std::u16string_view a, std::u16string_view b);

// The UTF-16LE bytes of a text, two per code unit, no terminator.
std::string Utf16LeBytes(std::u16string_view text);

// Reads a zero-terminated UTF-16LE text from a fixed-size field; stops at the first zero
// code unit or at the end of the field, whichever comes first.
std::u16string ReadUtf16Field(std::span<const uint8_t> field);

// Lowercase hexadecimal without leading zeros ("0" for zero).
std::u16string ToHex(uint32_t value);

}  // namespace zp
