// Small media files for tests: a wave sound and an uncompressed bitmap, made in memory.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace zp::test {

namespace media_detail {
inline void Append(std::vector<uint8_t>& out, std::string_view text) { out.insert(out.end(), text.begin(), text.end()); }
inline void Append32(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}
inline void Append16(std::vector<uint8_t>& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}
}  // namespace media_detail

// A second of silence as 8-bit mono PCM at 8000 samples a second.
inline std::vector<uint8_t> SilentWave() {
  using namespace media_detail;
  constexpr uint32_t kSamples = 8000;
  std::vector<uint8_t> out;
  Append(out, "RIFF");
  Append32(out, 36 + kSamples);
  Append(out, "WAVEfmt ");
  Append32(out, 16);
  Append16(out, 1);  // PCM
  Append16(out, 1);  // mono
  Append32(out, kSamples);
  Append32(out, kSamples);  // bytes a second
  Append16(out, 1);         // block
  Append16(out, 8);         // bits
  Append(out, "data");
  Append32(out, kSamples);
  out.insert(out.end(), kSamples, 0x80);
  return out;
}

// A 24-bit bottom-up bitmap file of one colour (red, green, blue).
inline std::vector<uint8_t> SolidBitmapFile(int width, int height, uint8_t red, uint8_t green, uint8_t blue) {
  using namespace media_detail;
  const uint32_t row = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
  const uint32_t pixels = row * static_cast<uint32_t>(height);
  std::vector<uint8_t> out;
  Append(out, "BM");
  Append32(out, 54 + pixels);
  Append32(out, 0);
  Append32(out, 54);
  Append32(out, 40);
  Append32(out, static_cast<uint32_t>(width));
  Append32(out, static_cast<uint32_t>(height));
  Append16(out, 1);
  Append16(out, 24);
  Append32(out, 0);  // no compression
  Append32(out, pixels);
  Append32(out, 2835);
  Append32(out, 2835);
  Append32(out, 0);
  Append32(out, 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      out.push_back(blue);
      out.push_back(green);
      out.push_back(red);
    }
    out.insert(out.end(), row - static_cast<uint32_t>(width) * 3, 0);
  }
  return out;
}

}  // namespace zp::test
