#include "core/inflating_source.h"
#include "core/zlib_codec.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include <zlib.h>

#include "test_files.h"

namespace {
// The largest single request to operator new since it was last set to 0: lets a test see
// whether a size read from the input was allocated before the input backed it.
std::atomic<size_t> largestAllocation {0};
}  // namespace

// Kept out of line: inlined into the containers' code, the pairing of malloc and free behind
// them reads to the compiler as a mismatch and an allocation of unknown extent.
[[gnu::noinline]] void* operator new(size_t size) {
  size_t seen = largestAllocation.load();
  while (size > seen && !largestAllocation.compare_exchange_weak(seen, size)) {}
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* memory) noexcept { std::free(memory); }
[[gnu::noinline]] void operator delete(void* memory, size_t) noexcept { std::free(memory); }

namespace zp {
namespace {

TEST(ZlibCodec, RoundTripsAtTheDeclaredSize) {
  for (size_t size : {0u, 1u, 4095u, 4096u, 300000u}) {
    const auto data = test::RandomBytes(size, static_cast<uint32_t>(size));
    const auto stream = Deflate(data);
    const auto back = InflateExact(stream, static_cast<uint32_t>(size));
    ASSERT_TRUE(back.has_value()) << size;
    EXPECT_EQ(*back, data);
  }
}

TEST(ZlibCodec, HighlyCompressibleDataGrowsPastTheFirstGuess) {
  const test::Bytes zeros(20 * 1024 * 1024, 0);
  const auto stream = Deflate(zeros);
  ASSERT_LT(stream.size(), 100000u);
  const auto back = InflateExact(stream, static_cast<uint32_t>(zeros.size()));
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->size(), zeros.size());
}

TEST(ZlibCodec, SizeMismatchFails) {
  const auto data = test::RandomBytes(1000, 7);
  const auto stream = Deflate(data);
  EXPECT_FALSE(InflateExact(stream, 999));
  EXPECT_FALSE(InflateExact(stream, 1001));
}

TEST(ZlibCodec, HugeDeclaredSizeFailsWithoutGiantAllocation) {
  const auto stream = Deflate(test::RandomBytes(100, 8));
  // A 4 GiB claim backed by 100 bytes fails, and the claim is never allocated.
  largestAllocation = 0;
  EXPECT_FALSE(InflateExact(stream, 0xFFFFFFFFu));
  EXPECT_LT(largestAllocation, size_t {1} << 20);
  // The watch does see the buffer of a stream that backs its size.
  const std::vector<uint8_t> zeros(4u << 20, 0);
  const auto backed = Deflate(zeros);
  largestAllocation = 0;
  EXPECT_TRUE(InflateExact(backed, static_cast<uint32_t>(zeros.size())));
  EXPECT_GE(largestAllocation, zeros.size());
}

TEST(ZlibCodec, CorruptOrTruncatedStreamsFail) {
  const auto data = test::RandomBytes(5000, 9);
  auto stream = Deflate(data);
  EXPECT_FALSE(InflateExact(std::span(stream).first(stream.size() / 2), 5000));
  EXPECT_FALSE(InflateExact({}, 5000));
  auto corrupt = stream;
  corrupt[corrupt.size() / 2] ^= 0x55;
  EXPECT_FALSE(InflateExact(corrupt, 5000));
  auto badChecksum = stream;
  // The stream is megabytes long; the compiler cannot see that the copy is not empty.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
  badChecksum.back() ^= 1;
#pragma GCC diagnostic pop
  EXPECT_FALSE(InflateExact(badChecksum, 5000));
}

TEST(ZlibCodec, BytesAfterTheStreamAreIgnored) {
  const auto data = test::RandomBytes(777, 10);
  const auto padded = test::Concat({Deflate(data), test::RandomBytes(500, 11)});
  const auto back = InflateExact(padded, 777);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(*back, data);
}

// The bytes deflated as one stream at `level`, with a flush of the given kind every `block`
// bytes (none for 0).
test::Bytes Flushed(const test::Bytes& data, size_t block, int flush, int level = Z_DEFAULT_COMPRESSION) {
  z_stream z {};
  deflateInit(&z, level);
  test::Bytes out(deflateBound(&z, data.size()) + 5 * (data.size() / std::max<size_t>(block, 1) + 1) + 64);
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  for (size_t at = 0; at < data.size() || at == 0;) {
    const size_t step = block == 0 ? data.size() : std::min(block, data.size() - at);
    z.next_in = const_cast<Bytef*>(data.data() + at);
    z.avail_in = static_cast<uInt>(step);
    at += step;
    deflate(&z, at >= data.size() ? Z_FINISH : flush);
    if (at >= data.size()) break;
  }
  out.resize(out.size() - z.avail_out);
  deflateEnd(&z);
  return out;
}

// Text-like bytes, with the flush marker's own bytes every 100000 bytes.
test::Bytes TextLike(size_t size) {
  test::Bytes data;
  uint32_t state = 7;
  static const char* words[] = {"slide ", "movie ", "of ", "window ", "\n"};
  while (data.size() < size) {
    state = state * 1103515245 + 12345;
    for (const char* c = words[(state >> 16) % 5]; *c; ++c) data.push_back(static_cast<uint8_t>(*c));
  }
  data.resize(size);
  for (size_t at = 50000; at + 4 < size; at += 100000) {
    data[at] = data[at + 1] = 0x00;
    data[at + 2] = data[at + 3] = 0xFF;
  }
  return data;
}

TEST(ZlibCodec, InflatingAsReadGivesTheStreamWhetherItsSecondHalfIsInflatedAheadOrNot) {
  // Reads and passes over bytes on both sides of the middle, where a second thread takes over
  // when the stream has a true flush point there; damage found on either side fails the read.
  const test::Bytes data = TextLike(9 << 20);
  const uint64_t size = data.size();
  for (const auto& [block, flush, level] : {std::tuple {1 << 20, Z_FULL_FLUSH, Z_DEFAULT_COMPRESSION},
                                            std::tuple {1 << 20, Z_SYNC_FLUSH, Z_DEFAULT_COMPRESSION},
                                            std::tuple {0, Z_NO_FLUSH, Z_NO_COMPRESSION}}) {
    const test::Bytes stream = Flushed(data, static_cast<size_t>(block), flush, level);
    test::Bytes corruptEarly = stream, corruptLate = stream, badChecksum = stream;
    corruptEarly[stream.size() / 8] ^= 0x55;
    corruptLate[stream.size() * 7 / 8] ^= 0x55;
    badChecksum[stream.size() - 1] ^= 1;
    const test::Bytes cut(stream.begin(), stream.end() - 4);
    for (const bool ahead : {false, true}) {
      SCOPED_TRACE(testing::Message() << "block " << block << ", flush " << flush << ", ahead " << ahead);
      InflatingSource source(stream, size, ahead);
      test::Bytes piece(1000);
      for (const uint64_t at : {uint64_t {0}, uint64_t {3} << 20, uint64_t {5} << 20, size - 1000}) {
        ASSERT_TRUE(source.Skip(at - source.position()));
        ASSERT_EQ(source.Read(piece), piece.size());
        EXPECT_TRUE(std::equal(piece.begin(), piece.end(), data.begin() + static_cast<ptrdiff_t>(at))) << at;
      }
      EXPECT_TRUE(source.EndsWhole());
      using Damaged = std::pair<const test::Bytes*, uint64_t>;
      for (const auto& [damaged, declared] : {Damaged {&corruptEarly, size}, Damaged {&corruptLate, size},
                                              Damaged {&badChecksum, size}, Damaged {&cut, size},
                                              Damaged {&stream, size - 1}, Damaged {&stream, size + 1}}) {
        InflatingSource broken(*damaged, declared, ahead);
        broken.Skip(declared / 2);
        EXPECT_FALSE(broken.EndsWhole()) << damaged->size() << " " << declared;
      }
    }
  }
}

TEST(ZlibCodec, AFlushedStreamDamagedAfterItsFirstBlocksOrMisdeclaredYieldsNothing) {
  const test::Bytes data = TextLike(4 << 20);
  const uint32_t size = static_cast<uint32_t>(data.size());
  const test::Bytes stream = Flushed(data, 1 << 20, Z_FULL_FLUSH);
  auto badChecksum = stream;
  // The stream is megabytes long; the compiler cannot see that the copy is not empty.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
  badChecksum.back() ^= 1;
#pragma GCC diagnostic pop
  auto corruptLate = stream;
  corruptLate[stream.size() * 7 / 8] ^= 0x55;
  const std::pair<test::Bytes, uint32_t> cases[] = {
      {badChecksum, size}, {corruptLate, size}, {test::Bytes(stream.begin(), stream.end() - 4), size},
      {test::Bytes(stream.begin(), stream.begin() + static_cast<ptrdiff_t>(stream.size() * 3 / 4)), size},
      {stream, size - 1}, {stream, size + 1}};
  for (const auto& [bytes, declared] : cases) {
    EXPECT_FALSE(InflateExact(bytes, declared).has_value()) << bytes.size() << " " << declared;
  }
}

}  // namespace
}  // namespace zp
