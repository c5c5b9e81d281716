// Records whose bytes are written out here field by field, from the formats as documented, and
// not by our own writer: a fault made the same way in our reader and our writer would pass every
// round trip, but not these.
#include <gtest/gtest.h>

#include <cstring>
#include <string_view>

#include "core/document/document_archive.h"
#include "core/package_reader.h"
#include "platform/platform.h"
#include "test_files.h"

namespace zp {
namespace {

using test::Bytes;

// Little-endian fields appended one after the other.
class Fields {
 public:
  Fields& U8(uint8_t value) { return Raw({value}); }
  Fields& U16(uint16_t value) { return Raw({static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)}); }
  Fields& U32(uint32_t value) { return U16(static_cast<uint16_t>(value)).U16(static_cast<uint16_t>(value >> 16)); }
  Fields& I32(int32_t value) { return U32(static_cast<uint32_t>(value)); }
  Fields& Raw(std::initializer_list<uint8_t> bytes) {
    bytes_.insert(bytes_.end(), bytes);
    return *this;
  }
  Fields& Raw(std::string_view bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
  }
  // UTF-16LE text, zero-filled to `size` bytes.
  Fields& Utf16Field(std::u16string_view text, size_t size) {
    const size_t end = bytes_.size() + size;
    for (char16_t c : text) U16(c);
    bytes_.resize(end, 0);
    return *this;
  }
  // An archive string of fewer than 255 code units: FF, FE FF, the length byte, the units.
  Fields& String(std::u16string_view text) {
    U8(0xFF).U16(0xFFFE).U8(static_cast<uint8_t>(text.size()));
    for (char16_t c : text) U16(c);
    return *this;
  }
  // A byte block of fewer than 0xFFFF bytes: its 16-bit count, then the bytes.
  Fields& Block(std::string_view bytes) { return U16(static_cast<uint16_t>(bytes.size())).Raw(bytes); }
  Fields& File(std::u16string_view path, std::string_view bytes) { return String(path).Block(bytes); }
  const Bytes& bytes() const { return bytes_; }

 private:
  Bytes bytes_;
};

Bytes Text(std::string_view text) { return Bytes(text.begin(), text.end()); }

// A version-150 document with one movie that links one embedded file, and a few options away
// from their defaults.
Bytes HandWrittenDocument() {
  Fields f;
  f.Utf16Field(u"_Zentrapolis__document_", 68).U32(150).U32(0).U32(0).U32(0).Raw(std::string(64, '\0'));
  // MovieList: count, reserved, then the item: path, play time 2.5 (0x40200000), file, links,
  // linked files.
  f.I32(1).I32(0);
  f.String(u"C:\\show\\intro.swf").U32(0x40200000).File(u"C:\\show\\intro.swf", "FWS\x06");
  f.String(u"x|y|z|data\\more.xml").I32(1).String(u"data\\more.xml").I32(1).File(u"C:\\show\\data\\more.xml", "<a/>");
  // ProductInfo: title, info 2 to info 6, version.
  f.String(u"Tour").String(u"").String(u"").String(u"Info four").String(u"").String(u"").String(u"1.2");
  // SizeOptions: fixed 640 x 480 at the bottom right, over all monitors.
  for (int32_t value : {1, 0, 0, 3, 0, 0, 9, 640, 480, 100, 0, 0, 0, 0, 0}) f.I32(value);
  // AppearanceOptions: no frame, background colour mode with 0x00332211, always on top.
  f.String(u"Hand made").I32(0).String(u"").File(u"", "").I32(0).I32(0).Block("");
  for (int32_t value : {0, 1, 1, 1, 0, 1, 0x00332211, 1, 0, 1, 0, 0}) f.I32(value);
  // MouseKeyOptions: drag anywhere, right button swallowed, Esc does not close.
  for (int32_t value : {1, 3, 0, 0, 0}) f.I32(value);
  // BehaviourOptions: loop, Print Screen blocked.
  f.I32(1).I32(1).I32(0).I32(2).I32(0).I32(0).I32(0).String(u"").I32(0).String(u"").I32(0).String(u"").String(u"");
  // MenuAboutOptions: no "Exit", about texts 1 and 6, the About entry shown.
  f.I32(1).I32(1).I32(1).I32(1).I32(0).String(u"About one").String(u"").String(u"").String(u"");
  f.I32(0).String(u"").String(u"").String(u"About six");
  for (int32_t value : {1, 1, 1, 1, 1, 1, 1, 1, 1, 0}) f.I32(value);
  f.File(u"", "");
  // OverlayPanelOptions: bottom right, centred, a text, no font, no picture.
  f.I32(8).I32(2).I32(0).String(u"Panel").I32(0x0000FF).I32(0xFFFFFF).Block("").I32(0).String(u"").File(u"", "");
  // PlaybackOptions (high quality) and ScreenSaverPlaybackOptions.
  f.I32(2).I32(1).String(u"").I32(0).I32(1).String(u"");
  f.String(u"notes");           // NotesText
  f.I32(1).I32(0);              // LogOptions: the log open
  f.I32(0).I32(1).I32(1).String(u"").String(u"C:\\show\\theme.mp3");  // BackgroundSound, no file
  return f.bytes();
}

TEST(HandWrittenRecords, ADocumentReadsFieldByFieldAndWritesBackTheSameBytes) {
  const Bytes record = HandWrittenDocument();
  DocumentModel model;
  DocumentLoadOptions options;
  options.keepFileBytes = true;
  ASSERT_TRUE(LoadDocumentArchive(record, model, options));

  EXPECT_EQ(model.version, 150u);
  ASSERT_EQ(model.movieList.items.size(), 1u);
  const MovieItem& item = model.movieList.items[0];
  EXPECT_EQ(item.path, u"C:\\show\\intro.swf");
  EXPECT_EQ(item.playTime, 2.5f);
  EXPECT_EQ(item.file.data, Text("FWS\x06"));
  EXPECT_EQ(item.links, u"x|y|z|data\\more.xml");
  ASSERT_EQ(item.linked.size(), 1u);
  EXPECT_EQ(item.linked[0].name, u"data\\more.xml");
  EXPECT_EQ(item.linked[0].file.data, Text("<a/>"));
  EXPECT_EQ(model.productInfo.title, u"Tour");
  EXPECT_EQ(model.productInfo.info4, u"Info four");
  EXPECT_EQ(model.productInfo.version, u"1.2");
  EXPECT_EQ(model.sizeOptions.sizeMode, 1);
  EXPECT_EQ(model.sizeOptions.positionPreset, 9);
  EXPECT_EQ(model.sizeOptions.width, 640);
  EXPECT_EQ(model.sizeOptions.height, 480);
  EXPECT_EQ(model.sizeOptions.workAreaOnly, 0);
  EXPECT_EQ(model.appearanceOptions.title, u"Hand made");
  EXPECT_EQ(model.appearanceOptions.hasFrame, 0);
  EXPECT_EQ(model.appearanceOptions.windowMode, 1);
  EXPECT_EQ(model.appearanceOptions.movieBackground, 0x00332211);
  EXPECT_EQ(model.appearanceOptions.alwaysOnTop, 1);
  EXPECT_EQ(model.appearanceOptions.minimizeOthers, 0);
  EXPECT_EQ(model.mouseKeyOptions.leftDrag, 1);
  EXPECT_EQ(model.mouseKeyOptions.rightButton, 3);
  EXPECT_EQ(model.mouseKeyOptions.escapeCloses, 0);
  EXPECT_EQ(model.behaviourOptions.loop, 1);
  EXPECT_EQ(model.behaviourOptions.protectFlags, 2);
  EXPECT_EQ(model.menuAboutOptions.exitItem, 0);
  EXPECT_EQ(model.menuAboutOptions.about1, u"About one");
  EXPECT_EQ(model.menuAboutOptions.about6, u"About six");
  EXPECT_EQ(model.menuAboutOptions.hideAbout, 0);
  EXPECT_EQ(model.overlayPanelOptions.text, u"Panel");
  EXPECT_FALSE(model.overlayPanelOptions.HasFont());
  EXPECT_EQ(model.playbackOptions.quality, 2);
  EXPECT_EQ(model.notesText.text, u"notes");
  EXPECT_EQ(model.logOptions.showLog, 1);
  EXPECT_EQ(model.backgroundSound.enabled, 1);
  EXPECT_EQ(model.backgroundSound.path, u"C:\\show\\theme.mp3");

  EXPECT_EQ(WriteDocumentSections(model, 150), Bytes(record.begin() + 148, record.end()));
}

// A file record header: tag, header version 100, name, sizes and the flag byte, whose three
// neighbours and the reserved tail hold whatever a writer left there.
Fields FileRecordHeader(std::u16string_view tag, std::u16string_view name, uint32_t size, bool compressed,
                        uint32_t storedSize) {
  Fields f;
  f.Utf16Field(tag, 128).U32(100).Utf16Field(name, 256).U32(size);
  f.U8(compressed ? 1 : 0).Raw({0xAB, 0xAB, 0xAB}).U32(storedSize).Raw(std::string(96, '\xCD'));
  return f;
}

TEST(HandWrittenRecords, APackageAfterAProgramYieldsItsDocumentAndFiles) {
  // "hello" as a zlib stream of one stored block: header 78 01, final stored block of 5 bytes
  // (length and its complement), the bytes, then Adler-32 (0x062C0215) big-endian.
  const std::string hello("\x78\x01\x01\x05\x00\xFA\xFFhello\x06\x2C\x02\x15", 16);
  const Bytes program = test::RandomBytes(3000, 5);
  const Bytes document = HandWrittenDocument();
  const Bytes compressedFile = FileRecordHeader(u"_ZentraFsCommand__Dll_", u"Hand.dll", 5, true, 16).Raw(hello).bytes();
  const Bytes storedFile = FileRecordHeader(u"_ZentraFsCommand__Dll_", u"Plain.dll", 3, false, 0).Raw("abc").bytes();

  test::ScratchDirectory scratch;
  const std::u16string path = scratch.File(u"Tour.exe");
  ASSERT_TRUE(test::WriteBytes(path, test::Concat({program, document, compressedFile, storedFile})));
  EXPECT_EQ(FindDocumentRecord(path), program.size());
  const auto source = ReadDocumentRecord(path, program.size());
  ASSERT_TRUE(source.has_value());
  EXPECT_FALSE(source->temporary());  // stored: read in place
  const auto bytes = test::ReadBytes(source->path());
  DocumentModel model;
  EXPECT_TRUE(LoadDocumentArchive(std::span(*bytes).subspan(source->offset()), model));
  EXPECT_EQ(model.productInfo.title, u"Tour");

  const std::u16string out = scratch.File(u"out");
  ASSERT_TRUE(platform::CreateSingleDirectory(out));
  EXPECT_TRUE(ExtractFileRecords(path, kFsCommandLibraryTag, out, true));
  EXPECT_EQ(test::ReadBytes(out + u"\\Hand.dll"), Text("hello"));
  EXPECT_EQ(test::ReadBytes(out + u"\\Plain.dll"), Text("abc"));
}

}  // namespace
}  // namespace zp
