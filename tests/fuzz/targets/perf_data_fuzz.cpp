// The performance-data readers over arbitrary bytes: they must never read outside them.
#include <cstdint>
#include <span>

#include "core/support/perf_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span bytes(data, size);
  zp::support::FindCounterIndex(bytes, u"Process");
  // The last four bytes choose the object index, so that objects the fuzzer finds get searched.
  const uint8_t* last = data + (size >= 4 ? size - 4 : 0);
  const uint32_t index = size >= 4 ? last[0] | last[1] << 8 | last[2] << 16 | uint32_t(last[3]) << 24 : 230;
  zp::support::FindProcessInstance(bytes, index, u"setup");
  zp::support::FindProcessInstance(bytes, 230, u"averyveryverylongname");
  return 0;
}
