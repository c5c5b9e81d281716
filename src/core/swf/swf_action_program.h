// Action blocks read once into instructions, so that a loop runs without parsing its bytes again:
// each record's length and operands (pushed values, registers, jump targets, constant pools)
// are decoded the first time and jumps find their instruction without a search after that.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <unordered_map>
#include <vector>

#include "core/swf/swf_value.h"

namespace zp::swf {

// One item of a Push record.
struct PushItem {
  enum class Kind : uint8_t { kValue, kRegister, kConstant };
  Kind kind = Kind::kValue;
  uint16_t index = 0;  // the register or constant pool entry
  Value value;         // a literal
};

// How the machine's inner loop runs an instruction: the simple actions of loops and arithmetic
// in place, everything else (and a damaged record) through the general path.
enum class ActionRoute : uint8_t {
  kGeneral,
  kPush,
  kJump,
  kIf,
  kStoreRegister,
  kPop,
  kPushDuplicate,
  kNot,
  kIncrement,
  kDecrement,
  kArithmetic,  // Add2, Subtract, Multiply on two numbers
  kCompare,     // Less2, Greater, Equals2, StrictEquals on two numbers
};

struct ActionInstruction {
  static constexpr int32_t kUnresolved = -1;
  static constexpr int32_t kEnd = -2;  // the block ends there

  uint8_t op = 0;
  ActionRoute route = ActionRoute::kGeneral;
  bool damaged = false;   // its length runs past the block: reaching it stops the block
  bool timeline = false;  // acts on the current timeline (gotos, play, stop...)
  bool hasOperand = false;  // Jump/If offset or StoreRegister register could be read
  bool followed = false;    // the next record is the instruction after this one
  uint32_t offset = 0;      // where the record starts
  uint32_t next = 0;        // where the following record starts
  uint32_t dataLength = 0;  // its operand bytes start at offset + 3
  int32_t nextIndex = kUnresolved;
  int32_t jumpIndex = kUnresolved;
  int64_t jumpTarget = 0;  // Jump/If: the byte offset it goes to, which may lie outside
  uint32_t first = 0;      // Push: its first item; StoreRegister: the register; ConstantPool: the pool
  uint32_t count = 0;      // Push: its number of items
};

class ActionProgram {
 public:
  // Keeps a copy of the bytes: functions defined by the block run from it after the caller's
  // buffer is gone.
  ActionProgram(std::span<const uint8_t> code, uint8_t version);
  ActionProgram(const ActionProgram&) = delete;
  ActionProgram& operator=(const ActionProgram&) = delete;

  std::span<const uint8_t> code() const { return code_; }
  uint8_t version() const { return version_; }

  // The instruction whose record starts at `offset` (< code().size()), decoded now when no
  // straight run from the start of the block passes there.
  int32_t IndexAt(size_t offset);
  const ActionInstruction& instruction(int32_t index) const { return instructions_[static_cast<size_t>(index)]; }
  // Every instruction; valid until the next call that may decode (IndexAt, NextOf, JumpOf).
  const ActionInstruction* instructions() const { return instructions_.data(); }
  // The instruction after `index` in a straight run, and the one its jump goes to (when the
  // target lies in the block).
  int32_t NextOf(int32_t index) {
    const int32_t n = instructions_[static_cast<size_t>(index)].nextIndex;
    return n != ActionInstruction::kUnresolved ? n : ResolveNext(index);
  }
  int32_t JumpOf(int32_t index) {
    const int32_t n = instructions_[static_cast<size_t>(index)].jumpIndex;
    return n != ActionInstruction::kUnresolved ? n : ResolveJump(index);
  }
  const PushItem* pushItems(const ActionInstruction& i) const { return pushes_.data() + i.first; }
  const std::shared_ptr<const std::vector<Value>>& pool(const ActionInstruction& i) const { return pools_[i.first]; }
  // A function body of `size` bytes at `offset`, decoded once for every function made from it.
  std::shared_ptr<ActionProgram> Body(size_t offset, size_t size);

 private:
  ActionProgram(std::shared_ptr<const std::vector<uint8_t>> bytes, size_t offset, size_t size, uint8_t version);
  void DecodeStraightRun();
  ActionInstruction Decode(size_t offset);
  int32_t ResolveNext(int32_t index);
  int32_t ResolveJump(int32_t index);

  std::shared_ptr<const std::vector<uint8_t>> bytes_;  // shared with the bodies of its functions
  std::span<const uint8_t> code_;
  uint8_t version_;
  std::vector<ActionInstruction> instructions_;
  size_t straightRun_ = 0;  // the first instructions, in order of their offsets
  std::unordered_map<size_t, int32_t> elsewhere_;  // offsets only a jump reaches
  std::vector<PushItem> pushes_;
  std::vector<std::shared_ptr<const std::vector<Value>>> pools_;
  std::unordered_map<size_t, std::shared_ptr<ActionProgram>> bodies_;
};

// The length of the body that follows a DefineFunction or DefineFunction2 record with these
// operand bytes, or -1 when the operands are unreadable.
int64_t FunctionBodySize(std::span<const uint8_t> data, bool function2);

}  // namespace zp::swf
