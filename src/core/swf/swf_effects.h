// How an object is composited with what lies below it: its blend mode and its list of bitmap
// filters, as a placement gives them. Filter sizes and distances are in pixels of the stage
// at 100 %, angles in radians.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/swf/swf_bits.h"
#include "core/swf/swf_geometry.h"

namespace zp::swf {

// The file's values; unknown ones read as normal.
enum class BlendMode : uint8_t {
  kNormal = 1,
  kLayer = 2,
  kMultiply = 3,
  kScreen = 4,
  kLighten = 5,
  kDarken = 6,
  kDifference = 7,
  kAdd = 8,
  kSubtract = 9,
  kInvert = 10,
  kAlpha = 11,
  kErase = 12,
  kOverlay = 13,
  kHardLight = 14,
};

BlendMode BlendModeFromByte(uint8_t value);
// Alpha and erase change the alpha of the layer they are drawn into, not its colours.
inline bool ActsOnParentAlpha(BlendMode mode) { return mode == BlendMode::kAlpha || mode == BlendMode::kErase; }

enum class FilterKind : uint8_t {
  kDropShadow = 0,
  kBlur = 1,
  kGlow = 2,
  kBevel = 3,
  kGradientGlow = 4,
  kConvolution = 5,
  kColorMatrix = 6,
  kGradientBevel = 7,
};

struct GradientStop {
  Rgba color;
  uint8_t ratio = 0;
  bool operator==(const GradientStop&) const = default;
};

struct Filter {
  FilterKind kind = FilterKind::kBlur;
  double blurX = 0, blurY = 0;
  int passes = 1;
  // Shadows and glows: their colour; bevels: the shadow's colour, `highlight` the light's.
  Rgba color{0, 0, 0, 255};
  Rgba highlight{255, 255, 255, 255};
  double angle = 0, distance = 0, strength = 1;
  bool inner = false;
  bool knockout = false;
  bool hideObject = false;  // the object itself is left out, only the effect is drawn
  bool onTop = false;       // bevels: drawn over the object, both sides
  std::vector<GradientStop> gradient;  // gradient glows and bevels
  // Convolution: a rows × columns kernel, row by row.
  uint8_t columns = 0, rows = 0;
  std::vector<float> kernel;
  float divisor = 1, bias = 0;
  Rgba defaultColor{0, 0, 0, 0};
  bool clamp = true, preserveAlpha = false;
  // Colour matrix: four rows of five (r, g, b, a, offset on the 0..255 scale).
  std::array<float, 20> matrix{};
  bool operator==(const Filter&) const = default;
};

// A placement names at most this many filters; more are left out.
inline constexpr size_t kMaxFilters = 16;

// Reads a filter list (its count first). Fails the reader when a filter is cut short or of a
// kind with no known length; kernels larger than a player would accept leave that filter out.
std::vector<Filter> ReadFilterList(BitReader& reader);

// How far, in device pixels, a filter's result may reach beyond the object's own pixels when
// the stage is shown at `scaleX` × `scaleY` device pixels per stage pixel.
int FilterMargin(const Filter& filter, double scaleX, double scaleY);

}  // namespace zp::swf
