// Draws a frame's draw list into any device context: the portable canvas makes the pixels;
// the system only decodes JPEG data and draws text in its own fonts (GDI+).
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "core/swf/swf_raster.h"
#include "core/swf/swf_render.h"

namespace zp::movie {

// Edges are drawn at `quality` (the movie's high quality setting: smooth, else crisp).
// Drawing needs GDI+ started (a GdiplusSession); each control object holds one, never DllMain.

// Fills `bounds` with the background, then draws the items (in coordinates relative to the
// top-left corner of `bounds`), clipped to `bounds`.
void DrawMovie(HDC hdc, const RECT& bounds, zp::swf::Rgba background, const std::vector<zp::swf::DrawItem>& items,
               zp::swf::EdgeQuality quality = zp::swf::EdgeQuality::kSmooth);

// Draws into 32-bit premultiplied BGRA pixels (top row first, `stride` bytes per row), as a
// layered window wants them: the background is drawn only when its alpha is not 0, so with a
// transparent background every pixel the movie leaves alone stays fully transparent.
bool DrawMovieToPixels(uint32_t* pixels, int width, int height, int stride, zp::swf::Rgba background,
                       const std::vector<zp::swf::DrawItem>& items,
                       zp::swf::EdgeQuality quality = zp::swf::EdgeQuality::kSmooth);

// Draws the items on a transparent stage over what `hdc` already holds, blending with their
// alpha; on a 32-bit target its alpha bytes receive the coverage too.
void DrawMovieBlended(HDC hdc, const RECT& bounds, const std::vector<zp::swf::DrawItem>& items,
                      zp::swf::EdgeQuality quality = zp::swf::EdgeQuality::kSmooth);

}  // namespace zp::movie
