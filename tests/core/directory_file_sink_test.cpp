#include "core/document/directory_file_sink.h"

#include <gtest/gtest.h>

#include "core/document/deferred_files.h"
#include "core/package_reader.h"
#include "core/package_writer.h"
#include "core/temp_files.h"
#include "core/text.h"
#include "document_samples.h"
#include "platform/platform.h"
#include "test_files.h"

namespace zp {
namespace {

using test::Bytes;

class LoadingIntoDirectory : public ::testing::Test {
 protected:
  // Loads the model's archive with the files written into the scratch directory.
  bool Load(const DocumentModel& written, DocumentModel& read) {
    DirectoryFileSink sink(scratch.path());
    DocumentLoadOptions options;
    options.sink = &sink;
    return LoadDocumentArchive(WriteDocumentArchive(written), read, options);
  }

  std::optional<std::string> Text(const std::u16string& path) {
    const auto bytes = test::ReadBytes(path);
    if (!bytes) return std::nullopt;
    return std::string(bytes->begin(), bytes->end());
  }

  bool Inside(const std::u16string& path) {
    return path.starts_with(scratch.path() + u"\\");
  }

  test::ScratchDirectory scratch;
};

TEST_F(LoadingIntoDirectory, EveryEmbeddedFileIsWrittenAndItsPathReplaced) {
  DocumentModel read;
  ASSERT_TRUE(Load(test::FullDocument(), read));
  const MovieItem& movie = read.movieList.items[0];
  EXPECT_TRUE(Inside(movie.PlayedPath()));
  EXPECT_TRUE(movie.PlayedPath().ends_with(u".swf"));
  EXPECT_EQ(movie.path, u"C:\\show\\intro.swf");  // the authoring path stays
  EXPECT_EQ(Text(movie.PlayedPath()), "FWS movie");
  EXPECT_TRUE(read.movieList.items[1].PlayedPath().ends_with(u".JPG"));
  EXPECT_EQ(Text(read.appearanceOptions.icon.path), "icon bytes");
  EXPECT_EQ(Text(read.menuAboutOptions.logo.path), "logo bytes");
  EXPECT_EQ(Text(read.overlayPanelOptions.picture.path), "png bytes");
  EXPECT_EQ(Text(read.backgroundSound.path), "mp3 bytes");
  EXPECT_EQ(read.backgroundSound.path, read.backgroundSound.file.path);
}

TEST_F(LoadingIntoDirectory, LinkedFilesKeepTheirLayoutAndTheDescriptorFollows) {
  DocumentModel read;
  ASSERT_TRUE(Load(test::FullDocument(), read));
  const MovieItem& movie = read.movieList.items[0];
  const std::u16string expected = scratch.path() + u"\\data\\one.xml";
  EXPECT_EQ(movie.linked[0].file.path, expected);
  EXPECT_EQ(Text(expected), "<one/>");
  EXPECT_EQ(movie.links, u"a|b|c|" + expected + u"|e|f|g|" + expected + u"|h|i|j|outside.txt");
  EXPECT_EQ(movie.linked[1].path, u"D:\\elsewhere\\outside.txt");
}

TEST_F(LoadingIntoDirectory, LinkedNamesThatWouldLeaveTheDirectoryAreNotWritten) {
  DocumentModel written;
  MovieItem item;
  item.path = u"m.swf";
  item.file = test::SampleFile(u"m.swf", "movie");
  for (std::u16string name : {u"show\\..\\..\\escape.txt", u"show\\C:\\escape.txt", u"show\\\\server\\x.txt",
                              u"show\\sub\\..\\x.txt", u"nobackslash.txt", u"show\\", u"show\\a:b"}) {
    LinkedFile linked;
    linked.name = name;
    linked.embedded = 1;
    linked.file = test::SampleFile(u"C:\\" + name, "escaped");
    item.linked.push_back(linked);
    item.links += u"|||" + name + u"|";
  }
  written.movieList.items = {item};
  DocumentModel read;
  ASSERT_TRUE(Load(written, read));
  for (const LinkedFile& linked : read.movieList.items[0].linked) {
    EXPECT_FALSE(linked.file.written) << U16ToUtf8(linked.name);
    EXPECT_EQ(linked.file.path, u"C:\\" + linked.name);
  }
  EXPECT_EQ(read.movieList.items[0].links, written.movieList.items[0].links);
  // Only the item itself is in the directory.
  EXPECT_EQ(platform::ListDirectory(scratch.path()).size(), 1u);
}

TEST_F(LoadingIntoDirectory, AOneByteZeroBlockIsWrittenAsAOneByteFile) {
  DocumentModel written;
  MovieItem item;
  item.path = u"missing.swf";
  item.file.path = u"missing.swf";
  item.file.data = {0};
  written.movieList.items = {item};
  DocumentModel read;
  ASSERT_TRUE(Load(written, read));
  EXPECT_EQ(test::ReadBytes(read.movieList.items[0].PlayedPath()), Bytes {0});
}

TEST_F(LoadingIntoDirectory, EmptyBlockOrEmptyPathWritesNothing) {
  DocumentModel written;
  MovieItem emptyBlock;
  emptyBlock.file.path = u"empty.swf";
  MovieItem emptyPath;
  emptyPath.file.data = {1, 2};
  written.movieList.items = {emptyBlock, emptyPath};
  DocumentModel read;
  ASSERT_TRUE(Load(written, read));
  EXPECT_EQ(read.movieList.items[0].PlayedPath(), u"empty.swf");
  EXPECT_EQ(read.movieList.items[1].PlayedPath(), u"");
  EXPECT_TRUE(platform::ListDirectory(scratch.path()).empty());
}

TEST_F(LoadingIntoDirectory, ItemsOfTheSameNameGetTheirOwnCopies) {
  DocumentModel written;
  for (const char* text : {"first", "second", "third"}) {
    MovieItem item;
    item.path = u"same.swf";
    item.file = test::SampleFile(u"C:\\same.swf", text);
    written.movieList.items.push_back(item);
  }
  DocumentModel read;
  ASSERT_TRUE(Load(written, read));
  const auto& items = read.movieList.items;
  EXPECT_NE(items[0].PlayedPath(), items[1].PlayedPath());
  EXPECT_NE(items[1].PlayedPath(), items[2].PlayedPath());
  EXPECT_EQ(Text(items[0].PlayedPath()), "first");
  EXPECT_EQ(Text(items[1].PlayedPath()), "second");
  EXPECT_EQ(Text(items[2].PlayedPath()), "third");
}

TEST_F(LoadingIntoDirectory, UnsafeExtensionsBecomeTmp) {
  EXPECT_EQ(SafeExtensionOf(u"a.swf"), u".swf");
  EXPECT_EQ(SafeExtensionOf(u"a.sw:f"), u"");
  EXPECT_EQ(SafeExtensionOf(u"noext"), u"");
  DirectoryFileSink sink(scratch.path());
  const Bytes one {1};
  const auto path = sink.WriteFile(u"x.a:b", {one, 0, 1});
  ASSERT_TRUE(path);
  EXPECT_TRUE(path->ends_with(u".tmp"));
}

TEST_F(LoadingIntoDirectory, AnUnwritableDirectoryKeepsStoredPaths) {
  DirectoryFileSink sink(scratch.path() + u"\\missing\\deeper");
  DocumentLoadOptions options;
  options.sink = &sink;
  DocumentModel read;
  ASSERT_TRUE(LoadDocumentArchive(WriteDocumentArchive(test::FullDocument()), read, options));
  EXPECT_EQ(read.movieList.items[0].PlayedPath(), u"C:\\show\\intro.swf");
}

class CountingSink : public DirectoryFileSink {
 public:
  using DirectoryFileSink::DirectoryFileSink;
  void BeforeItem(size_t index) override { calls.push_back(index); }
  std::vector<size_t> calls;
};

TEST_F(LoadingIntoDirectory, MessagesArePumpedBeforeEveryTwentiethItem) {
  DocumentModel written;
  written.movieList.items.resize(41);
  CountingSink sink(scratch.path());
  DocumentLoadOptions options;
  options.sink = &sink;
  DocumentModel read;
  ASSERT_TRUE(LoadDocumentArchive(WriteDocumentArchive(written), read, options));
  EXPECT_EQ(sink.calls, (std::vector<size_t> {0, 20, 40}));
}

TEST_F(LoadingIntoDirectory, LaterItemsGetTheirNamesAtOnceAndTheirBytesWhenStarted) {
  // A third item, linked files on the second: all of it waits; the first item and the
  // sections after the list do not. A compressed record is never held whole: the waiting
  // files are inflated again from the record itself.
  DocumentModel written = test::FullDocument();
  std::swap(written.movieList.items[0], written.movieList.items[1]);
  MovieItem third;
  third.path = u"C:\\show\\third.swf";
  third.file = test::SampleFile(u"C:\\show\\third.swf", std::string(9 << 20, 'x'));
  written.movieList.items.push_back(third);
  const Bytes sections = WriteDocumentSections(written);
  for (const bool compressed : {false, true}) {
    const Bytes record = MakeDocumentRecord(sections, compressed);
    for (const bool stopEarly : {false, true}) {
      SCOPED_TRACE(testing::Message() << "compressed " << compressed << ", stopped early " << stopEarly);
      DocumentModel read;
      DeferredFiles deferred;
      DeferringFileSink sink(scratch.File(std::u16string(u"stopped") + (stopEarly ? u"1" : u"0") +
                                          (compressed ? u"z" : u"s")),
                             deferred);
      platform::CreateSingleDirectory(sink.directory());
      DocumentLoadOptions options;
      options.sink = &sink;
      auto laterFiles = LoadDocumentRecord(record, read, options);
      ASSERT_TRUE(laterFiles);
      deferred.SetSource(std::move(laterFiles));
      const auto& items = read.movieList.items;
      EXPECT_EQ(Text(items[0].PlayedPath()), "jpeg bytes");
      EXPECT_EQ(Text(read.appearanceOptions.icon.path), "icon bytes");
      EXPECT_EQ(Text(read.backgroundSound.path), "mp3 bytes");
      EXPECT_TRUE(items[1].file.written && items[2].file.written);
      EXPECT_EQ(Text(items[1].PlayedPath()), "");
      EXPECT_EQ(Text(items[1].linked[0].file.path), "");
      EXPECT_EQ(Text(items[2].PlayedPath()), "");
      if (stopEarly) {
        deferred.Stop();
        deferred.AwaitItem(2);  // returns at once once stopped
        continue;
      }
      deferred.AwaitItem(1);
      EXPECT_EQ(Text(items[1].PlayedPath()), "FWS movie");
      EXPECT_EQ(Text(items[1].linked[0].file.path), "<one/>");
      deferred.AwaitAll();
      EXPECT_EQ(Text(items[2].PlayedPath()), std::string(9 << 20, 'x'));
    }
  }
}

TEST_F(LoadingIntoDirectory, ADeferredFileThatCannotBeWrittenHoldsUpNothing) {
  DeferredFiles deferred;
  const Bytes bytes(100, 7);
  const std::u16string lost = scratch.File(u"missing\\lost.bin");
  const std::u16string fine = scratch.File(u"fine.bin");
  deferred.SetSource(std::make_unique<HeldArchiveBytes>(bytes));
  deferred.Add(1, lost, 0, bytes.size());
  deferred.Add(2, fine, 0, bytes.size());
  deferred.AwaitItem(1);
  deferred.AwaitAll();
  EXPECT_EQ(test::ReadBytes(fine), bytes);
  EXPECT_FALSE(test::ReadBytes(lost));
}

}  // namespace
}  // namespace zp
