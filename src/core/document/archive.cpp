#include "core/document/archive.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "core/byte_order.h"

namespace zp {

namespace {
constexpr uint8_t kLongLength = 0xFF;
constexpr uint16_t kUnicodeMarker = 0xFFFE;
constexpr uint16_t kWideLength = 0xFFFF;
constexpr size_t kChunk = 64 * 1024;
}  // namespace

bool ArchiveReader::Fill(size_t count) {
  if (count <= bytes_.size() - position_) return true;
  if (source_ == nullptr) return false;
  // Keep what is unread, then read on. The buffer grows only as far as real bytes arrive, so a
  // length field that claims gigabytes costs nothing unless the source backs it up.
  const size_t kept = bytes_.size() - position_;
  std::vector<uint8_t> fresh(std::max<size_t>(kChunk, std::min<size_t>(count, kChunk * 16)));
  if (kept > 0 && position_ > 0) std::memmove(buffer_.data(), bytes_.data() + position_, kept);
  buffer_.resize(kept);
  position_ = 0;
  while (buffer_.size() < count) {
    const size_t want = std::min(fresh.size(), std::max(count - buffer_.size(), kChunk));
    const size_t got = source_->Read(std::span<uint8_t>(fresh).first(want));
    if (got == 0) break;
    consumed_ += got;
    buffer_.insert(buffer_.end(), fresh.begin(), fresh.begin() + static_cast<ptrdiff_t>(got));
  }
  bytes_ = buffer_;
  return count <= buffer_.size();
}

std::span<const uint8_t> ArchiveReader::Take(size_t count) {
  if (failed_ || !Fill(count)) {
    failed_ = true;
    return {};
  }
  const auto taken = bytes_.subspan(position_, count);
  position_ += count;
  return taken;
}

uint8_t ArchiveReader::Byte() {
  const auto b = Take(1);
  return b.empty() ? 0 : b[0];
}

uint16_t ArchiveReader::UInt16() {
  const auto b = Take(2);
  return b.empty() ? 0 : static_cast<uint16_t>(b[0] | (b[1] << 8));
}

uint32_t ArchiveReader::UInt32() {
  return ReadU32(Take(4), 0).value_or(0);
}

int32_t ArchiveReader::Int32() { return static_cast<int32_t>(UInt32()); }

float ArchiveReader::Float32() { return std::bit_cast<float>(UInt32()); }

bool ByteSource::Skip(uint64_t count) {
  std::vector<uint8_t> scratch(static_cast<size_t>(std::min<uint64_t>(count, kChunk)));
  while (count > 0) {
    const size_t got = Read(std::span<uint8_t>(scratch).first(static_cast<size_t>(std::min<uint64_t>(count, kChunk))));
    if (got == 0) return false;
    count -= got;
  }
  return true;
}

void ArchiveReader::Skip(size_t count) {
  const size_t buffered = bytes_.size() - position_;
  if (failed_ || source_ == nullptr || count <= buffered) {
    Take(count);
    return;
  }
  position_ = bytes_.size();
  if (!source_->Skip(count - buffered)) {
    failed_ = true;
    return;
  }
  consumed_ += count - buffered;
}

uint32_t ArchiveReader::Count() {
  const uint16_t shortCount = UInt16();
  if (shortCount != 0xFFFF) return shortCount;
  return UInt32();
}

std::span<const uint8_t> ArchiveReader::Block() {
  const uint32_t size = Count();
  return Take(size);
}

void ArchiveReader::BlockInPieces(uint32_t size, const std::function<bool(std::span<const uint8_t>)>& piece) {
  if (failed_) return;
  if (source_ == nullptr) {
    const auto whole = Take(size);
    if (!failed_) piece(whole);
    return;
  }
  bool wanted = true;
  size_t left = size;
  while (left > 0 && !failed_) {
    const size_t step = std::min(left, kChunk);
    const auto part = Take(step);
    if (failed_) return;
    if (wanted) wanted = piece(part);
    left -= step;
  }
}

std::u16string ArchiveReader::String() {
  // The length prefix: a byte below 0xFF, or 0xFF and a uint16 below 0xFFFF, or 0xFF, 0xFFFF
  // and a uint32. A uint16 of 0xFFFE instead marks UTF-16 code units and the length follows
  // again; older writers repeat the marker, so it is accepted more than once.
  bool wide = false;
  uint32_t length = 0;
  for (;;) {
    const uint8_t shortLength = Byte();
    if (shortLength != kLongLength) {
      length = shortLength;
      break;
    }
    const uint16_t mediumLength = UInt16();
    if (mediumLength == kUnicodeMarker) {
      wide = true;
      if (failed_) return {};
      continue;
    }
    length = mediumLength == kWideLength ? UInt32() : mediumLength;
    break;
  }
  if (failed_) return {};
  std::u16string text;
  if (wide) {
    if (source_ == nullptr && length > (bytes_.size() - position_) / 2) {
      failed_ = true;
      return {};
    }
    const auto units = Take(size_t {length} * 2);
    if (failed_) return {};
    text.resize(length);
    for (uint32_t i = 0; i < length; ++i) {
      text[i] = static_cast<char16_t>(units[2 * i] | (units[2 * i + 1] << 8));
    }
  } else {
    // 8-bit characters are taken as Latin-1: each byte is the code unit of the same value.
    const auto chars = Take(length);
    text.assign(chars.begin(), chars.end());
  }
  return text;
}

void ArchiveWriter::Byte(uint8_t value) { bytes_.push_back(value); }

void ArchiveWriter::UInt16(uint16_t value) {
  bytes_.push_back(static_cast<uint8_t>(value));
  bytes_.push_back(static_cast<uint8_t>(value >> 8));
}

void ArchiveWriter::UInt32(uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void ArchiveWriter::Int32(int32_t value) { UInt32(static_cast<uint32_t>(value)); }

void ArchiveWriter::Float32(float value) { UInt32(std::bit_cast<uint32_t>(value)); }

void ArchiveWriter::String(std::u16string_view text) {
  Byte(kLongLength);
  UInt16(kUnicodeMarker);
  const size_t length = text.size();
  if (length < kLongLength) {
    Byte(static_cast<uint8_t>(length));
  } else if (length < kUnicodeMarker) {
    Byte(kLongLength);
    UInt16(static_cast<uint16_t>(length));
  } else {
    Byte(kLongLength);
    UInt16(kWideLength);
    UInt32(static_cast<uint32_t>(length));
  }
  bytes_.reserve(bytes_.size() + 2 * length);
  for (char16_t unit : text) UInt16(unit);
}

void ArchiveWriter::String8(std::string_view text) {
  const size_t length = text.size();
  if (length < kLongLength) {
    Byte(static_cast<uint8_t>(length));
  } else if (length < kWideLength && length != kUnicodeMarker) {
    Byte(kLongLength);
    UInt16(static_cast<uint16_t>(length));
  } else {
    Byte(kLongLength);
    UInt16(kWideLength);
    UInt32(static_cast<uint32_t>(length));
  }
  bytes_.insert(bytes_.end(), text.begin(), text.end());
}

void ArchiveWriter::Count(uint32_t count) {
  if (count < 0xFFFF) {
    UInt16(static_cast<uint16_t>(count));
  } else {
    UInt16(0xFFFF);
    UInt32(count);
  }
}

void ArchiveWriter::Block(std::span<const uint8_t> bytes) {
  Count(static_cast<uint32_t>(bytes.size()));
  Raw(bytes);
}

void ArchiveWriter::Raw(std::span<const uint8_t> bytes) { bytes_.insert(bytes_.end(), bytes.begin(), bytes.end()); }

}  // namespace zp
