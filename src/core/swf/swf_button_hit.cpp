#include "core/swf/swf_button_hit.h"

#include <algorithm>
#include <cmath>

#include "core/swf/swf_display.h"
#include "core/swf/swf_paint.h"

namespace zp::swf {
namespace {

// Characters inside characters (sprites and buttons in a hit area) are followed this deep.
constexpr int kMaxHitNesting = 8;

bool InRect(const TwipsRect& r, Point p) { return p.x >= r.xMin && p.x <= r.xMax && p.y >= r.yMin && p.y <= r.yMax; }

double SegmentDistance(Point p, Point a, Point b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double length2 = dx * dx + dy * dy;
  const double t = length2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length2, 0.0, 1.0) : 0;
  return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

bool InGeometry(const ShapeGeometry& geometry, Point p) {
  for (const ShapePart& part : geometry.parts) {
    if (part.stroke) {
      const double reach = std::max(part.line.width, 1.0) / 2;
      for (const Contour& c : part.contours) {
        for (size_t i = 1; i < c.size(); ++i) {
          if (SegmentDistance(p, c[i - 1], c[i]) <= reach) return true;
        }
      }
      continue;
    }
    int winding = 0, crossings = 0;
    for (const Contour& c : part.contours) {
      for (size_t i = 0; i < c.size(); ++i) {
        const Point a = c[i], b = c[(i + 1) % c.size()];  // fills are closed
        if ((a.y <= p.y) == (b.y <= p.y)) continue;
        const double x = a.x + (p.y - a.y) / (b.y - a.y) * (b.x - a.x);
        if (x <= p.x) continue;
        ++crossings;
        winding += b.y > a.y ? 1 : -1;
      }
    }
    if (geometry.nonZeroWinding ? winding != 0 : (crossings % 2) == 1) return true;
  }
  return false;
}

bool HitsCharacter(const Movie& movie, uint16_t id, Point p, int nesting);

bool HitsButtonArea(const ButtonDefinition& button, const Movie& movie, Point p, int nesting) {
  for (const ButtonRecord& record : button.records) {
    if (!(record.looks & kLookHitArea)) continue;
    const auto inverse = Invert(record.matrix);
    if (inverse && HitsCharacter(movie, record.character, inverse->Apply(p), nesting + 1)) return true;
  }
  return false;
}

// `id` is a character of `movie`; `p` is in the character's space.
bool HitsCharacter(const Movie& movie, uint16_t id, Point p, int nesting) {
  if (nesting > kMaxHitNesting) return false;
  const auto ref = movie.FindCharacter(id);
  if (!ref) return false;
  const Movie& owner = *ref->movie;
  switch (ref->kind) {
    case CharacterKind::kShape: {
      const ShapeDefinition* shape = owner.FindShape(ref->id);
      return shape && InRect(shape->bounds, p) && InGeometry(shape->geometry, p);
    }
    case CharacterKind::kMorphShape: {
      const MorphShapeDefinition* morph = owner.FindMorphShape(ref->id);
      return morph && InGeometry(morph->At(0), p);
    }
    case CharacterKind::kStaticText: {
      const StaticTextDefinition* text = owner.FindStaticText(ref->id);
      return text && InRect(text->bounds, p);
    }
    case CharacterKind::kEditText: {
      const EditTextDefinition* field = owner.FindEditText(ref->id);
      return field && InRect(field->bounds, p);
    }
    case CharacterKind::kSprite: {
      // What the sprite shows on its first frame.
      const SpriteDefinition* sprite = owner.FindSprite(ref->id);
      if (!sprite || sprite->timeline.frames.empty()) return false;
      for (const DisplayChange& change : sprite->timeline.frames[0].changes) {
        if (change.kind != DisplayChange::Kind::kPlace || !change.character) continue;
        const auto inverse = Invert(change.matrix.value_or(Matrix{}));
        if (inverse && HitsCharacter(owner, *change.character, inverse->Apply(p), nesting + 1)) return true;
      }
      return false;
    }
    case CharacterKind::kButton: {
      const ButtonDefinition* inner = owner.FindButton(ref->id);
      return inner && HitsButtonArea(*inner, owner, p, nesting);
    }
    case CharacterKind::kBitmap:
    case CharacterKind::kVideo: return false;
  }
  return false;
}

}  // namespace

bool InHitArea(const Instance& button, Point point) {
  const ButtonDefinition* definition = button.movie ? button.movie->FindButton(button.character) : nullptr;
  return definition && HitsButtonArea(*definition, *button.movie, point, 0);
}

bool OnContent(const Instance& instance, Point point) {
  if (instance.movie && instance.parent && instance.kind != CharacterKind::kSprite &&
      instance.kind != CharacterKind::kButton && !instance.textField) {
    if (instance.kind == CharacterKind::kMorphShape) {
      const MorphShapeDefinition* morph = instance.movie->FindMorphShape(instance.character);
      if (morph && InGeometry(morph->At(instance.ratio), point)) return true;
    } else if (HitsCharacter(*instance.movie, instance.character, point, 0)) {
      return true;
    }
  }
  if (instance.textField && InRect(instance.textField->definition().bounds, point)) return true;
  if (instance.drawing && InGeometry(instance.drawing->geometry(), point)) return true;
  for (const auto& [depth, child] : instance.children) {
    if (!child.visible || child.clipDepth > 0) continue;
    const auto inverse = Invert(child.matrix);
    if (inverse && OnContent(child, inverse->Apply(point))) return true;
  }
  return false;
}

Instance* ButtonAt(Instance& parent, Point point, const ActsAsButton& clipActs) {
  for (auto it = parent.children.rbegin(); it != parent.children.rend(); ++it) {
    Instance& child = it->second;
    if (!child.visible || child.clipDepth > 0) continue;
    const auto inverse = Invert(child.matrix);
    if (!inverse) continue;
    const Point local = inverse->Apply(point);
    if (child.kind == CharacterKind::kButton) {
      if (child.enabled && InHitArea(child, local)) return &child;
      continue;
    }
    // A clip that acts as a button takes the mouse for everything in it.
    if (child.HasTimeline() && child.enabled && clipActs && clipActs(child)) {
      if (OnContent(child, local)) return &child;
      continue;
    }
    if (Instance* found = child.children.empty() ? nullptr : ButtonAt(child, local, clipActs)) return found;
  }
  return nullptr;
}

}  // namespace zp::swf
