// Inflation as the bytes are asked for, with and without the second half inflated ahead,
// against inflation at once, over arbitrary streams: the first four bytes give the declared size
// (below 64 MiB), the rest is the stream. All must agree on whether it inflates and on every
// byte.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "core/inflating_source.h"
#include "core/zlib_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const uint32_t declared = (data[0] | data[1] << 8 | data[2] << 16 | static_cast<uint32_t>(data[3]) << 24) % (64u << 20);
  const std::span<const uint8_t> stream(data + 4, size - 4);
  const auto alone = zp::InflateExact(stream, declared);
  for (const bool ahead : {false, true}) {
    zp::InflatingSource source(stream, declared, ahead);
    std::vector<uint8_t> streamed;
    uint8_t piece[4099];
    for (size_t step = 1, got = 0; (got = source.Read(std::span<uint8_t>(piece, step))) > 0;
         step = step * 3 % 4099 + 1) {
      streamed.insert(streamed.end(), piece, piece + got);
    }
    if (source.EndsWhole() != alone.has_value() || (alone && streamed != *alone)) std::abort();
  }
  return 0;
}
