#include "core/document/document_archive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

#include "core/document/archive.h"
#include "core/package_format.h"
#include "document_samples.h"

namespace zp {
namespace {

using Bytes = std::vector<uint8_t>;

DocumentModel LoadKeeping(const Bytes& record, bool* ok = nullptr) {
  DocumentModel model;
  DocumentLoadOptions options;
  options.keepFileBytes = true;
  const bool loaded = LoadDocumentArchive(record, model, options);
  if (ok != nullptr) *ok = loaded;
  return model;
}

class DocumentVersions : public ::testing::TestWithParam<uint32_t> {};

TEST_P(DocumentVersions, EverySectionRoundTrips) {
  const uint32_t version = GetParam();
  const DocumentModel written = test::FullDocument();
  bool ok = false;
  const DocumentModel read = LoadKeeping(WriteDocumentArchive(written, version), &ok);
  ASSERT_TRUE(ok);
  const DocumentModel expected = test::AsVersion(written, version);
  EXPECT_EQ(read.movieList, expected.movieList);
  EXPECT_EQ(read.productInfo, expected.productInfo);
  EXPECT_EQ(read.sizeOptions, expected.sizeOptions);
  EXPECT_EQ(read.appearanceOptions, expected.appearanceOptions);
  EXPECT_EQ(read.mouseKeyOptions, expected.mouseKeyOptions);
  EXPECT_EQ(read.behaviourOptions, expected.behaviourOptions);
  EXPECT_EQ(read.menuAboutOptions, expected.menuAboutOptions);
  EXPECT_EQ(read.overlayPanelOptions, expected.overlayPanelOptions);
  EXPECT_EQ(read.playbackOptions, expected.playbackOptions);
  EXPECT_EQ(read.screenSaverPlaybackOptions, expected.screenSaverPlaybackOptions);
  EXPECT_EQ(read.notesText, expected.notesText);
  EXPECT_EQ(read.logOptions, expected.logOptions);
  EXPECT_EQ(read.backgroundSound, expected.backgroundSound);
  EXPECT_EQ(read, expected);
}

TEST_P(DocumentVersions, AnEmptyDocumentRoundTripsToTheDefaults) {
  DocumentModel empty;
  bool ok = false;
  const DocumentModel read = LoadKeeping(WriteDocumentArchive(empty, GetParam()), &ok);
  ASSERT_TRUE(ok);
  empty.version = GetParam();
  EXPECT_EQ(read, empty);
}

TEST_P(DocumentVersions, EveryTruncationFailsAndResets) {
  const Bytes record = WriteDocumentArchive(test::FullDocument(), GetParam());
  for (size_t length = 0; length < record.size(); ++length) {
    bool ok = true;
    const DocumentModel read = LoadKeeping(Bytes(record.begin(), record.begin() + length), &ok);
    ASSERT_FALSE(ok) << "cut at " << length << " of " << record.size();
    ASSERT_EQ(read, DocumentModel());
  }
}

// An archive read in pieces of a fixed size, as an inflater would hand it out.
class PieceSource : public ByteSource {
 public:
  PieceSource(std::span<const uint8_t> bytes, size_t piece) : bytes_(bytes), piece_(piece) {}
  size_t Read(std::span<uint8_t> into) override {
    const size_t step = std::min({into.size(), bytes_.size(), piece_});
    std::copy(bytes_.begin(), bytes_.begin() + static_cast<ptrdiff_t>(step), into.begin());
    bytes_ = bytes_.subspan(step);
    return step;
  }

 private:
  std::span<const uint8_t> bytes_;
  size_t piece_;
};

// Gathers the files a visitor is shown, by ordinal.
class GatheringVisitor : public EmbeddedFileVisitor {
 public:
  void Begin(size_t ordinal, std::u16string_view storedPath, uint32_t size) override {
    EXPECT_EQ(ordinal, files.size());
    EmbeddedFile file;
    file.path = storedPath;
    files.push_back(file);
    declared.push_back(size);
  }
  void Piece(std::span<const uint8_t> bytes) override {
    files.back().data.insert(files.back().data.end(), bytes.begin(), bytes.end());
  }
  void End(bool complete) override { completed += complete ? 1 : 0; }
  std::vector<EmbeddedFile> files;
  std::vector<uint32_t> declared;
  size_t completed = 0;
};

TEST_P(DocumentVersions, SectionsReadFromAStreamInPiecesMatchTheWholeRead) {
  const Bytes record = WriteDocumentArchive(test::FullDocument(), GetParam());
  const DocumentModel whole = LoadKeeping(record);
  const std::span<const uint8_t> sections = std::span<const uint8_t>(record).subspan(kDocumentHeaderSize);
  for (size_t piece : {size_t {1}, size_t {5}, size_t {4096}}) {
    SCOPED_TRACE(piece);
    PieceSource source(sections, piece);
    GatheringVisitor visitor;
    DocumentLoadOptions options;
    options.keepFileBytes = true;
    options.visitor = &visitor;
    DocumentModel streamed;
    ASSERT_TRUE(LoadDocumentSections(source, GetParam(), streamed, options));
    EXPECT_EQ(streamed, whole);
    // The visitor saw every file whole, in the order a walk over the model gives.
    std::vector<EmbeddedFile> walked;
    ForEachEmbeddedFile(streamed, streamed.version, [&](const EmbeddedFile& file) { walked.push_back(file); });
    ASSERT_EQ(visitor.files.size(), walked.size());
    EXPECT_EQ(visitor.completed, walked.size());
    for (size_t i = 0; i < walked.size(); ++i) {
      EXPECT_EQ(visitor.files[i].path, walked[i].path);
      EXPECT_EQ(visitor.files[i].data, walked[i].data);
      EXPECT_EQ(visitor.declared[i], walked[i].data.size());
    }
  }
  // Cut short anywhere, a streamed read fails too.
  for (size_t length = 0; length < sections.size(); length += 3) {
    PieceSource source(sections.first(length), 7);
    DocumentModel streamed;
    ASSERT_FALSE(LoadDocumentSections(source, GetParam(), streamed)) << length;
  }
}

// Collects what the streaming writer passes on.
class CollectingSink : public ByteSink {
 public:
  bool Write(std::span<const uint8_t> bytes) override {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return true;
  }
  Bytes bytes_;
};

// Stands in for files on disk: a file's `source` names an entry of a table.
class TableSource : public EmbeddedFileSource {
 public:
  bool CopyTo(const EmbeddedFile& file, ByteSink& to) override {
    const Bytes& bytes = table.at(file.source);
    return to.Write(bytes);
  }
  std::map<std::u16string, Bytes> table;
};

TEST(DocumentWrite, StreamedFromSourcesGivesTheSameBytes) {
  const DocumentModel full = test::FullDocument();
  DocumentModel named = full;
  TableSource files;
  ForEachEmbeddedFile(named, kNewestDocumentVersion, [&](const EmbeddedFile& file) {
    // The walk shows the model's own files; name a source for each and leave `data` empty.
    auto& writable = const_cast<EmbeddedFile&>(file);
    writable.source = u"source" + std::u16string(1, static_cast<char16_t>(u'a' + files.table.size()));
    writable.sourceSize = writable.data.size();
    files.table[writable.source] = std::move(writable.data);
    writable.data.clear();
  });
  CollectingSink sink;
  ASSERT_TRUE(WriteDocumentSections(named, kNewestDocumentVersion, sink, &files));
  EXPECT_EQ(sink.bytes_, WriteDocumentSections(full));
}

INSTANTIATE_TEST_SUITE_P(Versions, DocumentVersions, ::testing::Values(100u, 101u, 120u, 130u, 140u, 149u, 150u),
                         [](const ::testing::TestParamInfo<uint32_t>& version) {
                           return "Version" + std::to_string(version.param);
                         });

TEST(DocumentLoad, Version120KeepsDefaultsOfLaterFields) {
  DocumentModel written = test::FullDocument();
  bool ok = false;
  const DocumentModel read = LoadKeeping(WriteDocumentArchive(written, 120), &ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(read.sizeOptions.workAreaOnly, 1);
  EXPECT_EQ(read.appearanceOptions.minimizeOthers, 0);
  EXPECT_EQ(read.appearanceOptions.restoreOthers, 0);
  EXPECT_EQ(read.behaviourOptions.reserved8, u"b8");
  EXPECT_EQ(read.playbackOptions.reserved2, u"");
  EXPECT_EQ(read.notesText.text, u"");
}

TEST(DocumentLoad, Version151Fails) {
  const Bytes record = WriteDocumentArchive(test::FullDocument(), 151);
  bool ok = true;
  EXPECT_EQ(LoadKeeping(record, &ok), DocumentModel());
  EXPECT_FALSE(ok);
}

TEST(DocumentLoad, TagMustMatchExactlyButTrailingSpaceIsIgnored) {
  Bytes record = WriteDocumentArchive(DocumentModel());
  bool ok = false;
  LoadKeeping(record, &ok);
  EXPECT_TRUE(ok);

  Bytes spaced = record;
  const size_t tagEnd = kDocumentTag.Text().size() * 2;
  spaced[tagEnd] = ' ';
  spaced[tagEnd + 2] = '\t';
  LoadKeeping(spaced, &ok);
  EXPECT_TRUE(ok);

  Bytes lower = record;
  lower[2] = 'z';  // "_zentrapolis_"
  LoadKeeping(lower, &ok);
  EXPECT_FALSE(ok);
}

TEST(DocumentLoad, NegativeCountsFail) {
  ArchiveWriter body;
  body.Int32(-1);
  body.Int32(0);
  Bytes record = WriteDocumentArchive(DocumentModel());
  record.resize(kDocumentHeaderSize);
  record.insert(record.end(), body.bytes().begin(), body.bytes().end());
  const Bytes rest = WriteDocumentSections(DocumentModel());
  record.insert(record.end(), rest.begin() + 8, rest.end());
  bool ok = true;
  LoadKeeping(record, &ok);
  EXPECT_FALSE(ok);
}

TEST(DocumentLoad, TransparentModeDropsFrameAndMaximize) {
  DocumentModel written;
  written.appearanceOptions.windowMode = 2;
  const DocumentModel read = LoadKeeping(WriteDocumentArchive(written));
  EXPECT_EQ(read.appearanceOptions.hasFrame, 0);
  EXPECT_EQ(read.menuAboutOptions.maximizeItem, 0);
  EXPECT_EQ(read.menuAboutOptions.minimizeItem, 1);
}

TEST(DocumentLoad, FileBytesAreDroppedUnlessKept) {
  DocumentModel model;
  ASSERT_TRUE(LoadDocumentArchive(WriteDocumentArchive(test::FullDocument()), model));
  EXPECT_EQ(model.movieList.items[0].file.path, u"C:\\show\\intro.swf");
  EXPECT_TRUE(model.movieList.items[0].file.data.empty());
  EXPECT_FALSE(model.movieList.items[0].file.written);
}

TEST(DocumentModelDefaults, MatchAnEmptyDocument) {
  const DocumentModel d;
  EXPECT_EQ(d.version, 150u);
  EXPECT_EQ(d.sizeOptions.hostFlags, 3);
  EXPECT_EQ(d.sizeOptions.positionPreset, 1);
  EXPECT_EQ(d.sizeOptions.width, 800);
  EXPECT_EQ(d.sizeOptions.height, 600);
  EXPECT_EQ(d.sizeOptions.percent, 100);
  EXPECT_EQ(d.appearanceOptions.movieBackground, 0xFFFFFF);
  EXPECT_EQ(d.appearanceOptions.showInTaskbar, 1);
  EXPECT_EQ(d.mouseKeyOptions.rightButton, 1);
  EXPECT_EQ(d.mouseKeyOptions.escapeCloses, 1);
  EXPECT_EQ(d.behaviourOptions.autoStart, 1);
  EXPECT_EQ(d.menuAboutOptions.hideAbout, 1);
  EXPECT_EQ(d.overlayPanelOptions.backgroundColor, 0xFFFFFF);
  ASSERT_EQ(d.overlayPanelOptions.font.size(), kLogFontSize);
  EXPECT_TRUE(d.overlayPanelOptions.HasFont());
  EXPECT_EQ(d.overlayPanelOptions.font[28], 'M');
  EXPECT_EQ(d.playbackOptions.reserved1, 1);
}

TEST(MovieKinds, ByExtensionWithoutRegardToCase) {
  EXPECT_EQ(KindOfPath(u"C:\\a\\b.SWF"), MovieKind::kFlash);
  EXPECT_EQ(KindOfPath(u"x.Jpeg"), MovieKind::kPicture);
  EXPECT_EQ(KindOfPath(u"x.tif"), MovieKind::kPicture);
  EXPECT_EQ(KindOfPath(u"x.HTM"), MovieKind::kWebPage);
  EXPECT_EQ(KindOfPath(u"x.mp3"), MovieKind::kUnplayable);
  EXPECT_EQ(KindOfPath(u"C:\\dir.swf\\noextension"), MovieKind::kUnplayable);
  EXPECT_EQ(KindOfPath(u"x.TIFF"), MovieKind::kPicture);
  EXPECT_EQ(KindOfPath(u"x.swf.bak"), MovieKind::kUnplayable);
  EXPECT_EQ(KindOfPath(u"folder.png\\file"), MovieKind::kUnplayable);
  EXPECT_EQ(KindOfPath(u"swf"), MovieKind::kUnplayable);
  EXPECT_EQ(ExtensionOf(u"a.b.swf"), u"swf");
  EXPECT_EQ(ExtensionOf(u"a."), u"");
}

TEST(LinkDescriptor, FourthFieldsAreReplacedWithoutRegardToCase) {
  EXPECT_EQ(ReplaceLinkTarget(u"a|b|c|Data\\X.xml|e|f|g|data\\x.XML", u"data\\x.xml", u"T:\\p"),
            u"a|b|c|T:\\p|e|f|g|T:\\p");
  // Only fourth fields count, and an incomplete last group still has its fields kept.
  EXPECT_EQ(ReplaceLinkTarget(u"n|n|n|m|n", u"n", u"P"), u"n|n|n|m|n");
  EXPECT_EQ(ReplaceLinkTarget(u"", u"n", u"P"), u"");
  EXPECT_EQ(ReplaceLinkTarget(u"|||n|", u"n", u"P"), u"|||P|");
}

}  // namespace
}  // namespace zp
