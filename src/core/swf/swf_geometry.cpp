#include "core/swf/swf_geometry.h"

#include <algorithm>

namespace zp::swf {

Matrix Matrix::Then(const Matrix& outer) const {
  Matrix m;
  m.a = outer.a * a + outer.c * b;
  m.b = outer.b * a + outer.d * b;
  m.c = outer.a * c + outer.c * d;
  m.d = outer.b * c + outer.d * d;
  m.tx = outer.a * tx + outer.c * ty + outer.tx;
  m.ty = outer.b * tx + outer.d * ty + outer.ty;
  return m;
}

Rgba ColorTransform::Apply(Rgba c) const {
  auto channel = [](uint8_t v, int32_t mult, int32_t add) {
    const int64_t value = static_cast<int64_t>(v) * mult / 256 + add;
    return static_cast<uint8_t>(std::clamp<int64_t>(value, 0, 255));
  };
  return {channel(c.r, rMult, rAdd), channel(c.g, gMult, gAdd), channel(c.b, bMult, bAdd), channel(c.a, aMult, aAdd)};
}

ColorTransform ColorTransform::Then(const ColorTransform& outer) const {
  // Multipliers beyond this cannot make any channel more than fully bright; keeping them here
  // keeps deep nesting from overflowing.
  constexpr int64_t kLimit = 1 << 20;
  auto mult = [&](int32_t inner, int32_t out) {
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t{inner} * out / 256, -kLimit, kLimit));
  };
  auto add = [&](int32_t innerAdd, int32_t outMult, int32_t outAdd) {
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t{innerAdd} * outMult / 256 + outAdd, -kLimit, kLimit));
  };
  ColorTransform t;
  t.rMult = mult(rMult, outer.rMult);
  t.gMult = mult(gMult, outer.gMult);
  t.bMult = mult(bMult, outer.bMult);
  t.aMult = mult(aMult, outer.aMult);
  t.rAdd = add(rAdd, outer.rMult, outer.rAdd);
  t.gAdd = add(gAdd, outer.gMult, outer.gAdd);
  t.bAdd = add(bAdd, outer.bMult, outer.bAdd);
  t.aAdd = add(aAdd, outer.aMult, outer.aAdd);
  return t;
}

}  // namespace zp::swf
