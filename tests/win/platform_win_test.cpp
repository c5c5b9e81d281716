#include <windows.h>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "platform/wide.h"
#include "test_files.h"

namespace zp {
namespace {

TEST(PlatformWin, MapsAWholeFileReadOnly) {
  test::ScratchDirectory scratch;
  const auto data = test::RandomBytes(100000, 1);
  const std::u16string path = scratch.File(u"data.bin");
  ASSERT_TRUE(test::WriteBytes(path, data));
  platform::MappedFile file;
  ASSERT_EQ(file.Map(path), data.size());
  EXPECT_TRUE(std::equal(data.begin(), data.end(), file.data()));
  // Others may still read the file while it is mapped, but not write it.
  const HANDLE reader = CreateFileW(ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(reader, INVALID_HANDLE_VALUE);
  CloseHandle(reader);
  file.Release();
  EXPECT_EQ(file.size(), 0u);
  EXPECT_EQ(file.Map(scratch.File(u"missing.bin")), 0u);
}

TEST(PlatformWin, AnExistingFileIsAFileNotAFolder) {
  test::ScratchDirectory scratch;
  ASSERT_TRUE(test::WriteBytes(scratch.File(u"here.txt"), test::ToBytes("x")));
  ASSERT_TRUE(CreateDirectoryW(ToWide(scratch.File(u"folder.txt")).c_str(), nullptr));
  const struct {
    std::u16string path;
    bool exists;
  } cases[] = {{scratch.File(u"here.txt"), true},     {scratch.File(u"HERE.TXT"), true},
               {scratch.File(u"folder.txt"), false},  {scratch.File(u"folder.txt\\"), false},
               {scratch.File(u"missing.txt"), false}, {u"", false}};
  for (const auto& c : cases) EXPECT_EQ(platform::IsExistingFile(c.path), c.exists) << ToWide(c.path);
}

TEST(PlatformWin, OutputFilesDenyWritersAndCreateNewRefusesExistingNames) {
  test::ScratchDirectory scratch;
  const std::u16string path = scratch.File(u"out.bin");
  platform::OutputFile out;
  ASSERT_TRUE(out.Open(path, platform::OutputFile::Mode::kCreateNew));
  const HANDLE writer = CreateFileW(ToWide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
  EXPECT_TRUE(out.Write(test::ToBytes("abc")));
  out.Close();
  platform::OutputFile again;
  EXPECT_FALSE(again.Open(path, platform::OutputFile::Mode::kCreateNew));
  EXPECT_TRUE(again.Open(path, platform::OutputFile::Mode::kCreateAlways));
  again.Close();
  EXPECT_EQ(test::ReadBytes(path), test::Bytes {});  // truncated
}

TEST(PlatformWin, ModulePathIsThisProgram) {
  const std::u16string path = platform::ModuleFilePath();
  ASSERT_GT(path.size(), 4u);
  EXPECT_EQ(path.substr(path.size() - 4), u".exe");
  EXPECT_TRUE(platform::ReadAttributes(path).has_value());
}

}  // namespace
}  // namespace zp
