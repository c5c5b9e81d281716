// The action stack machine: runs one action block (a DoAction body) against a host that owns
// the timeline and the variables.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "core/swf/swf_value.h"

namespace zp::swf {
class Object;
}

namespace zp::swf {

// What actions can do to the movie that runs them.
class ActionHost {
 public:
  virtual ~ActionHost() = default;
  virtual void Play() = 0;
  virtual void Stop() = 0;
  virtual void NextFrame() = 0;
  virtual void PrevFrame() = 0;
  virtual void GotoFrame(uint32_t frame) = 0;  // 0-based; a frame past the last does nothing
  virtual void GotoLabel(std::u16string_view label) = 0;  // an unknown label does nothing
  virtual void GetUrl(std::u16string_view url, std::u16string_view target) = 0;
  virtual Value GetVariable(std::u16string_view name) = 0;
  virtual void SetVariable(std::u16string_view name, Value value) = 0;
  // A trace message, already converted to text as the movie's version expects.
  virtual void Trace(std::u16string_view message) { (void)message; }
  // How many frames the root timeline has, and which one shows (0-based).
  virtual size_t FrameCount() { return 1; }
  virtual size_t CurrentFrame() { return 0; }
  // The timeline the following timeline actions act on (SetTarget, or a function defined on
  // another timeline); null for the one whose actions run.
  virtual void SetActionTarget(Object* timeline) { (void)timeline; }
  // Runs the actions of a frame now (the Call action), without going there.
  virtual void CallFrame(uint32_t frame) { (void)frame; }
};

enum ActionCode : uint8_t {
  kActionEnd = 0x00,
  kActionNextFrame = 0x04,
  kActionPrevFrame = 0x05,
  kActionPlay = 0x06,
  kActionStop = 0x07,
  kActionToggleQuality = 0x08,
  kActionStopSounds = 0x09,
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
  kActionStringLength = 0x14,
  kActionStringExtract = 0x15,
  kActionPop = 0x17,
  kActionToInteger = 0x18,
  kActionGetVariable = 0x1C,
  kActionSetVariable = 0x1D,
  kActionSetTarget2 = 0x20,
  kActionStringAdd = 0x21,
  kActionGetProperty = 0x22,
  kActionSetProperty = 0x23,
  kActionCloneSprite = 0x24,
  kActionRemoveSprite = 0x25,
  kActionTrace = 0x26,
  kActionStartDrag = 0x27,
  kActionEndDrag = 0x28,
  kActionStringLess = 0x29,
  kActionThrow = 0x2A,
  kActionCastOp = 0x2B,
  kActionImplementsOp = 0x2C,
  kActionRandomNumber = 0x30,
  kActionMBStringLength = 0x31,
  kActionCharToAscii = 0x32,
  kActionAsciiToChar = 0x33,
  kActionGetTime = 0x34,
  kActionMBStringExtract = 0x35,
  kActionMBCharToAscii = 0x36,
  kActionMBAsciiToChar = 0x37,
  kActionDelete = 0x3A,
  kActionDelete2 = 0x3B,
  kActionDefineLocal = 0x3C,
  kActionCallFunction = 0x3D,
  kActionReturn = 0x3E,
  kActionModulo = 0x3F,
  kActionNewObject = 0x40,
  kActionDefineLocal2 = 0x41,
  kActionInitArray = 0x42,
  kActionInitObject = 0x43,
  kActionTypeOf = 0x44,
  kActionTargetPath = 0x45,
  kActionEnumerate = 0x46,
  kActionAdd2 = 0x47,
  kActionLess2 = 0x48,
  kActionEquals2 = 0x49,
  kActionToNumber = 0x4A,
  kActionToString = 0x4B,
  kActionPushDuplicate = 0x4C,
  kActionStackSwap = 0x4D,
  kActionGetMember = 0x4E,
  kActionSetMember = 0x4F,
  kActionIncrement = 0x50,
  kActionDecrement = 0x51,
  kActionCallMethod = 0x52,
  kActionNewMethod = 0x53,
  kActionInstanceOf = 0x54,
  kActionEnumerate2 = 0x55,
  kActionBitAnd = 0x60,
  kActionBitOr = 0x61,
  kActionBitXor = 0x62,
  kActionBitLShift = 0x63,
  kActionBitRShift = 0x64,
  kActionBitURShift = 0x65,
  kActionStrictEquals = 0x66,
  kActionGreater = 0x67,
  kActionStringGreater = 0x68,
  kActionExtends = 0x69,
  kActionGotoFrame = 0x81,
  kActionGetUrl = 0x83,
  kActionStoreRegister = 0x87,
  kActionConstantPool = 0x88,
  kActionWaitForFrame = 0x8A,
  kActionSetTarget = 0x8B,
  kActionGotoLabel = 0x8C,
  kActionWaitForFrame2 = 0x8D,
  kActionDefineFunction2 = 0x8E,
  kActionTry = 0x8F,
  kActionWith = 0x94,
  kActionPush = 0x96,
  kActionJump = 0x99,
  kActionGetUrl2 = 0x9A,
  kActionDefineFunction = 0x9B,
  kActionIf = 0x9D,
  kActionCall = 0x9E,
  kActionGotoFrame2 = 0x9F,
};

struct ActionRunResult {
  size_t executed = 0;    // actions carried out
  bool completed = true;  // false when the block was damaged or ran into the step limit
};

// Runs a block on a machine of its own whose root timeline keeps its variables in `host`, until
// End, its last byte, a damaged record or `maxSteps` actions (which stops endless loops).
// Unknown actions are skipped by their length. A player keeps one machine per movie instead
// (swf_vm.h).
ActionRunResult RunActions(std::span<const uint8_t> block, uint8_t version, ActionHost& host,
                           size_t maxSteps = 100000);

}  // namespace zp::swf
