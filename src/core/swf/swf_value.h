// The values of the action machine and their conversions between primitives. Conversions that
// involve objects (valueOf, toString) need the machine and live in swf_vm.h.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zp::swf {

class Object;

struct Undefined {};
struct Null {};

// undefined, null, a boolean, a number (double), a string or an object. Strings are shared,
// immutable and reference counted (the machine runs on one thread); objects belong to the
// machine's heap, which frees the unreachable ones between frames.
class Value {
 public:
  enum class Type : uint8_t { kUndefined, kNull, kBool, kNumber, kString, kObject };

  Value() : type_(Type::kUndefined), n_(0) {}
  Value(Undefined) : Value() {}
  Value(Null) : type_(Type::kNull), n_(0) {}
  Value(bool b) : type_(Type::kBool), n_(b ? 1 : 0) {}
  Value(double d) : type_(Type::kNumber), n_(d) {}
  Value(int i) : type_(Type::kNumber), n_(i) {}
  Value(std::u16string s);
  Value(std::u16string_view s) : Value(std::u16string(s)) {}
  Value(const char16_t* s) : Value(std::u16string(s)) {}
  Value(Object* o);
  Value(const Value& other) : type_(other.type_), n_(other.n_), raw_(other.raw_) {
    if (type_ == Type::kString) ++s_->refs;
  }
  Value(Value&& other) noexcept : type_(other.type_), n_(other.n_), raw_(other.raw_) {
    if (type_ == Type::kString || type_ == Type::kObject) other.type_ = Type::kUndefined;
  }
  Value& operator=(const Value& other) {
    if (other.type_ == Type::kString) ++other.s_->refs;  // first, so that self-assignment keeps it
    Release();
    type_ = other.type_;
    n_ = other.n_;
    raw_ = other.raw_;
    return *this;
  }
  Value& operator=(Value&& other) noexcept {
    if (this != &other) {
      Release();
      type_ = other.type_;
      n_ = other.n_;
      raw_ = other.raw_;
      if (type_ == Type::kString || type_ == Type::kObject) other.type_ = Type::kUndefined;
    }
    return *this;
  }
  ~Value() { Release(); }

  Type type() const { return type_; }
  bool IsUndefined() const { return type_ == Type::kUndefined; }
  bool IsNull() const { return type_ == Type::kNull; }
  bool IsNullish() const { return type_ == Type::kUndefined || type_ == Type::kNull; }
  bool IsBool() const { return type_ == Type::kBool; }
  bool IsNumber() const { return type_ == Type::kNumber; }
  bool IsString() const { return type_ == Type::kString; }
  bool IsObject() const { return type_ == Type::kObject; }
  bool AsBool() const { return n_ != 0; }
  double AsNumber() const { return n_; }
  const std::u16string& AsString() const { return s_->text; }
  Object* AsObject() const { return o_; }
  // The object, or null for any other value.
  Object* ObjectOrNull() const { return type_ == Type::kObject ? o_ : nullptr; }

  // Conversions of primitives as movies of the given file version see them: from version 7,
  // undefined and the empty string are NaN as numbers and a non-empty string is true; before,
  // they are 0 and a string is true when its number is non-zero. Objects convert here without
  // their methods: NaN, "[object Object]", true.
  double ToNumber(uint8_t version) const;
  std::u16string ToString(uint8_t version) const;
  bool ToBool(uint8_t version) const;

  // Same type and same value (objects by identity; NaN equals nothing).
  bool operator==(const Value& other) const;

 private:
  struct StringRep {
    uint32_t refs;
    std::u16string text;
  };
  void Release() {
    if (type_ == Type::kString && --s_->refs == 0) Free(s_);
  }
  static void Free(StringRep* s);  // out of line: the common paths stay small

  Type type_;
  double n_;  // numbers and booleans; kept apart from the pointer so copies need no branch
  union {
    StringRep* s_;
    Object* o_;
    void* raw_ = nullptr;
  };
};

// Numbers as text the way movies print them: up to 15 significant digits, whole numbers
// without a fraction, exponent form ("1.5e+20", "1e-7") outside 1e-5 <= |x| < 1e15; "NaN",
// "Infinity", "-Infinity".
std::u16string NumberToText(double value);
// Numbers in another base (2..36), as Number.toString(radix) writes them.
std::u16string NumberToRadixText(double value, int radix);
// Text as a number: optional blanks, sign, decimal digits with fraction and exponent, or
// "0x" hexadecimal. Anything else is NaN; the empty text is NaN too.
double TextToNumber(std::u16string_view text);
// ECMAScript ToInt32: modulo 2^32, NaN and infinities are 0.
int32_t ToInt32(double value);

// The loose equality of Equals2 between primitives: like types compare by value, undefined
// equals null, and otherwise booleans and strings compare as numbers.
bool LooseEquals(const Value& a, const Value& b, uint8_t version);

}  // namespace zp::swf
