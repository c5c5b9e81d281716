// Runs arbitrary bytes as action blocks on one machine, the way a movie's frames would, with a
// small budget per block, then collects: the interpreter must stay in bounds whatever it reads.
#include <cstdint>
#include <span>

#include "core/swf/swf_vm.h"
#include "quiet_action_host.h"


extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  zp::swfgen::QuietActionHost host;
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
