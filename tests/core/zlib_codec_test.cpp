#include "core/zlib_codec.h"

#include <gtest/gtest.h>

#include "test_files.h"

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
  // A 4 GiB claim backed by 100 bytes: fails at once (an allocation of the claim would not).
  EXPECT_FALSE(InflateExact(stream, 0xFFFFFFFFu));
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
