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

}  // namespace zp::swf
