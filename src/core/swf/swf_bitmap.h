// Readers for the bitmap tags: lossless bitmaps (zlib-compressed colour-mapped, 15-bit and
// 32-bit pixels) are decoded here; JPEG data is put together into one complete image file
// (with the movie's shared tables where it has none of its own) for the drawing side to decode.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "core/swf/swf_paint.h"

namespace zp::swf {

enum BitmapTagCode : uint16_t {
  kTagDefineBits = 6,
  kTagJpegTables = 8,
  kTagDefineBitsLossless = 20,
  kTagDefineBitsJpeg2 = 21,
  kTagDefineBitsJpeg3 = 35,
  kTagDefineBitsLossless2 = 36,
  kTagDefineBitsJpeg4 = 90,
};

bool IsBitmapTag(uint16_t tagCode);

// The bitmap a tag defines, or nothing when its id cannot be read. A bitmap whose data is
// damaged or over the pixel budget keeps its id and draws nothing.
std::shared_ptr<const MovieBitmap> ParseBitmap(uint16_t tagCode, std::span<const uint8_t> body,
                                               std::span<const uint8_t> jpegTables);

// One JPEG file from tables (may be empty) and image data, each possibly carrying its own
// start and end markers and the old writers' stray end-start pair; PNG and GIF data pass
// through as they are. Empty when the data is not a JPEG, PNG or GIF.
std::vector<uint8_t> AssembleJpeg(std::span<const uint8_t> tables, std::span<const uint8_t> data);

}  // namespace zp::swf
