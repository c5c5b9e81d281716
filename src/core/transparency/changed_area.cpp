#include "core/transparency/changed_area.h"

#include <cstddef>
#include <cstring>

namespace zp::transparency {

namespace {

bool RowsDiffer(const uint32_t* before, const uint32_t* after, int width) {
  return std::memcmp(before, after, static_cast<size_t>(width) * sizeof(uint32_t)) != 0;
}

}  // namespace

PixelArea ChangedArea(const uint32_t* before, const uint32_t* after, int width, int height, int stride) {
  if (!before || !after || width <= 0 || height <= 0 || stride < width) return {};
  const auto row = [&](const uint32_t* pixels, int y) { return pixels + static_cast<ptrdiff_t>(y) * stride; };
  int top = 0;
  while (top < height && !RowsDiffer(row(before, top), row(after, top), width)) ++top;
  if (top == height) return {};
  int bottom = height;
  while (!RowsDiffer(row(before, bottom - 1), row(after, bottom - 1), width)) --bottom;
  int left = width, right = 0;
  for (int y = top; y < bottom && (left > 0 || right < width); ++y) {
    const uint32_t* b = row(before, y);
    const uint32_t* a = row(after, y);
    for (int x = 0; x < left; ++x) {
      if (a[x] != b[x]) {
        left = x;
        break;
      }
    }
    for (int x = width - 1; x >= right; --x) {
      if (a[x] != b[x]) {
        right = x + 1;
        break;
      }
    }
  }
  return PixelArea{left, top, right, bottom};
}

}  // namespace zp::transparency
