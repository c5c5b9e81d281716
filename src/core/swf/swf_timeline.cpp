#include "core/swf/swf_timeline.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string>

#include "core/swf/swf_player.h"

namespace zp::swf {
namespace {

// What a timeline's frames say stands at one depth.
struct Planned {
  uint16_t character = 0;
  size_t placeFrame = 0;
  Matrix matrix;
  ColorTransform colorTransform;
  uint16_t ratio = 0;
  std::u16string name;
  uint16_t clipDepth = 0;
  bool visible = true;
  std::optional<Rgba> opaqueBackground;
  BlendMode blendMode = BlendMode::kNormal;
  std::vector<Filter> filters;
  std::span<const uint8_t> clipActions;
};

using Plan = std::map<int32_t, Planned>;

void Decorate(Planned& planned, const DisplayChange& change) {
  if (change.matrix) planned.matrix = *change.matrix;
  if (change.colorTransform) planned.colorTransform = *change.colorTransform;
  if (change.ratio) planned.ratio = *change.ratio;
  if (change.name) planned.name = *change.name;
  if (change.clipDepth) planned.clipDepth = *change.clipDepth;
  if (change.visible) planned.visible = *change.visible;
  if (change.opaqueBackground) planned.opaqueBackground = *change.opaqueBackground;
  if (change.blendMode) planned.blendMode = *change.blendMode;
  if (change.filters) planned.filters = *change.filters;
  if (!change.clipActions.empty()) planned.clipActions = change.clipActions;
}

void ApplyToPlan(Plan& plan, const Frame& frame, size_t frameIndex) {
  for (const DisplayChange& change : frame.changes) {
    if (change.kind == DisplayChange::Kind::kRemove) {
      plan.erase(change.depth);
      continue;
    }
    auto it = plan.find(change.depth);
    if (change.move && it != plan.end()) {
      if (change.character && *change.character != it->second.character) {
        it->second.character = *change.character;  // a new object in the old one's place and looks
        it->second.placeFrame = frameIndex;
      }
    } else {
      // A move with a character to an empty depth places it, as a plain placement does.
      if (!change.character) continue;
      Planned placed;
      placed.character = *change.character;
      placed.placeFrame = frameIndex;
      it = plan.insert_or_assign(change.depth, std::move(placed)).first;
    }
    Decorate(it->second, change);
  }
}

Planned PlannedOf(const Instance& child) {
  return {child.placedCharacter, child.placeFrame, child.matrix,  child.colorTransform,   child.ratio,
          child.name,            child.clipDepth,  child.visible, child.opaqueBackground, child.blendMode,
          child.filters,         child.clipActions};
}

// Copies the planned looks onto a child; true when anything changed.
bool Dress(Instance& child, const Planned& planned) {
  const bool changed = !(child.matrix == planned.matrix) || !(child.colorTransform == planned.colorTransform) ||
                       child.ratio != planned.ratio || child.clipDepth != planned.clipDepth ||
                       child.visible != planned.visible || child.opaqueBackground != planned.opaqueBackground ||
                       child.blendMode != planned.blendMode || child.filters != planned.filters;
  child.matrix = planned.matrix;
  child.colorTransform = planned.colorTransform;
  child.ratio = planned.ratio;
  if (!planned.name.empty()) child.name = planned.name;  // else the name it was given stands
  child.clipDepth = planned.clipDepth;
  child.visible = planned.visible;
  child.opaqueBackground = planned.opaqueBackground;
  child.blendMode = planned.blendMode;
  child.filters = planned.filters;
  child.clipActions = planned.clipActions;
  return changed;
}

}  // namespace

class DisplayTreeBuilder {
 public:
  DisplayTreeBuilder(Player& player) : player_(player) {}

  void Show(Instance& clip, size_t frame) {
    const Timeline& timeline = *clip.timeline;
    frame = std::min(frame, timeline.FrameCount() - 1);
    Plan plan;
    size_t from = 0;
    if (frame > clip.currentFrame && shown(clip)) {
      for (const auto& [depth, child] : clip.children) {
        if (child.fromTimeline) plan.emplace(depth, PlannedOf(child));
      }
      from = clip.currentFrame + 1;
    }
    for (size_t f = from; f <= frame; ++f) ApplyToPlan(plan, timeline.frames[f], f);
    const bool rewinding = frame < clip.currentFrame;
    clip.currentFrame = frame;
    player_.QueueFrameActions(clip, from, frame);
    Reconcile(clip, plan, rewinding);
  }

  void Remove(Instance& parent, int32_t depth) {
    const auto it = parent.children.find(depth);
    if (it == parent.children.end()) return;
    Forget(it->second);
    parent.children.erase(it);
    player_.redraw_ = true;
  }

  // A clip has been shown once its first frame was entered; the root counts from its load.
  static bool shown(const Instance& clip) { return clip.currentFrame > 0 || !clip.children.empty(); }

  // Going back rebuilds the timeline's depths: what scripts left there (below script depth 0)
  // goes with the rest; their own depths keep what they made.
  void Reconcile(Instance& clip, const Plan& plan, bool rewinding = false) {
    for (auto it = clip.children.begin(); it != clip.children.end();) {
      const Instance& child = it->second;
      const auto planned = plan.find(it->first);
      const bool scriptKeeps = !child.fromTimeline && !(rewinding && it->first < kScriptDepthOffset);
      const bool stays = scriptKeeps || (child.fromTimeline && planned != plan.end() && planned->second.character == child.placedCharacter &&
                                                 planned->second.placeFrame == child.placeFrame);
      if (stays) {
        ++it;
        continue;
      }
      Forget(it->second);
      it = clip.children.erase(it);
      player_.redraw_ = true;
    }
    for (const auto& [depth, planned] : plan) {
      if (Instance* child = clip.ChildAt(depth)) {
        if (child->fromTimeline) {
          if (Dress(*child, planned)) player_.redraw_ = true;
          continue;
        }
        Remove(clip, depth);  // a timeline placement takes the depth back from a script's object
      }
      Create(clip, depth, planned);
    }
  }

  Instance* CreateByScript(Instance& parent, int32_t depth, uint16_t character, std::u16string name) {
    Remove(parent, depth);
    Planned planned;
    planned.character = character;
    planned.name = std::move(name);
    Instance* child = Create(parent, depth, planned, false);
    return child;
  }

  Instance* CreateEmpty(Instance& parent, int32_t depth, std::u16string name) {
    Remove(parent, depth);
    if (player_.instances_.size() >= Player::kMaxInstances || parent.Nesting() + 1 >= Player::kMaxNesting) return nullptr;
    Instance& child = Emplace(parent, depth);
    child.movie = parent.movie;
    child.kind = CharacterKind::kSprite;
    child.name = std::move(name);
    child.fromTimeline = false;
    child.timeline = &EmptyTimeline();
    player_.ClipCreated(child);
    Show(child, 0);
    return &child;
  }

  Instance* CreateField(Instance& parent, int32_t depth, std::u16string name, const Matrix& at, const TwipsRect& bounds) {
    Remove(parent, depth);
    if (player_.instances_.size() >= Player::kMaxInstances) return nullptr;
    Instance& child = Emplace(parent, depth);
    child.movie = parent.movie;
    child.kind = CharacterKind::kEditText;
    child.name = std::move(name);
    child.fromTimeline = false;
    child.matrix = at;
    child.textField = std::make_shared<TextFieldState>(ScriptFieldDefinition(bounds));
    player_.redraw_ = true;
    return &child;
  }

  Instance* Duplicate(Instance& original, int32_t depth, std::u16string name) {
    Instance& parent = *original.parent;
    if (!parent.movie || depth == original.depth) return nullptr;
    Planned planned = PlannedOf(original);
    planned.name = std::move(name);
    const auto textField = original.textField;
    const bool empty = original.timeline == &EmptyTimeline();
    Remove(parent, depth);
    Instance* copy = empty ? CreateEmpty(parent, depth, planned.name) : Create(parent, depth, planned, false);
    if (!copy) return nullptr;
    Dress(*copy, planned);
    if (textField) copy->textField = std::make_shared<TextFieldState>(*textField);
    return copy;
  }

  void ShowLook(Instance& button) {
    const ButtonDefinition* definition = button.movie ? button.movie->FindButton(button.character) : nullptr;
    if (!definition) return;
    const uint8_t look = LookOf(button.buttonPhase);
    std::map<int32_t, size_t> wanted;  // record index by depth; the first record at a depth stands
    for (size_t i = 0; i < definition->records.size(); ++i) {
      if (definition->records[i].looks & look) wanted.try_emplace(definition->records[i].depth, i);
    }
    for (auto it = button.children.begin(); it != button.children.end();) {
      const auto keep = wanted.find(it->first);
      if (keep != wanted.end() && keep->second == it->second.placeFrame) {
        ++it;
        continue;
      }
      Forget(it->second);
      it = button.children.erase(it);
      player_.redraw_ = true;
    }
    for (const auto& [depth, index] : wanted) {
      if (button.ChildAt(depth)) continue;
      const ButtonRecord& record = definition->records[index];
      Planned planned;
      planned.character = record.character;
      planned.placeFrame = index;  // tells the records at one depth apart
      planned.matrix = record.matrix;
      planned.colorTransform = record.colorTransform;
      planned.blendMode = record.blendMode;
      planned.filters = record.filters;
      Create(button, depth, planned);
    }
  }

  void SwapDepth(Instance& instance, int32_t depth) {
    Instance& parent = *instance.parent;
    const int32_t from = instance.depth;
    if (from == depth) return;
    // Nodes move between keys without moving the instances they hold.
    auto moving = parent.children.extract(from);
    auto other = parent.children.extract(depth);
    moving.key() = depth;
    moving.mapped().depth = depth;
    moving.mapped().fromTimeline = false;
    parent.children.insert(std::move(moving));
    if (!other.empty()) {
      other.key() = from;
      other.mapped().depth = from;
      other.mapped().fromTimeline = false;
      parent.children.insert(std::move(other));
    }
    player_.redraw_ = true;
  }

 private:
  static const Timeline& EmptyTimeline() {
    static const Timeline empty{std::vector<Frame>(1)};
    return empty;
  }

  Instance& Emplace(Instance& parent, int32_t depth) {
    Instance& child = parent.children.try_emplace(depth, &parent, depth, player_.nextSerial_++).first->second;
    player_.instances_.emplace(child.serial, &child);
    player_.redraw_ = true;
    return child;
  }

  Instance* Create(Instance& parent, int32_t depth, const Planned& planned, bool fromTimeline = true) {
    if (player_.instances_.size() >= Player::kMaxInstances) return nullptr;
    const auto ref = parent.movie->FindCharacter(planned.character);
    if (!ref) return nullptr;  // nothing defined under that id: nothing to show
    const SpriteDefinition* sprite = ref->kind == CharacterKind::kSprite ? ref->movie->FindSprite(ref->id) : nullptr;
    const bool nests = sprite || ref->kind == CharacterKind::kButton;  // a button may show itself
    if (nests && parent.Nesting() + 1 >= Player::kMaxNesting) return nullptr;
    Instance& child = Emplace(parent, depth);
    child.fromTimeline = fromTimeline;
    child.movie = ref->movie;
    child.character = ref->id;
    child.kind = ref->kind;
    child.placedCharacter = planned.character;
    child.placeFrame = planned.placeFrame;
    if (const EditTextDefinition* field = ref->kind == CharacterKind::kEditText ? ref->movie->FindEditText(ref->id) : nullptr) {
      child.textField = std::make_shared<TextFieldState>(*field);
    }
    Dress(child, planned);
    // Objects scripts can address are never nameless: they get "instance1", "instance2"...
    const bool addressable = sprite || ref->kind == CharacterKind::kButton || ref->kind == CharacterKind::kEditText;
    if (child.name.empty() && addressable) child.name = u"instance" + NumberToText(player_.nextInstanceName_++);
    player_.redraw_ = true;
    if (ref->kind == CharacterKind::kButton) ShowLook(child);
    if (sprite) {
      child.timeline = &sprite->timeline;
      child.playing = true;
      player_.ClipCreated(child);
      Show(child, 0);
    }
    return &child;
  }

  void Forget(Instance& instance) {
    // Actions of an instance that goes while they run go on acting on nothing.
    if (player_.target_ == &instance) player_.target_ = &player_.removedTarget_;
    player_.ClipRemoved(instance);
    for (auto& [depth, child] : instance.children) Forget(child);
    player_.instances_.erase(instance.serial);
  }

  Player& player_;
};

void DisplayTreeEditor::ShowFrame(Player& player, Instance& clip, size_t frame) {
  if (clip.timeline && clip.timeline->FrameCount() > 0 && clip.movie) DisplayTreeBuilder(player).Show(clip, frame);
}

void DisplayTreeEditor::Remove(Player& player, Instance& parent, int32_t depth) {
  DisplayTreeBuilder(player).Remove(parent, depth);
}

Instance* DisplayTreeEditor::Create(Player& player, Instance& parent, int32_t depth, uint16_t character,
                                    std::u16string name) {
  if (!parent.movie) return nullptr;
  return DisplayTreeBuilder(player).CreateByScript(parent, depth, character, std::move(name));
}

}  // namespace zp::swf

namespace zp::swf {

Instance* DisplayTreeEditor::CreateEmpty(Player& player, Instance& parent, int32_t depth, std::u16string name) {
  if (!parent.movie) return nullptr;
  return DisplayTreeBuilder(player).CreateEmpty(parent, depth, std::move(name));
}

Instance* DisplayTreeEditor::CreateField(Player& player, Instance& parent, int32_t depth, std::u16string name,
                                         int32_t x, int32_t y, int32_t width, int32_t height) {
  if (!parent.movie) return nullptr;
  Matrix at;
  at.tx = x;
  at.ty = y;
  return DisplayTreeBuilder(player).CreateField(parent, depth, std::move(name), at, TwipsRect{0, width, 0, height});
}

Instance* DisplayTreeEditor::Duplicate(Player& player, Instance& original, int32_t depth, std::u16string name) {
  if (!original.parent) return nullptr;
  return DisplayTreeBuilder(player).Duplicate(original, depth, std::move(name));
}

void DisplayTreeEditor::ShowButtonLook(Player& player, Instance& button) {
  if (button.kind == CharacterKind::kButton && button.parent) DisplayTreeBuilder(player).ShowLook(button);
}

void DisplayTreeEditor::SwapDepth(Player& player, Instance& instance, int32_t depth) {
  if (instance.parent) DisplayTreeBuilder(player).SwapDepth(instance, depth);
}

}  // namespace zp::swf
