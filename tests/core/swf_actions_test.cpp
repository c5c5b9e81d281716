#include "core/swf/swf_actions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "core/text.h"
#include "swf_writer.h"

namespace zp::swf {
namespace {

using swfgen::ActionWriter;
using Reg = ActionWriter::Register;
using Const = ActionWriter::Constant;

// Records what the actions ask of the movie.
class RecordingHost : public ActionHost {
 public:
  void Play() override { calls.push_back("play"); }
  void Stop() override { calls.push_back("stop"); }
  void NextFrame() override { calls.push_back("next"); }
  void PrevFrame() override { calls.push_back("prev"); }
  void GotoFrame(uint32_t f) override { calls.push_back("goto " + std::to_string(f)); }
  void GotoLabel(std::u16string_view l) override { calls.push_back("label " + U16ToUtf8(l)); }
  void GetUrl(std::u16string_view url, std::u16string_view target) override {
    calls.push_back("url " + U16ToUtf8(url) + " | " + U16ToUtf8(target));
  }
  Value GetVariable(std::u16string_view name) override {
    auto it = vars.find(std::u16string(name));
    return it == vars.end() ? Value() : it->second;
  }
  void SetVariable(std::u16string_view name, Value v) override { vars[std::u16string(name)] = v; }

  std::vector<std::string> calls;
  std::map<std::u16string, Value> vars;
};

// Expressions are written after a push of "r"; Eval stores the top of the stack in r and
// returns it.
ActionWriter Expr() { return std::move(ActionWriter().Push({std::string("r")})); }

Value Eval(ActionWriter w, uint8_t version = 6) {
  RecordingHost host;
  w.Op(kActionSetVariable);
  RunActions(w.Finish(), version, host);
  return host.vars[u"r"];
}

TEST(SwfActions, PushesEveryValueType) {
  EXPECT_EQ(Eval(Expr().Push({std::string("text")})), Value(u"text"));
  EXPECT_EQ(Eval(Expr().Push({1.5f})), Value(1.5));
  EXPECT_EQ(Eval(Expr().Push({nullptr})), Value(Null{}));
  EXPECT_EQ(Eval(Expr().Push({std::monostate{}})), Value());
  EXPECT_EQ(Eval(Expr().Push({Reg{1}})), Value());  // registers are not kept
  EXPECT_EQ(Eval(Expr().Push({true})), Value(true));
  EXPECT_EQ(Eval(Expr().Push({0.1})), Value(0.1));
  EXPECT_EQ(Eval(Expr().Push({int32_t{-7}})), Value(-7.0));
  EXPECT_EQ(Eval(Expr().ConstantPool({"a", "bee"}).Push({Const{1}})), Value(u"bee"));
  EXPECT_EQ(Eval(Expr().ConstantPool({"a"}).Push({Const{5}})), Value());  // out of the pool
}

TEST(SwfActions, Arithmetic) {
  EXPECT_EQ(Eval(Expr().Push({int32_t{7}, int32_t{2}}).Op(kActionSubtract)), Value(5.0));
  EXPECT_EQ(Eval(Expr().Push({int32_t{7}, int32_t{2}}).Op(kActionMultiply)), Value(14.0));
  EXPECT_EQ(Eval(Expr().Push({int32_t{7}, int32_t{2}}).Op(kActionDivide)), Value(3.5));
  EXPECT_EQ(Eval(Expr().Push({int32_t{7}, int32_t{2}}).Op(kActionAdd)), Value(9.0));
  const Value inf = Eval(Expr().Push({int32_t{1}, int32_t{0}}).Op(kActionDivide));
  EXPECT_TRUE(inf.IsNumber() && std::isinf(inf.AsNumber()));
  EXPECT_EQ(Eval(Expr().Push({std::string("4"), int32_t{2}}).Op(kActionMultiply)), Value(8.0));
  EXPECT_EQ(Eval(Expr().Push({2.9}).Op(kActionToInteger)), Value(2.0));
}

TEST(SwfActions, Add2ConcatenatesWhenEitherSideIsAString) {
  EXPECT_EQ(Eval(Expr().Push({int32_t{1}, int32_t{2}}).Op(kActionAdd2)), Value(3.0));
  EXPECT_EQ(Eval(Expr().Push({std::string("a"), int32_t{2}}).Op(kActionAdd2)), Value(u"a2"));
  EXPECT_EQ(Eval(Expr().Push({int32_t{1}, std::string("b")}).Op(kActionAdd2)), Value(u"1b"));
  EXPECT_EQ(Eval(Expr().Push({std::string("x"), std::string("y")}).Op(kActionStringAdd)), Value(u"xy"));
}

TEST(SwfActions, Comparisons) {
  EXPECT_EQ(Eval(Expr().Push({int32_t{1}, int32_t{2}}).Op(kActionLess2)), Value(true));
  EXPECT_EQ(Eval(Expr().Push({int32_t{2}, int32_t{1}}).Op(kActionLess2)), Value(false));
  EXPECT_EQ(Eval(Expr().Push({int32_t{2}, int32_t{1}}).Op(kActionGreater)), Value(true));
  EXPECT_EQ(Eval(Expr().Push({std::string("a"), std::string("b")}).Op(kActionLess2)), Value(true));
  EXPECT_EQ(Eval(Expr().Push({std::string("3"), int32_t{3}}).Op(kActionEquals2)), Value(true));
  EXPECT_EQ(Eval(Expr().Push({nullptr, std::monostate{}}).Op(kActionEquals2)), Value(true));
  EXPECT_EQ(Eval(Expr().Push({int32_t{0}, nullptr}).Op(kActionEquals2)), Value(false));
  EXPECT_EQ(Eval(Expr().Push({std::string("ab"), std::string("ab")}).Op(kActionStringEquals)), Value(true));
  EXPECT_EQ(Eval(Expr().Push({int32_t{4}, int32_t{4}}).Op(kActionEquals)), Value(true));
  // Version 4 movies get 1 and 0 instead of booleans.
  EXPECT_EQ(Eval(Expr().Push({int32_t{4}, int32_t{4}}).Op(kActionEquals), 4), Value(1.0));
}

TEST(SwfActions, Logic) {
  EXPECT_EQ(Eval(Expr().Push({true, false}).Op(kActionAnd)), Value(false));
  EXPECT_EQ(Eval(Expr().Push({true, false}).Op(kActionOr)), Value(true));
  EXPECT_EQ(Eval(Expr().Push({int32_t{0}}).Op(kActionNot)), Value(true));
  EXPECT_EQ(Eval(Expr().Push({std::string("x")}).Op(kActionNot), 7), Value(false));
}

TEST(SwfActions, Conversions) {
  EXPECT_EQ(Eval(Expr().Push({std::string(" 12.5 ")}).Op(kActionToNumber)), Value(12.5));
  EXPECT_EQ(Eval(Expr().Push({std::string("0x1F")}).Op(kActionToNumber)), Value(31.0));
  const Value nan = Eval(Expr().Push({std::string("abc")}).Op(kActionToNumber));
  EXPECT_TRUE(std::isnan(nan.AsNumber()));
  EXPECT_EQ(Eval(Expr().Push({int32_t{42}}).Op(kActionToString)), Value(u"42"));
  EXPECT_EQ(Eval(Expr().Push({0.25}).Op(kActionToString)), Value(u"0.25"));
  EXPECT_EQ(Eval(Expr().Push({true}).Op(kActionToString)), Value(u"true"));
  EXPECT_EQ(Eval(Expr().Push({std::monostate{}}).Op(kActionToString), 7), Value(u"undefined"));
  EXPECT_EQ(Eval(Expr().Push({std::monostate{}}).Op(kActionToString), 6), Value(u""));
  EXPECT_EQ(NumberToText(1e21), u"1e+21");
  EXPECT_EQ(NumberToText(-0.0), u"0");
}

TEST(SwfActions, VariablesAndStackUnderflow) {
  RecordingHost host;
  auto block = ActionWriter()
                   .SetVariable("a", std::string("one"))
                   .Push({std::string("b"), std::string("a")})
                   .Op(kActionGetVariable)
                   .Op(kActionSetVariable)
                   .Op(kActionPop)  // empty stack: nothing happens
                   .Op(kActionPop)
                   .Finish();
  const auto result = RunActions(block, 6, host);
  EXPECT_TRUE(result.completed);
  EXPECT_EQ(host.vars[u"b"], Value(u"one"));
  EXPECT_EQ(Eval(Expr().Push({std::string("missing")}).Op(kActionGetVariable)), Value());
}

TEST(SwfActions, TimelineControl) {
  RecordingHost host;
  auto block = ActionWriter()
                   .Stop()
                   .Play()
                   .Op(kActionNextFrame)
                   .Op(kActionPrevFrame)
                   .GotoFrame(4)
                   .GotoLabel("intro")
                   .Push({int32_t{3}})
                   .GotoFrame2(true)
                   .Push({std::string("menu")})
                   .GotoFrame2(false)
                   .Finish();
  RunActions(block, 6, host);
  EXPECT_EQ(host.calls, (std::vector<std::string>{"stop", "play", "next", "prev", "goto 4", "label intro", "goto 2",
                                                  "play", "label menu", "stop"}));
}

TEST(SwfActions, GetUrlAndGetUrl2WithComputedStrings) {
  RecordingHost host;
  auto block = ActionWriter()
                   .GetUrl("FSCommand:quit", "")
                   .Push({std::string("FSCommand:"), std::string("show"), std::string("Image")})
                   .Op(kActionStringAdd)
                   .Op(kActionAdd2)
                   .Push({std::string("pic.png")})
                   .GetUrl2()
                   .Finish();
  RunActions(block, 6, host);
  EXPECT_EQ(host.calls, (std::vector<std::string>{"url FSCommand:quit | ", "url FSCommand:showImage | pic.png"}));
}

TEST(SwfActions, IfAndJumpMakeALoop) {
  // i = 0; while (i < 5) i = i + 1; r = i
  RecordingHost host;
  auto block = ActionWriter()
                   .SetVariable("i", int32_t{0})
                   .Mark("top")
                   .Push({std::string("i")})
                   .Op(kActionGetVariable)
                   .Push({int32_t{5}})
                   .Op(kActionLess2)
                   .Op(kActionNot)
                   .If("done")
                   .Push({std::string("i"), std::string("i")})
                   .Op(kActionGetVariable)
                   .Push({int32_t{1}})
                   .Op(kActionAdd2)
                   .Op(kActionSetVariable)
                   .Jump("top")
                   .Mark("done")
                   .Finish();
  EXPECT_TRUE(RunActions(block, 6, host).completed);
  EXPECT_EQ(host.vars[u"i"], Value(5.0));
}

TEST(SwfActions, EndlessLoopStopsAtTheStepLimit) {
  RecordingHost host;
  auto block = ActionWriter().Mark("x").Jump("x").Finish();
  const auto result = RunActions(block, 6, host, 1000);
  EXPECT_FALSE(result.completed);
  EXPECT_EQ(result.executed, 1000u);
}

TEST(SwfActions, DamagedBlocksStopCleanly) {
  RecordingHost host;
  // A record whose length runs past the end.
  const std::vector<uint8_t> longRecord{0x96, 0x10, 0x00, 0x00};
  EXPECT_FALSE(RunActions(longRecord, 6, host).completed);
  // A jump before the start of the block.
  const std::vector<uint8_t> badJump{0x99, 0x02, 0x00, 0x00, 0x80};
  EXPECT_FALSE(RunActions(badJump, 6, host).completed);
  // A record header cut short.
  const std::vector<uint8_t> cut{0x96, 0x01};
  EXPECT_FALSE(RunActions(cut, 6, host).completed);
  // Unknown actions are skipped by their length; Trace pops its argument.
  auto block = ActionWriter()
                   .Raw(0x55, {})
                   .Raw(0xC7, {1, 2, 3})
                   .Push({std::string("hi")})
                   .Op(kActionTrace)
                   .SetVariable("ok", true)
                   .Finish();
  EXPECT_TRUE(RunActions(block, 6, host).completed);
  EXPECT_EQ(host.vars[u"ok"], Value(true));
  EXPECT_TRUE(host.calls.empty());
}

}  // namespace
}  // namespace zp::swf
