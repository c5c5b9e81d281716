#include "core/pictures/sharpen.h"

#include <algorithm>
#include <vector>

namespace zp::pictures {

bool SharpenPixels(std::span<uint8_t> pixels, int width, int height, int stride, int bytesPerPixel) {
  if (bytesPerPixel != 3 && bytesPerPixel != 4) return false;
  if (width < 3 || height < 3 || stride < 0 || int64_t{stride} < int64_t{width} * bytesPerPixel) return false;
  if (static_cast<uint64_t>(stride) * static_cast<uint64_t>(height - 1) + uint64_t(width) * bytesPerPixel >
      pixels.size()) {
    return false;
  }
  constexpr int kDivisor = 14;
  // Three rows of the original at a time are enough: the rows above and at the one being
  // written are kept before it is overwritten.
  const size_t rowBytes = size_t(width) * bytesPerPixel;
  std::vector<uint8_t> above(pixels.begin(), pixels.begin() + rowBytes);
  std::vector<uint8_t> current(rowBytes);
  for (int y = 1; y < height - 1; ++y) {
    uint8_t* row = pixels.data() + size_t(y) * stride;
    const uint8_t* below = row + stride;
    std::copy(row, row + rowBytes, current.begin());
    for (int x = 1; x < width - 1; ++x) {
      for (int c = 0; c < 3; ++c) {
        const size_t left = size_t(x - 1) * bytesPerPixel + c, mid = left + bytesPerPixel,
                     right = mid + bytesPerPixel;
        const int sum = 26 * current[mid] - 2 * (current[left] + current[right] + above[mid] + below[mid]) -
                        (above[left] + above[right] + below[left] + below[right]);
        // Integer division as the pass is defined: truncation toward zero after adding half.
        const int value = (sum + kDivisor / 2) / kDivisor;
        row[mid] = static_cast<uint8_t>(std::clamp(value, 0, 255));
      }
    }
    above.swap(current);
  }
  return true;
}

}  // namespace zp::pictures
