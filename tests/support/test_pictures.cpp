#include "test_pictures.h"

namespace zp::test {
namespace {

void Put16(Bytes& b, uint32_t v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)}); }
void Put32(Bytes& b, uint32_t v) {
  b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
}

}  // namespace

Bytes TwoColourBmp(int width, int height, Rgb outer, Rgb inner, PixelBox box) {
  const uint32_t stride = (uint32_t(width) * 3 + 3) & ~3u;
  const uint32_t pixelBytes = stride * uint32_t(height);
  Bytes b;
  b.insert(b.end(), {'B', 'M'});
  Put32(b, 54 + pixelBytes);
  Put32(b, 0);
  Put32(b, 54);
  Put32(b, 40);
  Put32(b, uint32_t(width));
  Put32(b, uint32_t(-height));  // top-down rows
  Put16(b, 1);
  Put16(b, 24);
  Put32(b, 0);
  Put32(b, pixelBytes);
  Put32(b, 2835);
  Put32(b, 2835);
  Put32(b, 0);
  Put32(b, 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool in = x >= box.left && x < box.right && y >= box.top && y < box.bottom;
      const Rgb& c = in ? inner : outer;
      b.insert(b.end(), {c.b, c.g, c.r});
    }
    b.insert(b.end(), stride - uint32_t(width) * 3, 0);
  }
  return b;
}

Bytes FilledWmf(int width, int height, Rgb colour) {
  Bytes records;
  auto record = [&records](uint16_t function, std::initializer_list<uint16_t> params) {
    Put32(records, 3 + static_cast<uint32_t>(params.size()));
    Put16(records, function);
    for (uint16_t p : params) Put16(records, p);
  };
  record(0x020B, {0, 0});                                        // window origin (y, x)
  record(0x020C, {uint16_t(height), uint16_t(width)});           // window extent (y, x)
  record(0x02FC, {0, uint16_t(colour.r | (colour.g << 8)), colour.b, 0});  // solid brush
  record(0x012D, {0});                                           // select it (the pen outlines it)
  record(0x041B, {uint16_t(height), uint16_t(width), 0, 0});     // rectangle (bottom, right, top, left)
  record(0x0000, {});                                            // end
  Bytes b;
  // Placeable header: key, handle, frame, units per inch, reserved, checksum of the words before it.
  Put32(b, 0x9AC6CDD7);
  Put16(b, 0);
  Put16(b, 0);
  Put16(b, 0);
  Put16(b, uint16_t(width));
  Put16(b, uint16_t(height));
  Put16(b, 96);
  Put32(b, 0);
  uint16_t checksum = 0;
  for (size_t i = 0; i < 20; i += 2) checksum ^= uint16_t(b[i] | (b[i + 1] << 8));
  Put16(b, checksum);
  // Metafile header: type, header words, version, size in words, objects, largest record, 0.
  Put16(b, 1);
  Put16(b, 9);
  Put16(b, 0x0300);
  Put32(b, static_cast<uint32_t>(9 + records.size() / 2));
  Put16(b, 1);
  Put32(b, 7);
  Put16(b, 0);
  b.insert(b.end(), records.begin(), records.end());
  return b;
}

Bytes BmpClaiming(int32_t width, int32_t height) {
  Bytes b = TwoColourBmp(4, 4, {}, {}, {});
  for (int i = 0; i < 4; ++i) {
    b[18 + i] = uint8_t(uint32_t(width) >> (8 * i));
    b[22 + i] = uint8_t(uint32_t(-height) >> (8 * i));
  }
  return b;
}

}  // namespace zp::test
