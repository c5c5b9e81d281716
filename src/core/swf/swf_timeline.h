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
};

}  // namespace zp::swf
