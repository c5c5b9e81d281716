#include "core/pictures/metafile_bits.h"

#include "core/package_format.h"

namespace zp::pictures {

std::optional<MetafileBits> FindWindowsMetafileBits(std::span<const uint8_t> file) {
  if (file.size() <= kMetafileHeaderSize) return std::nullopt;
  MetafileBits bits;
  if (ReadU32(file, 0) == kPlaceableMetafileKey) {
    if (file.size() < kPlaceableHeaderSize + kMetafileHeaderSize) return std::nullopt;
    bits.offset = kPlaceableHeaderSize;
  }
  const auto words = ReadU32(file, bits.offset + 6);
  if (!words) return std::nullopt;
  const uint64_t size = uint64_t{*words} * 2;
  if (size < kMetafileHeaderSize || size > file.size() - bits.offset) return std::nullopt;
  bits.size = static_cast<size_t>(size);
  return bits;
}

}  // namespace zp::pictures
