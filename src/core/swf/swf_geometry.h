// Colours, matrices, colour transforms and outlines of the movie format. Coordinates are
// twips; nothing here knows a device.
#pragma once

#include <cstdint>
#include <vector>

namespace zp::swf {

struct Rgba {
  uint8_t r = 0, g = 0, b = 0, a = 255;
  bool operator==(const Rgba&) const = default;
};

struct Point {
  double x = 0;
  double y = 0;
  bool operator==(const Point&) const = default;
};

// x' = a*x + c*y + tx, y' = b*x + d*y + ty (the file's ScaleX, RotateSkew0, RotateSkew1, ScaleY).
struct Matrix {
  double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
  Point Apply(Point p) const { return {a * p.x + c * p.y + tx, b * p.x + d * p.y + ty}; }
  // this after inner: (this * inner)(p) = this(inner(p)).
  Matrix Then(const Matrix& outer) const;
  bool operator==(const Matrix&) const = default;
};

// Per channel: value' = value * mult / 256 + add, clamped to 0..255.
struct ColorTransform {
  int32_t rMult = 256, gMult = 256, bMult = 256, aMult = 256;
  int32_t rAdd = 0, gAdd = 0, bAdd = 0, aAdd = 0;
  Rgba Apply(Rgba c) const;
  // this first, then outer (without clamping in between).
  ColorTransform Then(const ColorTransform& outer) const;
  bool operator==(const ColorTransform&) const = default;
};

using Contour = std::vector<Point>;

}  // namespace zp::swf
