// Colours cross between two byte orders: the system's 0x00BBGGRR (what documents store and GDI
// paints) and 0xRRGGBB (what movies and the movie control take). One exchange serves both ways.
#pragma once

#include <cstdint>

namespace zp {

// Exchanges the red and blue bytes of a 24-bit colour; the top byte comes back zero.
constexpr uint32_t SwapRedBlue(uint32_t colour) {
  return ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}

}  // namespace zp
