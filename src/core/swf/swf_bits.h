// Bounded readers for the byte and bit fields of a movie file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace zp::swf {

// Reads little-endian fields and most-significant-bit-first bit fields from a byte span. Every
// read past the end sets a sticky error flag and yields zero, so a parser can read a whole
// structure and check `ok()` once at the end.
class BitReader {
 public:
  explicit BitReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  bool ok() const { return ok_; }
  void Fail() { ok_ = false; }
  size_t position() const { return pos_; }
  size_t remaining() const { return ok_ ? bytes_.size() - pos_ : 0; }

  uint8_t U8();
  uint16_t U16();
  uint32_t U32();
  int16_t S16() { return static_cast<int16_t>(U16()); }
  float F32();
  double F64LowHigh();  // the two 32-bit halves stored low word last, as Push doubles are
  // A zero-terminated byte string (the terminator is consumed, not returned).
  std::string CString();
  std::span<const uint8_t> Bytes(size_t count);
  void Skip(size_t count) { Bytes(count); }

  // Bit fields; the first bit read after a byte read starts a new byte.
  uint32_t UB(unsigned bits);
  int32_t SB(unsigned bits);
  double FB(unsigned bits) { return SB(bits) / 65536.0; }
  void AlignToByte() { bitCount_ = 0; }

 private:
  std::span<const uint8_t> bytes_;
  size_t pos_ = 0;
  bool ok_ = true;
  uint8_t bitBuffer_ = 0;
  unsigned bitCount_ = 0;
};

}  // namespace zp::swf
