#include "gif_samples.h"

#include <algorithm>
#include <iterator>

namespace zp::test {

namespace {

constexpr int kMinimumCodeSize = 2;  // four colours

void PutU16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value & 0xFF));
  out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

void PutSubBlocks(std::vector<uint8_t>& out, const std::vector<uint8_t>& data) {
  for (size_t at = 0; at < data.size(); at += 255) {
    const size_t n = std::min<size_t>(255, data.size() - at);
    out.push_back(static_cast<uint8_t>(n));
    out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(at), data.begin() + static_cast<std::ptrdiff_t>(at + n));
  }
  out.push_back(0);
}

// LZW data for `count` pixels of one colour, written as literal codes only: the decoder builds
// entries it never needs, and a clear code comes before its table fills.
std::vector<uint8_t> SolidImageData(uint8_t colour, size_t count) {
  const uint32_t clear = 1u << kMinimumCodeSize;
  std::vector<uint8_t> bytes;
  uint32_t bitBuffer = 0;
  int bitCount = 0;
  int width = kMinimumCodeSize + 1;
  auto put = [&](uint32_t code) {
    bitBuffer |= code << bitCount;
    bitCount += width;
    while (bitCount >= 8) {
      bytes.push_back(static_cast<uint8_t>(bitBuffer & 0xFF));
      bitBuffer >>= 8;
      bitCount -= 8;
    }
  };
  uint32_t next = clear + 2;
  bool first = true;
  put(clear);
  for (size_t i = 0; i < count; ++i) {
    if (next >= 4000) {
      put(clear);
      width = kMinimumCodeSize + 1;
      next = clear + 2;
      first = true;
    }
    put(colour);
    if (!first && ++next == (1u << width) && width < 12) ++width;
    first = false;
  }
  put(clear + 1);
  if (bitCount > 0) bytes.push_back(static_cast<uint8_t>(bitBuffer & 0xFF));
  return bytes;
}

}  // namespace

std::vector<uint8_t> MakeGif(const GifRecipe& recipe) {
  std::vector<uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
  PutU16(out, recipe.width);
  PutU16(out, recipe.height);
  out.push_back(0x80 | 0x10 | (kMinimumCodeSize - 1));  // global table of four colours
  out.push_back(0);                                      // background colour index
  out.push_back(0);                                      // no aspect ratio
  for (const uint32_t colour : recipe.palette) {
    out.push_back(static_cast<uint8_t>(colour >> 16));
    out.push_back(static_cast<uint8_t>(colour >> 8));
    out.push_back(static_cast<uint8_t>(colour));
  }
  if (recipe.loopExtension) {
    const uint8_t loop[] = {0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1, 0, 0, 0};
    out.insert(out.end(), std::begin(loop), std::end(loop));
  }
  if (!recipe.comment.empty()) {
    out.push_back(0x21);
    out.push_back(0xFE);
    PutSubBlocks(out, std::vector<uint8_t>(recipe.comment.begin(), recipe.comment.end()));
  }
  for (const auto& frame : recipe.frames) {
    if (frame.delay >= 0) {
      const bool transparent = frame.transparent >= 0;
      out.insert(out.end(), {0x21, 0xF9, 4, static_cast<uint8_t>((frame.disposal << 2) | (transparent ? 1 : 0))});
      PutU16(out, static_cast<uint32_t>(frame.delay));
      out.insert(out.end(), {static_cast<uint8_t>(transparent ? frame.transparent : 0), 0});
    }
    const uint16_t width = frame.width ? frame.width : recipe.width;
    const uint16_t height = frame.height ? frame.height : recipe.height;
    out.push_back(0x2C);
    PutU16(out, frame.left);
    PutU16(out, frame.top);
    PutU16(out, width);
    PutU16(out, height);
    out.push_back(0);  // no local table, not interlaced
    out.push_back(kMinimumCodeSize);
    PutSubBlocks(out, SolidImageData(frame.colour, size_t{width} * height));
  }
  out.push_back(0x3B);
  return out;
}

}  // namespace zp::test
