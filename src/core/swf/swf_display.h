// The display tree: every object on the stage is an `Instance` of a character, the root
// timeline included. Sprites (and the root) have a timeline of their own, with their own
// frame, playing state and children.
//
// How scripts find and address instances:
//   - `Player::root()` is the root timeline (`_root`, `_level0`); `parent` leads up.
//   - `children` holds an instance's children by depth, back to front. Timeline objects keep
//     the depth of the file (1..65535); a script's depth d (getDepth) is stored as d + 16384
//     (`kScriptDepthOffset`), so that script depths from -16384 up sort as they should.
//   - `ChildByName` finds a child by instance name (case matters from version 7, as names do
//     in scripts of that version); `FindByPath` follows dotted or slashed paths of names from
//     an instance ("a.b", "a/b", with "_parent" and "..", "_root" and "/" at the start).
//   - Instances live in their parent's map: their addresses stay valid until they are
//     removed. `serial` is unique for the life of the player, so something that must outlive
//     an instance keeps the serial and asks `Player::FindBySerial` whether it still exists.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/swf/swf_drawing.h"
#include "core/swf/swf_effects.h"
#include "core/swf/swf_geometry.h"
#include "core/swf/swf_movie.h"
#include "core/swf/swf_text.h"

namespace zp::swf {

inline constexpr int32_t kScriptDepthOffset = 16384;

class Instance {
 public:
  Instance(Instance* parentInstance, int32_t atDepth, uint32_t serialNumber)
      : parent(parentInstance), depth(atDepth), serial(serialNumber) {}
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  Instance* const parent;  // null for the root
  int32_t depth;            // changes only with the key of its parent's map (swapDepths)
  const uint32_t serial;

  // What it shows: the character, and the movie whose dictionary defines it (and whose ids a
  // sprite's timeline uses). The root has no character. An imported character has another id
  // in its own movie than the one its parent's timeline placed (`placedCharacter`).
  const Movie* movie = nullptr;
  uint16_t character = 0;
  CharacterKind kind = CharacterKind::kShape;
  uint16_t placedCharacter = 0;

  Matrix matrix;
  ColorTransform colorTransform;
  uint16_t ratio = 0;
  std::u16string name;
  uint16_t clipDepth = 0;  // non-zero: a mask over the depths above it up to this one
  bool visible = true;
  std::optional<Rgba> opaqueBackground;  // fills its bounds behind it
  // Drawn into a layer of its own, filtered and blended, when either is not plain.
  BlendMode blendMode = BlendMode::kNormal;
  std::vector<Filter> filters;
  // A mask a script set (setMask): the serial of the instance whose filled area this one is
  // drawn within, 0 for none. An instance that masks another this way is not drawn itself.
  uint32_t scriptMask = 0;
  std::span<const uint8_t> clipActions;  // clip event handlers as stored (see DisplayChange)
  // Text fields: what the field shows now (scripts read and change it through this; a
  // field a script makes sets one from ScriptFieldDefinition). A duplicate of an instance
  // takes a copy of the state, not the same one.
  std::shared_ptr<TextFieldState> textField;
  // What scripts drew on it (the drawing methods), under its children; null when nothing.
  std::shared_ptr<ScriptDrawing> drawing;

  // Buttons: where the mouse stands with them, and whether they take the mouse at all (a
  // script's `enabled`). Their children are the records of the look their phase shows.
  ButtonPhase buttonPhase = ButtonPhase::kIdle;
  bool enabled = true;
  // Whether the yellow rectangle shows around it while it has the keyboard focus (a script's
  // `_focusrect`); unset follows the root's, which shows it unless told not to.
  std::optional<bool> focusRect;

  // Timeline objects are placed, kept and removed by the frames of their parent; `placeFrame`
  // tells apart two placements of one character at one depth.
  bool fromTimeline = true;
  size_t placeFrame = 0;

  // Sprites and the root: their timeline, where it stands, and their children.
  const Timeline* timeline = nullptr;
  size_t currentFrame = 0;
  bool playing = false;
  std::map<int32_t, Instance> children;

  bool HasTimeline() const { return timeline != nullptr; }
  size_t FrameCount() const { return timeline ? timeline->FrameCount() : 0; }
  // Levels of parents above it (0 for the root).
  int Nesting() const;
  Instance* ChildAt(int32_t childDepth);
  Instance* ChildByName(std::u16string_view childName, bool caseSensitive);
  // Follows a path of instance names from here; null when any step is missing.
  Instance* FindByPath(std::u16string_view path, bool caseSensitive);
  // The dotted path from the root ("_level0.a.b"; the root itself is "_level0").
  std::u16string Path() const;
};

}  // namespace zp::swf
