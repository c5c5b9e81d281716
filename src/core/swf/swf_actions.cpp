#include "core/swf/swf_actions.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/swf/swf_bits.h"
#include "core/swf/swf_movie.h"

namespace zp::swf {
namespace {

// A stack that yields undefined when popped empty, as the player does, and never grows
// without bound.
class Stack {
 public:
  Value Pop() {
    if (values_.empty()) return Value();
    Value v = std::move(values_.back());
    values_.pop_back();
    return v;
  }
  void Push(Value v) {
    if (values_.size() < kMaxDepth) values_.push_back(std::move(v));
  }

 private:
  static constexpr size_t kMaxDepth = 1 << 16;
  std::vector<Value> values_;
};

// Boolean results are true/false from version 5 and 1/0 before.
Value Truth(bool b, uint8_t version) { return version >= 5 ? Value(b) : Value(b ? 1.0 : 0.0); }

}  // namespace

ActionRunResult RunActions(std::span<const uint8_t> block, uint8_t version, ActionHost& host, size_t maxSteps) {
  ActionRunResult result;
  Stack stack;
  std::vector<std::u16string> constants;
  size_t pc = 0;
  auto text = [version](std::string_view bytes) { return DecodeMovieText(bytes, version); };

  while (pc < block.size()) {
    if (result.executed >= maxSteps) {
      result.completed = false;
      return result;
    }
    const uint8_t code = block[pc];
    size_t next = pc + 1;
    std::span<const uint8_t> data;
    if (code >= 0x80) {
      if (block.size() - pc < 3) {
        result.completed = false;
        return result;
      }
      const size_t length = block[pc + 1] | (block[pc + 2] << 8);
      if (length > block.size() - pc - 3) {
        result.completed = false;
        return result;
      }
      data = block.subspan(pc + 3, length);
      next = pc + 3 + length;
    }
    ++result.executed;
    BitReader args(data);

    switch (code) {
      case kActionEnd:
        return result;
      case kActionNextFrame: host.NextFrame(); break;
      case kActionPrevFrame: host.PrevFrame(); break;
      case kActionPlay: host.Play(); break;
      case kActionStop: host.Stop(); break;
      case kActionAdd:
      case kActionSubtract:
      case kActionMultiply:
      case kActionDivide: {
        const double a = stack.Pop().ToNumber(version);
        const double b = stack.Pop().ToNumber(version);
        double r = 0;
        if (code == kActionAdd) r = b + a;
        if (code == kActionSubtract) r = b - a;
        if (code == kActionMultiply) r = b * a;
        if (code == kActionDivide) r = b / a;  // IEEE: x/0 is infinite, 0/0 NaN
        stack.Push(r);
        break;
      }
      case kActionEquals: {
        const double a = stack.Pop().ToNumber(version);
        const double b = stack.Pop().ToNumber(version);
        stack.Push(Truth(b == a, version));
        break;
      }
      case kActionLess: {
        const double a = stack.Pop().ToNumber(version);
        const double b = stack.Pop().ToNumber(version);
        stack.Push(Truth(b < a, version));
        break;
      }
      case kActionAnd:
      case kActionOr: {
        const bool a = stack.Pop().ToBool(version);
        const bool b = stack.Pop().ToBool(version);
        stack.Push(Truth(code == kActionAnd ? (a && b) : (a || b), version));
        break;
      }
      case kActionNot: stack.Push(Truth(!stack.Pop().ToBool(version), version)); break;
      case kActionStringEquals: {
        const auto a = stack.Pop().ToString(version);
        const auto b = stack.Pop().ToString(version);
        stack.Push(Truth(a == b, version));
        break;
      }
      case kActionPop: stack.Pop(); break;
      case kActionToInteger: stack.Push(std::trunc(stack.Pop().ToNumber(version))); break;
      case kActionGetVariable: {
        const auto name = stack.Pop().ToString(version);
        stack.Push(host.GetVariable(name));
        break;
      }
      case kActionSetVariable: {
        Value value = stack.Pop();
        const auto name = stack.Pop().ToString(version);
        host.SetVariable(name, std::move(value));
        break;
      }
      case kActionStringAdd: {
        const auto a = stack.Pop().ToString(version);
        const auto b = stack.Pop().ToString(version);
        stack.Push(b + a);
        break;
      }
      case kActionTrace: host.Trace(stack.Pop().ToString(version)); break;
      case kActionAdd2: {
        const Value a = stack.Pop();
        const Value b = stack.Pop();
        if (a.IsString() || b.IsString()) {
          stack.Push(b.ToString(version) + a.ToString(version));
        } else {
          stack.Push(b.ToNumber(version) + a.ToNumber(version));
        }
        break;
      }
      case kActionLess2:
      case kActionGreater: {
        const Value a = stack.Pop();
        const Value b = stack.Pop();
        const Value& left = code == kActionLess2 ? b : a;
        const Value& right = code == kActionLess2 ? a : b;
        if (left.IsString() && right.IsString()) {
          stack.Push(left.AsString() < right.AsString());
        } else {
          const double l = left.ToNumber(version), r = right.ToNumber(version);
          // A comparison with NaN is undefined, which tests as false.
          if (std::isnan(l) || std::isnan(r)) {
            stack.Push(Value());
          } else {
            stack.Push(l < r);
          }
        }
        break;
      }
      case kActionEquals2: {
        const Value a = stack.Pop();
        const Value b = stack.Pop();
        stack.Push(LooseEquals(b, a, version));
        break;
      }
      case kActionToNumber: stack.Push(stack.Pop().ToNumber(version)); break;
      case kActionToString: stack.Push(stack.Pop().ToString(version)); break;
      case kActionGotoFrame: {
        const uint16_t frame = args.U16();
        if (args.ok()) host.GotoFrame(frame);
        break;
      }
      case kActionGetUrl: {
        const auto url = text(args.CString());
        const auto target = text(args.CString());
        host.GetUrl(url, target);
        break;
      }
      case kActionConstantPool: {
        constants.clear();
        const uint16_t count = args.U16();
        for (uint16_t i = 0; i < count && args.ok(); ++i) {
          auto s = args.CString();
          if (!args.ok()) break;
          constants.push_back(text(s));
        }
        break;
      }
      case kActionGotoLabel: host.GotoLabel(text(args.CString())); break;
      case kActionPush:
        while (args.remaining() > 0) {
          const uint8_t type = args.U8();
          switch (type) {
            case 0: {
              auto s = args.CString();
              stack.Push(text(s));
              break;
            }
            case 1: stack.Push(static_cast<double>(args.F32())); break;
            case 2: stack.Push(Null{}); break;
            case 3: stack.Push(Value()); break;
            case 4: args.U8(); stack.Push(Value()); break;  // registers are not kept: undefined
            case 5: stack.Push(args.U8() != 0); break;
            case 6: stack.Push(args.F64LowHigh()); break;
            case 7: stack.Push(static_cast<double>(static_cast<int32_t>(args.U32()))); break;
            case 8:
            case 9: {
              const size_t index = type == 8 ? args.U8() : args.U16();
              stack.Push(index < constants.size() ? Value(constants[index]) : Value());
              break;
            }
            default: args.Fail(); break;  // an unknown type leaves the rest unreadable
          }
        }
        break;
      case kActionJump:
      case kActionIf: {
        const int16_t offset = args.S16();
        if (!args.ok()) break;
        const bool take = code == kActionJump || stack.Pop().ToBool(version);
        if (take) {
          const int64_t target = static_cast<int64_t>(next) + offset;
          if (target < 0 || target > static_cast<int64_t>(block.size())) {
            result.completed = false;
            return result;
          }
          next = static_cast<size_t>(target);
        }
        break;
      }
      case kActionGetUrl2: {
        const auto target = stack.Pop().ToString(version);
        const auto url = stack.Pop().ToString(version);
        host.GetUrl(url, target);
        break;
      }
      case kActionGotoFrame2: {
        const uint8_t flags = args.U8();
        uint32_t bias = 0;
        if (flags & 0x02) bias = args.U16();
        const Value frame = stack.Pop();
        if (frame.IsString()) {
          const double number = TextToNumber(frame.AsString());
          if (std::isnan(number)) {
            host.GotoLabel(frame.AsString());
          } else if (number >= 1) {
            host.GotoFrame(static_cast<uint32_t>(std::min(number, 4294967295.0)) - 1 + bias);
          }
        } else {
          // Frame numbers on the stack count from 1.
          const double number = frame.ToNumber(version);
          if (number >= 1) host.GotoFrame(static_cast<uint32_t>(std::min(number - 1 + bias, 4294967295.0)));
        }
        if (flags & 0x01) host.Play(); else host.Stop();
        break;
      }
      default:
        break;  // not part of this player: skipped by its length
    }
    pc = next;
  }
  return result;
}

}  // namespace zp::swf
