// Compositing and filtering of premultiplied 32-bit pixels (alpha in the top byte, then red,
// green and blue), as the drawing back ends hold layers: portable, so they are tested here and
// every back end blends and filters alike.
#pragma once

#include <cstdint>

#include "core/swf/swf_effects.h"
#include "core/swf/swf_geometry.h"

namespace zp::swf {

// Rows of `width` pixels, `stride` pixels apart (not bytes); not owned.
struct PixelView {
  uint32_t* pixels = nullptr;
  int width = 0, height = 0;
  int stride = 0;
  uint32_t* Row(int y) const { return pixels + static_cast<ptrdiff_t>(y) * stride; }
};

uint32_t PackPremultiplied(Rgba color);  // premultiplies an unpremultiplied colour
Rgba UnpackPremultiplied(uint32_t pixel);  // back to unpremultiplied (transparent stays black)

// Composites `layer` onto `target`, its top-left pixel at (x, y) of the target, with `mode`;
// the parts outside the target are left out.
void CompositeLayer(PixelView target, int x, int y, PixelView layer, BlendMode mode);

// Replaces the layer's pixels with the filter's result. Sizes and distances are stage pixels,
// scaled by `scaleX`/`scaleY` device pixels per stage pixel; the layer should have room for
// `FilterMargin` around what it shows, since nothing reaches beyond its edges.
void ApplyFilter(PixelView layer, const Filter& filter, double scaleX, double scaleY);

// Applies a colour transform to every pixel that is not fully transparent.
void ApplyColorTransform(PixelView layer, const ColorTransform& transform);

}  // namespace zp::swf
