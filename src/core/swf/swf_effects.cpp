#include "core/swf/swf_effects.h"

#include <algorithm>
#include <cmath>

namespace zp::swf {
namespace {

// Players accept blurs up to this many pixels and this many passes.
constexpr double kMaxBlur = 255;
constexpr int kMaxPasses = 15;
// Kernels beyond this many taps cost more than any movie should ask for; they are left out.
constexpr size_t kMaxKernelTaps = 31 * 31;

double Fixed(BitReader& reader) { return static_cast<int32_t>(reader.U32()) / 65536.0; }
double Fixed8(BitReader& reader) { return static_cast<int16_t>(reader.U16()) / 256.0; }

Rgba ReadRgba(BitReader& reader) {
  Rgba c;
  c.r = reader.U8();
  c.g = reader.U8();
  c.b = reader.U8();
  c.a = reader.U8();
  return c;
}

void ReadBlur(BitReader& reader, Filter& f) {
  f.blurX = std::clamp(Fixed(reader), 0.0, kMaxBlur);
  f.blurY = std::clamp(Fixed(reader), 0.0, kMaxBlur);
}

int ClampPasses(uint32_t passes) { return std::clamp(static_cast<int>(passes), 1, kMaxPasses); }

// The flags byte of shadows and glows: inner, knockout, composite source, then the passes.
void ReadShadowFlags(BitReader& reader, Filter& f, unsigned passBits) {
  const uint8_t flags = reader.U8();
  f.inner = flags & 0x80;
  f.knockout = flags & 0x40;
  f.hideObject = !(flags & 0x20);
  if (passBits == 4) f.onTop = flags & 0x10;
  f.passes = ClampPasses(flags & ((1u << passBits) - 1));
}

// Shadow-like filters: blur, then angle and distance when `offset`, strength and flags.
void ReadShadowBody(BitReader& reader, Filter& f, bool offset, unsigned passBits) {
  ReadBlur(reader, f);
  if (offset) {
    f.angle = Fixed(reader);
    f.distance = std::clamp(Fixed(reader), -kMaxBlur * 4, kMaxBlur * 4);
  }
  f.strength = std::clamp(Fixed8(reader), 0.0, 255.0);
  ReadShadowFlags(reader, f, passBits);
}

bool ReadFilter(BitReader& reader, Filter& f) {
  f.kind = static_cast<FilterKind>(reader.U8());
  switch (f.kind) {
    case FilterKind::kDropShadow:
      f.color = ReadRgba(reader);
      ReadShadowBody(reader, f, true, 5);
      return true;
    case FilterKind::kBlur:
      ReadBlur(reader, f);
      f.passes = ClampPasses(reader.U8() >> 3);
      return true;
    case FilterKind::kGlow:
      f.color = ReadRgba(reader);
      ReadShadowBody(reader, f, false, 5);
      return true;
    case FilterKind::kBevel:
      f.color = ReadRgba(reader);
      f.highlight = ReadRgba(reader);
      ReadShadowBody(reader, f, true, 4);
      return true;
    case FilterKind::kGradientGlow:
    case FilterKind::kGradientBevel: {
      const uint8_t count = reader.U8();
      f.gradient.resize(count);
      for (auto& stop : f.gradient) stop.color = ReadRgba(reader);
      for (auto& stop : f.gradient) stop.ratio = reader.U8();
      ReadShadowBody(reader, f, true, 4);
      return true;
    }
    case FilterKind::kConvolution: {
      f.columns = reader.U8();
      f.rows = reader.U8();
      f.divisor = reader.F32();
      f.bias = reader.F32();
      const size_t taps = size_t{f.columns} * f.rows;
      if (taps > reader.remaining() / 4) {
        reader.Fail();
        return false;
      }
      f.kernel.resize(taps);
      for (float& k : f.kernel) {
        k = reader.F32();
        if (!std::isfinite(k)) k = 0;
      }
      f.defaultColor = ReadRgba(reader);
      const uint8_t flags = reader.U8();
      f.clamp = flags & 0x02;
      f.preserveAlpha = flags & 0x01;
      return taps > 0 && taps <= kMaxKernelTaps && std::isfinite(f.divisor) && std::isfinite(f.bias);
    }
    case FilterKind::kColorMatrix:
      for (float& m : f.matrix) {
        m = reader.F32();
        if (!std::isfinite(m)) m = 0;
      }
      return true;
  }
  reader.Fail();  // an unknown filter has no known length
  return false;
}

}  // namespace

BlendMode BlendModeFromByte(uint8_t value) {
  if (value < static_cast<uint8_t>(BlendMode::kNormal) || value > static_cast<uint8_t>(BlendMode::kHardLight)) {
    return BlendMode::kNormal;
  }
  return static_cast<BlendMode>(value);
}

std::vector<Filter> ReadFilterList(BitReader& reader) {
  std::vector<Filter> filters;
  const uint8_t count = reader.U8();
  for (uint8_t i = 0; i < count && reader.ok(); ++i) {
    Filter f;
    if (ReadFilter(reader, f) && reader.ok() && filters.size() < kMaxFilters) filters.push_back(std::move(f));
  }
  if (!reader.ok()) filters.clear();
  return filters;
}

int FilterMargin(const Filter& filter, double scaleX, double scaleY) {
  if (filter.kind == FilterKind::kColorMatrix) return 0;
  if (filter.kind == FilterKind::kConvolution) return std::max(filter.columns, filter.rows) / 2 + 1;
  const double scale = std::max(std::abs(scaleX), std::abs(scaleY));
  const double blur = std::max(filter.blurX, filter.blurY) * scale;
  const double reach = filter.passes * std::ceil(blur / 2 + 1) + std::abs(filter.distance) * scale + 1;
  return static_cast<int>(std::min(reach, 4096.0));
}

}  // namespace zp::swf
