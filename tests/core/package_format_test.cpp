#include "core/package_format.h"

#include <gtest/gtest.h>

#include "core/text.h"

namespace zp {
namespace {

TEST(PackageFormat, TagsJoinTheirHalvesAtRunTime) {
  EXPECT_EQ(kDocumentTag.Text(), u"_Zentrapolis__document_");
  EXPECT_EQ(kDocumentTag.Text().size() * 2, 46u);
  EXPECT_EQ(kResourceLibraryTag.Text(), u"_CommonResources__Dll_");
  EXPECT_EQ(kFsCommandLibraryTag.Text(), u"_ZentraFsCommand__Dll_");
  EXPECT_EQ(kInstallerTag.Text(), u"_ZentraFlash__Installer_");
  EXPECT_EQ(kToolsTag.Text(), u"_ZentraPackage__Tools_");
}

TEST(PackageFormat, DocumentHeaderRoundTrips) {
  DocumentRecordHeader header;
  header.tag = kDocumentTag.Text();
  header.version = 150;
  header.compressed = 1;
  header.inflatedSize = 0x12345678;
  header.compressedSize = 0x9ABCDEF0;
  const auto bytes = SerializeDocumentRecordHeader(header);
  ASSERT_EQ(bytes.size(), kDocumentHeaderSize);
  EXPECT_EQ(bytes[68], 150);
  EXPECT_EQ(bytes[76], 0x78);
  EXPECT_EQ(bytes[147], 0);
  const auto back = ParseDocumentRecordHeader(bytes);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->tag, header.tag);
  EXPECT_EQ(back->version, 150u);
  EXPECT_EQ(back->compressed, 1u);
  EXPECT_EQ(back->inflatedSize, 0x12345678u);
  EXPECT_EQ(back->compressedSize, 0x9ABCDEF0u);
  EXPECT_FALSE(ParseDocumentRecordHeader(std::span(bytes).first(kDocumentHeaderSize - 1)));
}

TEST(PackageFormat, FullDocumentTagFieldIsReadWithoutATerminator) {
  DocumentRecordHeader header;
  header.tag = std::u16string(40, u'T');  // stored cut to the 34 characters of the field
  auto bytes = SerializeDocumentRecordHeader(header);
  bytes[68] = 'X';  // the byte after the field is not part of the tag
  const auto back = ParseDocumentRecordHeader(bytes);
  EXPECT_EQ(back->tag, std::u16string(34, u'T'));
}

TEST(PackageFormat, FileHeaderRoundTrips) {
  FileRecordHeader header;
  header.tag = kFsCommandLibraryTag.Text();
  header.fileName = u"ZentraFSCmd.dll";
  header.inflatedSize = 123456;
  header.compressed = true;
  header.compressedSize = 654321;
  const auto bytes = SerializeFileRecordHeader(header);
  ASSERT_EQ(bytes.size(), kFileHeaderSize);
  EXPECT_EQ(bytes[128], 100);
  EXPECT_EQ(bytes[392], 1);
  const auto back = ParseFileRecordHeader(bytes);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->tag, header.tag);
  EXPECT_EQ(back->version, 100u);
  EXPECT_EQ(back->fileName, header.fileName);
  EXPECT_EQ(back->inflatedSize, 123456u);
  EXPECT_TRUE(back->compressed);
  EXPECT_EQ(back->compressedSize, 654321u);
  EXPECT_FALSE(ParseFileRecordHeader(std::span(bytes).first(kFileHeaderSize - 1)));
}

TEST(PackageFormat, OnlyTheFirstFlagByteCounts) {
  FileRecordHeader header;
  header.fileName = u"a.dll";
  auto bytes = SerializeFileRecordHeader(header);
  bytes[393] = bytes[394] = bytes[395] = 0xFF;
  EXPECT_FALSE(ParseFileRecordHeader(bytes)->compressed);
  bytes[392] = 1;
  EXPECT_TRUE(ParseFileRecordHeader(bytes)->compressed);
}

TEST(PackageFormat, OverlongNamesAreCutAndStayTerminated) {
  FileRecordHeader header;
  header.fileName = std::u16string(300, u'n');
  const auto back = ParseFileRecordHeader(SerializeFileRecordHeader(header));
  EXPECT_EQ(back->fileName.size(), 127u);
}

}  // namespace
}  // namespace zp
