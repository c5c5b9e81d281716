#include "core/text.h"

namespace zp {

bool IsWhiteSpace(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

std::u16string_view TrimTrailingWhiteSpace(std::u16string_view text) {
  while (!text.empty() && IsWhiteSpace(text.back())) text.remove_suffix(1);
  return text;
}

std::u16string_view TrimWhiteSpace(std::u16string_view text) {
  while (!text.empty() && IsWhiteSpace(text.front())) text.remove_prefix(1);
  return TrimTrailingWhiteSpace(text);
}

std::u16string_view TrimTrailingBackslashes(std::u16string_view text) {
  while (!text.empty() && text.back() == u'\\') text.remove_suffix(1);
  return text;
}

char16_t AsciiLower(char16_t c) { return (c >= u'A' && c <= u'Z') ? c + (u'a' - u'A') : c; }

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

std::string Utf16LeBytes(std::u16string_view text) {
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

std::u16string ReadUtf16Field(std::span<const uint8_t> field) {
  std::u16string out;
  for (size_t i = 0; i + 1 < field.size(); i += 2) {
    const char16_t c = static_cast<char16_t>(field[i] | (field[i + 1] << 8));
    if (c == 0) break;
    out.push_back(c);
  }
  return out;
}

std::u16string ToHex(uint32_t value) {
  static constexpr char16_t kDigits[] = u"0123456789abcdef";
  std::u16string out;
  do {
    out.insert(out.begin(), kDigits[value & 0xF]);
    value >>= 4;
  } while (value != 0);
  return out;
}

}  // namespace zp
