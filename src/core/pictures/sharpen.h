// The sharpening pass given to pictures after a smooth (bicubic) scaling: a 3 × 3 convolution
// with the kernel (-1, -2, -1), (-2, 26, -2), (-1, -2, -1) over 14, each colour channel on its
// own. Flat colour stays exactly as it was, since the weights add up to the divisor.
#pragma once

#include <cstdint>
#include <span>

namespace zp::pictures {

// Sharpens the blue, green and red bytes of 24- or 32-bit pixels in place (the fourth byte of
// 32-bit pixels is left alone), rows `stride` bytes apart. The one-pixel border is left as it
// is; pictures under 3 × 3, other pixel sizes and buffers too short for the rows do nothing.
// False when nothing was done.
bool SharpenPixels(std::span<uint8_t> pixels, int width, int height, int stride, int bytesPerPixel);

}  // namespace zp::pictures
