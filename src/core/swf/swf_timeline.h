// How a timeline's frames turn into its children: the state its frames give each depth,
// worked out up to the frame shown, and the children made to match it (kept when the same
// placement stands, replaced or removed when it does not, created when new).
#pragma once

#include <cstddef>
#include <cstdint>

namespace zp::swf {

class Instance;
class Player;

class DisplayTreeEditor {
 public:
  // Shows `frame` of `clip` (clamped to its last) and queues the actions that come with it.
  static void ShowFrame(Player& player, Instance& clip, size_t frame);
  // Removes the child at `depth` of `parent` and everything under it.
  static void Remove(Player& player, Instance& parent, int32_t depth);
};

}  // namespace zp::swf
