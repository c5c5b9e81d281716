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

// Where a zlib stream can be cut into `count` stretches that inflate on their own: 0, then just
// after a full-flush point found at or after each even share of the stream (the packer writes
// one between its blocks). Fewer than `count` when the stream has too few. A point is only
// likely: whoever inflates from it checks that the stream before it ends there between blocks.
std::vector<size_t> FlushSplitPoints(std::span<const uint8_t> stream, unsigned count);

// A zlib stream (header, deflate data, Adler-32) of the bytes, at the best compression.
std::vector<uint8_t> Deflate(std::span<const uint8_t> bytes);

}  // namespace zp
