// Runs the bitmap, morph-shape and shape readers over arbitrary tag bodies, and draws what they
// yield into a small box: the first byte picks the reader.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "core/swf/swf_bitmap.h"
#include "core/swf/swf_morph.h"
#include "core/swf/swf_shape.h"

namespace {

void Draw(const zp::swf::ShapeGeometry& geometry, const zp::swf::BitmapPixels* bitmap) {
  std::vector<uint32_t> out;
  for (const auto& part : geometry.parts) {
    zp::swf::Paint paint = part.paint;
    paint.matrix = paint.matrix.Then({0.05, 0, 0, 0.05, 3, 3});
    if (zp::swf::RasterisePaint(paint, bitmap, -2, -2, 6, 5, out) && out.size() != 30) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const std::span<const uint8_t> body(data + 1, size - 1);
  static const uint16_t kBitmapTags[] = {6, 20, 21, 35, 36, 90};
  static const uint16_t kShapeTags[] = {2, 22, 32, 83};
  const uint8_t pick = data[0];
  if (pick < 0x40) {
    const uint16_t code = kBitmapTags[pick % 6];
    const auto half = body.subspan(0, body.size() / 2);
    const auto bitmap = zp::swf::ParseBitmap(code, body, half);
    if (bitmap) {
      const auto* pixels = bitmap->Pixels([](const std::vector<uint8_t>& file, zp::swf::BitmapPixels& out) {
        out = {3, 2, std::vector<uint32_t>(6, 0xFF102030u)};
        return !file.empty();
      });
      if (pixels && pixels->argb.size() != static_cast<size_t>(pixels->width) * pixels->height) std::abort();
      zp::swf::ShapeGeometry geometry;
      zp::swf::ShapePart part;
      part.paint.kind = zp::swf::PaintKind::kBitmap;
      part.paint.matrix = {20, 0, 0, 20, 0, 0};
      part.paint.repeat = pick & 1;
      part.paint.smoothed = pick & 2;
      geometry.parts.push_back(part);
      Draw(geometry, pixels);
    }
  } else if (pick < 0x80) {
    if (auto morph = zp::swf::ParseMorphShape(pick & 1 ? 84 : 46, body)) {
      Draw(morph->At(0), nullptr);
      Draw(morph->At(static_cast<uint16_t>(pick * 515)), nullptr);
    }
  } else {
    if (auto shape = zp::swf::ParseShape(kShapeTags[pick % 4], body)) Draw(shape->geometry, nullptr);
  }
  return 0;
}
