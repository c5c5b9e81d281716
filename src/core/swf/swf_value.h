// The values of the action stack machine and their conversions.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

// GCC 12 warns falsely about moves of a variant holding a string once they are inlined.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

namespace zp::swf {

struct Undefined {
  bool operator==(const Undefined&) const = default;
};
struct Null {
  bool operator==(const Null&) const = default;
};

// undefined, null, a boolean, a number (double) or a string.
class Value {
 public:
  Value() = default;
  Value(Null n) : v_(n) {}
  Value(bool b) : v_(b) {}
  Value(double d) : v_(d) {}
  Value(int i) : v_(static_cast<double>(i)) {}
  Value(std::u16string s) : v_(std::move(s)) {}
  Value(const char16_t* s) : v_(std::u16string(s)) {}

  bool IsUndefined() const { return std::holds_alternative<Undefined>(v_); }
  bool IsNull() const { return std::holds_alternative<Null>(v_); }
  bool IsBool() const { return std::holds_alternative<bool>(v_); }
  bool IsNumber() const { return std::holds_alternative<double>(v_); }
  bool IsString() const { return std::holds_alternative<std::u16string>(v_); }
  bool AsBool() const { return std::get<bool>(v_); }
  double AsNumber() const { return std::get<double>(v_); }
  const std::u16string& AsString() const { return std::get<std::u16string>(v_); }

  // Conversions as movies of the given file version see them: from version 7, undefined and
  // the empty string are NaN as numbers and a non-empty string is true; before, they are 0
  // and a string is true when its number is non-zero.
  double ToNumber(uint8_t version) const;
  std::u16string ToString(uint8_t version) const;
  bool ToBool(uint8_t version) const;

  bool operator==(const Value&) const = default;

 private:
  std::variant<Undefined, Null, bool, double, std::u16string> v_;
};

// Numbers as text: whole numbers without a fraction, otherwise up to 15 significant digits;
// "NaN", "Infinity", "-Infinity".
std::u16string NumberToText(double value);
// Text as a number: optional blanks, sign, decimal digits with fraction and exponent, or
// "0x" hexadecimal. Anything else is NaN; the empty text is NaN too.
double TextToNumber(std::u16string_view text);

// The loose equality of Equals2: like types compare by value, undefined equals null, and
// otherwise booleans and strings compare as numbers.
bool LooseEquals(const Value& a, const Value& b, uint8_t version);

}  // namespace zp::swf
