#include "core/zlib_codec.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

namespace zp {

std::optional<std::vector<uint8_t>> InflateExact(std::span<const uint8_t> stream, uint32_t inflatedSize) {
  z_stream z {};
  if (inflateInit(&z) != Z_OK) return std::nullopt;
  // Deflate cannot expand data by more than about 1032:1, which bounds the first guess.
  constexpr size_t kMaxRatio = 1032;
  // One byte beyond the declared size lets an overlong stream show itself.
  const size_t limit = static_cast<size_t>(inflatedSize) + 1;
  const size_t firstGuess = std::min<size_t>(limit, std::max<size_t>(stream.size(), 4096) * 4);
  std::vector<uint8_t> out(firstGuess);
  size_t produced = 0;
  size_t consumed = 0;
  int status = Z_OK;
  while (status == Z_OK) {
    if (produced == out.size()) {
      if (out.size() >= limit) break;  // the stream wants more room than declared
      const size_t room = std::min<size_t>(limit, std::max<size_t>(out.size() * 2, 4096));
      out.resize(std::min<size_t>(room, std::max<size_t>(stream.size() - consumed, 1) * kMaxRatio + out.size()));
    }
    constexpr size_t kChunk = std::numeric_limits<uInt>::max();
    z.next_in = const_cast<Bytef*>(stream.data() + consumed);
    z.avail_in = static_cast<uInt>(std::min(stream.size() - consumed, kChunk));
    z.next_out = out.data() + produced;
    z.avail_out = static_cast<uInt>(std::min(out.size() - produced, kChunk));
    const uInt inBefore = z.avail_in;
    const uInt outBefore = z.avail_out;
    status = inflate(&z, Z_NO_FLUSH);
    consumed += inBefore - z.avail_in;
    produced += outBefore - z.avail_out;
    if (status == Z_BUF_ERROR && z.avail_out == 0) status = Z_OK;  // only needs more room
    if (status == Z_OK && inBefore == z.avail_in && outBefore == z.avail_out) break;  // no progress
  }
  inflateEnd(&z);
  if (status != Z_STREAM_END || produced != inflatedSize) return std::nullopt;
  out.resize(produced);
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
