#include "core/layout/rect_text.h"

#include <cstdint>

#include "core/text.h"

namespace zp::layout {

namespace {

void AppendNumber(std::u16string& out, int value) {
  std::string digits = std::to_string(value);
  out.append(digits.begin(), digits.end());
}

// One "%d": blanks, an optional sign, at least one digit. Advances pos on success.
bool ReadNumber(std::u16string_view text, size_t& pos, int& value) {
  size_t i = pos;
  while (i < text.size() && IsWhiteSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
  int64_t magnitude = 0;
  size_t digits = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i, ++digits) {
    magnitude = magnitude * 10 + (text[i] - u'0');
    if (magnitude > int64_t{INT32_MAX} + 1) return false;
  }
  if (digits == 0) return false;
  int64_t signedValue = negative ? -magnitude : magnitude;
  if (signedValue > INT32_MAX || signedValue < INT32_MIN) return false;
  value = static_cast<int>(signedValue);
  pos = i;
  return true;
}

}  // namespace

std::u16string FormatRectText(const Box& box) {
  std::u16string out;
  AppendNumber(out, box.left);
  out += u',';
  AppendNumber(out, box.top);
  out += u',';
  AppendNumber(out, box.right);
  out += u',';
  AppendNumber(out, box.bottom);
  return out;
}

bool ParseRectText(std::u16string_view text, Box& box) {
  box = {};
  int values[4] = {};
  size_t pos = 0;
  for (int n = 0; n < 4; ++n) {
    if (n > 0) {
      if (pos >= text.size() || text[pos] != u',') return false;
      ++pos;
    }
    if (!ReadNumber(text, pos, values[n])) return false;
  }
  box = {values[0], values[1], values[2], values[3]};
  return true;
}

}  // namespace zp::layout
