// Draws a frame's draw list into premultiplied 32-bit pixels: outlines scan-converted with
// anti-aliasing, gradients and bitmaps through their paints, masks as coverage, layer groups
// filtered and blended. Only what needs the system (decoding JPEG data, text in the system's
// fonts) is left to the caller's hooks.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "core/swf/swf_paint.h"
#include "core/swf/swf_pixels.h"
#include "core/swf/swf_raster.h"
#include "core/swf/swf_render.h"

namespace zp::swf {

struct CanvasHooks {
  // Turns a complete image file into premultiplied pixels (as `MovieBitmap::Pixels` wants);
  // without it, JPEG bitmaps draw nothing.
  std::function<bool(const std::vector<uint8_t>&, BitmapPixels&)> decode;
  // Draws a text item (`item.text`) onto `target`, a transparent picture whose top-left pixel
  // shows the view's (originX, originY); the canvas then masks it and lays it over what lies below.
  std::function<void(const DrawItem& item, PixelView target, int originX, int originY)> text;
};

// Fills every pixel with the premultiplied form of `color`.
void FillPixels(PixelView target, Rgba color);

// Draws `items` (view coordinates) over `target`, whose top-left pixel shows the view's (0, 0),
// with the edges of `quality`.
void DrawItemsToPixels(PixelView target, const std::vector<DrawItem>& items, const CanvasHooks& hooks = {},
                       EdgeQuality quality = EdgeQuality::kSmooth);

}  // namespace zp::swf
