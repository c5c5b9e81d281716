// Runs arbitrary bytes as action blocks on one machine, the way a movie's frames would, with a
// small budget per block, then collects: the interpreter must stay in bounds whatever it reads.
#include <cstdint>
#include <span>

#include "core/swf/swf_vm.h"

namespace {

class QuietHost : public zp::swf::ActionHost {
 public:
  void Play() override {}
  void Stop() override {}
  void NextFrame() override {}
  void PrevFrame() override {}
  void GotoFrame(uint32_t) override {}
  void GotoLabel(std::u16string_view) override {}
  void GetUrl(std::u16string_view, std::u16string_view) override {}
  zp::swf::Value GetVariable(std::u16string_view) override { return {}; }
  void SetVariable(std::u16string_view, zp::swf::Value) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  QuietHost host;
  // The first byte picks the movie version: conversions and name matching depend on it.
  zp::swf::Vm vm(static_cast<uint8_t>(4 + data[0] % 6), host);
  const std::span<const uint8_t> code(data + 1, size - 1);
  vm.RunBlock(code, vm.root(), 20000);
  vm.RunBlock(code, vm.root(), 20000);  // again, over what the first run left behind
  vm.SetClock(100000);
  vm.RunTimers(20000);
  vm.Collect();
  return 0;
}
