#include "core/swf/swf_button.h"

#include "core/swf/swf_bits.h"
#include "core/swf/swf_file.h"
#include "core/swf/swf_shape.h"

namespace zp::swf {
namespace {

// The flag byte of a record above its looks (DefineButton2 from version 8).
enum ButtonRecordFlags : uint8_t {
  kRecordHasFilterList = 0x10,
  kRecordHasBlendMode = 0x20,
};
constexpr uint8_t kRecordLooks = kLookUp | kLookOver | kLookDown | kLookHitArea;

// Reads records up to the end flag; false when the list is cut short.
bool ReadRecords(BitReader& reader, bool second, std::vector<ButtonRecord>& records) {
  while (reader.ok()) {
    const uint8_t flags = reader.U8();
    if (!reader.ok()) return false;
    if (flags == 0) return true;
    ButtonRecord record;
    record.looks = flags & kRecordLooks;
    record.character = reader.U16();
    record.depth = reader.U16();
    record.matrix = ReadMatrix(reader);
    if (second) {
      record.colorTransform = ReadColorTransform(reader, true);
      if (flags & kRecordHasFilterList) record.filters = ReadFilterList(reader);
      if (flags & kRecordHasBlendMode) record.blendMode = BlendModeFromByte(reader.U8());
    }
    if (!reader.ok()) return false;
    records.push_back(std::move(record));
  }
  return false;
}

// The condition action chain: each record's size field leads to the next, 0 ends it.
void ReadConditionActions(std::span<const uint8_t> chain, std::vector<ButtonAction>& actions) {
  constexpr size_t kHeader = 4;  // the size field and the condition field
  while (chain.size() >= kHeader) {
    const size_t size = chain[0] | (chain[1] << 8);
    const uint16_t conditions = static_cast<uint16_t>(chain[2] | (chain[3] << 8));
    const bool last = size == 0;
    // A size that claims less than the header or more than remains is damage: the rest of
    // the tag is taken as this record's actions and the chain ends.
    const size_t end = last || size < kHeader || size > chain.size() ? chain.size() : size;
    ButtonAction action;
    action.conditions = conditions & 0x01FF;
    action.keyCode = static_cast<uint8_t>(conditions >> 9);
    action.actions = chain.subspan(kHeader, end - kHeader);
    actions.push_back(action);
    if (end == chain.size()) return;
    chain = chain.subspan(end);
  }
}

}  // namespace

std::optional<ButtonDefinition> ParseButton(uint16_t tagCode, std::span<const uint8_t> body) {
  BitReader reader(body);
  ButtonDefinition button;
  button.id = reader.U16();
  if (!reader.ok()) return std::nullopt;
  if (tagCode == kTagDefineButton) {
    if (ReadRecords(reader, false, button.records) && reader.remaining() > 0) {
      button.actions.push_back({kCondOverDownToOverUp, 0, body.subspan(reader.position())});
    }
    return button;
  }
  button.trackAsMenu = reader.U8() & 1;
  const size_t offsetField = reader.position();
  const uint16_t actionOffset = reader.U16();
  if (!reader.ok()) return button;
  ReadRecords(reader, true, button.records);
  // The offset counts from its own field; 0 means no actions.
  if (actionOffset != 0 && offsetField + actionOffset < body.size()) {
    ReadConditionActions(body.subspan(offsetField + actionOffset), button.actions);
  }
  return button;
}

std::optional<ButtonColorTransform> ParseButtonCxform(std::span<const uint8_t> body) {
  BitReader reader(body);
  ButtonColorTransform result;
  result.button = reader.U16();
  result.colorTransform = ReadColorTransform(reader, false);
  if (!reader.ok()) return std::nullopt;
  return result;
}

std::optional<ButtonSounds> ParseButtonSound(std::span<const uint8_t> body) {
  // How a sound plays: which optional parts follow its flag byte.
  enum SoundInfoFlag : uint8_t { kHasInPoint = 0x01, kHasOutPoint = 0x02, kHasLoops = 0x04, kHasEnvelope = 0x08 };
  constexpr size_t kEnvelopePointBytes = 8;  // position, then left and right levels
  BitReader reader(body);
  ButtonSounds result;
  result.button = reader.U16();
  for (uint16_t& sound : result.sounds) {
    sound = reader.U16();
    if (sound == 0) continue;
    const uint8_t flags = reader.U8();
    if (flags & kHasInPoint) reader.U32();
    if (flags & kHasOutPoint) reader.U32();
    if (flags & kHasLoops) reader.U16();
    if (flags & kHasEnvelope) {
      const uint8_t points = reader.U8();
      for (size_t i = 0; i < points * kEnvelopePointBytes && reader.ok(); ++i) reader.U8();
    }
  }
  if (!reader.ok()) return std::nullopt;
  return result;
}

}  // namespace zp::swf
