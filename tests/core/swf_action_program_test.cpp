#include "core/swf/swf_action_program.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/swf/swf_vm.h"
#include "core/text.h"
#include "quiet_action_host.h"
#include "swf_writer.h"

namespace zp::swf {
namespace {

using swfgen::ActionWriter;
using S = std::string;
using I = int32_t;
using Reg = ActionWriter::Register;
using Lines = std::vector<std::string>;

// Play shows among the trace lines.
class TraceHost : public swfgen::TracingActionHost {
 public:
  void Play() override { lines.push_back("play"); }
};

// Jump +4 lands inside the Push that follows, on the bytes Play, End of its string.
const std::vector<uint8_t> kJumpIntoRecord{0x99, 0x02, 0x00, 0x04, 0x00, 0x96, 0x03, 0x00, 0x00, 0x06, 0x00};

TEST(SwfActionProgram, RecordsAreFoundByOffsetAndDamageIsKept) {
  ActionProgram p(kJumpIntoRecord, 8);
  const auto& push = p.instruction(p.IndexAt(5));
  EXPECT_EQ(push.op, kActionPush);
  EXPECT_EQ(push.count, 1u);
  const auto& inside = p.instruction(p.IndexAt(9));  // reached only by the jump
  EXPECT_EQ(inside.op, kActionPlay);
  EXPECT_EQ(inside.next, 10u);
  EXPECT_EQ(p.IndexAt(9), p.IndexAt(9));
  EXPECT_EQ(p.IndexAt(kJumpIntoRecord.size()), ActionInstruction::kEnd);

  const std::vector<uint8_t> damaged{0x17, 0x96, 0x10, 0x00, 0x00};
  ActionProgram d(damaged, 8);
  EXPECT_FALSE(d.instruction(d.IndexAt(0)).damaged);
  EXPECT_TRUE(d.instruction(d.IndexAt(1)).damaged);

  // DefineFunction2 operands: name, 1 parameter, 3 registers, flags, (register 1, "a"), body size.
  const std::vector<uint8_t> f2{'f', 0, 1, 0, 3, 0, 0, 1, 'a', 0, 7, 0};
  EXPECT_EQ(FunctionBodySize(f2, true), 7);
  EXPECT_EQ(FunctionBodySize(std::span(f2).first(f2.size() - 1), true), -1);
  const std::vector<uint8_t> f1{0, 2, 0, 'a', 0, 'b', 0, 0x34, 0x12};
  EXPECT_EQ(FunctionBodySize(f1, false), 0x1234);
}

TEST(SwfActionProgram, BlocksRunFromTheirOwnCopyOfTheBytes) {
  TraceHost host;
  Vm vm(8, host);
  EXPECT_TRUE(vm.RunBlock(kJumpIntoRecord, vm.root(), 100).completed);
  EXPECT_EQ(host.lines, Lines{"play"});

  // A buffer reused for other bytes of the same length runs the new ones.
  std::vector<uint8_t> buffer = ActionWriter().Push({S("a")}).Trace().Finish();
  vm.RunBlock(buffer, vm.root(), 100);
  const auto other = ActionWriter().Push({S("b")}).Trace().Finish();
  ASSERT_EQ(other.size(), buffer.size());
  std::copy(other.begin(), other.end(), buffer.begin());
  vm.RunBlock(buffer, vm.root(), 100);

  // A function keeps its body after the block that defined it is gone.
  {
    ActionWriter body;
    body.Push({S("from f")}).Op(kActionReturn);
    std::vector<uint8_t> block = ActionWriter().DefineFunction("f", {}, body).Finish();
    vm.RunBlock(block, vm.root(), 100);
    std::fill(block.begin(), block.end(), 0xFF);
  }
  const Value f = vm.GetVariable(u"f");
  host.lines.push_back(U16ToUtf8(vm.ToString(vm.Call(f, Value(), {}))));
  EXPECT_EQ(host.lines, (Lines{"play", "a", "b", "from f"}));
}

TEST(SwfActionProgram, SimpleActionsAgreeWithTheGeneralOnes) {
  // Each case leaves one value to trace; the quick paths take numbers, the rest falls back.
  struct Case {
    ActionWriter code;
    const char* expected;
  };
  Case cases[] = {
      {ActionWriter().Push({I{2}, I{3}}).Op(kActionLess2), "true"},
      {ActionWriter().Push({S("10"), S("9")}).Op(kActionLess2), "true"},  // as strings
      {ActionWriter().Push({I{2}, I{3}}).Op(kActionGreater), "false"},
      {ActionWriter().Push({S("x"), I{3}}).Op(kActionGreater), "undefined"},  // NaN
      {ActionWriter().Push({I{1}, S("1")}).Op(kActionEquals2), "true"},
      {ActionWriter().Push({I{1}, S("1")}).Op(kActionStrictEquals), "false"},
      {ActionWriter().Push({S("4")}).Op(kActionIncrement), "5"},
      {ActionWriter().Push({std::monostate{}}).Op(kActionDecrement), "NaN"},
      {ActionWriter().Push({I{0}}).Op(kActionNot), "true"},
      {ActionWriter().Push({S("")}).Op(kActionNot), "true"},
      {ActionWriter().Push({S("a"), I{1}}).Op(kActionAdd2), "a1"},
      {ActionWriter().Push({I{7}, I{2}}).Op(kActionSubtract), "5"},
      {ActionWriter().Push({S("3"), I{2}}).Op(kActionMultiply), "6"},
      {ActionWriter().Push({I{9}}).StoreRegister(1).Op(kActionPop).Push({Reg{1}}), "9"},
  };
  Lines expected;
  for (const auto& c : cases) expected.push_back(c.expected);
  TraceHost host;
  Vm vm(8, host);
  for (auto& c : cases) vm.RunBlock(c.code.Trace().Finish(), vm.root(), 100);
  EXPECT_EQ(host.lines, expected);
}

TEST(SwfActionProgram, BudgetsAndStackGrowthHoldInTightLoops) {
  TraceHost host;
  Vm vm(8, host);
  // Simple actions only, then with a general one in the loop: the count is exact either way.
  const auto simple = ActionWriter().Mark("top").Push({I{1}}).Op(kActionPop).Jump("top").Finish();
  const auto general = ActionWriter().Mark("top").Push({S("x")}).Op(kActionGetVariable).Op(kActionPop).Jump("top").Finish();
  for (const auto* block : {&simple, &general}) {
    const auto result = vm.RunBlock(*block, vm.root(), 1001);
    EXPECT_FALSE(result.completed);
    EXPECT_EQ(result.executed, 1001u);
  }
  // Duplicates of the top value past several growths of the stack, then summed.
  ActionWriter w;
  w.Push({I{5}});
  for (int i = 0; i < 150; ++i) w.Op(kActionPushDuplicate);
  for (int i = 0; i < 150; ++i) w.Op(kActionAdd2);
  vm.RunBlock(w.Trace().Finish(), vm.root(), 1000);
  EXPECT_EQ(host.lines, Lines{"755"});
}

}  // namespace
}  // namespace zp::swf
