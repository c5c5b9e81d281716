// Clip event handlers: the records a placement carries (onClipEvent blocks) and the events a
// clip receives, with the method each event calls on the clip's object (onEnterFrame...).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace zp::swf {

// The event bits of a handler record, as the file stores them from version 6 (before, only
// the low 16 bits are stored).
enum ClipEvent : uint32_t {
  kEventLoad = 1u << 0,
  kEventEnterFrame = 1u << 1,
  kEventUnload = 1u << 2,
  kEventMouseMove = 1u << 3,
  kEventMouseDown = 1u << 4,
  kEventMouseUp = 1u << 5,
  kEventKeyDown = 1u << 6,
  kEventKeyUp = 1u << 7,
  kEventData = 1u << 8,
  kEventInitialize = 1u << 9,
  kEventPress = 1u << 10,
  kEventRelease = 1u << 11,
  kEventReleaseOutside = 1u << 12,
  kEventRollOver = 1u << 13,
  kEventRollOut = 1u << 14,
  kEventDragOver = 1u << 15,
  kEventDragOut = 1u << 16,
  kEventKeyPress = 1u << 17,
  kEventConstruct = 1u << 18,
};

struct ClipEventHandler {
  uint32_t events = 0;
  uint8_t keyCode = 0;  // for key presses
  std::span<const uint8_t> actions;
};

// Reads the handler records of a placement (`version` is the movie's: from 6 the event fields
// are 32 bits wide). Stops at the end record, at damage or at the end of `bytes`; what was
// read whole is kept.
std::vector<ClipEventHandler> ReadClipEventHandlers(std::span<const uint8_t> bytes, uint8_t version);

// The method a script sets on a clip for the event ("onEnterFrame"), empty for none.
std::u16string_view ClipEventMethod(ClipEvent event);

}  // namespace zp::swf
