// The action stack machine: runs one action block (a DoAction body) against a host that owns
// the timeline and the variables.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "core/swf/swf_value.h"

namespace zp::swf {

// What actions can do to the movie that runs them.
class ActionHost {
 public:
  virtual ~ActionHost() = default;
  virtual void Play() = 0;
  virtual void Stop() = 0;
  virtual void NextFrame() = 0;
  virtual void PrevFrame() = 0;
  virtual void GotoFrame(uint32_t frame) = 0;  // 0-based; out of range goes to the last frame
  virtual void GotoLabel(std::u16string_view label) = 0;  // an unknown label does nothing
  virtual void GetUrl(std::u16string_view url, std::u16string_view target) = 0;
  virtual Value GetVariable(std::u16string_view name) = 0;
  virtual void SetVariable(std::u16string_view name, Value value) = 0;
  // A trace message, already converted to text as the movie's version expects.
  virtual void Trace(std::u16string_view message) { (void)message; }
};

enum ActionCode : uint8_t {
  kActionEnd = 0x00,
  kActionNextFrame = 0x04,
  kActionPrevFrame = 0x05,
  kActionPlay = 0x06,
  kActionStop = 0x07,
  kActionAdd = 0x0A,
  kActionSubtract = 0x0B,
  kActionMultiply = 0x0C,
  kActionDivide = 0x0D,
  kActionEquals = 0x0E,
  kActionLess = 0x0F,
  kActionAnd = 0x10,
  kActionOr = 0x11,
  kActionNot = 0x12,
  kActionStringEquals = 0x13,
  kActionPop = 0x17,
  kActionToInteger = 0x18,
  kActionGetVariable = 0x1C,
  kActionSetVariable = 0x1D,
  kActionStringAdd = 0x21,
  kActionTrace = 0x26,
  kActionAdd2 = 0x47,
  kActionLess2 = 0x48,
  kActionEquals2 = 0x49,
  kActionToNumber = 0x4A,
  kActionToString = 0x4B,
  kActionGreater = 0x67,
  kActionGotoFrame = 0x81,
  kActionGetUrl = 0x83,
  kActionConstantPool = 0x88,
  kActionGotoLabel = 0x8C,
  kActionPush = 0x96,
  kActionJump = 0x99,
  kActionGetUrl2 = 0x9A,
  kActionIf = 0x9D,
  kActionGotoFrame2 = 0x9F,
};

struct ActionRunResult {
  size_t executed = 0;    // actions carried out
  bool completed = true;  // false when the block was damaged or ran into the step limit
};

// Runs a block until End, its last byte, a damaged record or `maxSteps` actions (which stops
// endless loops). Unknown actions are skipped by their length. Each block has its own stack.
ActionRunResult RunActions(std::span<const uint8_t> block, uint8_t version, ActionHost& host,
                           size_t maxSteps = 100000);

}  // namespace zp::swf
