#include "core/swf/swf_shape.h"

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

namespace zp::swf {
namespace {

// Bounds on what a hostile file can make us build.
constexpr size_t kMaxEdgesPerShape = 200000;
constexpr size_t kMaxStyles = 65535;

Gradient ReadGradient(BitReader& reader, bool withAlpha, bool focal) {
  Gradient gradient;
  const uint32_t spread = reader.UB(2);
  const uint32_t interpolation = reader.UB(2);
  const uint32_t count = reader.UB(4);
  gradient.spread = spread == 1 ? SpreadMode::kReflect : spread == 2 ? SpreadMode::kRepeat : SpreadMode::kPad;
  gradient.interpolation = interpolation == 1 ? GradientInterpolation::kLinearRgb : GradientInterpolation::kRgb;
  for (uint32_t i = 0; i < count && reader.ok(); ++i) {
    GradientStop stop;
    stop.ratio = reader.U8();
    stop.color = ReadColor(reader, withAlpha);
    gradient.stops.push_back(stop);
  }
  if (focal) gradient.focalPoint = std::clamp(reader.S16() / 256.0, -1.0, 1.0);
  return gradient;
}

size_t ReadStyleCount(BitReader& reader, int shapeVersion) {
  size_t count = reader.U8();
  if (count == 0xFF && shapeVersion >= 2) count = reader.U16();
  return count;
}

struct PointOrder {
  bool operator()(const Point& a, const Point& b) const { return a.x < b.x || (a.x == b.x && a.y < b.y); }
};

// Joins the edges that bound one fill into closed contours. Edges with the fill on their right
// (fill0) are walked backwards so that every contour runs the same way round.
std::vector<Contour> ChainFill(const std::vector<std::vector<Point>>& pieces) {
  std::multimap<Point, size_t, PointOrder> byStart;
  for (size_t i = 0; i < pieces.size(); ++i) byStart.emplace(pieces[i].front(), i);
  std::vector<bool> used(pieces.size(), false);
  std::vector<Contour> contours;
  for (size_t i = 0; i < pieces.size(); ++i) {
    if (used[i]) continue;
    used[i] = true;
    Contour contour = pieces[i];
    for (;;) {
      if (contour.size() > 1 && contour.back() == contour.front()) break;
      auto range = byStart.equal_range(contour.back());
      size_t next = pieces.size();
      for (auto it = range.first; it != range.second; ++it) {
        if (!used[it->second]) {
          next = it->second;
          break;
        }
      }
      if (next == pieces.size()) break;  // an open outline: filled as if closed
      used[next] = true;
      contour.insert(contour.end(), pieces[next].begin() + 1, pieces[next].end());
    }
    if (contour.size() >= 3) contours.push_back(std::move(contour));
  }
  return contours;
}

std::vector<Point> Flatten(const ShapeEdge& e) {
  std::vector<Point> points{e.start};
  if (!e.curved) {
    points.push_back(e.end);
    return points;
  }
  for (int i = 1; i < kCurveSegments; ++i) {
    const double t = static_cast<double>(i) / kCurveSegments, u = 1 - t;
    points.push_back({u * u * e.start.x + 2 * u * t * e.control.x + t * t * e.end.x,
                      u * u * e.start.y + 2 * u * t * e.control.y + t * t * e.end.y});
  }
  points.push_back(e.end);  // exact, so that chaining finds the next edge
  return points;
}

// One edge record (after its edge flag) from `pen`; a straight edge's control point is its
// middle, so that a morph can turn it into a curve.
ShapeEdge ReadShapeEdge(BitReader& reader, Point pen) {
  ShapeEdge edge;
  edge.start = pen;
  const bool straight = reader.UB(1);
  const unsigned bits = reader.UB(4) + 2;
  if (straight) {
    int32_t dx = 0, dy = 0;
    if (reader.UB(1)) {
      dx = reader.SB(bits);
      dy = reader.SB(bits);
    } else if (reader.UB(1)) {
      dy = reader.SB(bits);
    } else {
      dx = reader.SB(bits);
    }
    edge.end = {pen.x + dx, pen.y + dy};
    edge.control = {(pen.x + edge.end.x) / 2, (pen.y + edge.end.y) / 2};
  } else {
    edge.curved = true;
    edge.control = {pen.x + reader.SB(bits), pen.y + reader.SB(bits)};
    edge.end = {edge.control.x + reader.SB(bits), edge.control.y + reader.SB(bits)};
  }
  return edge;
}

}  // namespace

void ReadEdge(BitReader& reader, Point& pen, std::vector<Point>& points) {
  const ShapeEdge edge = ReadShapeEdge(reader, pen);
  const std::vector<Point> flat = Flatten(edge);
  points.insert(points.end(), flat.begin() + 1, flat.end());
  pen = edge.end;
}

Rgba ReadColor(BitReader& reader, bool withAlpha) {
  Rgba c;
  c.r = reader.U8();
  c.g = reader.U8();
  c.b = reader.U8();
  c.a = withAlpha ? reader.U8() : 255;
  return c;
}

Paint ReadFillStyle(BitReader& reader, int shapeVersion) {
  const bool alpha = shapeVersion >= 3;
  Paint paint;
  const uint8_t type = reader.U8();
  if (type == 0x00) {
    paint.color = ReadColor(reader, alpha);
  } else if (type == 0x10 || type == 0x12 || type == 0x13) {
    paint.kind = type == 0x10 ? PaintKind::kLinearGradient
                 : type == 0x12 ? PaintKind::kRadialGradient
                                : PaintKind::kFocalGradient;
    paint.matrix = ReadMatrix(reader);
    paint.gradient = ReadGradient(reader, alpha, type == 0x13);
  } else if (type >= 0x40 && type <= 0x43) {
    paint.kind = PaintKind::kBitmap;
    paint.bitmapId = reader.U16();
    paint.matrix = ReadMatrix(reader);
    paint.repeat = type == 0x40 || type == 0x42;
    paint.smoothed = type == 0x40 || type == 0x41;
  } else {
    reader.Fail();  // an unknown fill type leaves the rest unreadable
  }
  return paint;
}

bool ReadLineStyleFlags(BitReader& reader, LineStyle& line) {
  auto cap = [](uint32_t v) { return v == 1 ? LineCap::kNone : v == 2 ? LineCap::kSquare : LineCap::kRound; };
  line.startCap = cap(reader.UB(2));
  const uint32_t join = reader.UB(2);
  line.join = join == 1 ? LineJoin::kBevel : join == 2 ? LineJoin::kMiter : LineJoin::kRound;
  const bool hasFill = reader.UB(1);
  line.scaleX = reader.UB(1) == 0;
  line.scaleY = reader.UB(1) == 0;
  reader.UB(1);  // pixel hinting
  reader.UB(5);  // reserved
  reader.UB(1);  // no close
  line.endCap = cap(reader.UB(2));
  if (line.join == LineJoin::kMiter) line.miterLimit = reader.U16() / 256.0;
  return hasFill;
}

void ReadStyleArrays(BitReader& reader, int shapeVersion, std::vector<Paint>& fills, std::vector<LineStyle>& lines) {
  fills.clear();
  lines.clear();
  const size_t fillCount = ReadStyleCount(reader, shapeVersion);
  for (size_t i = 0; i < fillCount && reader.ok() && fills.size() < kMaxStyles; ++i) {
    fills.push_back(ReadFillStyle(reader, shapeVersion));
  }
  const size_t lineCount = ReadStyleCount(reader, shapeVersion);
  for (size_t i = 0; i < lineCount && reader.ok() && lines.size() < kMaxStyles; ++i) {
    LineStyle line;
    line.width = reader.U16();
    if (shapeVersion >= 4) {
      if (ReadLineStyleFlags(reader, line)) {
        line.paint = ReadFillStyle(reader, shapeVersion);
      } else {
        line.paint.color = ReadColor(reader, true);
      }
    } else {
      line.paint.color = ReadColor(reader, shapeVersion >= 3);
    }
    lines.push_back(line);
  }
}

TwipsRect ReadRect(BitReader& reader) {
  reader.AlignToByte();
  TwipsRect rect;
  const unsigned bits = reader.UB(5);
  rect.xMin = reader.SB(bits);
  rect.xMax = reader.SB(bits);
  rect.yMin = reader.SB(bits);
  rect.yMax = reader.SB(bits);
  reader.AlignToByte();
  return rect;
}

Matrix ReadMatrix(BitReader& reader) {
  reader.AlignToByte();
  Matrix m;
  if (reader.UB(1)) {
    const unsigned bits = reader.UB(5);
    m.a = reader.FB(bits);
    m.d = reader.FB(bits);
  }
  if (reader.UB(1)) {
    const unsigned bits = reader.UB(5);
    m.b = reader.FB(bits);
    m.c = reader.FB(bits);
  }
  const unsigned bits = reader.UB(5);
  m.tx = reader.SB(bits);
  m.ty = reader.SB(bits);
  reader.AlignToByte();
  return m;
}

ColorTransform ReadColorTransform(BitReader& reader, bool withAlpha) {
  reader.AlignToByte();
  ColorTransform cx;
  const bool hasAdd = reader.UB(1);
  const bool hasMult = reader.UB(1);
  const unsigned bits = reader.UB(4);
  if (hasMult) {
    cx.rMult = reader.SB(bits);
    cx.gMult = reader.SB(bits);
    cx.bMult = reader.SB(bits);
    if (withAlpha) cx.aMult = reader.SB(bits);
  }
  if (hasAdd) {
    cx.rAdd = reader.SB(bits);
    cx.gAdd = reader.SB(bits);
    cx.bAdd = reader.SB(bits);
    if (withAlpha) cx.aAdd = reader.SB(bits);
  }
  reader.AlignToByte();
  return cx;
}

void ReadShapeRecords(BitReader& reader, ShapeRecords& records,
                      const std::function<void(std::vector<Paint>&, std::vector<LineStyle>&)>& readStyles) {
  // Styles live in tables that grow with each new-styles record; edges refer to them by
  // absolute index so that fills of different records never merge.
  size_t fillBase = 0, lineBase = 0, fillCount = records.fills.size() - 1, lineCount = records.lines.size() - 1;
  size_t group = 0;
  unsigned fillBits = reader.UB(4);
  unsigned lineBits = reader.UB(4);
  size_t fill0 = 0, fill1 = 0, line = 0;
  auto absoluteFill = [&](uint32_t index) { return index == 0 || index > fillCount ? 0 : fillBase + index; };
  auto absoluteLine = [&](uint32_t index) { return index == 0 || index > lineCount ? 0 : lineBase + index; };
  Point pen;
  while (reader.ok() && records.edges.size() < kMaxEdgesPerShape) {
    if (reader.UB(1) == 0) {
      const uint32_t flags = reader.UB(5);
      if (flags == 0) break;  // end of shape
      if (flags & 0x01) {
        const unsigned bits = reader.UB(5);
        const int32_t x = reader.SB(bits);
        const int32_t y = reader.SB(bits);
        pen = {static_cast<double>(x), static_cast<double>(y)};
      }
      if (flags & 0x02) fill0 = absoluteFill(reader.UB(fillBits));
      if (flags & 0x04) fill1 = absoluteFill(reader.UB(fillBits));
      if (flags & 0x08) line = absoluteLine(reader.UB(lineBits));
      if ((flags & 0x10) && readStyles) {
        std::vector<Paint> fills;
        std::vector<LineStyle> lines;
        readStyles(fills, lines);
        if (records.fills.size() + fills.size() > kMaxStyles * 4 || records.lines.size() + lines.size() > kMaxStyles * 4) {
          reader.Fail();
          break;
        }
        ++group;
        fillBase = records.fills.size() - 1;
        lineBase = records.lines.size() - 1;
        fillCount = fills.size();
        lineCount = lines.size();
        records.fills.insert(records.fills.end(), fills.begin(), fills.end());
        records.lines.insert(records.lines.end(), lines.begin(), lines.end());
        records.fillGroup.resize(records.fills.size(), group);
        records.lineGroup.resize(records.lines.size(), group);
        fillBits = reader.UB(4);
        lineBits = reader.UB(4);
        fill0 = fill1 = line = 0;
      }
      continue;
    }
    ShapeEdge edge = ReadShapeEdge(reader, pen);
    edge.fill0 = fill0;
    edge.fill1 = fill1;
    edge.line = line;
    pen = edge.end;
    if (reader.ok()) records.edges.push_back(edge);
  }
}

ShapeGeometry BuildGeometry(const ShapeRecords& records) {
  std::map<size_t, std::vector<std::vector<Point>>> piecesByFill;
  std::map<size_t, std::vector<std::vector<Point>>> piecesByLine;
  for (const ShapeEdge& e : records.edges) {
    if (e.fill0 == 0 && e.fill1 == 0 && e.line == 0) continue;
    std::vector<Point> points = Flatten(e);
    if (e.fill1 != 0) piecesByFill[e.fill1].push_back(points);
    if (e.fill0 != 0) piecesByFill[e.fill0].emplace_back(points.rbegin(), points.rend());
    if (e.line != 0) piecesByLine[e.line].push_back(std::move(points));
  }
  ShapeGeometry geometry;
  const size_t groups = std::max(records.fillGroup.back(), records.lineGroup.back()) + 1;
  auto fillIt = piecesByFill.begin();
  auto lineIt = piecesByLine.begin();
  for (size_t group = 0; group < groups; ++group) {
    for (; fillIt != piecesByFill.end() && records.fillGroup[fillIt->first] == group; ++fillIt) {
      auto contours = ChainFill(fillIt->second);
      if (!contours.empty()) geometry.parts.push_back({false, records.fills[fillIt->first], {}, std::move(contours)});
    }
    for (; lineIt != piecesByLine.end() && records.lineGroup[lineIt->first] == group; ++lineIt) {
      const LineStyle& style = records.lines[lineIt->first];
      ShapePart part{true, style.paint, style, {}};
      for (const auto& points : lineIt->second) {
        if (!part.contours.empty() && part.contours.back().back() == points.front()) {
          part.contours.back().insert(part.contours.back().end(), points.begin() + 1, points.end());
        } else {
          part.contours.push_back(points);
        }
      }
      geometry.parts.push_back(std::move(part));
    }
  }
  return geometry;
}

std::optional<ShapeDefinition> ParseShape(uint16_t tagCode, std::span<const uint8_t> body) {
  const int version = tagCode == kTagDefineShape4 ? 4 : tagCode == kTagDefineShape3 ? 3 : tagCode == kTagDefineShape2 ? 2 : 1;
  BitReader reader(body);
  ShapeDefinition shape;
  shape.id = reader.U16();
  shape.bounds = ReadRect(reader);
  if (!reader.ok()) return std::nullopt;
  if (version == 4) {
    ReadRect(reader);  // edge bounds
    const uint8_t flags = reader.U8();
    shape.geometry.nonZeroWinding = flags & 0x04;
  }
  ShapeRecords records;
  const std::function<void(std::vector<Paint>&, std::vector<LineStyle>&)> readStyles =
      [&](std::vector<Paint>& fills, std::vector<LineStyle>& lines) { ReadStyleArrays(reader, version, fills, lines); };
  std::vector<Paint> fills;
  std::vector<LineStyle> lines;
  readStyles(fills, lines);
  records.fills.insert(records.fills.end(), fills.begin(), fills.end());
  records.lines.insert(records.lines.end(), lines.begin(), lines.end());
  records.fillGroup.resize(records.fills.size(), 0);
  records.lineGroup.resize(records.lines.size(), 0);
  // Shapes before version 2 have no new-styles records; the flag bit means nothing there.
  ReadShapeRecords(reader, records, version >= 2 ? readStyles : nullptr);
  // A damaged record list still yields what was read before the damage.
  const bool winding = shape.geometry.nonZeroWinding;
  shape.geometry = BuildGeometry(records);
  shape.geometry.nonZeroWinding = winding;
  return shape;
}

}  // namespace zp::swf
