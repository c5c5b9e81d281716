#include "core/swf/swf_canvas.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "core/swf/swf_raster.h"

namespace zp::swf {

namespace {

inline uint32_t Mul255(uint32_t x, uint32_t y) {
  const uint32_t t = x * y + 128;
  return (t + (t >> 8)) >> 8;
}

// A premultiplied pixel scaled by k / 255.
inline uint32_t Scale(uint32_t p, uint32_t k) {
  if (k == 255) return p;
  const uint32_t rb = (p & 0x00FF00FF) * k + 0x00800080;
  const uint32_t ag = ((p >> 8) & 0x00FF00FF) * k + 0x00800080;
  return (((rb + ((rb >> 8) & 0x00FF00FF)) >> 8) & 0x00FF00FF) | ((ag + ((ag >> 8) & 0x00FF00FF)) & 0xFF00FF00);
}

inline uint32_t Over(uint32_t src, uint32_t dst) {
  const uint32_t sa = src >> 24;
  if (sa == 255) return src;
  if (sa == 0 && src == 0) return dst;
  return src + Scale(dst, 255 - sa);
}

// Where drawing may reach within a target: a coverage box in view coordinates, or the whole
// target when `all` is set.
struct ClipMask {
  bool all = true;
  Coverage mask;  // values over its box; nothing outside it shows
};

// Narrows `outer` by the union of `areas`.
ClipMask Intersect(const ClipMask& outer, const std::vector<Coverage>& areas) {
  ClipMask clip;
  clip.all = false;
  int left = 1 << 30, top = 1 << 30, right = -(1 << 30), bottom = -(1 << 30);
  for (const Coverage& a : areas) {
    if (a.empty()) continue;
    left = std::min(left, a.left), top = std::min(top, a.top);
    right = std::max(right, a.left + a.width), bottom = std::max(bottom, a.top + a.height);
  }
  if (!outer.all) {
    left = std::max(left, outer.mask.left), top = std::max(top, outer.mask.top);
    right = std::min(right, outer.mask.left + outer.mask.width), bottom = std::min(bottom, outer.mask.top + outer.mask.height);
  }
  if (right <= left || bottom <= top) return clip;  // shows nothing
  Coverage& m = clip.mask;
  m.left = left, m.top = top, m.width = right - left, m.height = bottom - top;
  m.values.assign(static_cast<size_t>(m.width) * m.height, 0);
  for (const Coverage& a : areas) {
    for (int r = 0; r < a.height; ++r) {
      const int y = a.top + r;
      if (y < top || y >= bottom) continue;
      for (int c = a.rowStart[r]; c < a.rowEnd[r]; ++c) {
        const int x = a.left + c;
        if (x < left || x >= right) continue;
        uint8_t& v = m.values[static_cast<size_t>(y - top) * m.width + (x - left)];
        v = std::max(v, a.values[static_cast<size_t>(r) * a.width + c]);
      }
    }
  }
  if (!outer.all) {
    for (int y = top; y < bottom; ++y) {
      for (int x = left; x < right; ++x) {
        uint8_t& v = m.values[static_cast<size_t>(y - top) * m.width + (x - left)];
        if (v) v = static_cast<uint8_t>(Mul255(v, outer.mask.At(x, y)));
      }
    }
  }
  m.rowStart.assign(m.height, 0);
  m.rowEnd.assign(m.height, m.width);
  return clip;
}

class Canvas {
 public:
  Canvas(PixelView root, const CanvasHooks& hooks, EdgeQuality quality) : hooks_(hooks), quality_(quality) {
    Target t;
    t.view = root;
    targets_.push_back(std::move(t));
    targets_.back().clips.push_back(Group{});
  }

  void Draw(const std::vector<DrawItem>& items) {
    for (const DrawItem& item : items) {
      switch (item.kind) {
        case DrawKind::kLayerBegin:
          BeginLayer(item.layer.get());
          continue;
        case DrawKind::kLayerEnd:
          EndLayer();
          continue;
        case DrawKind::kClipBegin: {
          ApplyPending();
          Group group;
          group.clip = Current().clip;
          group.pending = true;
          target().clips.push_back(std::move(group));
          continue;
        }
        case DrawKind::kClipArea:
          if (target().clips.back().pending) {
            target().clips.back().areas.push_back(
                CoverContours(item.contours, item.nonZeroWinding, target().originX, target().originY,
                              target().originX + target().view.width, target().originY + target().view.height,
                              quality_));
          }
          continue;
        case DrawKind::kClipEnd:
          if (target().clips.size() > 1) target().clips.pop_back();
          continue;
        case DrawKind::kShape:
          break;
      }
      ApplyPending();
      if (item.text) {
        Text(item);
      } else {
        Shape(item);
      }
    }
    while (targets_.size() > 1) EndLayer();
  }

 private:
  struct Group {
    ClipMask clip;
    bool pending = false;
    std::vector<Coverage> areas;
  };
  struct Target {
    std::vector<uint32_t> pixels;
    PixelView view;
    int originX = 0, originY = 0;  // the view's pixel that the target's top-left shows
    const LayerEffects* effects = nullptr;
    std::vector<Group> clips;
  };

  Target& target() { return targets_.back(); }
  Group& Current() { return target().clips.back(); }

  void ApplyPending() {
    Group& group = Current();
    if (!group.pending) return;
    group.clip = Intersect(group.clip, group.areas);
    group.areas.clear();
    group.pending = false;
  }

  // A group without effects or pixels still opens, so that its end closes it and no other.
  void BeginLayer(const LayerEffects* effects) {
    ApplyPending();
    Target t;
    if (effects && effects->width > 0 && effects->height > 0 &&
        static_cast<uint64_t>(effects->width) * effects->height <= (uint64_t{1} << 26)) {
      t.pixels.assign(static_cast<size_t>(effects->width) * effects->height, 0);
      t.view = {t.pixels.data(), effects->width, effects->height, effects->width};
      t.originX = effects->left;
      t.originY = effects->top;
      t.effects = effects;
      t.clips.push_back(Group{});
    } else {
      // No pixels of its own: drawn straight onto the target below, within its clip.
      t.view = target().view;
      t.originX = target().originX;
      t.originY = target().originY;
      t.clips.push_back(Group{Current().clip, false, {}});
    }
    targets_.push_back(std::move(t));
  }

  void EndLayer() {
    if (targets_.size() <= 1) return;
    Target layer = std::move(targets_.back());
    targets_.pop_back();
    if (!layer.effects) return;
    const LayerEffects& effects = *layer.effects;
    for (const Filter& filter : effects.filters) ApplyFilter(layer.view, filter, effects.filterScaleX, effects.filterScaleY);
    ApplyColorTransform(layer.view, effects.colorTransform);
    CompositeLayer(target().view, layer.originX - target().originX, layer.originY - target().originY, layer.view,
                   effects.blendMode);
  }

  // Lays premultiplied `source` pixels (over the coverage box of `cover`, or one colour when
  // `source` is empty) over the target where `cover` and the clip allow.
  void Composite(const Coverage& cover, const std::vector<uint32_t>& source, uint32_t color) {
    Target& t = target();
    const ClipMask& clip = Current().clip;
    if (source.empty() && clip.all) {
      CompositeColour(cover, color);
      return;
    }
    for (int r = 0; r < cover.height; ++r) {
      const int y = cover.top + r;
      uint32_t* row = t.view.Row(y - t.originY);
      const uint8_t* values = &cover.values[static_cast<size_t>(r) * cover.width];
      for (int c = cover.rowStart[r]; c < cover.rowEnd[r]; ++c) {
        uint32_t k = values[c];
        if (!k) continue;
        const int x = cover.left + c;
        if (!clip.all) {
          k = Mul255(k, clip.mask.At(x, y));
          if (!k) continue;
        }
        const uint32_t src = Scale(source.empty() ? color : source[static_cast<size_t>(r) * cover.width + c], k);
        uint32_t& dst = row[x - t.originX];
        dst = Over(src, dst);
      }
    }
  }

  // One colour and no clipping, the commonest fill: the inside of the shape, fully covered,
  // is the colour laid over each pixel by one fixed factor, in a loop the compiler can widen.
  void CompositeColour(const Coverage& cover, uint32_t color) {
    Target& t = target();
    const uint32_t keep = 255 - (color >> 24);
    for (int r = 0; r < cover.height; ++r) {
      uint32_t* row = t.view.Row(cover.top + r - t.originY) + (cover.left - t.originX);
      const uint8_t* values = &cover.values[static_cast<size_t>(r) * cover.width];
      for (int c = cover.rowStart[r], end = cover.rowEnd[r]; c < end;) {
        if (values[c] != 255) {
          if (values[c]) row[c] = Over(Scale(color, values[c]), row[c]);
          ++c;
          continue;
        }
        int run = c + 1;
        while (run < end && values[run] == 255) ++run;
        if (keep == 0) {
          std::fill(row + c, row + run, color);
        } else if (color != 0) {
          for (int x = c; x < run; ++x) row[x] = color + Scale(row[x], keep);
        }
        c = run;
      }
    }
  }

  void Shape(const DrawItem& item) {
    Target& t = target();
    const ClipMask& clip = Current().clip;
    int left = t.originX, top = t.originY, right = t.originX + t.view.width, bottom = t.originY + t.view.height;
    if (!clip.all) {
      if (clip.mask.empty()) return;
      left = std::max(left, clip.mask.left), top = std::max(top, clip.mask.top);
      right = std::min(right, clip.mask.left + clip.mask.width), bottom = std::min(bottom, clip.mask.top + clip.mask.height);
    }
    Coverage cover;
    if (item.stroke) {
      cover = CoverContours(StrokeOutline(item.contours, item.width, item.startCap, item.endCap, item.join, item.miterLimit),
                            true, left, top, right, bottom, quality_);
    } else {
      cover = CoverContours(item.contours, item.nonZeroWinding, left, top, right, bottom, quality_);
    }
    if (cover.empty()) return;
    if (!item.paint) {
      Composite(cover, {}, PackPremultiplied(item.color));
      return;
    }
    const Paint& paint = *item.paint;
    const BitmapPixels* bitmap = nullptr;
    if (paint.kind == PaintKind::kBitmap) {
      if (!paint.bitmap) return;
      bitmap = hooks_.decode ? paint.bitmap->Pixels(hooks_.decode)
                             : paint.bitmap->Pixels([](const std::vector<uint8_t>&, BitmapPixels&) { return false; });
      if (!bitmap) return;
    }
    if (!RasterisePaint(paint, bitmap, cover.left, cover.top, cover.width, cover.height, paintPixels_)) return;
    Composite(cover, paintPixels_, 0);
  }

  void Text(const DrawItem& item) {
    if (!hooks_.text) return;
    Target& t = target();
    const size_t size = static_cast<size_t>(t.view.width) * t.view.height;
    if (size == 0) return;
    textPixels_.assign(size, 0);
    hooks_.text(item, PixelView{textPixels_.data(), t.view.width, t.view.height, t.view.width}, t.originX, t.originY);
    // The drawn text as a coverage box of its own, so that it is clipped and laid over alike.
    Coverage cover;
    cover.left = t.originX, cover.top = t.originY, cover.width = t.view.width, cover.height = t.view.height;
    cover.values.assign(size, 0);
    cover.rowStart.assign(cover.height, 0);
    cover.rowEnd.assign(cover.height, 0);
    for (int r = 0; r < cover.height; ++r) {
      int from = cover.width, to = 0;
      for (int c = 0; c < cover.width; ++c) {
        if (textPixels_[static_cast<size_t>(r) * cover.width + c]) {
          cover.values[static_cast<size_t>(r) * cover.width + c] = 255;
          from = std::min(from, c);
          to = c + 1;
        }
      }
      if (from < to) cover.rowStart[r] = from, cover.rowEnd[r] = to;
    }
    Composite(cover, textPixels_, 0);
  }

  const CanvasHooks& hooks_;
  const EdgeQuality quality_;
  std::vector<Target> targets_;
  std::vector<uint32_t> paintPixels_, textPixels_;
};

}  // namespace

void FillPixels(PixelView target, Rgba color) {
  const uint32_t p = PackPremultiplied(color);
  for (int y = 0; y < target.height; ++y) std::fill_n(target.Row(y), target.width, p);
}

void DrawItemsToPixels(PixelView target, const std::vector<DrawItem>& items, const CanvasHooks& hooks,
                       EdgeQuality quality) {
  if (!target.pixels || target.width <= 0 || target.height <= 0) return;
  Canvas(target, hooks, quality).Draw(items);
}

}  // namespace zp::swf
