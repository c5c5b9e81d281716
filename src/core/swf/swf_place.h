// The display-list tags of a timeline (PlaceObject, 2 and 3, RemoveObject and 2) read into
// the changes a frame makes.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/swf/swf_effects.h"
#include "core/swf/swf_geometry.h"

namespace zp::swf {

// One change to a display list, in the order the frame makes it. Every field a placement may
// leave out is optional: a move changes only what it names.
struct DisplayChange {
  enum class Kind { kPlace, kRemove };
  Kind kind = Kind::kPlace;
  uint16_t depth = 0;
  bool move = false;  // modifies the object at `depth` instead of placing a new one
  std::optional<uint16_t> character;
  std::optional<Matrix> matrix;
  std::optional<ColorTransform> colorTransform;
  std::optional<uint16_t> ratio;         // morph position or video frame, 0..65535
  std::optional<std::u16string> name;    // the instance name scripts address it by
  std::optional<uint16_t> clipDepth;     // a mask over the depths above it up to this one
  std::optional<bool> visible;
  std::optional<Rgba> opaqueBackground;
  std::optional<BlendMode> blendMode;
  std::optional<std::vector<Filter>> filters;
  // The clip event handlers of PlaceObject2 and 3 as stored (the record after the clip depth),
  // pointing into the file; empty when there are none. Their layout depends on the version.
  std::span<const uint8_t> clipActions;
};

// Each returns nothing when the body ends before the fields it must have. `version` is the
// movie's, for decoding the instance name.
std::optional<DisplayChange> ReadPlaceObject(std::span<const uint8_t> body);
std::optional<DisplayChange> ReadPlaceObject2(std::span<const uint8_t> body, uint8_t version);
// PlaceObject2's fields plus those PlaceObject3 adds: filters, blend mode, visibility and the
// opaque background are kept; the class name and bitmap caching are skipped.
std::optional<DisplayChange> ReadPlaceObject3(std::span<const uint8_t> body, uint8_t version);
// RemoveObject (`tagCode` 5, with a character id) or RemoveObject2 (28, depth only).
std::optional<DisplayChange> ReadRemoveObject(uint16_t tagCode, std::span<const uint8_t> body);

}  // namespace zp::swf
