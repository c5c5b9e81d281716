// Inflation on several threads, and inflation as the bytes are asked for, against inflation
// on one thread at once, over arbitrary streams: the first four bytes give the declared size
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
  std::vector<uint8_t> together {0xAB};
  const size_t parts = zp::InflateExactOnto(stream, declared, together, 4);
  if (alone.has_value() != (parts != 0)) std::abort();
  zp::InflatingSource source(stream, declared);
  std::vector<uint8_t> streamed;
  uint8_t piece[4099];
  for (size_t step = 1, got = 0; (got = source.Read(std::span<uint8_t>(piece, step))) > 0; step = step * 3 % 4099 + 1) {
    streamed.insert(streamed.end(), piece, piece + got);
  }
  if (source.EndsWhole() != alone.has_value() || (alone && streamed != *alone)) std::abort();
  if (!alone) {
    if (together != std::vector<uint8_t> {0xAB}) std::abort();
    return 0;
  }
  if (together.size() != alone->size() + 1 || !std::equal(alone->begin(), alone->end(), together.begin() + 1)) {
    std::abort();
  }
  return 0;
}
