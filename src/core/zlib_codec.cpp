#include "core/zlib_codec.h"

#include <zlib.h>

#include <algorithm>
#include <limits>
#include <system_error>
#include <thread>

namespace zp {

namespace {

// Deflate cannot expand data by more than about 1032:1, which bounds every guess of room.
constexpr size_t kMaxRatio = 1032;
// Below this many inflated bytes one thread is done about as soon as several are started.
constexpr size_t kSmallestSplitOutput = 4u << 20;
constexpr unsigned kMostThreads = 8;
// An empty stored block, as a full flush ends a block with: LEN 0, NLEN 0xFFFF.
constexpr uint8_t kFlushMarker[] = {0x00, 0x00, 0xFF, 0xFF};
// What inflate's data_type says at a block boundary on a byte boundary, before the last block.
constexpr int kBetweenBlocks = 128;

// One inflation run over `input`, appending to `out` at most `limit` bytes in all (counting what
// `out` held before). With `flush` Z_BLOCK it returns at block boundaries, so that data_type
// tells whether the input ended between two blocks.
struct InflateRun {
  int status = Z_OK;
  size_t consumed = 0;
  int dataType = 0;
};

InflateRun Inflate(z_stream& z, std::span<const uint8_t> input, std::vector<uint8_t>& out, size_t limit, int flush) {
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
    run.status = inflate(&z, flush);
    run.consumed += inBefore - z.avail_in;
    produced += outBefore - z.avail_out;
    if (run.status == Z_BUF_ERROR && z.avail_out == 0) run.status = Z_OK;  // only needs more room
    const bool progress = inBefore != z.avail_in || outBefore != z.avail_out;
    // A call that can do nothing leaves a state that no longer says where the last one stopped.
    if (progress) run.dataType = z.data_type;
    if (run.status == Z_OK && !progress) break;
  }
  out.resize(produced);
  return run;
}

std::optional<uint32_t> BigEndian32(std::span<const uint8_t> bytes, size_t at) {
  if (at > bytes.size() || bytes.size() - at < 4) return std::nullopt;
  return static_cast<uint32_t>(bytes[at]) << 24 | static_cast<uint32_t>(bytes[at + 1]) << 16 |
         static_cast<uint32_t>(bytes[at + 2]) << 8 | bytes[at + 3];
}

// One stretch of the stream between two flush points, inflated on its own.
struct Part {
  size_t begin = 0;  // in the stream; the first part begins with the zlib header
  size_t end = 0;
  std::vector<uint8_t> bytes;
  uLong adler = 0;
  bool ok = false;
};

// The first part is inflated as the start of a zlib stream, the others raw: a raw inflater
// that meets a distance reaching back before its own start fails, so a part that inflates
// cleanly needed nothing of the parts before it. Every part but the last must end exactly
// between two blocks; the last must end the stream.
void InflatePart(std::span<const uint8_t> stream, Part& part, bool first, bool last, size_t limit) {
  z_stream z {};
  if ((first ? inflateInit(&z) : inflateInit2(&z, -MAX_WBITS)) != Z_OK) return;
  const std::span<const uint8_t> input = stream.subspan(part.begin, part.end - part.begin);
  const InflateRun run = Inflate(z, input, part.bytes, limit, last ? Z_NO_FLUSH : Z_BLOCK);
  inflateEnd(&z);
  if (last) {
    // The raw inflater leaves the stream's Adler-32 unread: it is checked over all the parts.
    part.ok = run.status == Z_STREAM_END && input.size() - run.consumed >= 4;
    part.end = part.begin + run.consumed;
  } else {
    // Out of input, inflate reports Z_BUF_ERROR on the call after the last block's end.
    part.ok = (run.status == Z_OK || run.status == Z_BUF_ERROR) && run.consumed == input.size() &&
              run.dataType == kBetweenBlocks;
  }
  if (part.ok) part.adler = adler32_z(adler32(0, nullptr, 0), part.bytes.data(), part.bytes.size());
}

// Whether raw inflation from `at` gets going: the marker's bytes also turn up inside stored
// data, and what follows them there is seldom a few kilobytes of valid deflate.
bool StartsABlock(std::span<const uint8_t> stream, size_t at) {
  constexpr size_t kProbeOutput = 4096;
  z_stream z {};
  if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return false;
  std::vector<uint8_t> out;
  const InflateRun run = Inflate(z, stream.subspan(at, std::min<size_t>(stream.size() - at, 1u << 16)), out,
                                 kProbeOutput, Z_NO_FLUSH);
  inflateEnd(&z);
  return (run.status == Z_OK || run.status == Z_STREAM_END || run.status == Z_BUF_ERROR) &&
         (out.size() == kProbeOutput || run.status == Z_STREAM_END);
}

// Inflates the parts on threads of their own, the first on this one, and joins them onto
// `out`. False when the stream does not split cleanly there; `out` is then as it was.
size_t InflateInParts(std::span<const uint8_t> stream, uint32_t inflatedSize, std::vector<uint8_t>& out,
                      unsigned threads) {
  const std::vector<size_t> points = FlushSplitPoints(stream, threads);
  if (points.size() < 2) return 0;
  const size_t limit = static_cast<size_t>(inflatedSize) + 1;
  std::vector<Part> parts(points.size());
  for (size_t i = 0; i < parts.size(); ++i) {
    parts[i].begin = points[i];
    parts[i].end = i + 1 < points.size() ? points[i + 1] : stream.size();
  }
  std::vector<std::thread> workers;
  try {
    for (size_t i = 1; i < parts.size(); ++i) {
      workers.emplace_back(InflatePart, stream, std::ref(parts[i]), false, i + 1 == parts.size(), limit);
    }
  } catch (const std::system_error&) {
    // No thread to be had: the parts already started finish, and the caller inflates alone.
    for (std::thread& worker : workers) worker.join();
    return 0;
  }
  InflatePart(stream, parts[0], true, false, limit);
  for (std::thread& worker : workers) worker.join();

  uLong adler = adler32(0, nullptr, 0);
  size_t total = 0;
  for (const Part& part : parts) {
    if (!part.ok) return 0;
    adler = adler32_combine(adler, part.adler, static_cast<z_off_t>(part.bytes.size()));
    total += part.bytes.size();
  }
  if (total != inflatedSize || BigEndian32(stream, parts.back().end) != static_cast<uint32_t>(adler)) return 0;
  out.reserve(out.size() + total);
  for (const Part& part : parts) out.insert(out.end(), part.bytes.begin(), part.bytes.end());
  return parts.size();
}

bool InflateWhole(std::span<const uint8_t> stream, uint32_t inflatedSize, std::vector<uint8_t>& out) {
  const size_t before = out.size();
  z_stream z {};
  if (inflateInit(&z) != Z_OK) return false;
  // One byte beyond the declared size lets an overlong stream show itself.
  const InflateRun run = Inflate(z, stream, out, before + inflatedSize + 1, Z_NO_FLUSH);
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
  if (InflateExactOnto(stream, inflatedSize, out, 1) == 0) return std::nullopt;
  return out;
}

size_t InflateExactOnto(std::span<const uint8_t> stream, uint32_t inflatedSize, std::vector<uint8_t>& out,
                        unsigned threads) {
  threads = std::min(threads, kMostThreads);
  if (threads > 1 && inflatedSize >= kSmallestSplitOutput) {
    if (const size_t parts = InflateInParts(stream, inflatedSize, out, threads)) return parts;
  }
  return InflateWhole(stream, inflatedSize, out) ? 1 : 0;
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
