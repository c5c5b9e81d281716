// What a frame looks like, as device-independent geometry: the mapping of the stage onto a
// view of some size, and the list of filled and stroked outlines to draw, back to front. Any
// drawing back end (GDI+ into a window, a bitmap with per-pixel alpha) draws this list.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/swf/swf_effects.h"
#include "core/swf/swf_file.h"
#include "core/swf/swf_geometry.h"
#include "core/swf/swf_paint.h"
#include "core/swf/swf_player.h"

namespace zp::swf {

enum class ScaleMode : int32_t { kShowAll = 0, kNoBorder = 1, kExactFit = 2, kNoScale = 3 };

// Maps twips of the stage to device pixels: device = twips * scale + offset.
struct ViewTransform {
  double scaleX = 1.0 / 20, scaleY = 1.0 / 20;
  double offsetX = 0, offsetY = 0;
  int32_t width = 0, height = 0;  // the view's size in pixels, when known
  Point ToDevice(Point twips) const { return {twips.x * scaleX + offsetX, twips.y * scaleY + offsetY}; }
  Point ToTwips(Point device) const;
};

// The part of the stage shown is the zoom rectangle when one is set (non-empty), else the
// whole stage; it is fitted into a view of `width` × `height` pixels by the scale mode:
// show all keeps the aspect and fits inside, centred; no border keeps it and fills, centred;
// exact fit stretches; no scale shows twips at 1/20 pixel, centred.
ViewTransform ComputeViewTransform(const TwipsRect& stage, const std::optional<TwipsRect>& zoom, ScaleMode mode,
                                   int32_t width, int32_t height);

// A line of text in a font of the system, drawn in the item's colour.
struct DeviceText {
  std::u16string text;
  std::u16string face;  // a family, or "_sans", "_serif", "_typewriter"
  double size = 240;    // the em's height in text units
  bool bold = false;
  bool italic = false;
  bool underline = false;
  // Where `origin` is on the baseline: the text's start, its middle or its end. A line
  // aligned to the centre or the right is placed by the font that draws it, so that widths
  // the layout could only estimate do not move it.
  enum class Anchor : uint8_t { kStart, kMiddle, kEnd };
  Anchor anchor = Anchor::kStart;
  Point origin;     // on the baseline, in text units
  Matrix toDevice;  // text units to device pixels
};

// What a draw-list entry does. Masks make clip groups: kClipBegin opens one, the kClipArea
// items after it add filled areas to it (each item's contours filled even-odd, the items
// together as a union), the items up to the matching kClipEnd draw only inside that area (and
// inside any group around it). A group with no area shows nothing.
//
// Objects with a blend mode or filters make layer groups: kLayerBegin opens one, carrying how
// the layer is finished; the items up to the matching kLayerEnd draw into a transparent layer
// covering `LayerEffects::left/top/width/height` of the view (the items keep view coordinates),
// which is then filtered, colour-transformed and composited onto what lies below with its
// blend mode. Layer and clip groups nest within each other, never across.
enum class DrawKind : uint8_t { kShape, kClipBegin, kClipArea, kClipEnd, kLayerBegin, kLayerEnd };

struct LayerEffects {
  int32_t left = 0, top = 0, width = 0, height = 0;  // device pixels of the view
  BlendMode blendMode = BlendMode::kNormal;
  std::vector<Filter> filters;
  double filterScaleX = 1, filterScaleY = 1;  // device pixels per stage pixel, for filter sizes
  ColorTransform colorTransform;              // applied to the finished layer as a whole
};

struct DrawItem {
  DrawKind kind = DrawKind::kShape;
  bool stroke = false;
  Rgba color;
  double width = 0;                // stroke width in device pixels (at least 1)
  std::vector<Contour> contours;   // device pixels; closed for fills, open for strokes
  std::shared_ptr<const DeviceText> text;  // when set, the item is this text, not contours
  std::shared_ptr<const LayerEffects> layer;  // kLayerBegin only
  // A gradient or bitmap instead of `color`: its matrix maps to device pixels and its colours
  // have been through the colour transforms above it. Null for a plain colour.
  std::shared_ptr<const Paint> paint;
  bool nonZeroWinding = false;  // fills: the non-zero rule instead of even-odd
  LineCap startCap = LineCap::kRound, endCap = LineCap::kRound;
  LineJoin join = LineJoin::kRound;
  double miterLimit = 3;  // miter joins, in stroke widths
};

// Appends the parts of a shape drawn with `toDevice` (the shape's twips to device pixels;
// `view` is the part of it that comes from the view, which non-scaling strokes keep) and the
// colour transform. Bitmap fills find their bitmaps in `movie`.
void AppendShapeItems(const ShapeGeometry& geometry, const Matrix& toDevice, const Matrix& view,
                      const ColorTransform& cx, const Movie& movie, std::vector<DrawItem>& items);

// The display tree of the player, drawn through `view`, back to front: each instance's matrix
// and colour transform apply within its parent's; invisible instances are left out with
// everything under them; masks (objects with a clip depth) become clip groups over the
// depths they cover; objects with a blend mode or filters become layer groups (a layer is at
// most the view and what its filters reach beyond it). `rootScaleX/Y` are the root timeline's _xscale/_yscale as fractions
// (1 = 100 %), applied about the stage origin.
std::vector<DrawItem> BuildDrawList(const Player& player, const ViewTransform& view, double rootScaleX = 1,
                                    double rootScaleY = 1);

}  // namespace zp::swf
