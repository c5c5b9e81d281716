// The action machine on a tight loop of about 10 million simple actions (compare, increment,
// jump, in a function's registers) against the same loop written in C++. Goal: at most 10x.
#include <benchmark/benchmark.h>

#include "core/swf/swf_vm.h"
#include "ratio_reporter.h"
#include "quiet_action_host.h"
#include "swf_writer.h"

namespace {

// Nine actions per round: push, less, not, if, push, increment, store, pop, jump.
constexpr int32_t kRounds = 10000000 / 9;

std::vector<uint8_t> LoopBlock() {
  using zp::swfgen::ActionWriter;
  using Reg = ActionWriter::Register;
  ActionWriter body;
  body.Push({int32_t{0}}).StoreRegister(1).Op(0x17);
  body.Mark("top").Push({Reg{1}, kRounds}).Op(0x48).Op(0x12).If("done");
  body.Push({Reg{1}}).Op(0x50).StoreRegister(1).Op(0x17).Jump("top");
  body.Mark("done").Push({Reg{1}}).Op(0x3E);
  ActionWriter w;
  w.DefineFunction2("loop", 2, 0, {}, body);
  w.CallFunction("loop", {}).Op(0x17);
  return w.Finish();
}

void ActionLoop(benchmark::State& state) {
  zp::swfgen::QuietActionHost host;
  zp::swf::Vm vm(8, host);
  const auto block = LoopBlock();
  for (auto _ : state) {
    const auto result = vm.RunBlock(block, vm.root(), 20000000);
    benchmark::DoNotOptimize(result.executed);
    if (!result.completed || result.executed < 10000000) state.SkipWithError("the loop did not run to its end");
  }
}

void NativeLoop(benchmark::State& state) {
  for (auto _ : state) {
    // The counter lives in memory, as a register of the machine does, so the compiler keeps
    // every compare, increment and jump.
    volatile double i = 0;
    while (i < kRounds) i = i + 1;
    benchmark::DoNotOptimize(i);
  }
}

BENCHMARK(NativeLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(ActionLoop)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return zp::bench::RunWithRatios(argc, argv, {{"ActionLoop", "NativeLoop"}}); }
