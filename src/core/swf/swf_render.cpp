#include "core/swf/swf_render.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "core/swf/swf_layers.h"
#include "core/swf/swf_text_draw.h"

namespace zp::swf {

Point ViewTransform::ToTwips(Point device) const {
  return {scaleX != 0 ? (device.x - offsetX) / scaleX : 0, scaleY != 0 ? (device.y - offsetY) / scaleY : 0};
}

ViewTransform ComputeViewTransform(const TwipsRect& stage, const std::optional<TwipsRect>& zoom, ScaleMode mode,
                                   int32_t width, int32_t height) {
  const TwipsRect shown = (zoom && zoom->Width() > 0 && zoom->Height() > 0) ? *zoom : stage;
  const double shownW = std::max(1, shown.Width()), shownH = std::max(1, shown.Height());
  ViewTransform t;
  switch (mode) {
    case ScaleMode::kExactFit:
      t.scaleX = width / shownW;
      t.scaleY = height / shownH;
      break;
    case ScaleMode::kNoScale:
      t.scaleX = t.scaleY = 1.0 / 20;
      break;
    case ScaleMode::kNoBorder:
      t.scaleX = t.scaleY = std::max(width / shownW, height / shownH);
      break;
    case ScaleMode::kShowAll:
    default:
      t.scaleX = t.scaleY = std::min(width / shownW, height / shownH);
      break;
  }
  // Centre the shown rectangle in the view.
  t.offsetX = (width - shownW * t.scaleX) / 2 - shown.xMin * t.scaleX;
  t.offsetY = (height - shownH * t.scaleY) / 2 - shown.yMin * t.scaleY;
  t.width = width;
  t.height = height;
  return t;
}

void AppendShapeItems(const ShapeGeometry& geometry, const Matrix& toDevice, const Matrix& view,
                      const ColorTransform& cx, const Movie& movie, std::vector<DrawItem>& items) {
  // A stroke that keeps its width in one direction takes the scale of the other.
  auto strokeScale = [&](const LineStyle& line) {
    if (line.scaleX && line.scaleY) return std::sqrt(std::abs(toDevice.a * toDevice.d - toDevice.b * toDevice.c));
    if (line.scaleX) return std::hypot(toDevice.a, toDevice.b);
    if (line.scaleY) return std::hypot(toDevice.c, toDevice.d);
    return std::sqrt(std::abs(view.a * view.d - view.b * view.c));
  };
  for (const ShapePart& part : geometry.parts) {
    DrawItem item;
    item.stroke = part.stroke;
    if (part.paint.kind == PaintKind::kSolid) {
      item.color = cx.Apply(part.paint.color);
      if (item.color.a == 0) continue;
    } else {
      auto paint = std::make_shared<Paint>(TransformPaint(part.paint, cx));
      paint->matrix = part.paint.matrix.Then(toDevice);
      if (paint->kind == PaintKind::kBitmap) {
        paint->bitmap = movie.FindBitmap(paint->bitmapId);
        if (!paint->bitmap) continue;  // a missing bitmap draws nothing
      }
      item.paint = std::move(paint);
    }
    if (part.stroke) {
      item.width = std::max(1.0, part.line.width * strokeScale(part.line));
      item.startCap = part.line.startCap;
      item.endCap = part.line.endCap;
      item.join = part.line.join;
      item.miterLimit = part.line.miterLimit;
    }
    item.nonZeroWinding = geometry.nonZeroWinding;
    item.contours.reserve(part.contours.size());
    for (const Contour& c : part.contours) {
      Contour mapped;
      mapped.reserve(c.size());
      for (const Point& p : c) mapped.push_back(toDevice.Apply(p));
      item.contours.push_back(std::move(mapped));
    }
    items.push_back(std::move(item));
  }
}

namespace {

// Nested masks open at most this many clip groups; deeper ones are drawn unmasked.
constexpr size_t kMaxOpenMasks = 64;

DrawItem Marker(DrawKind kind) {
  DrawItem item;
  item.kind = kind;
  return item;
}

DrawItem Item(DrawKind kind, bool stroke, Rgba color, double width, std::vector<Contour> contours) {
  DrawItem item;
  item.kind = kind;
  item.stroke = stroke;
  item.color = color;
  item.width = width;
  item.contours = std::move(contours);
  return item;
}

class DrawListBuilder {
 public:
  DrawListBuilder(const Player& player, const ViewTransform& view, const Matrix& rootMatrix, std::vector<DrawItem>& items)
      : player_(player), view_(view), viewMatrix_(ViewMatrix(view)), rootMatrix_(rootMatrix), items_(items) {
    FindScriptMasks(player.root());
  }

  void Children(const Instance& parent, const Matrix& matrix, const ColorTransform& color) {
    std::vector<uint16_t> openMasks;  // clip depths, innermost last
    for (const auto& [depth, child] : parent.children) {
      while (!openMasks.empty() && depth > openMasks.back()) {
        openMasks.pop_back();
        items_.push_back(Marker(DrawKind::kClipEnd));
      }
      const Matrix m = child.matrix.Then(matrix);
      if (child.clipDepth > 0 && depth < child.clipDepth && openMasks.size() < kMaxOpenMasks) {
        // A mask inside another one ends no later than the outer one.
        const uint16_t end = openMasks.empty() ? child.clipDepth : std::min(child.clipDepth, openMasks.back());
        items_.push_back(Marker(DrawKind::kClipBegin));
        Area(child, m);
        openMasks.push_back(end);
        continue;
      }
      if (child.clipDepth > 0 || !child.visible || scriptMasks_.count(child.serial)) continue;  // masks are not drawn
      const Instance* mask = child.scriptMask ? player_.FindBySerial(child.scriptMask) : nullptr;
      if (mask && mask != &child) {
        items_.push_back(Marker(DrawKind::kClipBegin));
        Area(*mask, WorldMatrix(*mask));
      }
      Draw(child, m, child.colorTransform.Then(color));
      if (mask && mask != &child) items_.push_back(Marker(DrawKind::kClipEnd));
    }
    for (size_t i = 0; i < openMasks.size(); ++i) items_.push_back(Marker(DrawKind::kClipEnd));
  }

 private:
  void Draw(const Instance& instance, const Matrix& m, const ColorTransform& color) {
    if (openLayers_ < kMaxLayerNesting && NeedsLayer(instance, openLayers_ > 0)) {
      DrawLayered(instance, m, color);
      return;
    }
    DrawContent(instance, m, color);
  }

  // The instance drawn into a layer of its own, which takes its colour transform as a whole.
  void DrawLayered(const Instance& instance, const Matrix& m, const ColorTransform& color) {
    const size_t begin = items_.size();
    items_.push_back(Marker(DrawKind::kLayerBegin));
    ++openLayers_;
    DrawContent(instance, m, ColorTransform{});
    --openLayers_;
    CloseLayer(items_, begin, EffectsOf(instance, view_, color), view_);
  }

  void DrawContent(const Instance& instance, const Matrix& m, const ColorTransform& color) {
    if (instance.opaqueBackground) Background(instance, m, *instance.opaqueBackground);
    if (const ShapeGeometry* geometry = FindGeometry(instance)) {
      AppendShapeItems(*geometry, m.Then(viewMatrix_), viewMatrix_, color, *instance.movie, items_);
    }
    if (instance.drawing && instance.movie) {
      AppendShapeItems(instance.drawing->geometry(), m.Then(viewMatrix_), viewMatrix_, color, *instance.movie, items_);
    }
    Text(instance, m, color, items_);
    Children(instance, m, color);
  }

  // Static text and text fields, in the fonts of the movie that defines them.
  void Text(const Instance& instance, const Matrix& m, const ColorTransform& color, std::vector<DrawItem>& out) const {
    if (!instance.movie || !instance.parent) return;
    const Matrix toDevice = m.Then(ViewMatrix(view_));
    if (instance.kind == CharacterKind::kStaticText) {
      if (const StaticTextDefinition* text = instance.movie->FindStaticText(instance.character)) {
        AppendStaticText(*text, instance.movie->fonts(), toDevice, color, out);
      }
    } else if (instance.textField) {
      AppendEditText(*instance.textField, instance.movie->fonts(), toDevice, color, out);
    }
  }

  // The rectangle around what an instance shows, filled behind it.
  void Background(const Instance& instance, const Matrix& m, Rgba color) {
    Box box;
    Extend(box, instance, Matrix{});
    if (box.empty || color.a == 0) return;
    Contour corners;
    for (const Point& p : {Point{box.x0, box.y0}, Point{box.x1, box.y0}, Point{box.x1, box.y1}, Point{box.x0, box.y1}}) {
      corners.push_back(p);
    }
    items_.push_back(Item(DrawKind::kShape, false, color, 0, Map({corners}, m)));
  }

  struct Box {
    bool empty = true;
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    void Add(Point p) {
      if (empty) {
        x0 = x1 = p.x;
        y0 = y1 = p.y;
        empty = false;
        return;
      }
      x0 = std::min(x0, p.x), x1 = std::max(x1, p.x);
      y0 = std::min(y0, p.y), y1 = std::max(y1, p.y);
    }
  };

  // Adds the bounds of an instance and of everything in it, mapped by `m`, to `box`.
  static void Extend(Box& box, const Instance& instance, const Matrix& m) {
    if (const ShapeDefinition* shape = FindShape(instance)) {
      const TwipsRect& r = shape->bounds;
      for (const Point& p : {Point{double(r.xMin), double(r.yMin)}, Point{double(r.xMax), double(r.yMin)},
                             Point{double(r.xMax), double(r.yMax)}, Point{double(r.xMin), double(r.yMax)}}) {
        box.Add(m.Apply(p));
      }
    }
    for (const auto& [depth, child] : instance.children) Extend(box, child, child.matrix.Then(m));
  }

  void FindScriptMasks(const Instance& instance) {
    for (const auto& [depth, child] : instance.children) {
      if (child.scriptMask && child.scriptMask != child.serial) scriptMasks_.insert(child.scriptMask);
      FindScriptMasks(child);
    }
  }

  // Where an instance stands on the stage, through all its parents.
  Matrix WorldMatrix(const Instance& instance) const {
    Matrix m = instance.matrix;
    for (const Instance* p = instance.parent; p && p->parent; p = p->parent) m = m.Then(p->matrix);
    return m.Then(rootMatrix_);
  }

  // The filled area of a mask and of everything under it.
  void Area(const Instance& instance, const Matrix& m) {
    for (const ShapeGeometry* geometry : {FindGeometry(instance), instance.drawing ? &instance.drawing->geometry() : nullptr}) {
      if (!geometry) continue;
      for (const ShapePart& part : geometry->parts) {
        if (!part.stroke) items_.push_back(Item(DrawKind::kClipArea, false, {}, 0, Map(part.contours, m)));
      }
    }
    // Text masks by its glyphs and its fields' boxes (text in a font of the system cannot).
    std::vector<DrawItem> text;
    Text(instance, m, ColorTransform{}, text);
    for (DrawItem& item : text) {
      if (item.kind != DrawKind::kShape || item.text || item.stroke) continue;
      const bool nonZero = item.nonZeroWinding;
      items_.push_back(Item(DrawKind::kClipArea, false, {}, 0, std::move(item.contours)));
      items_.back().nonZeroWinding = nonZero;
    }
    for (const auto& [depth, child] : instance.children) {
      if (child.clipDepth == 0) Area(child, child.matrix.Then(m));
    }
  }

  static const ShapeDefinition* FindShape(const Instance& instance) {
    if (!instance.movie || instance.kind != CharacterKind::kShape || !instance.parent) return nullptr;
    return instance.movie->FindShape(instance.character);
  }

  // A shape's outlines, or a morph shape's at the instance's ratio (made afresh each time).
  const ShapeGeometry* FindGeometry(const Instance& instance) {
    if (!instance.movie || !instance.parent) return nullptr;
    if (const ShapeDefinition* shape = FindShape(instance)) return &shape->geometry;
    if (instance.kind == CharacterKind::kMorphShape) {
      const MorphShapeDefinition* morph = instance.movie->FindMorphShape(instance.character);
      if (!morph) return nullptr;
      morphed_ = morph->At(instance.ratio);
      return &morphed_;
    }
    return nullptr;
  }

  std::vector<Contour> Map(const std::vector<Contour>& contours, const Matrix& m) const {
    std::vector<Contour> out;
    out.reserve(contours.size());
    for (const Contour& c : contours) {
      Contour mapped;
      mapped.reserve(c.size());
      for (const Point& p : c) mapped.push_back(view_.ToDevice(m.Apply(p)));
      out.push_back(std::move(mapped));
    }
    return out;
  }

  const Player& player_;
  const ViewTransform& view_;
  const Matrix viewMatrix_;
  Matrix rootMatrix_;
  std::vector<DrawItem>& items_;
  std::set<uint32_t> scriptMasks_;  // instances that mask others by script
  int openLayers_ = 0;
  ShapeGeometry morphed_;
};

}  // namespace

std::vector<DrawItem> BuildDrawList(const Player& player, const ViewTransform& view, double rootScaleX,
                                    double rootScaleY) {
  std::vector<DrawItem> items;
  if (!player.movie()) return items;
  Matrix root;
  root.a = rootScaleX;
  root.d = rootScaleY;
  DrawListBuilder(player, view, root, items).Children(player.root(), root, ColorTransform{});
  if (const auto focus = player.FocusRectangle()) {
    // The focus rectangle: yellow, over everything, the same width at any zoom.
    constexpr Rgba kFocusYellow{255, 255, 0, 255};
    constexpr double kFocusLinePixels = 2;
    DrawItem outline;
    outline.stroke = true;
    outline.color = kFocusYellow;
    outline.width = kFocusLinePixels;
    outline.join = LineJoin::kMiter;
    outline.startCap = outline.endCap = LineCap::kSquare;
    Contour corners;
    for (const Point p : {Point{focus->xMin, focus->yMin}, Point{focus->xMax, focus->yMin}, Point{focus->xMax, focus->yMax},
                          Point{focus->xMin, focus->yMax}, Point{focus->xMin, focus->yMin}}) {
      corners.push_back(view.ToDevice(root.Apply(p)));
    }
    outline.contours.push_back(std::move(corners));
    items.push_back(std::move(outline));
  }
  return items;
}

}  // namespace zp::swf
