#include <gtest/gtest.h>

#include "core/package_reader.h"
#include "core/package_writer.h"
#include "core/temp_files.h"
#include "platform/platform.h"
#include "test_files.h"

namespace zp {
namespace {

TEST(PackageReaderWin, ThisProgramHoldsNoDocumentTagOfItsOwn) {
  // The tags live in the program's data only as separate halves.
  EXPECT_FALSE(FindDocumentRecord(platform::ModuleFilePath()).has_value());
}

TEST(PackageReaderWin, ReadsAPackageAppendedToAProgram) {
  test::ScratchDirectory scratch;
  const auto program = test::ReadBytes(platform::ModuleFilePath());
  ASSERT_TRUE(program.has_value());
  const auto archive = test::RandomBytes(50000, 1);
  const auto library = test::RandomBytes(30000, 2);
  const std::u16string packed = scratch.File(u"Packed.exe");
  ASSERT_TRUE(test::WriteBytes(packed, test::Concat({*program, MakeDocumentRecord(archive),
                                                     MakeFileRecord(kResourceLibraryTag, u"CommonResources.dll", library)})));
  const auto offset = FindDocumentRecord(packed);
  ASSERT_EQ(offset, program->size());
  {
    auto source = ReadDocumentRecord(packed, *offset);
    ASSERT_TRUE(source.has_value());
    EXPECT_TRUE(source->temporary());
    // The document's temporary file lives in the temporary base, not beside the program.
    EXPECT_EQ(source->path().rfind(TemporaryBase() + u"\\", 0), 0u);
  }
  EXPECT_TRUE(ExtractFileRecords(packed, kResourceLibraryTag, scratch.path(), false));
  EXPECT_EQ(test::ReadBytes(scratch.File(u"CommonResources.dll")), library);
}

}  // namespace
}  // namespace zp
