// One-shot zlib inflation and deflation of package payloads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace zp {

// Inflates one zlib stream that must produce exactly `inflatedSize` bytes. Bytes after the end
// of the stream are ignored. The output grows with what the stream really yields, so a header
// that declares a huge size costs nothing unless the stream backs it up. A corrupt, truncated,
// short or overlong stream yields nothing.
std::optional<std::vector<uint8_t>> InflateExact(std::span<const uint8_t> stream, uint32_t inflatedSize);

// The same, appending the bytes to `out` (which keeps what it held, a header for one), on up to
// `threads` threads when the stream is large and has full-flush points, as the packer writes
// them between its blocks: the stretches between such points are inflated side by side and
// joined only when they prove to be the one stream (each stretch stands on its own, they meet
// at block boundaries, and the Adler-32 of the whole matches). Otherwise, or when no thread can
// be started, one thread inflates it. Returns how many stretches were inflated side by side (1
// when one thread did it all), or 0, with `out` as it was, where InflateExact yields nothing.
size_t InflateExactOnto(std::span<const uint8_t> stream, uint32_t inflatedSize, std::vector<uint8_t>& out,
                        unsigned threads);

// Where a zlib stream can be cut into `count` stretches that inflate on their own: 0, then just
// after a full-flush point found at or after each even share of the stream (the packer writes
// one between its blocks). Fewer than `count` when the stream has too few. A point is only
// likely: whoever inflates from it checks that the stream before it ends there between blocks.
std::vector<size_t> FlushSplitPoints(std::span<const uint8_t> stream, unsigned count);

// A zlib stream (header, deflate data, Adler-32) of the bytes, at the best compression.
std::vector<uint8_t> Deflate(std::span<const uint8_t> bytes);

}  // namespace zp
