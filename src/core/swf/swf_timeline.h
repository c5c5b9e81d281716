// How a timeline's frames turn into its children: the state its frames give each depth,
// worked out up to the frame shown, and the children made to match it (kept when the same
// placement stands, replaced or removed when it does not, created when new).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zp::swf {

class Instance;
class Player;

class DisplayTreeEditor {
 public:
  // Shows `frame` of `clip` (clamped to its last) and queues the actions that come with it.
  static void ShowFrame(Player& player, Instance& clip, size_t frame);
  // Removes the child at `depth` of `parent` and everything under it.
  static void Remove(Player& player, Instance& parent, int32_t depth);
  // A child made by a script (the timeline leaves it alone), replacing what stood at `depth`.
  static Instance* Create(Player& player, Instance& parent, int32_t depth, uint16_t character, std::u16string name);
  // An empty clip made by a script (createEmptyMovieClip): a timeline of one empty frame.
  static Instance* CreateEmpty(Player& player, Instance& parent, int32_t depth, std::u16string name);
  // A text field made by a script (createTextField) at `depth`, its top left corner at (x, y)
  // twips of the parent, `width` by `height` twips.
  static Instance* CreateField(Player& player, Instance& parent, int32_t depth, std::u16string name, int32_t x,
                               int32_t y, int32_t width, int32_t height);
  // A copy of `original` (its character, looks and clip events; its timeline from the start)
  // at `depth` of the same parent, made by a script.
  static Instance* Duplicate(Player& player, Instance& original, int32_t depth, std::u16string name);
  // Makes a button's children the records of the look its phase shows; records that stand in
  // both the old and the new look are kept as they are.
  static void ShowButtonLook(Player& player, Instance& button);
  // Moves `instance` to `depth` of its parent; whatever stood there takes its old depth. Both
  // are the scripts' from then on: the timeline no longer moves or removes them.
  static void SwapDepth(Player& player, Instance& instance, int32_t depth);
};

}  // namespace zp::swf
