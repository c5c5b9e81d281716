// The natural size of a picture read from its file's first bytes, without decoding it: PNG,
// GIF, BMP and JPEG. Other formats (and anything odd) give nothing, and the caller asks the
// system's decoders instead.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "core/layout/geometry.h"

namespace zp::pictures {

// Never reads past `file`; sizes of 0 or beyond the 32-bit range give nothing.
std::optional<layout::Size> ReadPictureHeaderSize(std::span<const uint8_t> file);

}  // namespace zp::pictures
