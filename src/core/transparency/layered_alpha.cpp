#include "core/transparency/layered_alpha.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zp::transparency {

uint32_t OpaqueIfColoured(uint32_t pixel) {
  return (pixel & 0x00FFFFFFu) != 0 && (pixel >> 24) == 0 ? pixel | 0xFF000000u : pixel;
}

uint32_t BlendedPixel(uint32_t overBlack, uint32_t overWhite) {
  const uint32_t blackRed = (overBlack >> 16) & 0xFF, whiteRed = (overWhite >> 16) & 0xFF;
  const uint32_t alpha = whiteRed > blackRed ? 255 - (whiteRed - blackRed) : 255;
  uint32_t result = alpha << 24;
  for (int shift = 0; shift < 24; shift += 8) {
    const uint32_t channel = (overBlack >> shift) & 0xFF;
    result |= (channel < alpha ? channel : alpha) << shift;
  }
  return result;
}

// Both walks handle four pixels at a time where SSE2 is there (every x86-64), and the rest
// one by one; the results are the same either way.
bool MakeColouredPixelsOpaque(uint32_t* pixels, size_t count) {
  size_t i = 0;
  bool changed = false;
#if defined(__SSE2__)
  const __m128i colourMask = _mm_set1_epi32(0x00FFFFFF);
  const __m128i alphaMask = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  const __m128i zero = _mm_setzero_si128();
  __m128i anyChanged = zero;
  for (; i + 4 <= count; i += 4) {
    __m128i* at = reinterpret_cast<__m128i*>(pixels + i);
    const __m128i p = _mm_loadu_si128(at);
    const __m128i noAlpha = _mm_cmpeq_epi32(_mm_and_si128(p, alphaMask), zero);
    const __m128i noColour = _mm_cmpeq_epi32(_mm_and_si128(p, colourMask), zero);
    const __m128i fix = _mm_andnot_si128(noColour, noAlpha);
    anyChanged = _mm_or_si128(anyChanged, fix);
    _mm_storeu_si128(at, _mm_or_si128(p, _mm_and_si128(fix, alphaMask)));
  }
  changed = _mm_movemask_epi8(anyChanged) != 0;
#endif
  for (; i < count; ++i) {
    const uint32_t fixed = OpaqueIfColoured(pixels[i]);
    changed |= fixed != pixels[i];
    pixels[i] = fixed;
  }
  return changed;
}

void AlphaFromBlackAndWhite(uint32_t* overBlack, const uint32_t* overWhite, size_t count) {
  size_t i = 0;
#if defined(__SSE2__)
  const __m128i full = _mm_set1_epi32(255);
  const __m128i colourMask = _mm_set1_epi32(0x00FFFFFF);
  for (; i + 4 <= count; i += 4) {
    __m128i* at = reinterpret_cast<__m128i*>(overBlack + i);
    const __m128i black = _mm_loadu_si128(at);
    const __m128i white = _mm_loadu_si128(reinterpret_cast<const __m128i*>(overWhite + i));
    // Per byte, white minus black, never below 0: the red byte is what shows through.
    const __m128i through = _mm_srli_epi32(_mm_slli_epi32(_mm_subs_epu8(white, black), 8), 24);
    const __m128i alpha = _mm_sub_epi32(full, through);
    const __m128i alpha2 = _mm_or_si128(alpha, _mm_slli_epi32(alpha, 8));
    const __m128i alphaEveryByte = _mm_or_si128(alpha2, _mm_slli_epi32(alpha2, 16));
    const __m128i colour = _mm_and_si128(_mm_min_epu8(black, alphaEveryByte), colourMask);
    _mm_storeu_si128(at, _mm_or_si128(colour, _mm_slli_epi32(alpha, 24)));
  }
#endif
  for (; i < count; ++i) overBlack[i] = BlendedPixel(overBlack[i], overWhite[i]);
}

bool CarriesAlpha(const uint32_t* pixels, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (pixels[i] & 0xFF000000u) return true;
  }
  return false;
}

}  // namespace zp::transparency
