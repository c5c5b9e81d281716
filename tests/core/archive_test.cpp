#include "core/document/archive.h"

#include <gtest/gtest.h>

#include <vector>

namespace zp {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Prefix(const Bytes& bytes, size_t count) { return Bytes(bytes.begin(), bytes.begin() + count); }

TEST(ArchiveString, LengthFormsAtEveryBoundary) {
  struct Case {
    size_t length;
    Bytes prefix;  // marker and length bytes
  };
  const Case cases[] = {
      {0, {0xFF, 0xFE, 0xFF, 0x00}},
      {254, {0xFF, 0xFE, 0xFF, 0xFE}},
      {255, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0x00}},
      {65533, {0xFF, 0xFE, 0xFF, 0xFF, 0xFD, 0xFF}},
      {65534, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
      {65535, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    std::u16string text(c.length, u'\x263A');
    if (!text.empty()) text.back() = u'z';
    ArchiveWriter writer;
    writer.String(text);
    const Bytes& bytes = writer.bytes();
    ASSERT_EQ(bytes.size(), c.prefix.size() + 2 * c.length);
    EXPECT_EQ(Prefix(bytes, c.prefix.size()), c.prefix);
    ArchiveReader reader(bytes);
    EXPECT_EQ(reader.String(), text);
    EXPECT_FALSE(reader.failed());
    EXPECT_EQ(reader.remaining(), 0u);
  }
}

TEST(ArchiveString, EightBitFormsAreReadAsLatin1) {
  const Bytes shortForm {3, 'a', 0xE9, 'c'};
  ArchiveReader reader(shortForm);
  EXPECT_EQ(reader.String(), u"a\u00E9c");

  for (size_t length : {size_t {254}, size_t {255}, size_t {0xFFFE}, size_t {0xFFFF}, size_t {70000}}) {
    SCOPED_TRACE(length);
    ArchiveWriter writer;
    writer.String8(std::string(length, 'q'));
    ArchiveReader longReader(writer.bytes());
    EXPECT_EQ(longReader.String(), std::u16string(length, u'q'));
    EXPECT_FALSE(longReader.failed());
  }
}

TEST(ArchiveString, RepeatedMarkerIsAccepted) {
  const Bytes bytes {0xFF, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF, 0x01, 'A', 0};
  ArchiveReader reader(bytes);
  EXPECT_EQ(reader.String(), u"A");
  EXPECT_FALSE(reader.failed());
}

TEST(ArchiveString, LengthBeyondTheInputFailsWithoutAllocating) {
  const Bytes huge {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 'a', 0};
  ArchiveReader reader(huge);
  EXPECT_EQ(reader.String(), u"");
  EXPECT_TRUE(reader.failed());
  const Bytes odd {0xFF, 0xFE, 0xFF, 0x02, 'a', 0, 'b'};  // half a code unit short
  ArchiveReader oddReader(odd);
  oddReader.String();
  EXPECT_TRUE(oddReader.failed());
}

TEST(ArchiveReader, ErrorIsStickyAndReadsAfterItGiveZero) {
  const Bytes bytes {1, 0, 0, 0, 2, 0};
  ArchiveReader reader(bytes);
  EXPECT_EQ(reader.Int32(), 1);
  EXPECT_EQ(reader.Int32(), 0);  // only two bytes left
  EXPECT_TRUE(reader.failed());
  EXPECT_EQ(reader.UInt16(), 0);
  EXPECT_EQ(reader.remaining(), 0u);
}

TEST(ArchiveCount, ShortAndLongForms) {
  for (uint32_t count : {0u, 1u, 0xFFFEu, 0xFFFFu, 0x12345u}) {
    ArchiveWriter writer;
    writer.Count(count);
    EXPECT_EQ(writer.bytes().size(), count < 0xFFFF ? 2u : 6u);
    ArchiveReader reader(writer.bytes());
    EXPECT_EQ(reader.Count(), count);
  }
}

TEST(ArchiveBlock, RoundTripAndTruncation) {
  const Bytes payload {9, 8, 7};
  ArchiveWriter writer;
  writer.Block(payload);
  writer.Float32(-1.5f);
  writer.Int32(-7);
  ArchiveReader reader(writer.bytes());
  const auto block = reader.Block();
  EXPECT_EQ(Bytes(block.begin(), block.end()), payload);
  EXPECT_EQ(reader.Float32(), -1.5f);
  EXPECT_EQ(reader.Int32(), -7);
  EXPECT_FALSE(reader.failed());

  const Bytes cut = Prefix(writer.bytes(), 4);
  ArchiveReader cutReader(cut);
  EXPECT_TRUE(cutReader.Block().empty());
  EXPECT_TRUE(cutReader.failed());
}

}  // namespace
}  // namespace zp
