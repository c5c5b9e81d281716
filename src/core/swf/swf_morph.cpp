#include "core/swf/swf_morph.h"

#include <algorithm>
#include <cmath>

namespace zp::swf {
namespace {

constexpr size_t kMaxMorphStyles = 65535;

struct PaintPair {
  Paint start, end;
};

Gradient EndGradientOf(BitReader& reader, Gradient& start, bool focal) {
  Gradient end;
  const uint32_t spread = reader.UB(2);
  const uint32_t interpolation = reader.UB(2);
  const uint32_t count = reader.UB(4);
  start.spread = spread == 1 ? SpreadMode::kReflect : spread == 2 ? SpreadMode::kRepeat : SpreadMode::kPad;
  start.interpolation = interpolation == 1 ? GradientInterpolation::kLinearRgb : GradientInterpolation::kRgb;
  end.spread = start.spread;
  end.interpolation = start.interpolation;
  for (uint32_t i = 0; i < count && reader.ok(); ++i) {
    GradientStop a, b;
    a.ratio = reader.U8();
    a.color = ReadColor(reader, true);
    b.ratio = reader.U8();
    b.color = ReadColor(reader, true);
    start.stops.push_back(a);
    end.stops.push_back(b);
  }
  if (focal) {
    start.focalPoint = std::clamp(reader.S16() / 256.0, -1.0, 1.0);
    end.focalPoint = std::clamp(reader.S16() / 256.0, -1.0, 1.0);
  }
  return end;
}

PaintPair ReadMorphFill(BitReader& reader) {
  PaintPair pair;
  const uint8_t type = reader.U8();
  if (type == 0x00) {
    pair.start.color = ReadColor(reader, true);
    pair.end.color = ReadColor(reader, true);
  } else if (type == 0x10 || type == 0x12 || type == 0x13) {
    pair.start.kind = type == 0x10 ? PaintKind::kLinearGradient
                      : type == 0x12 ? PaintKind::kRadialGradient
                                     : PaintKind::kFocalGradient;
    pair.start.matrix = ReadMatrix(reader);
    pair.end.matrix = ReadMatrix(reader);
    pair.end.gradient = EndGradientOf(reader, pair.start.gradient, type == 0x13);
    pair.end.kind = pair.start.kind;
  } else if (type >= 0x40 && type <= 0x43) {
    pair.start.kind = pair.end.kind = PaintKind::kBitmap;
    pair.start.bitmapId = pair.end.bitmapId = reader.U16();
    pair.start.matrix = ReadMatrix(reader);
    pair.end.matrix = ReadMatrix(reader);
    pair.start.repeat = pair.end.repeat = type == 0x40 || type == 0x42;
    pair.start.smoothed = pair.end.smoothed = type == 0x40 || type == 0x41;
  } else {
    reader.Fail();
  }
  return pair;
}

size_t ReadCount(BitReader& reader) {
  size_t count = reader.U8();
  if (count == 0xFF) count = reader.U16();
  return std::min(count, kMaxMorphStyles);
}

double Mix(double a, double b, double t) { return a + (b - a) * t; }

uint8_t MixByte(uint8_t a, uint8_t b, double t) { return static_cast<uint8_t>(std::lround(Mix(a, b, t))); }

Rgba MixColor(Rgba a, Rgba b, double t) {
  return {MixByte(a.r, b.r, t), MixByte(a.g, b.g, t), MixByte(a.b, b.b, t), MixByte(a.a, b.a, t)};
}

Point MixPoint(Point a, Point b, double t) { return {Mix(a.x, b.x, t), Mix(a.y, b.y, t)}; }

Matrix MixMatrix(const Matrix& a, const Matrix& b, double t) {
  return {Mix(a.a, b.a, t), Mix(a.b, b.b, t), Mix(a.c, b.c, t), Mix(a.d, b.d, t), Mix(a.tx, b.tx, t), Mix(a.ty, b.ty, t)};
}

Paint MixPaint(const Paint& a, const Paint& b, double t) {
  Paint out = a;
  out.color = MixColor(a.color, b.color, t);
  out.matrix = MixMatrix(a.matrix, b.matrix, t);
  out.gradient.focalPoint = Mix(a.gradient.focalPoint, b.gradient.focalPoint, t);
  for (size_t i = 0; i < out.gradient.stops.size() && i < b.gradient.stops.size(); ++i) {
    out.gradient.stops[i].ratio = MixByte(a.gradient.stops[i].ratio, b.gradient.stops[i].ratio, t);
    out.gradient.stops[i].color = MixColor(a.gradient.stops[i].color, b.gradient.stops[i].color, t);
  }
  return out;
}

}  // namespace

std::optional<MorphShapeDefinition> ParseMorphShape(uint16_t tagCode, std::span<const uint8_t> body) {
  BitReader reader(body);
  MorphShapeDefinition morph;
  morph.id = reader.U16();
  morph.startBounds = ReadRect(reader);
  morph.endBounds = ReadRect(reader);
  if (!reader.ok()) return std::nullopt;
  const bool second = tagCode == kTagDefineMorphShape2;
  if (second) {
    ReadRect(reader);  // start edge bounds
    ReadRect(reader);  // end edge bounds
    reader.U8();       // stroke flags
  }
  const uint32_t endEdgesOffset = reader.U32();
  const size_t endEdgesAt = reader.position() + endEdgesOffset;

  const size_t fillCount = ReadCount(reader);
  for (size_t i = 0; i < fillCount && reader.ok(); ++i) {
    PaintPair pair = ReadMorphFill(reader);
    morph.start.fills.push_back(pair.start);
    morph.endFills.push_back(pair.end);
  }
  const size_t lineCount = ReadCount(reader);
  for (size_t i = 0; i < lineCount && reader.ok(); ++i) {
    LineStyle start, end;
    start.width = reader.U16();
    end.width = reader.U16();
    if (second && ReadLineStyleFlags(reader, start)) {
      const PaintPair pair = ReadMorphFill(reader);
      start.paint = pair.start;
      end.paint = pair.end;
    } else {
      start.paint.color = ReadColor(reader, true);
      end.paint.color = ReadColor(reader, true);
    }
    // Caps and joins do not morph: the end keeps the start's.
    const double endWidth = end.width;
    const Paint endPaint = end.paint;
    end = start;
    end.width = endWidth;
    end.paint = endPaint;
    morph.start.lines.push_back(start);
    morph.endLines.push_back(end);
  }
  // The tables start with an unused entry 0, which the end styles mirror.
  morph.endFills.insert(morph.endFills.begin(), Paint{});
  morph.endLines.insert(morph.endLines.begin(), LineStyle{});
  morph.start.fillGroup.assign(morph.start.fills.size(), 0);
  morph.start.lineGroup.assign(morph.start.lines.size(), 0);
  if (!reader.ok()) return morph;

  ReadShapeRecords(reader, morph.start, nullptr);
  if (endEdgesAt < body.size()) {
    BitReader endReader(body.subspan(endEdgesAt));
    ShapeRecords end;
    ReadShapeRecords(endReader, end, nullptr);
    morph.endEdges = std::move(end.edges);
  }
  return morph;
}

ShapeGeometry MorphShapeDefinition::At(uint16_t ratio) const {
  const double t = ratio / 65535.0;
  ShapeRecords mixed = start;
  for (size_t i = 1; i < mixed.fills.size() && i < endFills.size(); ++i) {
    mixed.fills[i] = MixPaint(start.fills[i], endFills[i], t);
  }
  for (size_t i = 1; i < mixed.lines.size() && i < endLines.size(); ++i) {
    mixed.lines[i].width = Mix(start.lines[i].width, endLines[i].width, t);
    mixed.lines[i].paint = MixPaint(start.lines[i].paint, endLines[i].paint, t);
  }
  for (size_t i = 0; i < mixed.edges.size() && i < endEdges.size(); ++i) {
    ShapeEdge& e = mixed.edges[i];
    const ShapeEdge& to = endEdges[i];
    e.start = MixPoint(e.start, to.start, t);
    e.control = MixPoint(e.control, to.control, t);
    e.end = MixPoint(e.end, to.end, t);
    e.curved = e.curved || to.curved;
  }
  return BuildGeometry(mixed);
}

}  // namespace zp::swf
