#include "core/swf/swf_text_draw.h"

#include <cmath>
#include <memory>
#include <utility>

#include "core/swf/swf_text_layout.h"

namespace zp::swf {
namespace {

void AppendGlyph(const Glyph& glyph, double x, double y, double scale, const Matrix& toDevice,
                 std::vector<Contour>& out) {
  for (const Contour& c : glyph.contours) {
    Contour mapped;
    mapped.reserve(c.size());
    for (const Point& p : c) mapped.push_back(toDevice.Apply({x + p.x * scale, y + p.y * scale}));
    out.push_back(std::move(mapped));
  }
}

bool AxisAligned(const Matrix& m) { return std::abs(m.b) < 1e-9 && std::abs(m.c) < 1e-9; }

Contour Box(double x0, double y0, double x1, double y1) { return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}; }

// The field's bounds in device pixels, snapped to whole pixels when nothing turns them, as a
// complete player draws a field's box.
struct DeviceBox {
  bool snapped = false;
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // when snapped
  Contour corners;                         // otherwise
};

DeviceBox BoxOf(const TwipsRect& bounds, const Matrix& toDevice) {
  DeviceBox box;
  const Point a = toDevice.Apply({static_cast<double>(bounds.xMin), static_cast<double>(bounds.yMin)});
  const Point b = toDevice.Apply({static_cast<double>(bounds.xMax), static_cast<double>(bounds.yMax)});
  if (AxisAligned(toDevice)) {
    box.snapped = true;
    box.x0 = std::floor(std::min(a.x, b.x) + 0.5);
    box.x1 = std::floor(std::max(a.x, b.x) + 0.5);
    box.y0 = std::floor(std::min(a.y, b.y) + 0.5);
    box.y1 = std::floor(std::max(a.y, b.y) + 0.5);
    return box;
  }
  box.corners = {a, toDevice.Apply({static_cast<double>(bounds.xMax), static_cast<double>(bounds.yMin)}), b,
                 toDevice.Apply({static_cast<double>(bounds.xMin), static_cast<double>(bounds.yMax)})};
  return box;
}

void AppendBackground(const DeviceBox& box, Rgba color, std::vector<DrawItem>& items) {
  if (color.a == 0) return;
  DrawItem item;
  item.color = color;
  item.contours.push_back(box.snapped ? Box(box.x0, box.y0, box.x1, box.y1) : box.corners);
  items.push_back(std::move(item));
}

// A one-pixel border on the pixel rows and columns of the box's edges: the right column and
// the bottom row lie just inside the next pixel, and the corner between them stays open.
void AppendBorder(const DeviceBox& box, Rgba color, std::vector<DrawItem>& items) {
  if (color.a == 0) return;
  DrawItem item;
  item.color = color;
  if (!box.snapped) {
    item.stroke = true;
    item.width = 1;
    Contour closed = box.corners;
    closed.push_back(closed.front());
    item.contours.push_back(std::move(closed));
  } else {
    const double x0 = box.x0, y0 = box.y0, x1 = box.x1, y1 = box.y1;
    item.contours = {Box(x0, y0, x1 + 1, y0 + 1), Box(x0, y0 + 1, x0 + 1, y1 + 1), Box(x1, y0 + 1, x1 + 1, y1),
                     Box(x0 + 1, y1, x1, y1 + 1)};
  }
  items.push_back(std::move(item));
}

// An auto-sized field fits its box to its text: as tall as its lines and, without word wrap,
// as wide as its widest line, keeping the side (or the middle) its alignment keeps.
TwipsRect AutoSizedBounds(const EditTextDefinition& field, const TextLayout& layout) {
  TwipsRect bounds = field.bounds;
  bounds.yMax = bounds.yMin + static_cast<int32_t>(std::lround(layout.textHeight + 2 * kTextGutter));
  if (field.wordWrap) return bounds;
  const int32_t width = static_cast<int32_t>(std::lround(layout.textWidth + 2 * kTextGutter + field.leftMargin +
                                                         field.rightMargin));
  if (field.align == TextAlign::kRight) {
    bounds.xMin = bounds.xMax - width;
  } else if (field.align == TextAlign::kCenter) {
    bounds.xMin = (field.bounds.xMin + field.bounds.xMax - width) / 2;
    bounds.xMax = bounds.xMin + width;
  } else {
    bounds.xMax = bounds.xMin + width;
  }
  return bounds;
}

// The laid-out runs: glyphs for embedded fonts, device-text items for fonts of the system.
void AppendRuns(const TextLayout& layout, const Matrix& toDevice, const ColorTransform& colorTransform,
                std::vector<DrawItem>& items) {
  for (size_t r = 0; r < layout.runs.size(); ++r) {
    const LaidOutRun& run = layout.runs[r];
    const Rgba color = colorTransform.Apply(run.format.color);
    if (color.a == 0) continue;
    DrawItem item;
    item.color = color;
    item.nonZeroWinding = true;  // glyphs fill by the non-zero rule: overlapping parts of a glyph stay filled
    if (run.font) {
      const double scale = run.format.size / kEmUnits;
      for (size_t i = 0; i < run.text.size(); ++i) {
        if (const Glyph* glyph = run.font->GlyphFor(run.text[i])) {
          AppendGlyph(*glyph, run.x[i], run.baseline, scale, toDevice, item.contours);
        }
      }
      if (!item.contours.empty()) items.push_back(std::move(item));
      continue;
    }
    auto text = std::make_shared<DeviceText>();
    text->text = run.text;
    text->face = run.format.face;
    text->size = run.format.size;
    text->bold = run.format.bold;
    text->italic = run.format.italic;
    text->underline = run.format.underline;
    text->origin = {run.x.front(), run.baseline};
    text->toDevice = toDevice;
    const bool wholeLine = (r == 0 || layout.runs[r - 1].baseline != run.baseline) &&
                           (r + 1 == layout.runs.size() || layout.runs[r + 1].baseline != run.baseline);
    const TextAlign align = run.format.align;
    if (wholeLine && (align == TextAlign::kRight || align == TextAlign::kCenter)) {
      size_t shown = run.text.size();
      while (shown > 0 && run.text[shown - 1] == u' ') --shown;  // trailing spaces are not aligned
      const double end = shown == run.text.size() ? run.x.front() + run.width : run.x[shown];
      text->text.resize(shown);
      text->anchor = align == TextAlign::kRight ? DeviceText::Anchor::kEnd : DeviceText::Anchor::kMiddle;
      text->origin.x = align == TextAlign::kRight ? end : (run.x.front() + end) / 2;
    }
    item.text = std::move(text);
    items.push_back(std::move(item));
  }
}

}  // namespace

Matrix ViewMatrix(const ViewTransform& view) { return {view.scaleX, 0, 0, view.scaleY, view.offsetX, view.offsetY}; }

void AppendStaticText(const StaticTextDefinition& text, const FontTable& fonts, const Matrix& toDevice,
                      const ColorTransform& colorTransform, std::vector<DrawItem>& items) {
  const Matrix m = text.matrix.Then(toDevice);
  for (const StaticTextRun& run : text.runs) {
    const FontDefinition* font = fonts.Find(run.fontId);
    const Rgba color = colorTransform.Apply(run.color);
    if (!font || color.a == 0) continue;
    DrawItem item;
    item.color = color;
    item.nonZeroWinding = true;  // as the glyphs of text fields
    const double scale = run.height / kEmUnits;
    for (const StaticTextRun::Entry& entry : run.glyphs) {
      if (entry.index < font->glyphs.size()) AppendGlyph(font->glyphs[entry.index], entry.x, run.y, scale, m, item.contours);
    }
    if (!item.contours.empty()) items.push_back(std::move(item));
  }
}

void AppendEditText(const TextFieldState& state, const FontTable& fonts, const Matrix& toDevice,
                    const ColorTransform& colorTransform, std::vector<DrawItem>& items) {
  const EditTextDefinition& field = state.definition();
  TextFormat base = BaseFormat(field, fonts);
  if (state.textColor) base.color = *state.textColor;
  const TextLayout layout = LayoutEditText(field, state.Spans(base), fonts);

  const DeviceBox box = BoxOf(field.autoSize ? AutoSizedBounds(field, layout) : field.bounds, toDevice);
  if (state.background) AppendBackground(box, colorTransform.Apply(state.backgroundColor), items);
  if (state.border) AppendBorder(box, colorTransform.Apply(state.borderColor), items);
  if (layout.runs.empty()) return;
  // Text shows only inside the field's box: lines that run past it are cut there.
  DrawItem clip;
  clip.kind = DrawKind::kClipBegin;
  items.push_back(clip);
  clip.kind = DrawKind::kClipArea;
  clip.contours.push_back(box.snapped ? Box(box.x0, box.y0, box.x1, box.y1) : box.corners);
  items.push_back(std::move(clip));
  const size_t before = items.size();
  AppendRuns(layout, toDevice, colorTransform, items);
  if (items.size() == before) {
    items.resize(before - 2);  // nothing drawn: no group either
    return;
  }
  DrawItem end;
  end.kind = DrawKind::kClipEnd;
  items.push_back(end);
}

}  // namespace zp::swf
