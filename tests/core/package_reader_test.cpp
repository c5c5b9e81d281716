#include "core/package_reader.h"

#include <gtest/gtest.h>

#include "core/package_writer.h"
#include "document_samples.h"
#include "core/temp_files.h"
#include "core/text.h"
#include "platform/platform.h"
#include "test_files.h"

namespace zp {
namespace {

using test::Bytes;

class PackageReader : public ::testing::Test {
 protected:
  // A stand-in program image: bytes that hold no tag.
  Bytes Program() const { return test::RandomBytes(4096, 42); }

  std::u16string WritePackage(const Bytes& bytes) {
    const std::u16string path = scratch.File(u"player.exe");
    EXPECT_TRUE(test::WriteBytes(path, bytes));
    return path;
  }

  std::u16string OutDir() {
    const std::u16string dir = scratch.File(u"out");
    platform::CreateSingleDirectory(dir);
    return dir;
  }

  test::ScratchDirectory scratch;
};

Bytes ReadDocumentBody(const DocumentSource& source) {
  auto bytes = test::ReadBytes(source.path());
  return Bytes(bytes->begin() + static_cast<ptrdiff_t>(source.offset() + kDocumentHeaderSize), bytes->end());
}

TEST_F(PackageReader, FindsTheDocumentRecordAfterTheProgram) {
  const Bytes archive = test::RandomBytes(1000, 1);
  const std::u16string path = WritePackage(test::Concat({Program(), MakeDocumentRecord(archive)}));
  EXPECT_EQ(FindDocumentRecord(path), 4096u);
}

TEST_F(PackageReader, NoDocumentInTinyMissingOrUntaggedFiles) {
  EXPECT_FALSE(FindDocumentRecord(scratch.File(u"missing.exe")));
  EXPECT_FALSE(FindDocumentRecord(WritePackage(Program())));
  EXPECT_FALSE(FindDocumentRecord(WritePackage(test::ToBytes("0123456789"))));
}

TEST_F(PackageReader, CompressedDocumentIsInflatedIntoATemporaryFileThatGoesAway) {
  const Bytes archive = test::RandomBytes(70000, 2);
  const std::u16string path = WritePackage(test::Concat({Program(), MakeDocumentRecord(archive, true, 149)}));
  std::u16string temporaryPath;
  {
    auto source = ReadDocumentRecord(path, 4096);
    ASSERT_TRUE(source.has_value());
    EXPECT_TRUE(source->temporary());
    EXPECT_EQ(source->offset(), 0u);
    temporaryPath = source->path();
    const auto header = ParseDocumentRecordHeader(*test::ReadBytes(temporaryPath));
    EXPECT_EQ(header->tag, kDocumentTag.Text());
    EXPECT_EQ(header->version, 149u);
    EXPECT_EQ(header->compressed, 0u);
    EXPECT_EQ(header->inflatedSize, 0u);
    EXPECT_EQ(ReadDocumentBody(*source), archive);
  }
  EXPECT_FALSE(test::Exists(temporaryPath));
}

TEST(DocumentInMemory, ACompressedRecordLoadsAsTheStoredOneOnlyWhenItInflatesWhole) {
  const DocumentModel written = test::FullDocument();
  const Bytes sections = WriteDocumentSections(written);
  Bytes cut = MakeDocumentRecord(sections, true);
  cut.resize(cut.size() - 9);
  Bytes badChecksum = MakeDocumentRecord(sections, true);
  badChecksum.back() ^= 1;
  Bytes overlong = MakeDocumentRecord(sections, true);
  DocumentRecordHeader shorter = *ParseDocumentRecordHeader(overlong);
  --shorter.inflatedSize;
  const Bytes head = SerializeDocumentRecordHeader(shorter);
  std::copy(head.begin(), head.end(), overlong.begin());
  const struct {
    const char* name;
    Bytes record;
    bool loads;
  } cases[] = {{"stored", MakeDocumentRecord(sections, false), true},
               {"compressed", MakeDocumentRecord(sections, true), true},
               {"cut short", cut, false},
               {"bad checksum", badChecksum, false},
               {"longer than declared", overlong, false},
               {"not a document", Bytes(200, 0), false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DocumentModel read;
    read.appearanceOptions.title = u"left over";
    DocumentLoadOptions keep;
    keep.keepFileBytes = true;
    const auto laterFiles = LoadDocumentRecord(c.record, read, keep);
    EXPECT_EQ(laterFiles != nullptr, c.loads);
    if (c.loads) {
      EXPECT_EQ(WriteDocumentSections(read), sections);
    } else {
      EXPECT_EQ(read.appearanceOptions.title, DocumentModel().appearanceOptions.title);
    }
  }
}

TEST_F(PackageReader, UncompressedDocumentIsReadInPlace) {
  const Bytes archive = test::RandomBytes(500, 3);
  const std::u16string path = WritePackage(test::Concat({Program(), MakeDocumentRecord(archive, false)}));
  auto source = ReadDocumentRecord(path, 4096);
  ASSERT_TRUE(source.has_value());
  EXPECT_FALSE(source->temporary());
  EXPECT_EQ(source->path(), path);
  EXPECT_EQ(source->offset(), 4096u);
  EXPECT_EQ(ReadDocumentBody(*source), archive);
}

TEST_F(PackageReader, TagWithTrailingSpacesMatchesButOtherCaseIsReadInPlace) {
  const Bytes archive = test::RandomBytes(300, 4);
  Bytes spaced = MakeDocumentRecord(archive);
  const std::string padded = Utf16LeBytes(u"_Zentrapolis__document_   ");
  std::copy(padded.begin(), padded.end(), spaced.begin());
  EXPECT_TRUE(ReadDocumentRecord(WritePackage(spaced), 0)->temporary());

  Bytes cased = MakeDocumentRecord(archive);
  const std::string upper = Utf16LeBytes(u"_ZENTRAPOLIS__document_");
  std::copy(upper.begin(), upper.end(), cased.begin());
  EXPECT_FALSE(ReadDocumentRecord(WritePackage(cased), 0)->temporary());
}

TEST_F(PackageReader, BadDocumentStreamsFallBackToInPlace) {
  const Bytes archive = test::RandomBytes(3000, 5);
  Bytes corrupt = MakeDocumentRecord(archive);
  corrupt[kDocumentHeaderSize + 40] ^= 0xFF;
  EXPECT_FALSE(ReadDocumentRecord(WritePackage(corrupt), 0)->temporary());

  Bytes huge = MakeDocumentRecord(archive);
  WriteU32(huge, 76, 0xFFFFFFF0u);
  EXPECT_FALSE(ReadDocumentRecord(WritePackage(huge), 0)->temporary());

  const Bytes truncated = Bytes(huge.begin(), huge.begin() + 100);  // a header cut short
  auto source = ReadDocumentRecord(WritePackage(truncated), 0);
  ASSERT_TRUE(source.has_value());
  EXPECT_FALSE(source->temporary());
}

TEST_F(PackageReader, DocumentOffsetOutsideTheFileFails) {
  const std::u16string path = WritePackage(Program());
  EXPECT_FALSE(ReadDocumentRecord(path, 4096));
  EXPECT_FALSE(ReadDocumentRecord(WritePackage(test::ToBytes("short")), 0));
}

TEST_F(PackageReader, ExtractsEveryRecordOfATagOrOnlyTheFirst) {
  const Bytes one = test::RandomBytes(10000, 6), two = test::RandomBytes(20, 7), res = test::RandomBytes(99, 8);
  const std::u16string path = WritePackage(test::Concat({
      Program(), MakeDocumentRecord(test::RandomBytes(100, 9)),
      MakeFileRecord(kFsCommandLibraryTag, u"OneFSCmd.dll", one),
      MakeFileRecord(kResourceLibraryTag, u"CommonResources.dll", res, false),
      MakeFileRecord(kFsCommandLibraryTag, u"TwoFSCmd.dll", two, false),
  }));
  const std::u16string all = OutDir();
  EXPECT_TRUE(ExtractFileRecords(path, kFsCommandLibraryTag, all, true));
  EXPECT_EQ(test::ReadBytes(JoinPath(all, u"OneFSCmd.dll")), one);
  EXPECT_EQ(test::ReadBytes(JoinPath(all, u"TwoFSCmd.dll")), two);
  EXPECT_FALSE(test::Exists(JoinPath(all, u"CommonResources.dll")));

  const std::u16string first = scratch.File(u"first");
  platform::CreateSingleDirectory(first);
  EXPECT_TRUE(ExtractFileRecords(path, kFsCommandLibraryTag, first, false));
  EXPECT_TRUE(test::Exists(JoinPath(first, u"OneFSCmd.dll")));
  EXPECT_FALSE(test::Exists(JoinPath(first, u"TwoFSCmd.dll")));

  EXPECT_TRUE(ExtractFileRecords(path, kResourceLibraryTag, first, true));
  EXPECT_EQ(test::ReadBytes(JoinPath(first, u"CommonResources.dll")), res);
  EXPECT_FALSE(ExtractFileRecords(path, kInstallerTag, first, true));
}

TEST_F(PackageReader, FalseMatchInsideAPayloadIsSkipped) {
  // A payload that holds the tag bytes, with a header version other than 100 after them.
  const std::string tagBytes = Utf16LeBytes(kFsCommandLibraryTag.Text());
  Bytes payload = test::Concat({test::RandomBytes(10, 10), test::ToBytes(tagBytes), Bytes(600, 0x01)});
  const Bytes real = test::RandomBytes(321, 11);
  const std::u16string path = WritePackage(test::Concat({
      Program(), MakeFileRecord(kResourceLibraryTag, u"CommonResources.dll", payload, false),
      MakeFileRecord(kFsCommandLibraryTag, u"RealFSCmd.dll", real)}));
  const std::u16string dir = OutDir();
  EXPECT_TRUE(ExtractFileRecords(path, kFsCommandLibraryTag, dir, false));
  EXPECT_EQ(test::ReadBytes(JoinPath(dir, u"RealFSCmd.dll")), real);
}

TEST_F(PackageReader, RecordsInsideTheDocumentPayloadAreNotTheirs) {
  // A presentation that embeds another package: its records belong to the document's bytes.
  const Bytes inner = test::RandomBytes(300, 20);
  const Bytes embedded = test::Concat({test::RandomBytes(100, 21), MakeFileRecord(kFsCommandLibraryTag,
                                                                                 u"InnerFSCmd.dll", inner, false),
                                       MakeFileRecord(kInstallerTag, u"Inner.exe", inner, false)});
  const Bytes real = test::RandomBytes(321, 22);
  for (const bool compressed : {false, true}) {
    const std::u16string path = WritePackage(test::Concat(
        {Program(), MakeDocumentRecord(embedded, compressed), MakeFileRecord(kFsCommandLibraryTag, u"RealFSCmd.dll", real)}));
    const std::u16string dir = OutDir();
    EXPECT_TRUE(ExtractFileRecords(path, kFsCommandLibraryTag, dir, true));
    EXPECT_EQ(test::ReadBytes(JoinPath(dir, u"RealFSCmd.dll")), real);
    EXPECT_FALSE(platform::ReadAttributes(JoinPath(dir, u"InnerFSCmd.dll")));
    EXPECT_FALSE(HasFirstFileRecord(path, kInstallerTag)) << compressed;
  }
}

TEST_F(PackageReader, CompressedFlagIsTheFirstByteAlone) {
  const Bytes data = test::RandomBytes(5000, 12);
  Bytes record = MakeFileRecord(kInstallerTag, u"InstallFlashPlayer.exe", data);
  record[393] = 0x7F, record[394] = 0xFF, record[395] = 0x01;
  const std::u16string dir = OutDir();
  EXPECT_TRUE(ExtractFileRecords(WritePackage(test::Concat({Program(), record})), kInstallerTag, dir, false));
  EXPECT_EQ(test::ReadBytes(JoinPath(dir, u"InstallFlashPlayer.exe")), data);
}

TEST_F(PackageReader, NamesThatLeaveTheDirectoryWriteNothing) {
  const Bytes data = test::RandomBytes(50, 13);
  const std::u16string path = WritePackage(test::Concat({
      Program(), MakeFileRecord(kFsCommandLibraryTag, u"..\\EvilFSCmd.dll", data),
      MakeFileRecord(kFsCommandLibraryTag, u"C:EvilFSCmd.dll", data),
      MakeFileRecord(kFsCommandLibraryTag, u"sub/EvilFSCmd.dll", data),
      MakeFileRecord(kFsCommandLibraryTag, u"", data)}));
  const std::u16string dir = OutDir();
  EXPECT_FALSE(ExtractFileRecords(path, kFsCommandLibraryTag, dir, true));
  EXPECT_TRUE(platform::ListDirectory(dir).empty());
  EXPECT_FALSE(test::Exists(scratch.File(u"EvilFSCmd.dll")));
}

TEST_F(PackageReader, BrokenPayloadsLeaveEmptyFilesThatDoNotCount) {
  const Bytes data = test::RandomBytes(4000, 14);
  Bytes corrupt = MakeFileRecord(kToolsTag, u"corrupt.ocx", data);
  corrupt[kFileHeaderSize + 30] ^= 0xFF;
  Bytes hugeSize = MakeFileRecord(kToolsTag, u"huge.ocx", data);
  WriteU32(hugeSize, 388, 0xFFFFFFFFu);
  Bytes shortStored = MakeFileRecord(kToolsTag, u"short.ocx", data, false);
  WriteU32(shortStored, 388, 1u << 30);
  for (const auto& [record, name] : {std::pair {corrupt, u"corrupt.ocx"}, std::pair {hugeSize, u"huge.ocx"},
                                     std::pair {shortStored, u"short.ocx"}}) {
    const std::u16string dir = OutDir();
    EXPECT_FALSE(ExtractFileRecords(WritePackage(test::Concat({Program(), record})), kToolsTag, dir, true));
    EXPECT_EQ(test::ReadBytes(JoinPath(dir, name)), Bytes {});
    platform::DeleteOneFile(JoinPath(dir, name));
  }
}

// The transparency control is written under a name of the player's choosing and the installer
// under its own; a record that cannot be written in full leaves nothing behind.
TEST_F(PackageReader, FirstRecordWrittenInFullOrNotAtAll) {
  const Bytes data = test::RandomBytes(4000, 17);
  Bytes corrupt = MakeFileRecord(kToolsTag, u"a.ocx", data);
  corrupt[kFileHeaderSize + 30] ^= 0xFF;
  Bytes shortStored = MakeFileRecord(kToolsTag, u"a.ocx", data, false);
  WriteU32(shortStored, 388, 1u << 20);
  Bytes oldVersion = MakeFileRecord(kToolsTag, u"a.ocx", data);
  WriteU32(oldVersion, 128, 99);
  struct Case {
    const char* what;
    Bytes records;
    uint32_t maxSize;
    bool written;
    bool writtenUnderItsName = written;
    bool found = true;  // a record with a header this reader knows comes first
  } cases[] = {
      {"compressed", MakeFileRecord(kToolsTag, u"a.ocx", data), 1u << 20, true},
      {"stored", MakeFileRecord(kToolsTag, u"a.ocx", data, false), 1u << 20, true},
      {"corrupt stream", corrupt, 1u << 20, false},
      {"stored size past the end of the file", shortStored, 1u << 21, false},
      {"size at the cap", MakeFileRecord(kToolsTag, u"a.ocx", data), 4000, false, true},
      {"only the first record counts", test::Concat({oldVersion, MakeFileRecord(kToolsTag, u"a.ocx", data)}), 1u << 20,
       false, false, false},
      {"no record", {}, 1u << 20, false, false, false},
  };
  for (const auto& c : cases) {
    const std::u16string package = WritePackage(test::Concat({Program(), c.records}));
    const std::u16string dir = OutDir();
    const std::u16string target = JoinPath(dir, u"chosen name.dat");
    EXPECT_EQ(ExtractFirstFileRecordTo(package, kToolsTag, target, c.maxSize), c.written) << c.what;
    EXPECT_EQ(test::Exists(target), c.written) << c.what;
    if (c.written) {
      EXPECT_EQ(test::ReadBytes(target), data) << c.what;
    }
    EXPECT_EQ(HasFirstFileRecord(package, kToolsTag), c.found) << c.what;
    const auto named = ExtractFirstFileRecord(package, kToolsTag, dir);
    EXPECT_EQ(named.has_value(), c.writtenUnderItsName) << c.what;
    EXPECT_EQ(test::Exists(JoinPath(dir, u"a.ocx")), named.has_value()) << c.what;
    if (named) {
      EXPECT_EQ(*named, JoinPath(dir, u"a.ocx"));
    }
    for (const auto& entry : platform::ListDirectory(dir)) platform::DeleteOneFile(JoinPath(dir, entry.name));
  }
}

TEST_F(PackageReader, JunkStreamSizeReadsOnlyToTheEndOfTheFile) {
  // The stream ends itself; a stream size past the end of the file is cut to what is there.
  const Bytes data = test::RandomBytes(4000, 16);
  Bytes record = MakeFileRecord(kToolsTag, u"junk.ocx", data);
  WriteU32(record, 396, 0xFFFFFF00u);
  const std::u16string dir = OutDir();
  EXPECT_TRUE(ExtractFileRecords(WritePackage(test::Concat({Program(), record})), kToolsTag, dir, true));
  EXPECT_EQ(test::ReadBytes(JoinPath(dir, u"junk.ocx")), data);
}

TEST_F(PackageReader, TagsNearTheEndOfTheFileReadNothingPastIt) {
  const Bytes record = MakeFileRecord(kToolsTag, u"x.ocx", test::RandomBytes(600, 15), false);
  for (size_t keep : {44u, 45u, 200u, 495u, 496u, 700u}) {
    const Bytes cut(record.begin(), record.begin() + static_cast<ptrdiff_t>(keep));
    const std::u16string dir = OutDir();
    EXPECT_FALSE(ExtractFileRecords(WritePackage(test::Concat({Program(), cut})), kToolsTag, dir, true)) << keep;
    platform::DeleteOneFile(JoinPath(dir, u"x.ocx"));
  }
}

TEST_F(PackageReader, EmptyFileRecordIsWritten) {
  const std::u16string dir = OutDir();
  EXPECT_TRUE(ExtractFileRecords(
      WritePackage(test::Concat({Program(), MakeFileRecord(kToolsTag, u"empty.ocx", {})})), kToolsTag, dir, false));
  EXPECT_EQ(test::ReadBytes(JoinPath(dir, u"empty.ocx")), Bytes {});
}

}  // namespace
}  // namespace zp
