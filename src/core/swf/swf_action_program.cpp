#include "core/swf/swf_action_program.h"

#include <algorithm>

#include "core/swf/swf_actions.h"
#include "core/swf/swf_bits.h"
#include "core/swf/swf_movie.h"

namespace zp::swf {
namespace {

bool IsTimelineAction(uint8_t op) {
  switch (op) {
    case kActionNextFrame:
    case kActionPrevFrame:
    case kActionPlay:
    case kActionStop:
    case kActionGotoFrame:
    case kActionGotoLabel:
    case kActionGotoFrame2:
    case kActionCall:
    case kActionWaitForFrame:
    case kActionWaitForFrame2: return true;
    default: return false;
  }
}

ActionRoute RouteOf(uint8_t op) {
  switch (op) {
    case kActionPush: return ActionRoute::kPush;
    case kActionJump: return ActionRoute::kJump;
    case kActionIf: return ActionRoute::kIf;
    case kActionStoreRegister: return ActionRoute::kStoreRegister;
    case kActionPop: return ActionRoute::kPop;
    case kActionPushDuplicate: return ActionRoute::kPushDuplicate;
    case kActionNot: return ActionRoute::kNot;
    case kActionIncrement: return ActionRoute::kIncrement;
    case kActionDecrement: return ActionRoute::kDecrement;
    case kActionAdd2:
    case kActionSubtract:
    case kActionMultiply: return ActionRoute::kArithmetic;
    case kActionLess2:
    case kActionGreater:
    case kActionEquals2:
    case kActionStrictEquals: return ActionRoute::kCompare;
    default: return ActionRoute::kGeneral;
  }
}

}  // namespace

int64_t FunctionBodySize(std::span<const uint8_t> data, bool function2) {
  BitReader r(data);
  r.CString();
  const uint16_t count = r.U16();
  if (function2) {
    r.U8();
    r.U16();
  }
  for (uint16_t i = 0; i < count && r.ok(); ++i) {
    if (function2) r.U8();
    r.CString();
  }
  const uint16_t size = r.U16();
  return r.ok() ? size : -1;
}

ActionProgram::ActionProgram(std::span<const uint8_t> code, uint8_t version)
    : ActionProgram(std::make_shared<const std::vector<uint8_t>>(code.begin(), code.end()), 0, code.size(), version) {}

ActionProgram::ActionProgram(std::shared_ptr<const std::vector<uint8_t>> bytes, size_t offset, size_t size,
                             uint8_t version)
    : bytes_(std::move(bytes)), code_(std::span<const uint8_t>(*bytes_).subspan(offset, size)), version_(version) {
  DecodeStraightRun();
}

void ActionProgram::DecodeStraightRun() {
  size_t offset = 0;
  while (offset < code_.size()) {
    ActionInstruction i = Decode(offset);
    offset = i.next;
    if ((i.op == kActionDefineFunction || i.op == kActionDefineFunction2) && !i.damaged) {
      // The body runs as a function of its own; the block goes on after it.
      const int64_t body = FunctionBodySize(code_.subspan(i.offset + 3, i.dataLength), i.op == kActionDefineFunction2);
      if (body >= 0 && static_cast<size_t>(body) <= code_.size() - offset) {
        offset += static_cast<size_t>(body);
        i.jumpTarget = static_cast<int64_t>(offset);
      }
    }
    const bool damaged = i.damaged;
    instructions_.push_back(std::move(i));
    if (damaged) break;
  }
  straightRun_ = instructions_.size();
  for (size_t n = 0; n < straightRun_; ++n) {
    ActionInstruction& i = instructions_[n];
    if (i.next >= code_.size()) {
      i.nextIndex = ActionInstruction::kEnd;
    } else if (n + 1 < straightRun_ && instructions_[n + 1].offset == i.next) {
      i.nextIndex = static_cast<int32_t>(n + 1);
      i.followed = true;
    }
  }
}

ActionInstruction ActionProgram::Decode(size_t offset) {
  ActionInstruction i;
  i.offset = static_cast<uint32_t>(offset);
  i.op = code_[offset];
  i.next = static_cast<uint32_t>(offset + 1);
  i.timeline = IsTimelineAction(i.op);
  i.route = RouteOf(i.op);
  if (i.op < 0x80) return i;
  if (code_.size() - offset < 3) {
    i.damaged = true;
    i.route = ActionRoute::kGeneral;
    return i;
  }
  const size_t length = code_[offset + 1] | (code_[offset + 2] << 8);
  if (length > code_.size() - offset - 3) {
    i.damaged = true;
    i.route = ActionRoute::kGeneral;
    return i;
  }
  i.dataLength = static_cast<uint32_t>(length);
  i.next = static_cast<uint32_t>(offset + 3 + length);
  BitReader args(code_.subspan(offset + 3, length));
  auto text = [this](std::string_view bytes) { return DecodeMovieText(bytes, version_); };
  switch (i.op) {
    case kActionPush: {
      i.first = static_cast<uint32_t>(pushes_.size());
      while (args.remaining() > 0) {
        const uint8_t type = args.U8();
        PushItem item;
        switch (type) {
          case 0: item.value = Value(text(args.CString())); break;
          case 1: item.value = static_cast<double>(args.F32()); break;
          case 2: item.value = Value(Null{}); break;
          case 3: break;
          case 4:
            item.kind = PushItem::Kind::kRegister;
            item.index = args.U8();
            break;
          case 5: item.value = args.U8() != 0; break;
          case 6: item.value = args.F64LowHigh(); break;
          case 7: item.value = static_cast<double>(static_cast<int32_t>(args.U32())); break;
          case 8:
          case 9:
            item.kind = PushItem::Kind::kConstant;
            item.index = type == 8 ? args.U8() : args.U16();
            break;
          default: args.Fail(); continue;  // an unknown type leaves the rest unreadable
        }
        pushes_.push_back(std::move(item));
      }
      i.count = static_cast<uint32_t>(pushes_.size() - i.first);
      break;
    }
    case kActionJump:
    case kActionIf: {
      const int16_t jump = args.S16();
      i.hasOperand = args.ok();
      i.jumpTarget = static_cast<int64_t>(i.next) + jump;
      break;
    }
    case kActionStoreRegister:
      i.first = args.U8();
      i.hasOperand = args.ok();
      break;
    case kActionConstantPool: {
      auto pool = std::make_shared<std::vector<Value>>();
      const uint16_t count = args.U16();
      for (uint16_t n = 0; n < count && args.ok(); ++n) {
        auto s = args.CString();
        if (!args.ok()) break;
        pool->push_back(Value(text(s)));
      }
      i.first = static_cast<uint32_t>(pools_.size());
      pools_.push_back(std::move(pool));
      break;
    }
    default: break;
  }
  return i;
}

int32_t ActionProgram::IndexAt(size_t offset) {
  if (offset >= code_.size()) return ActionInstruction::kEnd;
  const auto run = instructions_.begin() + static_cast<ptrdiff_t>(straightRun_);
  const auto found = std::lower_bound(instructions_.begin(), run, offset,
                                      [](const ActionInstruction& i, size_t at) { return i.offset < at; });
  if (found != run && found->offset == offset) return static_cast<int32_t>(found - instructions_.begin());
  if (const auto it = elsewhere_.find(offset); it != elsewhere_.end()) return it->second;
  const auto index = static_cast<int32_t>(instructions_.size());
  instructions_.push_back(Decode(offset));
  elsewhere_.emplace(offset, index);
  return index;
}

int32_t ActionProgram::ResolveNext(int32_t index) {
  const int32_t n = IndexAt(instructions_[static_cast<size_t>(index)].next);
  instructions_[static_cast<size_t>(index)].nextIndex = n;
  return n;
}

int32_t ActionProgram::ResolveJump(int32_t index) {
  const int64_t target = instructions_[static_cast<size_t>(index)].jumpTarget;
  const int32_t n = target < 0 ? ActionInstruction::kEnd : IndexAt(static_cast<size_t>(target));
  instructions_[static_cast<size_t>(index)].jumpIndex = n;
  return n;
}

std::shared_ptr<ActionProgram> ActionProgram::Body(size_t offset, size_t size) {
  auto& body = bodies_[offset];
  if (!body || body->code_.size() != size) {
    const auto start = static_cast<size_t>(code_.data() - bytes_->data()) + offset;
    body.reset(new ActionProgram(bytes_, start, size, version_));
  }
  return body;
}

}  // namespace zp::swf
