// Scan conversion of the draw list's outlines, and the outlines of strokes. Every pixel is a
// square of the device: pixel (x, y) covers [x, x + 1) × [y, y + 1), so a point at whole
// coordinates lies on pixel corners, as the movie's twips map to them. At low quality a pixel is
// drawn when its centre lies inside: edges stay crisp and an edge on a pixel boundary never
// bleeds into the next pixel. At high quality (the movies' default) each pixel is sampled at the
// four points of the usual four-times multisampling grid and covered by the share inside.
#pragma once

#include <cstdint>
#include <vector>

#include "core/swf/swf_geometry.h"
#include "core/swf/swf_paint.h"

namespace zp::swf {

enum class EdgeQuality : uint8_t { kCrisp, kSmooth };

// Pixel coverage of a filled area, row by row, within a box of the device.
struct Coverage {
  int left = 0, top = 0, width = 0, height = 0;  // the box; rows hold `width` values each
  std::vector<uint8_t> values;                   // 0 (outside) to 255 (inside), row after row
  std::vector<int> rowStart, rowEnd;             // the covered columns of each row, box-relative
  bool empty() const { return values.empty(); }
  uint8_t At(int x, int y) const;                // device coordinates; 0 outside the box
};

// The coverage of closed contours (the last point joins the first) within the device box
// [clipLeft, clipRight) × [clipTop, clipBottom), filled by the non-zero or the even-odd rule.
Coverage CoverContours(const std::vector<Contour>& contours, bool nonZero, int clipLeft, int clipTop, int clipRight,
                       int clipBottom, EdgeQuality quality = EdgeQuality::kSmooth);

// What a stroke of `width` covers, as closed contours to fill by the non-zero rule: a quad along
// every edge, the joins at the corners and the caps at the ends. A contour that ends where it
// starts is joined there instead of capped; a stroke of a single point with round caps is a dot.
std::vector<Contour> StrokeOutline(const std::vector<Contour>& lines, double width, LineCap startCap, LineCap endCap,
                                   LineJoin join, double miterLimit);

}  // namespace zp::swf
