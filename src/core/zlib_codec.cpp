#include "core/zlib_codec.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

namespace zp {

namespace {

// Deflate cannot expand data by more than about 1032:1, which bounds every guess of room.
constexpr size_t kMaxRatio = 1032;
// An empty stored block, as a full flush ends a block with: LEN 0, NLEN 0xFFFF.
constexpr uint8_t kFlushMarker[] = {0x00, 0x00, 0xFF, 0xFF};

// One inflation run over `input`, appending to `out` at most `limit` bytes in all (counting what
// `out` held before).
struct InflateRun {
  int status = Z_OK;
  size_t consumed = 0;
};

InflateRun Inflate(z_stream& z, std::span<const uint8_t> input, std::vector<uint8_t>& out, size_t limit) {
  InflateRun run;
  size_t produced = out.size();
  const size_t firstGuess = std::min<size_t>(limit, produced + std::max<size_t>(input.size(), 4096) * 4);
  out.resize(std::max(produced, firstGuess));
  while (run.status == Z_OK) {
    if (produced == out.size()) {
      if (out.size() >= limit) break;  // the stream wants more room than declared
      const size_t room = std::min<size_t>(limit, std::max<size_t>(out.size() * 2, 4096));
      out.resize(std::min<size_t>(room, std::max<size_t>(input.size() - run.consumed, 1) * kMaxRatio + out.size()));
    }
    constexpr size_t kChunk = std::numeric_limits<uInt>::max();
    z.next_in = const_cast<Bytef*>(input.data() + run.consumed);
    z.avail_in = static_cast<uInt>(std::min(input.size() - run.consumed, kChunk));
    z.next_out = out.data() + produced;
    z.avail_out = static_cast<uInt>(std::min(out.size() - produced, kChunk));
    const uInt inBefore = z.avail_in;
    const uInt outBefore = z.avail_out;
    run.status = inflate(&z, Z_NO_FLUSH);
    run.consumed += inBefore - z.avail_in;
    produced += outBefore - z.avail_out;
    if (run.status == Z_BUF_ERROR && z.avail_out == 0) run.status = Z_OK;  // only needs more room
    const bool progress = inBefore != z.avail_in || outBefore != z.avail_out;
    if (run.status == Z_OK && !progress) break;
  }
  out.resize(produced);
  return run;
}

// Whether raw inflation from `at` gets going: the marker's bytes also turn up inside stored
// data, and what follows them there is seldom a few kilobytes of valid deflate.
bool StartsABlock(std::span<const uint8_t> stream, size_t at) {
  constexpr size_t kProbeOutput = 4096;
  z_stream z {};
  if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return false;
  std::vector<uint8_t> out;
  const InflateRun run = Inflate(z, stream.subspan(at, std::min<size_t>(stream.size() - at, 1u << 16)), out,
                                 kProbeOutput);
  inflateEnd(&z);
  return (run.status == Z_OK || run.status == Z_STREAM_END || run.status == Z_BUF_ERROR) &&
         (out.size() == kProbeOutput || run.status == Z_STREAM_END);
}

bool InflateWhole(std::span<const uint8_t> stream, uint32_t inflatedSize, std::vector<uint8_t>& out) {
  const size_t before = out.size();
  z_stream z {};
  if (inflateInit(&z) != Z_OK) return false;
  // One byte beyond the declared size lets an overlong stream show itself.
  const InflateRun run = Inflate(z, stream, out, before + inflatedSize + 1);
  inflateEnd(&z);
  if (run.status == Z_STREAM_END && out.size() - before == inflatedSize) return true;
  out.resize(before);
  return false;
}

}  // namespace

std::vector<size_t> FlushSplitPoints(std::span<const uint8_t> stream, unsigned count) {
  std::vector<size_t> points {0};
  auto from = stream.begin();
  for (unsigned i = 1; i < count; ++i) {
    from = std::max(from, stream.begin() + static_cast<ptrdiff_t>(stream.size() / count * i));
    for (;;) {
      from = std::search(from, stream.end(), std::begin(kFlushMarker), std::end(kFlushMarker));
      if (from == stream.end()) return points;
      from += sizeof kFlushMarker;
      if (StartsABlock(stream, static_cast<size_t>(from - stream.begin()))) break;
    }
    points.push_back(static_cast<size_t>(from - stream.begin()));
  }
  return points;
}

std::optional<std::vector<uint8_t>> InflateExact(std::span<const uint8_t> stream, uint32_t inflatedSize) {
  std::vector<uint8_t> out;
  if (!InflateWhole(stream, inflatedSize, out)) return std::nullopt;
  return out;
}

std::vector<uint8_t> Deflate(std::span<const uint8_t> bytes) {
  uLongf capacity = compressBound(static_cast<uLong>(bytes.size()));
  std::vector<uint8_t> out(capacity);
  if (compress2(out.data(), &capacity, bytes.data(), static_cast<uLong>(bytes.size()), Z_BEST_COMPRESSION) != Z_OK) {
    return {};
  }
  out.resize(capacity);
  return out;
}

}  // namespace zp
