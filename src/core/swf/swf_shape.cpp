#include "core/swf/swf_shape.h"

#include <map>
#include <utility>
#include <vector>

namespace zp::swf {
namespace {

// Bounds on what a hostile file can make us build.
constexpr size_t kMaxEdgesPerShape = 200000;
constexpr size_t kMaxStyles = 65535;

struct FillStyle {
  bool drawn = false;
  Rgba color;
};

struct LineStyle {
  double width = 20;
  Rgba color;
};

FillStyle ReadFillStyle(BitReader& reader, int shapeVersion) {
  const bool alpha = shapeVersion >= 3;
  FillStyle style;
  const uint8_t type = reader.U8();
  if (type == 0x00) {
    style.drawn = true;
    style.color = ReadColor(reader, alpha);
  } else if (type == 0x10 || type == 0x12 || type == 0x13) {
    ReadMatrix(reader);
    reader.AlignToByte();
    const uint8_t flags = reader.U8();
    const unsigned stops = flags & 0x0F;
    for (unsigned i = 0; i < stops; ++i) {
      reader.U8();  // ratio
      const Rgba c = ReadColor(reader, alpha);
      if (i == 0) style.color = c;
    }
    if (type == 0x13) reader.U16();  // focal point
    style.drawn = stops > 0;
  } else if (type >= 0x40 && type <= 0x43) {
    reader.U16();  // bitmap id
    ReadMatrix(reader);
    reader.AlignToByte();
  } else {
    reader.Fail();  // an unknown fill type leaves the rest unreadable
  }
  return style;
}

size_t ReadStyleCount(BitReader& reader, int shapeVersion) {
  size_t count = reader.U8();
  if (count == 0xFF && shapeVersion >= 2) count = reader.U16();
  return count;
}

void ReadStyles(BitReader& reader, int shapeVersion, std::vector<FillStyle>& fills, std::vector<LineStyle>& lines) {
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
      const uint16_t flags = reader.U16();
      const unsigned join = (flags >> 12) & 3;
      const bool hasFill = (flags >> 11) & 1;
      if (join == 2) reader.U16();  // miter limit
      if (hasFill) {
        const FillStyle fill = ReadFillStyle(reader, shapeVersion);
        line.color = fill.color;
      } else {
        line.color = ReadColor(reader, true);
      }
    } else {
      line.color = ReadColor(reader, shapeVersion >= 3);
    }
    lines.push_back(line);
  }
}

// An edge with the points it passes through (curves already flattened), and its styles as
// absolute indices into the shape's style tables (0 = none).
struct Edge {
  std::vector<Point> points;
  size_t fill0 = 0, fill1 = 0, line = 0;
};

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

}  // namespace

Rgba ReadColor(BitReader& reader, bool withAlpha) {
  Rgba c;
  c.r = reader.U8();
  c.g = reader.U8();
  c.b = reader.U8();
  c.a = withAlpha ? reader.U8() : 255;
  return c;
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

void ReadEdge(BitReader& reader, Point& pen, std::vector<Point>& points) {
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
    pen = {pen.x + dx, pen.y + dy};
    points.push_back(pen);
    return;
  }
  const Point start = pen;
  const Point control{start.x + reader.SB(bits), start.y + reader.SB(bits)};
  const Point anchor{control.x + reader.SB(bits), control.y + reader.SB(bits)};
  for (int i = 1; i < kCurveSegments; ++i) {
    const double t = static_cast<double>(i) / kCurveSegments, u = 1 - t;
    points.push_back({u * u * start.x + 2 * u * t * control.x + t * t * anchor.x,
                      u * u * start.y + 2 * u * t * control.y + t * t * anchor.y});
  }
  points.push_back(anchor);  // exact, so that chaining finds the next edge
  pen = anchor;
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
    reader.U8();       // stroke flags
  }

  // Styles live in tables that grow with each new-styles record; edges refer to them by
  // absolute index so that fills of different records never merge.
  std::vector<FillStyle> allFills{FillStyle{}};
  std::vector<LineStyle> allLines{LineStyle{}};
  std::vector<FillStyle> fills;
  std::vector<LineStyle> lines;
  size_t fillBase = 0, lineBase = 0;
  auto loadStyles = [&] {
    ReadStyles(reader, version, fills, lines);
    if (allFills.size() + fills.size() > kMaxStyles * 4 || allLines.size() + lines.size() > kMaxStyles * 4) {
      reader.Fail();
      fills.clear();
      lines.clear();
    }
    fillBase = allFills.size() - 1;
    lineBase = allLines.size() - 1;
    allFills.insert(allFills.end(), fills.begin(), fills.end());
    allLines.insert(allLines.end(), lines.begin(), lines.end());
  };
  loadStyles();
  unsigned fillBits = reader.UB(4);
  unsigned lineBits = reader.UB(4);

  std::vector<Edge> edges;
  size_t fill0 = 0, fill1 = 0, line = 0;
  auto absoluteFill = [&](uint32_t index) { return index == 0 || index > fills.size() ? 0 : fillBase + index; };
  auto absoluteLine = [&](uint32_t index) { return index == 0 || index > lines.size() ? 0 : lineBase + index; };
  Point pen;
  while (reader.ok() && edges.size() < kMaxEdgesPerShape) {
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
      if ((flags & 0x10) && version >= 2) {
        loadStyles();
        fillBits = reader.UB(4);
        lineBits = reader.UB(4);
        fill0 = fill1 = line = 0;
      }
      continue;
    }
    Edge edge{{pen}, fill0, fill1, line};
    ReadEdge(reader, pen, edge.points);
    if (reader.ok()) edges.push_back(std::move(edge));
  }

  // A damaged record list still yields what was read before the damage.
  std::map<size_t, std::vector<std::vector<Point>>> piecesByFill;
  std::map<size_t, std::vector<const Edge*>> edgesByLine;
  for (const Edge& e : edges) {
    if (e.fill1 != 0) piecesByFill[e.fill1].push_back(e.points);
    if (e.fill0 != 0) piecesByFill[e.fill0].emplace_back(e.points.rbegin(), e.points.rend());
    if (e.line != 0) edgesByLine[e.line].push_back(&e);
  }
  for (const auto& [f, pieces] : piecesByFill) {
    if (!allFills[f].drawn) continue;
    auto contours = ChainFill(pieces);
    if (!contours.empty()) shape.geometry.fills.push_back({allFills[f].color, std::move(contours)});
  }
  for (const auto& [l, lineEdges] : edgesByLine) {
    ShapeStroke stroke{allLines[l].color, allLines[l].width, {}};
    for (const Edge* edge : lineEdges) {
      const Edge& e = *edge;
      if (!stroke.polylines.empty() && stroke.polylines.back().back() == e.points.front()) {
        stroke.polylines.back().insert(stroke.polylines.back().end(), e.points.begin() + 1, e.points.end());
      } else {
        stroke.polylines.push_back(e.points);
      }
    }
    if (!stroke.polylines.empty()) shape.geometry.strokes.push_back(std::move(stroke));
  }
  return shape;
}

}  // namespace zp::swf
