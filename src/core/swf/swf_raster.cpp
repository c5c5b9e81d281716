#include "core/swf/swf_raster.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace zp::swf {

uint8_t Coverage::At(int x, int y) const {
  x -= left;
  y -= top;
  if (x < 0 || y < 0 || x >= width || y >= height || values.empty()) return 0;
  return values[static_cast<size_t>(y) * width + x];
}

namespace {

struct Edge {
  double top, bottom;  // top < bottom
  double xAtTop, dxdy;
  int winding;  // +1 going down the device, -1 going up
};

// Collects the edges of the contours, dropping horizontal ones (they cross no row of samples).
std::vector<Edge> EdgesOf(const std::vector<Contour>& contours) {
  std::vector<Edge> edges;
  for (const Contour& c : contours) {
    const size_t n = c.size();
    if (n < 2) continue;
    for (size_t i = 0; i < n; ++i) {
      Point a = c[i], b = c[(i + 1) % n];
      if (!std::isfinite(a.x) || !std::isfinite(a.y) || !std::isfinite(b.x) || !std::isfinite(b.y)) continue;
      if (a.y == b.y) continue;
      int winding = 1;
      if (a.y > b.y) {
        std::swap(a, b);
        winding = -1;
      }
      edges.push_back({a.y, b.y, a.x, (b.x - a.x) / (b.y - a.y), winding});
    }
  }
  return edges;
}

// Where a pixel is sampled, as offsets from its top-left corner: its centre, or the four points
// of the usual rotated grid of four-times multisampling.
struct Sample {
  double x, y;
};
constexpr Sample kCentre[] = {{0.5, 0.5}};
constexpr Sample kFour[] = {{0.375, 0.125}, {0.875, 0.375}, {0.125, 0.625}, {0.625, 0.875}};

// Counts, for the pixels of one row, the samples that lie inside spans. A span only marks
// where its count starts and stops; the counts are summed up once per row.
class RowAccumulator {
 public:
  explicit RowAccumulator(int width) : steps_(static_cast<size_t>(width) + 1, 0), width_(width) {}

  // Counts the samples at `offset` within each pixel that lie in [from, to) (box-relative x).
  void Span(double from, double to, double offset) {
    const double first = std::ceil(std::clamp(from - offset, -1.0, static_cast<double>(width_)));
    const double end = std::ceil(std::clamp(to - offset, -1.0, static_cast<double>(width_)));
    const int x0 = std::max(0, static_cast<int>(first)), x1 = std::min(width_, static_cast<int>(end));
    if (x1 <= x0) return;
    ++steps_[x0];
    --steps_[x1];
    from_ = std::min(from_, x0);
    to_ = std::max(to_, x1);
  }

  // Writes the share of samples inside (0..255) for the touched pixels into `out`, clears the
  // counts and returns the covered columns as [from, to), empty when none.
  std::pair<int, int> Finish(uint8_t* out, int samples) {
    if (from_ >= to_) return {0, 0};
    uint8_t share[kMostSamples + 1] = {};
    for (int k = 0; k <= samples && k <= kMostSamples; ++k) share[k] = static_cast<uint8_t>(k * 255 / samples);
    int count = 0;
    for (int x = from_; x < to_; ++x) {
      count += steps_[x];
      steps_[x] = 0;
      out[x] = share[std::clamp(count, 0, kMostSamples)];
    }
    steps_[to_] = 0;
    const auto span = std::pair{from_, to_};
    from_ = 1 << 30;
    to_ = 0;
    return span;
  }

 private:
  static constexpr int kMostSamples = 4;
  std::vector<int> steps_;
  int width_;
  int from_ = 1 << 30, to_ = 0;
};

}  // namespace

Coverage CoverContours(const std::vector<Contour>& contours, bool nonZero, int clipLeft, int clipTop, int clipRight,
                       int clipBottom, EdgeQuality quality) {
  const bool smooth = quality == EdgeQuality::kSmooth;
  const Sample* samples = smooth ? kFour : kCentre;
  const int sampleCount = smooth ? 4 : 1;
  Coverage out;
  std::vector<Edge> edges = EdgesOf(contours);
  if (edges.empty()) return out;
  double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
  for (const Edge& e : edges) {
    const double xAtBottom = e.xAtTop + (e.bottom - e.top) * e.dxdy;
    minX = std::min({minX, e.xAtTop, xAtBottom});
    maxX = std::max({maxX, e.xAtTop, xAtBottom});
    minY = std::min(minY, e.top);
    maxY = std::max(maxY, e.bottom);
  }
  const int left = static_cast<int>(std::max<double>(clipLeft, std::floor(minX)));
  const int right = static_cast<int>(std::min<double>(clipRight, std::ceil(maxX)));
  const int top = static_cast<int>(std::max<double>(clipTop, std::floor(minY)));
  const int bottom = static_cast<int>(std::min<double>(clipBottom, std::ceil(maxY)));
  if (right <= left || bottom <= top) return out;
  out.left = left, out.top = top, out.width = right - left, out.height = bottom - top;
  out.values.assign(static_cast<size_t>(out.width) * out.height, 0);
  out.rowStart.assign(out.height, 0);
  out.rowEnd.assign(out.height, 0);

  std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.top < b.top; });
  std::vector<const Edge*> active;
  std::vector<std::pair<double, int>> crossings;
  RowAccumulator row(out.width);
  size_t next = 0;
  for (int y = top; y < bottom; ++y) {
    while (next < edges.size() && edges[next].top < y + 1) active.push_back(&edges[next++]);
    std::erase_if(active, [y](const Edge* e) { return e->bottom <= y; });
    if (active.empty()) continue;
    for (int k = 0; k < sampleCount; ++k) {
      const double sampleY = y + samples[k].y;
      crossings.clear();
      for (const Edge* e : active) {
        if (e->top <= sampleY && sampleY < e->bottom) {
          crossings.emplace_back(e->xAtTop + (sampleY - e->top) * e->dxdy - left, e->winding);
        }
      }
      if (crossings.size() < 2) continue;
      std::sort(crossings.begin(), crossings.end());
      int winding = 0;
      for (size_t i = 0; i + 1 < crossings.size(); ++i) {
        winding += crossings[i].second;
        const bool inside = nonZero ? winding != 0 : (winding & 1) != 0;
        if (inside) row.Span(crossings[i].first, crossings[i + 1].first, samples[k].x);
      }
    }
    const int r = y - top;
    const auto [from, to] = row.Finish(&out.values[static_cast<size_t>(r) * out.width], sampleCount);
    out.rowStart[r] = from;
    out.rowEnd[r] = to;
  }
  return out;
}

namespace {

Point Add(Point a, Point b, double k = 1) { return {a.x + b.x * k, a.y + b.y * k}; }

double SignedArea(const Contour& c) {
  double area = 0;
  for (size_t i = 0; i < c.size(); ++i) {
    const Point& a = c[i];
    const Point& b = c[(i + 1) % c.size()];
    area += a.x * b.y - b.x * a.y;
  }
  return area / 2;
}

Contour Circle(Point centre, double radius) {
  const int steps = std::clamp(static_cast<int>(std::ceil(2 * std::numbers::pi * radius / 0.5)), 8, 256);
  Contour c;
  c.reserve(steps);
  for (int i = 0; i < steps; ++i) {
    const double angle = 2 * std::numbers::pi * i / steps;
    c.push_back({centre.x + radius * std::cos(angle), centre.y + radius * std::sin(angle)});
  }
  return c;
}

// The corner where the edge along `in` meets the edge along `out` (unit directions) at `v`.
void Join(Point v, Point in, Point out, double half, LineJoin join, double miterLimit, std::vector<Contour>& shapes) {
  const double cross = in.x * out.y - in.y * out.x;
  const double dot = in.x * out.x + in.y * out.y;
  if (std::abs(cross) < 1e-9 && dot > 0) return;  // straight on
  if (join == LineJoin::kRound) {
    shapes.push_back(Circle(v, half));
    return;
  }
  const double side = cross > 0 ? -1 : 1;  // the outside of the turn
  const Point n0{-in.y * side, in.x * side}, n1{-out.y * side, out.x * side};
  const Point p0 = Add(v, n0, half), p1 = Add(v, n1, half);
  const Point sum{n0.x + n1.x, n0.y + n1.y};
  const double sumLength = std::hypot(sum.x, sum.y);
  if (join == LineJoin::kBevel || sumLength < 1e-9) {
    shapes.push_back({v, p0, p1});
    return;
  }
  const Point m{sum.x / sumLength, sum.y / sumLength};
  const double cosHalf = std::sqrt(std::max(0.0, (1 + (n0.x * n1.x + n0.y * n1.y)) / 2));
  const double tipDistance = cosHalf > 1e-9 ? half / cosHalf : 1e300;
  const double limit = std::max(1.0, miterLimit) * half;
  if (tipDistance <= limit) {
    shapes.push_back({v, p0, Add(v, m, tipDistance), p1});
    return;
  }
  // Cut off at the limit: where the two outer edges cross the line `limit` from the corner.
  const double base = half * cosHalf;
  if (limit <= base) {
    shapes.push_back({v, p0, p1});
    return;
  }
  const Point tip = Add(v, m, tipDistance);
  const double along = ((tip.x - p0.x) * m.x + (tip.y - p0.y) * m.y);
  const double t = along > 1e-12 ? (limit - base) / along : 0;
  const Point q0{p0.x + (tip.x - p0.x) * t, p0.y + (tip.y - p0.y) * t};
  const Point q1{p1.x + (tip.x - p1.x) * t, p1.y + (tip.y - p1.y) * t};
  shapes.push_back({v, p0, q0, q1, p1});
}

}  // namespace

std::vector<Contour> StrokeOutline(const std::vector<Contour>& lines, double width, LineCap startCap, LineCap endCap,
                                   LineJoin join, double miterLimit) {
  std::vector<Contour> shapes;
  const double half = width / 2;
  if (!(half > 0) || !std::isfinite(half)) return shapes;
  for (const Contour& line : lines) {
    Contour points;
    points.reserve(line.size());
    for (const Point& p : line) {
      if (!std::isfinite(p.x) || !std::isfinite(p.y)) continue;
      if (points.empty() || !(points.back() == p)) points.push_back(p);
    }
    if (points.empty()) continue;
    const bool closed = points.size() > 2 && points.front() == points.back();
    if (closed) points.pop_back();
    if (points.size() == 1) {
      if (startCap == LineCap::kRound) {
        shapes.push_back(Circle(points[0], half));
      } else if (startCap == LineCap::kSquare) {
        const Point p = points[0];
        shapes.push_back({{p.x - half, p.y - half}, {p.x + half, p.y - half}, {p.x + half, p.y + half}, {p.x - half, p.y + half}});
      }
      continue;
    }
    const size_t n = points.size();
    const size_t segments = closed ? n : n - 1;
    std::vector<Point> directions(segments);
    for (size_t i = 0; i < segments; ++i) {
      const Point a = points[i], b = points[(i + 1) % n];
      const double length = std::hypot(b.x - a.x, b.y - a.y);
      directions[i] = {(b.x - a.x) / length, (b.y - a.y) / length};
    }
    for (size_t i = 0; i < segments; ++i) {
      const Point d = directions[i];
      const Point normal{-d.y, d.x};
      Point a = points[i], b = points[(i + 1) % n];
      if (!closed && i == 0 && startCap == LineCap::kSquare) a = Add(a, d, -half);
      if (!closed && i + 1 == segments && endCap == LineCap::kSquare) b = Add(b, d, half);
      shapes.push_back({Add(a, normal, half), Add(b, normal, half), Add(b, normal, -half), Add(a, normal, -half)});
    }
    for (size_t i = closed ? 0 : 1; i < n - (closed ? 0 : 1); ++i) {
      const Point in = directions[(i + segments - 1) % segments], out = directions[i % segments];
      Join(points[i], in, out, half, join, miterLimit, shapes);
    }
    if (!closed) {
      if (startCap == LineCap::kRound) shapes.push_back(Circle(points.front(), half));
      if (endCap == LineCap::kRound) shapes.push_back(Circle(points.back(), half));
    }
  }
  // Every piece turns the same way, so that the non-zero rule fills their union.
  for (Contour& c : shapes) {
    if (SignedArea(c) < 0) std::reverse(c.begin(), c.end());
  }
  return shapes;
}

}  // namespace zp::swf
