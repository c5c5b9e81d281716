#include "core/zlib_codec.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "test_files.h"

namespace {
// The largest single request to operator new since it was last set to 0: lets a test see
// whether a size read from the input was allocated before the input backed it.
std::atomic<size_t> largestAllocation {0};
}  // namespace

void* operator new(size_t size) {
  size_t seen = largestAllocation.load();
  while (size > seen && !largestAllocation.compare_exchange_weak(seen, size)) {}
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, size_t) noexcept { std::free(memory); }

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
  badChecksum.back() ^= 1;
  EXPECT_FALSE(InflateExact(badChecksum, 5000));
}

TEST(ZlibCodec, BytesAfterTheStreamAreIgnored) {
  const auto data = test::RandomBytes(777, 10);
  const auto padded = test::Concat({Deflate(data), test::RandomBytes(500, 11)});
  const auto back = InflateExact(padded, 777);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(*back, data);
}

}  // namespace
}  // namespace zp
