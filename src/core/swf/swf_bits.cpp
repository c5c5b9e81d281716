#include "core/swf/swf_bits.h"

#include <cstring>

namespace zp::swf {

uint8_t BitReader::U8() {
  bitCount_ = 0;
  if (!ok_ || pos_ >= bytes_.size()) {
    ok_ = false;
    return 0;
  }
  return bytes_[pos_++];
}

uint16_t BitReader::U16() {
  const uint16_t low = U8();
  return static_cast<uint16_t>(low | (U8() << 8));
}

uint32_t BitReader::U32() {
  const uint32_t low = U16();
  return low | (static_cast<uint32_t>(U16()) << 16);
}

float BitReader::F32() {
  const uint32_t bits = U32();
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

double BitReader::F64LowHigh() {
  const uint64_t high = U32();
  const uint64_t low = U32();
  const uint64_t bits = (high << 32) | low;
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

std::string BitReader::CString() {
  bitCount_ = 0;
  std::string text;
  while (ok_) {
    const uint8_t c = U8();
    if (!ok_ || c == 0) break;
    text.push_back(static_cast<char>(c));
  }
  return text;
}

std::span<const uint8_t> BitReader::Bytes(size_t count) {
  bitCount_ = 0;
  if (!ok_ || count > bytes_.size() - pos_) {
    ok_ = false;
    return {};
  }
  const auto part = bytes_.subspan(pos_, count);
  pos_ += count;
  return part;
}

uint32_t BitReader::UB(unsigned bits) {
  if (bits > 32) {
    ok_ = false;
    return 0;
  }
  uint32_t value = 0;
  for (unsigned i = 0; i < bits; ++i) {
    if (bitCount_ == 0) {
      if (!ok_ || pos_ >= bytes_.size()) {
        ok_ = false;
        return 0;
      }
      bitBuffer_ = bytes_[pos_++];
      bitCount_ = 8;
    }
    --bitCount_;
    value = (value << 1) | ((bitBuffer_ >> bitCount_) & 1u);
  }
  return value;
}

int32_t BitReader::SB(unsigned bits) {
  const uint32_t raw = UB(bits);
  if (bits == 0 || bits >= 32) return static_cast<int32_t>(raw);
  const uint32_t sign = 1u << (bits - 1);
  return static_cast<int32_t>((raw ^ sign) - sign);
}

}  // namespace zp::swf
