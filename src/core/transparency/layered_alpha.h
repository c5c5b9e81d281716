// The per-pixel alpha a layered window needs, computed from what a windowless control drew.
// Pixels are 32-bit BGRA words (0xAARRGGBB), premultiplied, as UpdateLayeredWindow takes them.
//
// One pass: on a 32-bit display the control draws over black into a picture that keeps its
// alpha byte. Plain GDI drawing leaves that byte 0, so a pixel with colour but alpha 0 was
// drawn opaque.
//
// Two passes: for a control that leaves the alpha byte empty where a display has none, the
// control draws the same frame over white and over black; how far a pixel's red moved between
// the two is how much of the background shows through it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zp::transparency {

// Whether any pixel has a non-zero alpha byte: the drawing filled the byte in itself.
bool CarriesAlpha(const uint32_t* pixels, size_t count);

// Makes opaque every pixel that has colour (low 24 bits not 0) but alpha 0. Black pixels with
// alpha 0 stay transparent. Returns whether any pixel changed.
bool MakeColouredPixelsOpaque(uint32_t* pixels, size_t count);

// Writes into `overBlack` the premultiplied result of the frame drawn over black and over
// white: alpha = 255 - (white red - black red). A pixel whose red is brighter over black than
// over white cannot come from blending, so it counts as opaque; and no colour channel is left
// above its alpha, which premultiplied pixels never have.
void AlphaFromBlackAndWhite(uint32_t* overBlack, const uint32_t* overWhite, size_t count);

// The one-pixel forms, for tests and for callers with a pixel in hand.
uint32_t OpaqueIfColoured(uint32_t pixel);
uint32_t BlendedPixel(uint32_t overBlack, uint32_t overWhite);

}  // namespace zp::transparency
