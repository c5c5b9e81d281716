#include "core/swf/swf_value.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "core/text.h"

namespace zp::swf {

std::u16string NumberToText(double value) {
  if (std::isnan(value)) return u"NaN";
  if (std::isinf(value)) return value > 0 ? u"Infinity" : u"-Infinity";
  if (value == 0) return u"0";  // also -0
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.15g", value);
  return Utf8ToU16(buffer);
}

double TextToNumber(std::u16string_view text) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  std::string narrow;
  for (char16_t c : text) {
    if (c > 0x7F) return nan;
    narrow.push_back(static_cast<char>(c));
  }
  size_t start = narrow.find_first_not_of(" \t\r\n");
  if (start == std::string::npos) return nan;
  size_t end = narrow.find_last_not_of(" \t\r\n") + 1;
  std::string body = narrow.substr(start, end - start);
  const char* begin = body.c_str();
  if (body.size() > 2 && body[0] == '0' && (body[1] == 'x' || body[1] == 'X')) {
    char* stop = nullptr;
    const unsigned long long v = std::strtoull(begin + 2, &stop, 16);
    return *stop == '\0' ? static_cast<double>(v) : nan;
  }
  // strtod accepts "inf", "nan" and hexadecimal floats; movies do not.
  for (char c : body) {
    if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E')) {
      return nan;
    }
  }
  char* stop = nullptr;
  const double v = std::strtod(begin, &stop);
  return (stop != begin && *stop == '\0') ? v : nan;
}

double Value::ToNumber(uint8_t version) const {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  if (IsNumber()) return AsNumber();
  if (IsBool()) return AsBool() ? 1 : 0;
  if (IsString()) {
    if (AsString().empty()) return version >= 7 ? nan : 0;
    const double v = TextToNumber(AsString());
    return (std::isnan(v) && version < 5) ? 0 : v;
  }
  if (IsNull()) return version >= 7 ? nan : 0;
  return version >= 7 ? nan : 0;  // undefined
}

std::u16string Value::ToString(uint8_t version) const {
  if (IsString()) return AsString();
  if (IsNumber()) return NumberToText(AsNumber());
  if (IsBool()) return AsBool() ? u"true" : u"false";
  if (IsNull()) return u"null";
  return version >= 7 ? u"undefined" : u"";
}

bool Value::ToBool(uint8_t version) const {
  if (IsBool()) return AsBool();
  if (IsNumber()) return AsNumber() != 0 && !std::isnan(AsNumber());
  if (IsString()) {
    if (version >= 7) return !AsString().empty();
    const double v = TextToNumber(AsString());
    return v != 0 && !std::isnan(v);
  }
  return false;
}

bool LooseEquals(const Value& a, const Value& b, uint8_t version) {
  const bool aNothing = a.IsUndefined() || a.IsNull();
  const bool bNothing = b.IsUndefined() || b.IsNull();
  if (aNothing || bNothing) return aNothing && bNothing;
  if (a.IsString() && b.IsString()) return a.AsString() == b.AsString();
  if (a.IsBool() && b.IsBool()) return a.AsBool() == b.AsBool();
  return a.ToNumber(version) == b.ToNumber(version);
}

}  // namespace zp::swf
