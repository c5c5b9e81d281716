#include "core/swf/swf_place.h"

#include "core/swf/swf_bits.h"
#include "core/swf/swf_effects.h"
#include "core/swf/swf_file.h"
#include "core/swf/swf_movie.h"
#include "core/swf/swf_shape.h"

namespace zp::swf {
namespace {

// PlaceObject2's first flag byte, shared by PlaceObject3.
enum PlaceFlags : uint8_t {
  kPlaceMove = 0x01,
  kPlaceHasCharacter = 0x02,
  kPlaceHasMatrix = 0x04,
  kPlaceHasColorTransform = 0x08,
  kPlaceHasRatio = 0x10,
  kPlaceHasName = 0x20,
  kPlaceHasClipDepth = 0x40,
  kPlaceHasClipActions = 0x80,
};

// PlaceObject3's second flag byte.
enum PlaceFlags3 : uint8_t {
  kPlaceHasFilterList = 0x01,
  kPlaceHasBlendMode = 0x02,
  kPlaceHasCacheAsBitmap = 0x04,
  kPlaceHasClassName = 0x08,
  kPlaceHasImage = 0x10,
  kPlaceHasVisible = 0x20,
  kPlaceHasOpaqueBackground = 0x40,
};

// The fields PlaceObject2 and 3 share after the depth (and PlaceObject3's class name).
void ReadPlacementFields(BitReader& reader, uint8_t flags, uint8_t version, DisplayChange& change) {
  change.move = flags & kPlaceMove;
  if (flags & kPlaceHasCharacter) change.character = reader.U16();
  if (flags & kPlaceHasMatrix) change.matrix = ReadMatrix(reader);
  if (flags & kPlaceHasColorTransform) change.colorTransform = ReadColorTransform(reader, true);
  if (flags & kPlaceHasRatio) change.ratio = reader.U16();
  if (flags & kPlaceHasName) change.name = DecodeMovieText(reader.CString(), version);
  if (flags & kPlaceHasClipDepth) change.clipDepth = reader.U16();
}

}  // namespace

std::optional<DisplayChange> ReadPlaceObject(std::span<const uint8_t> body) {
  BitReader reader(body);
  DisplayChange change;
  change.character = reader.U16();
  change.depth = reader.U16();
  if (!reader.ok()) return std::nullopt;
  change.matrix = ReadMatrix(reader);
  if (reader.ok() && reader.remaining() > 0) {
    const auto cx = ReadColorTransform(reader, false);
    if (reader.ok()) change.colorTransform = cx;
  }
  return change;
}

std::optional<DisplayChange> ReadPlaceObject2(std::span<const uint8_t> body, uint8_t version) {
  BitReader reader(body);
  DisplayChange change;
  const uint8_t flags = reader.U8();
  change.depth = reader.U16();
  ReadPlacementFields(reader, flags, version, change);
  if (!reader.ok()) return std::nullopt;
  if (flags & kPlaceHasClipActions) change.clipActions = body.subspan(reader.position());
  return change;
}

std::optional<DisplayChange> ReadPlaceObject3(std::span<const uint8_t> body, uint8_t version) {
  BitReader reader(body);
  DisplayChange change;
  const uint8_t flags = reader.U8(), flags3 = reader.U8();
  change.depth = reader.U16();
  if ((flags3 & kPlaceHasClassName) || ((flags3 & kPlaceHasImage) && (flags & kPlaceHasCharacter))) reader.CString();
  ReadPlacementFields(reader, flags, version, change);
  if (!reader.ok()) return std::nullopt;
  // What follows only decorates the placement; damage there loses the decoration, not the object.
  if (flags3 & kPlaceHasFilterList) change.filters = ReadFilterList(reader);
  if (flags3 & kPlaceHasBlendMode) change.blendMode = BlendModeFromByte(reader.U8());
  if (flags3 & kPlaceHasCacheAsBitmap) reader.U8();
  if (flags3 & kPlaceHasVisible) change.visible = reader.U8() != 0;
  if (flags3 & kPlaceHasOpaqueBackground) {
    const uint8_t r = reader.U8(), g = reader.U8(), b = reader.U8(), a = reader.U8();
    change.opaqueBackground = Rgba{r, g, b, a};
  }
  if (!reader.ok()) {
    change.filters.reset();
    change.blendMode.reset();
    change.visible.reset();
    change.opaqueBackground.reset();
    return change;
  }
  if (flags & kPlaceHasClipActions) change.clipActions = body.subspan(reader.position());
  return change;
}

std::optional<DisplayChange> ReadRemoveObject(uint16_t tagCode, std::span<const uint8_t> body) {
  BitReader reader(body);
  if (tagCode == kTagRemoveObject) reader.U16();
  DisplayChange change;
  change.kind = DisplayChange::Kind::kRemove;
  change.depth = reader.U16();
  if (!reader.ok()) return std::nullopt;
  return change;
}

}  // namespace zp::swf
