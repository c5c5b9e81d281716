#include "core/swf/swf_vm.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

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

using TraceHost = swfgen::TracingActionHost;

// Runs one block on a fresh machine and returns what it traced.
Lines Traced(const ActionWriter& w, uint8_t version = 8, size_t budget = 1000000) {
  TraceHost host;
  Vm vm(version, host);
  vm.RunBlock(w.Finish(), vm.root(), budget);
  return host.lines;
}

// trace(expression) where the expression is already on the stack.
ActionWriter& T(ActionWriter& w) { return w.Trace(); }

TEST(SwfVmValues, NumbersAndTextConvertLikeAMoviePlayer) {
  const std::pair<double, std::u16string> numbers[] = {
      {0.1, u"0.1"},         {1.0 / 3, u"0.333333333333333"}, {1e15, u"1e+15"}, {123456789012345.0, u"123456789012345"},
      {-2.5, u"-2.5"},       {1e-5, u"0.00001"},               {1.5e-7, u"1.5e-7"}, {-8.64e15, u"-8.64e+15"},
      {255, u"255"},         {1e21, u"1e+21"}};
  for (const auto& [n, text] : numbers) EXPECT_EQ(NumberToText(n), text) << n;
  EXPECT_EQ(TextToNumber(u"010"), 8);  // octal
  EXPECT_EQ(TextToNumber(u"-0x1F"), -31);
  EXPECT_EQ(TextToNumber(u" 1e3 "), 1000);
  EXPECT_TRUE(std::isnan(TextToNumber(u"12px")));
  EXPECT_EQ(ToInt32(4294967297.0), 1);
  EXPECT_EQ(ToInt32(-1.9), -1);
  EXPECT_EQ(NumberToRadixText(255, 16), u"ff");
  EXPECT_EQ(NumberToRadixText(-5, 2), u"-101");
  // Strings are shared: a copy outlives the original.
  Value copy;
  {
    const Value original(std::u16string(u"kept"));
    copy = original;
  }
  EXPECT_EQ(copy, Value(u"kept"));
}

TEST(SwfVmObjects, MembersPrototypesEnumerationAndFlags) {
  ActionWriter w;
  // o = {a: 1, b: "x"}; o.c = 3; trace(o.a + o.c); for (k in o) trace(k)
  w.Push({S("o"), S("a"), I{1}, S("b"), S("x"), I{2}}).Op(kActionInitObject).Op(kActionSetVariable);
  w.Push({S("o")}).Op(kActionGetVariable).Push({S("c"), I{3}}).Op(kActionSetMember);
  w.Push({S("o")}).Op(kActionGetVariable).Push({S("a")}).Op(kActionGetMember);
  w.Push({S("o")}).Op(kActionGetVariable).Push({S("c")}).Op(kActionGetMember).Op(kActionAdd2);
  T(w);
  w.Push({S("o")}).Op(kActionEnumerate).Mark("loop").StoreRegister(0).Push({nullptr}).Op(kActionEquals2).If("done");
  w.Push({Reg{0}});
  T(w).Jump("loop").Mark("done");
  // delete o.a; typeof o.a; typeof o; o instanceof Object
  w.Push({S("o")}).Op(kActionGetVariable).Push({S("a")}).Op(kActionDelete).Op(kActionPop);
  w.Push({S("o")}).Op(kActionGetVariable).Push({S("a")}).Op(kActionGetMember).Op(kActionTypeOf);
  T(w);
  w.Push({S("o")}).Op(kActionGetVariable).Op(kActionTypeOf);
  T(w);
  w.Push({S("o")}).Op(kActionGetVariable).Push({S("Object")}).Op(kActionGetVariable).Op(kActionInstanceOf);
  T(w);
  // ASSetPropFlags(o, "c", 1) hides c from for..in; o.__proto__ == Object.prototype
  w.Push({I{1}, S("c")}).Push({S("o")}).Op(kActionGetVariable).Push({I{3}, S("ASSetPropFlags")}).Op(kActionCallFunction).Op(kActionPop);
  w.Push({S("o")}).Op(kActionEnumerate).Mark("loop2").StoreRegister(0).Push({nullptr}).Op(kActionEquals2).If("done2");
  w.Push({Reg{0}});
  T(w).Jump("loop2").Mark("done2");
  w.Push({S("o")}).Op(kActionGetVariable).Push({S("__proto__")}).Op(kActionGetMember);
  w.Push({S("Object")}).Op(kActionGetVariable).Push({S("prototype")}).Op(kActionGetMember).Op(kActionStrictEquals);
  T(w);
  EXPECT_EQ(Traced(w), (Lines{"4", "c", "b", "a", "undefined", "object", "true", "b", "true"}));
}

TEST(SwfVmFunctions, ParametersRegistersClosuresAndRecursion) {
  ActionWriter w;
  // function fact(n) { if (n < 2) return 1; return n * fact(n - 1); }
  ActionWriter fact;
  fact.Push({S("n")}).Op(kActionGetVariable).Push({I{2}}).Op(kActionLess2).Op(kActionNot).If("more");
  fact.Push({I{1}}).Op(kActionReturn).Mark("more");
  fact.Push({S("n")}).Op(kActionGetVariable);
  fact.Push({S("n")}).Op(kActionGetVariable).Op(kActionDecrement).Push({I{1}, S("fact")}).Op(kActionCallFunction);
  fact.Op(kActionMultiply).Op(kActionReturn);
  w.DefineFunction("fact", {"n"}, fact);
  w.CallFunction("fact", {I{10}});
  T(w);
  // function2 add(a in r1, b by name) with this preloaded into r3; arguments.length
  ActionWriter add;
  add.Push({Reg{2}, S("b")}).Op(kActionGetVariable).Op(kActionAdd2);
  add.Push({S("arguments")}).Op(kActionGetVariable).Push({S("length")}).Op(kActionGetMember).Op(kActionAdd2);
  add.Op(kActionReturn);
  w.DefineFunction2("add", 4, 0x0001, {{2, "a"}, {0, "b"}}, add);
  w.CallFunction("add", {I{5}, I{6}, I{7}});
  T(w);
  // counter = (function () { var c = 0; return function () { return ++c; }; })()
  ActionWriter inner;
  inner.Push({S("c"), S("c")}).Op(kActionGetVariable).Op(kActionIncrement).StoreRegister(0).Op(kActionSetVariable);
  inner.Push({Reg{0}}).Op(kActionReturn);
  ActionWriter outer;
  outer.Push({S("c"), I{0}}).Op(kActionDefineLocal).DefineFunction("", {}, inner).Op(kActionReturn);
  w.Push({S("counter"), I{0}}).DefineFunction("", {}, outer).Push({std::monostate{}}).Op(kActionCallMethod);
  w.Op(kActionSetVariable);
  w.CallFunction("counter", {}).Op(kActionPop).CallFunction("counter", {});
  T(w);
  // c stayed local to the closure; add.call(null, 1, 2) and apply
  w.Push({S("c")}).Op(kActionGetVariable);
  T(w);
  w.Push({I{2}, I{1}, std::monostate{}, I{3}, S("add")}).Op(kActionGetVariable).Push({S("call")}).Op(kActionCallMethod);
  T(w);
  EXPECT_EQ(Traced(w), (Lines{"3628800", "14", "2", "undefined", "5"}));
}

TEST(SwfVmClasses, ConstructorsInheritanceAndSuper) {
  ActionWriter w;
  // function A(x) { this.x = x; } A.prototype.who = function () { return "A" + this.x; }
  ActionWriter a;
  a.Push({S("this")}).Op(kActionGetVariable).Push({S("x"), S("x")}).Op(kActionGetVariable).Op(kActionSetMember);
  w.DefineFunction("A", {"x"}, a);
  ActionWriter who;
  who.Push({S("A"), S("this")}).Op(kActionGetVariable).Push({S("x")}).Op(kActionGetMember).Op(kActionAdd2).Op(kActionReturn);
  w.Push({S("A")}).Op(kActionGetVariable).Push({S("prototype")}).Op(kActionGetMember).Push({S("who")});
  w.DefineFunction("", {}, who).Op(kActionSetMember);
  // function B(x) { super(x * 2); } B extends A; B.prototype.who = function () { return "B" + super.who(); }
  ActionWriter b;
  b.Push({S("x")}).Op(kActionGetVariable).Push({I{2}}).Op(kActionMultiply).Push({I{1}, S("super")}).Op(kActionGetVariable);
  b.Push({std::monostate{}}).Op(kActionCallMethod).Op(kActionPop);
  w.DefineFunction("B", {"x"}, b);
  w.Push({S("B")}).Op(kActionGetVariable).Push({S("A")}).Op(kActionGetVariable).Op(kActionExtends);
  ActionWriter bwho;
  bwho.Push({S("B"), I{0}, S("super")}).Op(kActionGetVariable).Push({S("who")}).Op(kActionCallMethod).Op(kActionAdd2);
  bwho.Op(kActionReturn);
  w.Push({S("B")}).Op(kActionGetVariable).Push({S("prototype")}).Op(kActionGetMember).Push({S("who")});
  w.DefineFunction("", {}, bwho).Op(kActionSetMember);
  // o = new B(4); trace(o.who()); trace(o instanceof A); trace(typeof B)
  w.Push({S("o"), I{4}, I{1}, S("B")}).Op(kActionNewObject).Op(kActionSetVariable);
  w.CallMethod("o", "who", {});
  T(w);
  w.Push({S("o")}).Op(kActionGetVariable).Push({S("A")}).Op(kActionGetVariable).Op(kActionInstanceOf);
  T(w);
  w.Push({S("B")}).Op(kActionGetVariable).Op(kActionTypeOf);
  T(w);
  // new Array(3).length, new String("ab").length
  w.Push({I{3}, I{1}, S("Array")}).Op(kActionNewObject).Push({S("length")}).Op(kActionGetMember);
  T(w);
  w.Push({S("ab"), I{1}, S("String")}).Op(kActionNewObject).Push({S("length")}).Op(kActionGetMember);
  T(w);
  EXPECT_EQ(Traced(w), (Lines{"BA8", "true", "function", "3", "2"}));
}

TEST(SwfVmFlow, TryCatchFinallyWithAndThrowsThatEscape) {
  ActionWriter w;
  ActionWriter tryBody, catchBody, finallyBody;
  tryBody.Push({S("in try")});
  T(tryBody).Push({S("oops")}).Op(kActionThrow).Push({S("not reached")});
  T(tryBody);
  catchBody.Push({S("caught "), S("e")}).Op(kActionGetVariable).Op(kActionAdd2);
  T(catchBody);
  finallyBody.Push({S("finally")});
  T(finallyBody);
  w.Try(tryBody, "e", 0, &catchBody, &finallyBody);
  // with ({p: "from with"}) trace(p)
  ActionWriter withBody;
  withBody.Push({S("p")}).Op(kActionGetVariable);
  T(withBody);
  w.Push({S("p"), S("from with"), I{1}}).Op(kActionInitObject).With(withBody);
  // A throw inside a called function is caught by the caller's handler (into register 1).
  ActionWriter thrower;
  thrower.Push({I{42}}).Op(kActionThrow);
  w.DefineFunction("boom", {}, thrower);
  ActionWriter callIt, report;
  callIt.CallFunction("boom", {});
  report.Push({Reg{1}});
  T(report);
  w.DefineFunction2("f", 3, 0, {}, ActionWriter().Try(callIt, "", 1, &report, nullptr));
  w.CallFunction("f", {}).Op(kActionPop);
  // An uncaught throw ends the block.
  w.Push({S("end")}).Op(kActionThrow).Push({S("after")});
  T(w);
  EXPECT_EQ(Traced(w), (Lines{"in try", "caught oops", "finally", "from with", "42"}));
}

TEST(SwfVmBuiltins, ArraysStringsMathAndGlobals) {
  ActionWriter w;
  // a = [3, 1, 10, 2]; a.sort(); a.sort(NUMERIC | DESCENDING); join
  w.Push({S("a"), I{2}, I{10}, I{1}, I{3}, I{4}}).Op(kActionInitArray).Op(kActionSetVariable);
  w.CallMethod("a", "sort", {}).Op(kActionPop).CallMethod("a", "join", {S("-")});
  T(w);
  w.CallMethod("a", "sort", {I{18}}).Op(kActionPop).CallMethod("a", "join", {});
  T(w);
  w.CallMethod("a", "splice", {I{1}, I{2}, S("x")}).Op(kActionPop).CallMethod("a", "toString", {});
  T(w);
  w.CallMethod("a", "slice", {I{-2}});
  T(w);
  w.CallMethod("Math", "max", {I{4}, I{9}, I{2}});
  T(w);
  w.CallMethod("Math", "round", {-2.5});
  T(w);
  w.Push({S("Hello, World")}).Push({S("s")}).Op(kActionStackSwap).Op(kActionSetVariable);
  w.CallMethod("s", "toUpperCase", {});
  T(w);
  w.CallMethod("s", "split", {S(", ")}).Push({S("length")}).Op(kActionGetMember);
  T(w);
  w.CallMethod("s", "substr", {I{-5}, I{3}});
  T(w);
  w.CallMethod("s", "indexOf", {S("o"), I{5}});
  T(w);
  w.CallFunction("parseInt", {S("0x1A")});
  T(w);
  w.CallFunction("parseInt", {S("12px")});
  T(w);
  w.CallFunction("escape", {S("a b&\xC3\xA9")});
  T(w);
  w.CallFunction("unescape", {S("a%20b%C3%A9")});
  T(w);
  w.Push({I{16}, I{1}, I{255}, I{1}, S("Number")}).Op(kActionNewObject).Push({S("toString")}).Op(kActionCallMethod);
  T(w);
  w.Push({I{0}, I{1}, I{1}, I{0}, I{1970}, I{5}, S("Date")}).Op(kActionNewObject).Push({S("d")}).Op(kActionStackSwap);
  w.Op(kActionSetVariable).CallMethod("d", "getFullYear", {});
  T(w);
  w.Push({I{7}, I{-3}}).Op(kActionModulo);
  T(w);
  w.Push({I{-1}, I{28}}).Op(kActionBitURShift);
  T(w);
  EXPECT_EQ(Traced(w), (Lines{"1-10-2-3", "10,3,2,1", "10,x,1", "x,1", "9", "-2", "HELLO, WORLD", "2", "Wor", "8", "26",
                           "12", "a%20b%26%C3%A9", "a b\xC3\xA9", "ff", "1970", "1", "15"}));
}

// The fixed clock tests use: new Date() and the local fields follow it (a date made from it too); a setting that is not
// "MS,MINUTES" leaves the machine's clock (whose year is not 2001).
TEST(SwfVmBuiltins, FixedClockSetsNowAndTheZone) {
  struct Case {
    const char* clock;
    Lines expected;
  };
  const Case cases[] = {
      {"981152406000,345",
       {"Sat Feb 3 04:05:06 GMT+0545 2001", "-345", "4", "Sat Feb 3 04:05:06 GMT+0545 2001", "5"}},
      {"0,-90", {"Wed Dec 31 22:30:00 GMT-0130 1969", "90", "22", "Wed Dec 31 22:30:00 GMT-0130 1969", "5"}},
      {"981152406000", {"false"}},
      {"x,345", {"false"}},
  };
  for (const Case& c : cases) {
    setenv("ZENTRA_MOVIE_CLOCK", c.clock, 1);
    ActionWriter w;
    w.Push({I{0}, S("Date")}).Op(kActionNewObject).Push({S("d")}).Op(kActionStackSwap).Op(kActionSetVariable);
    if (c.expected.size() == 1) {
      w.CallMethod("d", "getFullYear", {}).Push({I{2001}}).Op(kActionEquals2);
      T(w);
    } else {
      w.Push({S("d")}).Op(kActionGetVariable);
      T(w);
      w.CallMethod("d", "getTimezoneOffset", {});
      T(w);
      w.CallMethod("d", "getHours", {});
      T(w);
      // A date made from a date takes its time; a fraction of a millisecond is not shown.
      w.Push({S("d")}).Op(kActionGetVariable).Push({I{1}, S("Date")}).Op(kActionNewObject);
      T(w);
      w.Push({I{0}, 5.5, I{1}, S("Date")}).Op(kActionNewObject).Push({S("getMilliseconds")}).Op(kActionCallMethod);
      T(w);
    }
    EXPECT_EQ(Traced(w), c.expected) << c.clock;
  }
  unsetenv("ZENTRA_MOVIE_CLOCK");
}

TEST(SwfVmBuiltins, NativeTableGivesTheMathFunctions) {
  // ASnative(table, index)(args...), traced: known Math entries, an unknown one (NaN) and an
  // unknown table (undefined, so the call gives undefined too).
  struct Case {
    int32_t table, index;
    std::vector<int32_t> args;
  };
  const Case cases[] = {{200, 0, {-3}}, {200, 17, {2, 10}}, {200, 2, {4, 9}}, {200, 50, {1, 2}}, {7, 0, {1}}};
  ActionWriter w;
  for (const auto& c : cases) {
    for (auto it = c.args.rbegin(); it != c.args.rend(); ++it) w.Push({I{*it}});
    w.Push({I{static_cast<int32_t>(c.args.size())}, I{c.index}, I{c.table}, I{2}, S("ASnative")});
    w.Op(kActionCallFunction).Push({std::monostate{}}).Op(kActionCallMethod);
    T(w);
  }
  EXPECT_EQ(Traced(w), (Lines{"3", "1024", "9", "NaN", "undefined"}));
}

TEST(SwfVmVariables, VersionFourHasNoSpecialNames) {
  // trace(this), trace(_root), trace(_global); then each set as a variable and traced again;
  // a path through _root still reaches the root's variable.
  ActionWriter w;
  const char* names[] = {"this", "_root", "_global"};
  for (const char* n : names) T(w.Push({S(n)}).Op(kActionGetVariable));
  for (const char* n : names) w.SetVariable(n, S(std::string("set ") + n));
  for (const char* n : names) T(w.Push({S(n)}).Op(kActionGetVariable));
  T(w.Push({S("_root:_root")}).Op(kActionGetVariable));
  EXPECT_EQ(Traced(w, 4), (Lines{"undefined", "undefined", "undefined", "set this", "set _root", "set _global",
                                 "set _root"}));
  ActionWriter later;
  T(later.Push({S("this")}).Op(kActionGetVariable).Op(kActionTypeOf));
  EXPECT_EQ(Traced(later, 5), Lines{"movieclip"});
}

TEST(SwfVmValues, ObjectsKeptByValueOfJoinTextButNotArithmetic) {
  // o = {toString: function () { return "X"; }}: Object's valueOf gives o itself, so only a
  // join with text calls toString; sums are NaN and comparisons false.
  ActionWriter toString;
  toString.Push({S("X")}).Op(kActionReturn);
  ActionWriter w;
  w.Push({S("o"), S("toString")}).DefineFunction("", {}, toString).Push({I{1}}).Op(kActionInitObject);
  w.Op(kActionSetVariable);
  auto o = [&] { w.Push({S("o")}).Op(kActionGetVariable); };
  o(), w.Push({S("s")}).Op(kActionAdd2), T(w);
  o(), o(), w.Op(kActionAdd2), T(w);
  w.Push({I{1}}), o(), w.Op(kActionAdd2), T(w);
  o(), w.Push({S("a")}).Op(kActionLess2), T(w);
  w.Push({S("a")}), o(), w.Op(kActionLess2), T(w);
  EXPECT_EQ(Traced(w, 7), (Lines{"Xs", "NaN", "NaN", "false", "false"}));
}

TEST(SwfVmBudgets, RunawayScriptsStopAndGarbageIsCollected) {
  // Unbounded recursion stops at the call depth; the next block runs normally.
  TraceHost host;
  Vm vm(8, host);
  ActionWriter recurse;
  recurse.CallFunction("r", {}).Op(kActionReturn);
  ActionWriter w;
  w.DefineFunction("r", {}, recurse).CallFunction("r", {}).Push({S("not reached")}).Trace();
  EXPECT_FALSE(vm.RunBlock(w.Finish(), vm.root(), 1000000).completed);
  // A huge array, or a loop that makes objects without end, stops at its budget.
  ActionWriter big;
  big.Push({S("a"), I{0}, S("Array")}).Op(kActionNewObject).Op(kActionSetVariable);
  big.Push({S("a")}).Op(kActionGetVariable).Push({S("length"), 1e9}).Op(kActionSetMember);
  EXPECT_FALSE(vm.RunBlock(big.Finish(), vm.root(), 1000).completed);
  ActionWriter garbage;
  garbage.Mark("x").Push({I{0}}).Op(kActionInitObject).Op(kActionPop).Jump("x");
  EXPECT_FALSE(vm.RunBlock(garbage.Finish(), vm.root(), 200000).completed);
  ActionWriter ok;
  ok.Push({S("a")}).Op(kActionGetVariable).Push({S("length")}).Op(kActionGetMember).Trace();
  EXPECT_TRUE(vm.RunBlock(ok.Finish(), vm.root(), 1000).completed);
  EXPECT_EQ(host.lines, (Lines{"0"}));
  // The loop's objects are garbage once it ended; the array the root keeps survives.
  const size_t before = vm.heap().Count();
  vm.Collect();
  EXPECT_LT(vm.heap().Count() + 40000, before);
  EXPECT_TRUE(vm.GetVariable(u"a").IsObject());
}

TEST(SwfVmBudgets, ArbitraryBytesNeverCrash) {
  TraceHost host;
  Vm vm(8, host);
  uint32_t seed = 12345;
  for (int round = 0; round < 2000; ++round) {
    std::vector<uint8_t> block(1 + round % 97);
    for (auto& b : block) {
      seed = seed * 1103515245 + 12345;
      b = static_cast<uint8_t>(seed >> 16);
    }
    vm.RunBlock(block, vm.root(), 5000);
  }
  vm.Collect();
  SUCCEED();
}

}  // namespace
}  // namespace zp::swf
