#include "core/swf/swf_file.h"

#include "core/byte_order.h"
#include "core/swf/swf_bits.h"
#include "core/zlib_codec.h"

namespace zp::swf {
namespace {

constexpr size_t kFixedHeaderSize = 8;  // signature, version, length

// Tag lengths are stored as signed 32-bit numbers; anything from 2 GiB up is a negative length.
constexpr uint32_t kLargestTagLength = 0x7FFFFFFF;

}  // namespace

std::optional<Header> ParseUncompressedHeader(std::span<const uint8_t> bytes, size_t* headerEnd) {
  if (bytes.size() < kFixedHeaderSize) return std::nullopt;
  BitReader reader(bytes);
  const uint8_t f = reader.U8(), w = reader.U8(), s = reader.U8();
  if (w != 'W' || s != 'S' || (f != 'F' && f != 'C')) return std::nullopt;
  Header header;
  header.compressed = f == 'C';
  header.version = reader.U8();
  header.fileLength = reader.U32();
  const unsigned bits = reader.UB(5);
  header.stage.xMin = reader.SB(bits);
  header.stage.xMax = reader.SB(bits);
  header.stage.yMin = reader.SB(bits);
  header.stage.yMax = reader.SB(bits);
  header.frameRate8_8 = reader.U16();
  header.frameCount = reader.U16();
  if (!reader.ok()) return std::nullopt;
  if (headerEnd) *headerEnd = reader.position();
  return header;
}

std::vector<Tag> ReadTags(std::span<const uint8_t> stream, bool* truncated) {
  std::vector<Tag> tags;
  BitReader reader(stream);
  while (reader.remaining() > 0) {
    const uint16_t codeAndLength = reader.U16();
    uint32_t length = codeAndLength & 0x3F;
    if (length == 0x3F) length = reader.U32();
    if (!reader.ok() || length > kLargestTagLength || length > reader.remaining()) {
      if (truncated) *truncated = true;
      break;
    }
    const Tag tag{static_cast<uint16_t>(codeAndLength >> 6), reader.Bytes(length)};
    if (tag.code == kTagEnd) break;
    tags.push_back(tag);
  }
  return tags;
}

std::optional<File> File::Parse(std::span<const uint8_t> bytes) {
  if (bytes.size() < kFixedHeaderSize) return std::nullopt;
  File file;
  if (bytes[0] == 'C' && bytes[1] == 'W' && bytes[2] == 'S') {
    const uint32_t declared = ReadU32(bytes, 4).value_or(0);
    if (declared < kFixedHeaderSize) return std::nullopt;
    auto body = InflateExact(bytes.subspan(kFixedHeaderSize), declared - static_cast<uint32_t>(kFixedHeaderSize));
    if (!body) return std::nullopt;
    file.bytes_.assign(bytes.begin(), bytes.begin() + kFixedHeaderSize);
    file.bytes_.insert(file.bytes_.end(), body->begin(), body->end());
    file.bytes_[0] = 'F';
  } else if (bytes[0] == 'F' && bytes[1] == 'W' && bytes[2] == 'S') {
    file.bytes_.assign(bytes.begin(), bytes.end());
  } else {
    return std::nullopt;
  }

  size_t offset = 0;
  auto header = ParseUncompressedHeader(file.bytes_, &offset);
  if (!header) return std::nullopt;
  file.header_ = *header;
  file.header_.compressed = bytes[0] == 'C';

  file.tags_ = ReadTags(std::span<const uint8_t>(file.bytes_).subspan(offset), &file.truncated_);
  return file;
}

}  // namespace zp::swf
