#include "core/swf/swf_value.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "core/text.h"

namespace zp::swf {

Value::Value(std::u16string s) : type_(Type::kString), n_(0) { s_ = new StringRep{1, std::move(s)}; }

void Value::Free(StringRep* s) { delete s; }

Value::Value(Object* o) : type_(o ? Type::kObject : Type::kNull), n_(0) { o_ = o; }

bool Value::operator==(const Value& other) const {
  if (type_ != other.type_) return false;
  switch (type_) {
    case Type::kUndefined:
    case Type::kNull: return true;
    case Type::kBool:
    case Type::kNumber: return n_ == other.n_;
    case Type::kString: return s_ == other.s_ || s_->text == other.s_->text;
    case Type::kObject: return o_ == other.o_;
  }
  return false;
}

std::u16string NumberToText(double value) {
  if (std::isnan(value)) return u"NaN";
  if (std::isinf(value)) return value > 0 ? u"Infinity" : u"-Infinity";
  if (value == 0) return u"0";  // also -0
  // Fifteen significant digits, then the shortest form of them.
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.14e", std::fabs(value));
  std::string digits;
  const char* p = buffer;
  for (; *p && *p != 'e'; ++p) {
    if (*p != '.') digits.push_back(*p);
  }
  const int exponent = *p == 'e' ? std::atoi(p + 1) : 0;
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  std::string out = value < 0 ? "-" : "";
  if (exponent >= 15 || exponent < -5) {
    out += digits[0];
    if (digits.size() > 1) out += "." + digits.substr(1);
    out += exponent >= 0 ? "e+" : "e-";
    out += std::to_string(std::abs(exponent));
  } else if (exponent >= 0) {
    const size_t whole = static_cast<size_t>(exponent) + 1;
    if (digits.size() <= whole) {
      out += digits + std::string(whole - digits.size(), '0');
    } else {
      out += digits.substr(0, whole) + "." + digits.substr(whole);
    }
  } else {
    out += "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
  }
  return Utf8ToU16(out);
}

std::u16string NumberToRadixText(double value, int radix) {
  if (radix < 2 || radix > 36 || radix == 10 || !std::isfinite(value)) return NumberToText(value);
  double whole = std::trunc(std::fabs(value));
  if (whole > 9007199254740992.0) return NumberToText(value);
  std::u16string out;
  do {
    const int digit = static_cast<int>(std::fmod(whole, radix));
    out.insert(out.begin(), static_cast<char16_t>(digit < 10 ? u'0' + digit : u'a' + digit - 10));
    whole = std::floor(whole / radix);
  } while (whole > 0);
  if (value < 0 && out != u"0") out.insert(out.begin(), u'-');
  return out;
}

double TextToNumber(std::u16string_view text) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  std::string narrow;
  for (char16_t c : text) {
    if (c > 0x7F) return nan;
    narrow.push_back(static_cast<char>(c));
  }
  const size_t start = narrow.find_first_not_of(" \t\r\n");
  if (start == std::string::npos) return nan;
  const size_t end = narrow.find_last_not_of(" \t\r\n") + 1;
  std::string body = narrow.substr(start, end - start);
  bool negative = false;
  size_t at = 0;
  if (body[0] == '-' || body[0] == '+') {
    negative = body[0] == '-';
    at = 1;
  }
  if (body.size() > at + 2 && body[at] == '0' && (body[at + 1] == 'x' || body[at + 1] == 'X')) {
    double v = 0;
    for (size_t i = at + 2; i < body.size(); ++i) {
      const char c = body[i];
      int d = -1;
      if (c >= '0' && c <= '9') d = c - '0';
      if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
      if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
      if (d < 0) return nan;
      v = v * 16 + d;
    }
    return negative ? -v : v;
  }
  // A leading zero followed only by octal digits is octal, as movies read "010".
  if (body.size() > at + 1 && body[at] == '0' &&
      body.find_first_not_of("01234567", at) == std::string::npos) {
    double v = 0;
    for (size_t i = at; i < body.size(); ++i) v = v * 8 + (body[i] - '0');
    return negative ? -v : v;
  }
  // strtod accepts "inf", "nan" and hexadecimal floats; movies do not.
  for (char c : body) {
    if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E')) {
      return nan;
    }
  }
  const char* begin = body.c_str();
  char* stop = nullptr;
  const double v = std::strtod(begin, &stop);
  return (stop != begin && *stop == '\0') ? v : nan;
}

int32_t ToInt32(double value) {
  if (!std::isfinite(value)) return 0;
  double m = std::fmod(std::trunc(value), 4294967296.0);
  if (m < 0) m += 4294967296.0;
  return static_cast<int32_t>(static_cast<uint32_t>(m));
}

double Value::ToNumber(uint8_t version) const {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  switch (type_) {
    case Type::kNumber:
    case Type::kBool: return n_;
    case Type::kString: {
      if (AsString().empty()) return version >= 7 ? nan : 0;
      const double v = TextToNumber(AsString());
      return (std::isnan(v) && version < 5) ? 0 : v;
    }
    case Type::kObject: return nan;
    case Type::kNull:
    case Type::kUndefined: break;
  }
  return version >= 7 ? nan : 0;
}

std::u16string Value::ToString(uint8_t version) const {
  switch (type_) {
    case Type::kString: return AsString();
    case Type::kNumber: return NumberToText(n_);
    case Type::kBool: return n_ != 0 ? u"true" : u"false";
    case Type::kNull: return u"null";
    case Type::kObject: return u"[object Object]";
    case Type::kUndefined: break;
  }
  return version >= 7 ? u"undefined" : u"";
}

bool Value::ToBool(uint8_t version) const {
  switch (type_) {
    case Type::kBool: return n_ != 0;
    case Type::kNumber: return n_ != 0 && !std::isnan(n_);
    case Type::kString: {
      if (version >= 7) return !AsString().empty();
      const double v = TextToNumber(AsString());
      return v != 0 && !std::isnan(v);
    }
    case Type::kObject: return true;
    case Type::kNull:
    case Type::kUndefined: break;
  }
  return false;
}

bool LooseEquals(const Value& a, const Value& b, uint8_t version) {
  if (a.IsNullish() || b.IsNullish()) return a.IsNullish() && b.IsNullish();
  if (a.type() == b.type()) return a == b;
  if (a.IsObject() || b.IsObject()) return false;
  return a.ToNumber(version) == b.ToNumber(version);
}

}  // namespace zp::swf
