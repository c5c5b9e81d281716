#include "core/pictures/picture_header.h"

#include <cstring>
#include <limits>

namespace zp::pictures {
namespace {

uint32_t Big16(std::span<const uint8_t> b, size_t at) { return (uint32_t{b[at]} << 8) | b[at + 1]; }
uint32_t Big32(std::span<const uint8_t> b, size_t at) { return (Big16(b, at) << 16) | Big16(b, at + 2); }
uint32_t Little16(std::span<const uint8_t> b, size_t at) { return b[at] | (uint32_t{b[at + 1]} << 8); }
uint32_t Little32(std::span<const uint8_t> b, size_t at) { return Little16(b, at) | (Little16(b, at + 2) << 16); }

bool StartsWith(std::span<const uint8_t> b, const char* text, size_t length) {
  return b.size() >= length && std::memcmp(b.data(), text, length) == 0;
}

std::optional<layout::Size> Sized(int64_t width, int64_t height) {
  constexpr int64_t most = std::numeric_limits<int32_t>::max();
  if (width <= 0 || height <= 0 || width > most || height > most) return std::nullopt;
  return layout::Size{static_cast<int>(width), static_cast<int>(height)};
}

std::optional<layout::Size> JpegSize(std::span<const uint8_t> b) {
  size_t at = 2;
  // Segments: FF, a marker, a big-endian length that counts itself. The frame header (SOFn)
  // holds precision, height and width.
  while (at + 4 <= b.size()) {
    if (b[at] != 0xFF) return std::nullopt;
    const uint8_t marker = b[at + 1];
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    if (marker == 0xD9 || marker == 0xDA) return std::nullopt;  // end, or scan data before a frame
    const uint32_t length = Big16(b, at + 2);
    if (length < 2) return std::nullopt;
    const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      if (length < 7 || at + 9 > b.size()) return std::nullopt;
      return Sized(Big16(b, at + 7), Big16(b, at + 5));
    }
    at += 2 + size_t{length};
  }
  return std::nullopt;
}

}  // namespace

std::optional<layout::Size> ReadPictureHeaderSize(std::span<const uint8_t> file) {
  if (StartsWith(file, "\x89PNG\r\n\x1A\n", 8)) {
    if (file.size() < 24 || std::memcmp(file.data() + 12, "IHDR", 4) != 0) return std::nullopt;
    return Sized(Big32(file, 16), Big32(file, 20));
  }
  if (StartsWith(file, "GIF87a", 6) || StartsWith(file, "GIF89a", 6)) {
    if (file.size() < 10) return std::nullopt;
    return Sized(Little16(file, 6), Little16(file, 8));
  }
  if (StartsWith(file, "BM", 2)) {
    if (file.size() < 26 || Little32(file, 14) < 40) return std::nullopt;  // core headers: ask the system
    const int64_t height = static_cast<int32_t>(Little32(file, 22));
    return Sized(static_cast<int32_t>(Little32(file, 18)), height < 0 ? -height : height);
  }
  if (file.size() >= 4 && file[0] == 0xFF && file[1] == 0xD8 && file[2] == 0xFF) return JpegSize(file);
  return std::nullopt;
}

}  // namespace zp::pictures
