#include "core/swf/swf_pixels.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <type_traits>
#include <vector>

namespace zp::swf {
namespace {

// x * y / 255, rounded, for x and y in 0..255.
inline uint32_t Mul255(uint32_t x, uint32_t y) {
  const uint32_t t = x * y + 128;
  return (t + (t >> 8)) >> 8;
}

inline uint32_t A(uint32_t p) { return p >> 24; }
inline uint32_t R(uint32_t p) { return (p >> 16) & 0xFF; }
inline uint32_t G(uint32_t p) { return (p >> 8) & 0xFF; }
inline uint32_t B(uint32_t p) { return p & 0xFF; }
inline uint32_t Pack(uint32_t a, uint32_t r, uint32_t g, uint32_t b) { return (a << 24) | (r << 16) | (g << 8) | b; }
inline uint32_t Clamp255(int v) { return static_cast<uint32_t>(std::clamp(v, 0, 255)); }

// The separable blend modes on premultiplied channels: s, d the colours, sa, da the alphas,
// all 0..255. The result is the colour part of sa·da·B(d/da, s/sa) + s·(1 − da) + d·(1 − sa),
// scaled by 255 · 255 (rounded off by the caller).
inline int32_t Separable(BlendMode mode, int32_t s, int32_t sa, int32_t d, int32_t da) {
  const int32_t outside = s * (255 - da) + d * (255 - sa);
  switch (mode) {
    case BlendMode::kMultiply: return s * d + outside;
    case BlendMode::kScreen: return (s + d) * 255 - s * d;
    case BlendMode::kLighten: return std::max(s * da, d * sa) + outside;
    case BlendMode::kDarken: return std::min(s * da, d * sa) + outside;
    case BlendMode::kDifference: return (s + d) * 255 - 2 * std::min(s * da, d * sa);
    case BlendMode::kOverlay:
    case BlendMode::kHardLight: {
      // Hard light lights the backdrop by the source; overlay is hard light with the roles swapped.
      const bool hard = mode == BlendMode::kHardLight;
      const int32_t top = hard ? s : d, topA = hard ? sa : da, base = hard ? d : s, baseA = hard ? da : sa;
      const int32_t mixed = 2 * top <= topA ? 2 * top * base : topA * baseA - 2 * (baseA - base) * (topA - top);
      return mixed + outside;
    }
    default: return s * 255 + d * (255 - sa);
  }
}

inline uint32_t BlendPixel(BlendMode mode, uint32_t src, uint32_t dst) {
  const uint32_t sa = A(src), da = A(dst);
  switch (mode) {
    case BlendMode::kAdd:
      return Pack(std::min(255u, sa + da), std::min(255u, R(src) + R(dst)), std::min(255u, G(src) + G(dst)),
                  std::min(255u, B(src) + B(dst)));
    case BlendMode::kSubtract: {
      const uint32_t a = sa + da - Mul255(sa, da);
      return Pack(a, std::min(a, R(dst) - std::min(R(dst), R(src))), std::min(a, G(dst) - std::min(G(dst), G(src))),
                  std::min(a, B(dst) - std::min(B(dst), B(src))));
    }
    case BlendMode::kInvert: {
      const uint32_t keep = 255 - sa;
      return Pack(da, Mul255(da - R(dst), sa) + Mul255(R(dst), keep), Mul255(da - G(dst), sa) + Mul255(G(dst), keep),
                  Mul255(da - B(dst), sa) + Mul255(B(dst), keep));
    }
    case BlendMode::kAlpha:
    case BlendMode::kErase: {
      const uint32_t k = mode == BlendMode::kAlpha ? sa : 255 - sa;
      return Pack(Mul255(da, k), Mul255(R(dst), k), Mul255(G(dst), k), Mul255(B(dst), k));
    }
    case BlendMode::kNormal:
    case BlendMode::kLayer: {
      const uint32_t keep = 255 - sa;
      return Pack(sa + Mul255(da, keep), R(src) + Mul255(R(dst), keep), G(src) + Mul255(G(dst), keep),
                  B(src) + Mul255(B(dst), keep));
    }
    default: break;
  }
  const uint32_t a = sa + da - Mul255(sa, da);
  auto channel = [&](uint32_t s, uint32_t d) {
    const int32_t v = Separable(mode, int32_t(s), int32_t(sa), int32_t(d), int32_t(da));
    return std::min(a, Clamp255((v + 127) / 255));
  };
  return Pack(a, channel(R(src), R(dst)), channel(G(src), G(dst)), channel(B(src), B(dst)));
}

// Where a transparent source leaves the target as it was.
constexpr bool TransparentSourceKeeps(BlendMode mode) { return mode != BlendMode::kAlpha; }

// One plane of 8-bit values, blurred and shifted as the filters need.
class Plane {
 public:
  Plane(int width, int height) : width_(width), height_(height), v_(static_cast<size_t>(width) * height) {}
  int width() const { return width_; }
  int height() const { return height_; }
  uint8_t& at(int x, int y) { return v_[static_cast<size_t>(y) * width_ + x]; }
  // The value at (x, y), or `outside` beyond the edges.
  uint8_t Get(int x, int y, uint8_t outside) const {
    return x < 0 || y < 0 || x >= width_ || y >= height_ ? outside : v_[static_cast<size_t>(y) * width_ + x];
  }

  // A box one pixel narrower than `size` (the two end taps weighted by what a fractional width
  // leaves over), run `passes` times across and then down; beyond the edges counts as
  // `outside`. A size of 2 or less leaves the plane as it is, as a complete player does.
  void Blur(double sizeX, double sizeY, int passes, uint8_t outside) {
    for (int p = 0; p < passes; ++p) Box(sizeX, true, outside);
    for (int p = 0; p < passes; ++p) Box(sizeY, false, outside);
  }

 private:
  // The weights of a box `size` wide: 256 for the taps within `radius` of the centre, `edge`
  // for the two beyond, summing to `total`; `Divide` divides by the total, rounded.
  struct Kernel {
    explicit Kernel(double size)
        : radius(static_cast<int>((size - 1) / 2)),
          edge(static_cast<uint32_t>(std::lround((size - (2 * radius + 1)) / 2 * 256))),
          total(256 * (2 * radius + 1) + 2 * edge),
          reciprocal(((uint64_t{1} << 44) + total - 1) / total) {}
    uint8_t Apply(uint32_t inner, uint32_t ends) const {
      const uint64_t weighted = uint64_t{256} * inner + uint64_t{edge} * ends + total / 2;
      return static_cast<uint8_t>((weighted * reciprocal) >> 44);
    }
    int radius;
    uint32_t edge, total;
    uint64_t reciprocal;
  };

  void Box(double size, bool across, uint8_t outside) {
    size -= 1;
    if (size <= 1) return;
    const Kernel kernel(std::min(size, 2.0 * (std::max(width_, height_) + 2)));
    if (across) {
      Across(kernel, outside);
    } else {
      Down(kernel, outside);
    }
  }

  // Each row through a window sliding along a copy of it padded with `outside`.
  void Across(const Kernel& k, uint8_t outside) {
    const int r = k.radius, pad = r + 1;
    std::vector<uint8_t> line(static_cast<size_t>(width_) + 2 * pad, outside);
    for (int y = 0; y < height_; ++y) {
      uint8_t* row = &v_[static_cast<size_t>(y) * width_];
      std::copy(row, row + width_, line.begin() + pad);
      uint32_t window = 0;
      for (int i = 1; i <= 2 * r + 1; ++i) window += line[i];
      for (int x = 0; x < width_; ++x) {
        row[x] = k.Apply(window, line[x] + line[x + 2 * r + 2]);
        window += line[x + 2 * r + 2] - line[x + 1];
      }
    }
  }

  // All columns at once, row by row, so that memory is read in order.
  void Down(const Kernel& k, uint8_t outside) {
    const int r = k.radius;
    const std::vector<uint8_t> beyond(width_, outside);
    auto row = [&](int y) { return y < 0 || y >= height_ ? beyond.data() : &v_[static_cast<size_t>(y) * width_]; };
    std::vector<uint8_t> out(v_.size());
    std::vector<uint32_t> window(width_, 0);
    for (int y = -r; y <= r; ++y) {
      const uint8_t* in = row(y);
      for (int x = 0; x < width_; ++x) window[x] += in[x];
    }
    for (int y = 0; y < height_; ++y) {
      const uint8_t *above = row(y - r - 1), *below = row(y + r + 1), *leaving = row(y - r);
      uint8_t* o = &out[static_cast<size_t>(y) * width_];
      for (int x = 0; x < width_; ++x) {
        o[x] = k.Apply(window[x], above[x] + below[x]);
        window[x] += below[x] - leaving[x];
      }
    }
    v_.swap(out);
  }

  int width_, height_;
  std::vector<uint8_t> v_;
};

Plane AlphaOf(PixelView layer) {
  Plane plane(layer.width, layer.height);
  for (int y = 0; y < layer.height; ++y) {
    const uint32_t* row = layer.Row(y);
    for (int x = 0; x < layer.width; ++x) plane.at(x, y) = static_cast<uint8_t>(A(row[x]));
  }
  return plane;
}

struct Offset {
  int dx = 0, dy = 0;
};

Offset OffsetOf(const Filter& f, double scaleX, double scaleY) {
  return {static_cast<int>(std::lround(std::cos(f.angle) * f.distance * scaleX)),
          static_cast<int>(std::lround(std::sin(f.angle) * f.distance * scaleY))};
}

uint8_t Strengthen(uint32_t value, double strength) {
  return static_cast<uint8_t>(std::min(255.0, value * strength + 0.5));
}

// 256 premultiplied colours along a gradient of the filter's stops.
std::array<uint32_t, 256> GradientTable(const std::vector<GradientStop>& stops) {
  std::array<uint32_t, 256> table{};
  if (stops.empty()) return table;
  for (int i = 0; i < 256; ++i) {
    size_t k = 0;
    while (k < stops.size() && stops[k].ratio < i) ++k;
    Rgba c;
    if (k == 0) {
      c = stops.front().color;
    } else if (k == stops.size()) {
      c = stops.back().color;
    } else {
      const GradientStop &lo = stops[k - 1], &hi = stops[k];
      const int span = std::max(1, hi.ratio - lo.ratio), t = i - lo.ratio;
      auto mix = [&](uint8_t a, uint8_t b) { return static_cast<uint8_t>((a * (span - t) + b * t + span / 2) / span); };
      c = {mix(lo.color.r, hi.color.r), mix(lo.color.g, hi.color.g), mix(lo.color.b, hi.color.b),
           mix(lo.color.a, hi.color.a)};
    }
    table[i] = PackPremultiplied(c);
  }
  return table;
}

uint32_t Scale(uint32_t pixel, uint32_t k) {
  return Pack(Mul255(A(pixel), k), Mul255(R(pixel), k), Mul255(G(pixel), k), Mul255(B(pixel), k));
}

uint32_t Over(uint32_t top, uint32_t below) { return BlendPixel(BlendMode::kNormal, top, below); }

// How an effect of shadows, glows and bevels joins the object it was made from.
enum class Placement { kBehind, kInside, kOnTop };

// `effect` holds, per pixel, the effect's premultiplied colour before masking; the object's
// pixels are replaced by the two joined as the filter's flags say.
void Join(PixelView layer, const std::vector<uint32_t>& effect, Placement placement, const Filter& f) {
  for (int y = 0; y < layer.height; ++y) {
    uint32_t* row = layer.Row(y);
    const uint32_t* fx = &effect[static_cast<size_t>(y) * layer.width];
    for (int x = 0; x < layer.width; ++x) {
      const uint32_t object = row[x], e = fx[x], oa = A(object);
      switch (placement) {
        case Placement::kInside: {
          const uint32_t inside = Scale(e, oa);  // the effect atop the object keeps its alpha
          row[x] = f.knockout || f.hideObject ? inside
                                              : Pack(oa, R(inside) + Mul255(R(object), 255 - A(e)),
                                                     G(inside) + Mul255(G(object), 255 - A(e)),
                                                     B(inside) + Mul255(B(object), 255 - A(e)));
          break;
        }
        case Placement::kBehind:
          row[x] = f.knockout ? Scale(e, 255 - oa) : f.hideObject ? e : Over(object, e);
          break;
        case Placement::kOnTop: row[x] = f.knockout || f.hideObject ? e : Over(e, object); break;
      }
    }
  }
}

void BlurAll(PixelView layer, double sizeX, double sizeY, int passes) {
  std::array<Plane, 4> planes{Plane(layer.width, layer.height), Plane(layer.width, layer.height),
                              Plane(layer.width, layer.height), Plane(layer.width, layer.height)};
  for (int y = 0; y < layer.height; ++y) {
    const uint32_t* row = layer.Row(y);
    for (int x = 0; x < layer.width; ++x) {
      for (int c = 0; c < 4; ++c) planes[c].at(x, y) = static_cast<uint8_t>(row[x] >> (8 * c));
    }
  }
  for (Plane& plane : planes) plane.Blur(sizeX, sizeY, passes, 0);
  for (int y = 0; y < layer.height; ++y) {
    uint32_t* row = layer.Row(y);
    for (int x = 0; x < layer.width; ++x) {
      const uint32_t a = planes[3].at(x, y);
      row[x] = Pack(a, std::min<uint32_t>(a, planes[2].at(x, y)), std::min<uint32_t>(a, planes[1].at(x, y)),
                    std::min<uint32_t>(a, planes[0].at(x, y)));
    }
  }
}

// Drop shadows, glows and their gradient kind: the object's alpha (or, inside, its complement)
// blurred, moved and strengthened, then coloured.
void Shadow(PixelView layer, const Filter& f, double scaleX, double scaleY) {
  Plane alpha = AlphaOf(layer);
  const uint8_t outside = f.inner ? 255 : 0;
  if (f.inner) {
    for (int y = 0; y < alpha.height(); ++y) {
      for (int x = 0; x < alpha.width(); ++x) alpha.at(x, y) = 255 - alpha.at(x, y);
    }
  }
  alpha.Blur(f.blurX * scaleX, f.blurY * scaleY, f.passes, outside);
  const Offset off = f.kind == FilterKind::kGlow ? Offset{} : OffsetOf(f, scaleX, scaleY);
  const bool gradient = f.kind == FilterKind::kGradientGlow;
  const auto table = gradient ? GradientTable(f.gradient) : std::array<uint32_t, 256>{};
  const uint32_t color = PackPremultiplied(f.color);
  std::vector<uint32_t> effect(static_cast<size_t>(layer.width) * layer.height);
  for (int y = 0; y < layer.height; ++y) {
    for (int x = 0; x < layer.width; ++x) {
      const uint8_t s = Strengthen(alpha.Get(x - off.dx, y - off.dy, outside), f.strength);
      effect[static_cast<size_t>(y) * layer.width + x] = gradient ? table[s] : Scale(color, s);
    }
  }
  Join(layer, effect, f.inner ? Placement::kInside : Placement::kBehind, f);
}

// Bevels: the blurred alpha seen from both sides of the light; where it falls away towards the
// light is shadow, where it rises is highlight.
void Bevel(PixelView layer, const Filter& f, double scaleX, double scaleY) {
  Plane alpha = AlphaOf(layer);
  alpha.Blur(f.blurX * scaleX, f.blurY * scaleY, f.passes, 0);
  const Offset off = OffsetOf(f, scaleX, scaleY);
  const bool gradient = f.kind == FilterKind::kGradientBevel;
  const auto table = gradient ? GradientTable(f.gradient) : std::array<uint32_t, 256>{};
  const uint32_t shadow = PackPremultiplied(f.color), light = PackPremultiplied(f.highlight);
  const Placement placement = f.onTop ? Placement::kOnTop : f.inner ? Placement::kInside : Placement::kBehind;
  std::vector<uint32_t> effect(static_cast<size_t>(layer.width) * layer.height);
  for (int y = 0; y < layer.height; ++y) {
    const uint32_t* row = layer.Row(y);
    for (int x = 0; x < layer.width; ++x) {
      const int diff = alpha.Get(x - off.dx, y - off.dy, 0) - alpha.Get(x + off.dx, y + off.dy, 0);
      const uint8_t dark = Strengthen(std::max(diff, 0), f.strength), lit = Strengthen(std::max(-diff, 0), f.strength);
      uint32_t e = gradient ? table[std::clamp(128 + (dark - lit) / 2, 0, 255)] : Scale(dark ? shadow : light, dark ? dark : lit);
      // Outside the object only the outer part shows, inside only the inner.
      if (placement == Placement::kBehind) e = Scale(e, 255 - A(row[x]));
      effect[static_cast<size_t>(y) * layer.width + x] = e;
    }
  }
  Join(layer, effect, placement, f);
}

// Rounded and clamped; sums of huge factors that overflow to no number at all give 0.
uint8_t ToByte(float v) { return std::isnan(v) ? 0 : static_cast<uint8_t>(std::clamp(v + 0.5f, 0.f, 255.f)); }

void ColorMatrix(PixelView layer, const Filter& f) {
  for (int y = 0; y < layer.height; ++y) {
    uint32_t* row = layer.Row(y);
    for (int x = 0; x < layer.width; ++x) {
      const Rgba c = UnpackPremultiplied(row[x]);
      const float in[4] = {float(c.r), float(c.g), float(c.b), float(c.a)};
      uint8_t out[4];
      for (int k = 0; k < 4; ++k) {
        const float* m = &f.matrix[k * 5];
        const float v = m[0] * in[0] + m[1] * in[1] + m[2] * in[2] + m[3] * in[3] + m[4];
        out[k] = ToByte(v);
      }
      row[x] = PackPremultiplied({out[0], out[1], out[2], out[3]});
    }
  }
}

void Convolution(PixelView layer, const Filter& f) {
  const int cols = f.columns, rows = f.rows;
  if (cols == 0 || rows == 0 || f.kernel.size() != size_t(cols) * rows) return;
  const float divisor = f.divisor != 0 ? f.divisor : 1;
  std::vector<Rgba> source(static_cast<size_t>(layer.width) * layer.height);
  for (int y = 0; y < layer.height; ++y) {
    for (int x = 0; x < layer.width; ++x) source[size_t(y) * layer.width + x] = UnpackPremultiplied(layer.Row(y)[x]);
  }
  for (int y = 0; y < layer.height; ++y) {
    uint32_t* row = layer.Row(y);
    for (int x = 0; x < layer.width; ++x) {
      float sum[4] = {0, 0, 0, 0};
      for (int j = 0; j < rows; ++j) {
        for (int i = 0; i < cols; ++i) {
          int sx = x + i - cols / 2, sy = y + j - rows / 2;
          Rgba c = f.defaultColor;
          if (f.clamp || (sx >= 0 && sy >= 0 && sx < layer.width && sy < layer.height)) {
            sx = std::clamp(sx, 0, layer.width - 1);
            sy = std::clamp(sy, 0, layer.height - 1);
            c = source[size_t(sy) * layer.width + sx];
          }
          const float k = f.kernel[size_t(j) * cols + i];
          sum[0] += k * c.r, sum[1] += k * c.g, sum[2] += k * c.b, sum[3] += k * c.a;
        }
      }
      auto out = [&](float v) { return ToByte(v / divisor + f.bias); };
      const uint8_t a = f.preserveAlpha ? source[size_t(y) * layer.width + x].a : out(sum[3]);
      row[x] = PackPremultiplied({out(sum[0]), out(sum[1]), out(sum[2]), a});
    }
  }
}

}  // namespace

uint32_t PackPremultiplied(Rgba c) { return Pack(c.a, Mul255(c.r, c.a), Mul255(c.g, c.a), Mul255(c.b, c.a)); }

Rgba UnpackPremultiplied(uint32_t p) {
  const uint32_t a = A(p);
  if (a == 0) return {0, 0, 0, 0};
  auto un = [a](uint32_t v) { return static_cast<uint8_t>(std::min(255u, (v * 255 + a / 2) / a)); };
  return {un(R(p)), un(G(p)), un(B(p)), static_cast<uint8_t>(a)};
}

void CompositeLayer(PixelView target, int x, int y, PixelView layer, BlendMode mode) {
  const int fromX = std::max(0, -x), toX = std::min(layer.width, target.width - x);
  const int fromY = std::max(0, -y), toY = std::min(layer.height, target.height - y);
  // One loop per mode, so that the mode's arithmetic is inlined into it.
  auto run = [&](auto constantMode) {
    constexpr BlendMode kMode = decltype(constantMode)::value;
    for (int ly = fromY; ly < toY; ++ly) {
      const uint32_t* src = layer.Row(ly);
      uint32_t* dst = target.Row(ly + y) + x;
      for (int lx = fromX; lx < toX; ++lx) {
        if (TransparentSourceKeeps(kMode) && src[lx] == 0) continue;
        dst[lx] = BlendPixel(kMode, src[lx], dst[lx]);
      }
    }
  };
  using M = BlendMode;
  switch (mode) {
    case M::kLayer:
    case M::kNormal: run(std::integral_constant<M, M::kNormal>{}); break;
    case M::kMultiply: run(std::integral_constant<M, M::kMultiply>{}); break;
    case M::kScreen: run(std::integral_constant<M, M::kScreen>{}); break;
    case M::kLighten: run(std::integral_constant<M, M::kLighten>{}); break;
    case M::kDarken: run(std::integral_constant<M, M::kDarken>{}); break;
    case M::kDifference: run(std::integral_constant<M, M::kDifference>{}); break;
    case M::kAdd: run(std::integral_constant<M, M::kAdd>{}); break;
    case M::kSubtract: run(std::integral_constant<M, M::kSubtract>{}); break;
    case M::kInvert: run(std::integral_constant<M, M::kInvert>{}); break;
    case M::kAlpha: run(std::integral_constant<M, M::kAlpha>{}); break;
    case M::kErase: run(std::integral_constant<M, M::kErase>{}); break;
    case M::kOverlay: run(std::integral_constant<M, M::kOverlay>{}); break;
    case M::kHardLight: run(std::integral_constant<M, M::kHardLight>{}); break;
  }
}

void ApplyFilter(PixelView layer, const Filter& filter, double scaleX, double scaleY) {
  if (layer.width <= 0 || layer.height <= 0) return;
  scaleX = std::abs(scaleX), scaleY = std::abs(scaleY);
  switch (filter.kind) {
    case FilterKind::kBlur: BlurAll(layer, filter.blurX * scaleX, filter.blurY * scaleY, filter.passes); break;
    case FilterKind::kDropShadow:
    case FilterKind::kGlow:
    case FilterKind::kGradientGlow: Shadow(layer, filter, scaleX, scaleY); break;
    case FilterKind::kBevel:
    case FilterKind::kGradientBevel: Bevel(layer, filter, scaleX, scaleY); break;
    case FilterKind::kColorMatrix: ColorMatrix(layer, filter); break;
    case FilterKind::kConvolution: Convolution(layer, filter); break;
  }
}

void ApplyColorTransform(PixelView layer, const ColorTransform& transform) {
  if (transform == ColorTransform{}) return;
  for (int y = 0; y < layer.height; ++y) {
    uint32_t* row = layer.Row(y);
    for (int x = 0; x < layer.width; ++x) {
      if (row[x] != 0) row[x] = PackPremultiplied(transform.Apply(UnpackPremultiplied(row[x])));
    }
  }
}

}  // namespace zp::swf
