#include "core/swf/swf_paint.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace zp::swf {
namespace {

uint32_t Premultiply(double r, double g, double b, double a) {
  auto byte = [](double v) { return static_cast<uint32_t>(std::clamp(std::lround(v), 0l, 255l)); };
  const double f = a / 255;
  return (byte(a) << 24) | (byte(r * f) << 16) | (byte(g * f) << 8) | byte(b * f);
}

// sRGB transfer curve both ways, on 0..255 values.
double ToLinear(double v) {
  const double c = v / 255;
  return 255 * (c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
}
double FromLinear(double v) {
  const double c = v / 255;
  return 255 * (c <= 0.0031308 ? c * 12.92 : 1.055 * std::pow(c, 1 / 2.4) - 0.055);
}

// A spread gradient position as 0..1.
double Spread(double t, SpreadMode mode) {
  switch (mode) {
    case SpreadMode::kRepeat:
      return t - std::floor(t);
    case SpreadMode::kReflect: {
      const double m = std::fmod(std::abs(t), 2.0);
      return m > 1 ? 2 - m : m;
    }
    case SpreadMode::kPad:
    default:
      return std::clamp(t, 0.0, 1.0);
  }
}

// Where a point of the gradient square falls between the focal point (0) and the rim (1) of
// the unit circle, along the ray from the focal point through it.
double FocalPosition(double x, double y, double focal) {
  const double dx = x - focal, dy = y;
  const double dd = dx * dx + dy * dy;
  if (dd == 0) return 0;
  const double fd = focal * dx;
  const double c = focal * focal - 1;  // negative while the focal point is inside the circle
  const double s = (-fd + std::sqrt(std::max(0.0, fd * fd - dd * c))) / dd;
  return s > 0 ? 1 / s : 1;
}

uint32_t TransformPixel(uint32_t argb, const ColorTransform& cx) {
  const uint32_t a = argb >> 24;
  if (a == 0 && cx.aAdd <= 0) return 0;
  auto un = [a](uint32_t v) { return static_cast<uint8_t>(a == 0 ? 0 : std::min<uint32_t>(255, (v * 255 + a / 2) / a)); };
  const Rgba c = cx.Apply({un((argb >> 16) & 0xFF), un((argb >> 8) & 0xFF), un(argb & 0xFF), static_cast<uint8_t>(a)});
  return Premultiply(c.r, c.g, c.b, c.a);
}

uint32_t Lerp(uint32_t p, uint32_t q, double f) {
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const double a = (p >> shift) & 0xFF, b = (q >> shift) & 0xFF;
    out |= static_cast<uint32_t>(std::lround(a + (b - a) * f)) << shift;
  }
  return out;
}

void RasteriseGradient(const Paint& paint, const Matrix& inverse, int x0, int y0, int width, int height,
                       uint32_t* out) {
  const std::vector<uint32_t> ramp = GradientRamp(paint.gradient);
  const double focal = std::clamp(paint.gradient.focalPoint, -0.98, 0.98);
  for (int j = 0; j < height; ++j) {
    for (int i = 0; i < width; ++i) {
      const Point g = inverse.Apply({x0 + i + 0.5, y0 + j + 0.5});
      const double x = g.x / kGradientHalfSize, y = g.y / kGradientHalfSize;
      double t;
      if (paint.kind == PaintKind::kLinearGradient) {
        t = (x + 1) / 2;
      } else if (paint.kind == PaintKind::kRadialGradient) {
        t = std::sqrt(x * x + y * y);
      } else {
        t = FocalPosition(x, y, focal);
      }
      out[static_cast<size_t>(j) * width + i] = ramp[std::lround(Spread(t, paint.gradient.spread) * 255)];
    }
  }
}

void RasteriseBitmap(const Paint& paint, const BitmapPixels& bitmap, const Matrix& inverse, int x0, int y0,
                     int width, int height, uint32_t* out) {
  const int bw = bitmap.width, bh = bitmap.height;
  auto wrap = [&](long v, int size) -> int {
    if (paint.repeat) {
      const long m = v % size;
      return static_cast<int>(m < 0 ? m + size : m);
    }
    return static_cast<int>(std::clamp<long>(v, 0, size - 1));
  };
  auto at = [&](long x, long y) { return bitmap.argb[static_cast<size_t>(wrap(y, bh)) * bw + wrap(x, bw)]; };
  const bool plain = paint.bitmapTransform == ColorTransform{};
  for (int j = 0; j < height; ++j) {
    for (int i = 0; i < width; ++i) {
      const Point u = inverse.Apply({x0 + i + 0.5, y0 + j + 0.5});
      // Far outside any sensible range: treated as the edge, which also keeps the casts sound.
      const double ux = std::clamp(u.x, -1e9, 1e9), uy = std::clamp(u.y, -1e9, 1e9);
      uint32_t c;
      if (paint.smoothed) {
        const double fx = ux - 0.5, fy = uy - 0.5;
        const long x = static_cast<long>(std::floor(fx)), y = static_cast<long>(std::floor(fy));
        const double ax = fx - x, ay = fy - y;
        c = Lerp(Lerp(at(x, y), at(x + 1, y), ax), Lerp(at(x, y + 1), at(x + 1, y + 1), ax), ay);
      } else {
        c = at(static_cast<long>(std::floor(ux)), static_cast<long>(std::floor(uy)));
      }
      out[static_cast<size_t>(j) * width + i] = plain ? c : TransformPixel(c, paint.bitmapTransform);
    }
  }
}

}  // namespace

bool MovieBitmap::ApplyAlphaPlane(BitmapPixels& pixels, const std::vector<uint8_t>& alpha) {
  const uint64_t count = static_cast<uint64_t>(pixels.width) * static_cast<uint64_t>(pixels.height);
  if (pixels.width <= 0 || pixels.height <= 0 || count > kMaxBitmapPixels || pixels.argb.size() != count) return false;
  if (alpha.empty()) return true;
  if (alpha.size() < count) return false;
  for (size_t i = 0; i < count; ++i) {
    const uint32_t a = alpha[i], p = pixels.argb[i];
    const uint32_t r = std::min((p >> 16) & 0xFF, a), g = std::min((p >> 8) & 0xFF, a), b = std::min(p & 0xFF, a);
    pixels.argb[i] = (a << 24) | (r << 16) | (g << 8) | b;
  }
  return true;
}

std::optional<Matrix> Invert(const Matrix& m) {
  const double det = m.a * m.d - m.b * m.c;
  if (!std::isfinite(det) || std::abs(det) < 1e-12) return std::nullopt;
  Matrix inv;
  inv.a = m.d / det;
  inv.b = -m.b / det;
  inv.c = -m.c / det;
  inv.d = m.a / det;
  inv.tx = -(inv.a * m.tx + inv.c * m.ty);
  inv.ty = -(inv.b * m.tx + inv.d * m.ty);
  return inv;
}

Paint TransformPaint(const Paint& paint, const ColorTransform& cx) {
  Paint out = paint;
  if (cx == ColorTransform{}) return out;
  switch (paint.kind) {
    case PaintKind::kSolid:
      out.color = cx.Apply(paint.color);
      break;
    case PaintKind::kBitmap:
      out.bitmapTransform = paint.bitmapTransform.Then(cx);
      break;
    default:
      for (GradientStop& stop : out.gradient.stops) stop.color = cx.Apply(stop.color);
      break;
  }
  return out;
}

std::vector<uint32_t> GradientRamp(const Gradient& gradient) {
  std::vector<uint32_t> ramp(256, 0);
  if (gradient.stops.empty()) return ramp;
  // Stops at the same ratio each still show: every stop lies at least one step past the one
  // before it.
  std::vector<GradientStop> stops = gradient.stops;
  for (size_t i = 1; i < stops.size(); ++i) {
    if (stops[i].ratio <= stops[i - 1].ratio) stops[i].ratio = static_cast<uint8_t>(std::min(255, stops[i - 1].ratio + 1));
  }
  const bool linear = gradient.interpolation == GradientInterpolation::kLinearRgb;
  auto channel = [linear](double v) { return linear ? ToLinear(v) : v; };
  size_t next = 0;
  for (int i = 0; i < 256; ++i) {
    while (next < stops.size() && stops[next].ratio < i) ++next;
    const GradientStop& before = stops[next == 0 ? 0 : next - 1];
    const GradientStop& after = stops[std::min(next, stops.size() - 1)];
    const double span = after.ratio - before.ratio;
    const double f = span <= 0 ? (next == 0 ? 0 : 1) : std::clamp((i - before.ratio) / span, 0.0, 1.0);
    std::array<double, 4> mixed;
    const std::array<double, 4> p{channel(before.color.r), channel(before.color.g), channel(before.color.b),
                                  double(before.color.a)};
    const std::array<double, 4> q{channel(after.color.r), channel(after.color.g), channel(after.color.b),
                                  double(after.color.a)};
    for (int k = 0; k < 4; ++k) mixed[k] = p[k] + (q[k] - p[k]) * f;
    if (linear) {
      for (int k = 0; k < 3; ++k) mixed[k] = FromLinear(mixed[k]);
    }
    ramp[i] = Premultiply(mixed[0], mixed[1], mixed[2], mixed[3]);
  }
  return ramp;
}

bool RasterisePaint(const Paint& paint, const BitmapPixels* pixels, int x0, int y0, int width, int height,
                    std::vector<uint32_t>& out) {
  if (width <= 0 || height <= 0 || static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > kMaxBitmapPixels) {
    return false;
  }
  out.assign(static_cast<size_t>(width) * height, 0);
  const auto inverse = Invert(paint.matrix);
  switch (paint.kind) {
    case PaintKind::kSolid:
      std::fill(out.begin(), out.end(), Premultiply(paint.color.r, paint.color.g, paint.color.b, paint.color.a));
      return true;
    case PaintKind::kBitmap:
      if (!pixels || pixels->width <= 0 || pixels->height <= 0 || !inverse) return false;
      RasteriseBitmap(paint, *pixels, *inverse, x0, y0, width, height, out.data());
      return true;
    default:
      if (!inverse) {
        // A gradient squeezed to nothing shows its last colour everywhere.
        std::fill(out.begin(), out.end(), GradientRamp(paint.gradient).back());
        return true;
      }
      RasteriseGradient(paint, *inverse, x0, y0, width, height, out.data());
      return true;
  }
}

}  // namespace zp::swf
