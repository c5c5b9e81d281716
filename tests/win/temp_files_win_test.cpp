#include <windows.h>

#include <gtest/gtest.h>

#include "core/temp_files.h"
#include "platform/platform.h"
#include "platform/wide.h"
#include "test_files.h"

namespace zp {
namespace {

TEST(TempFilesWin, ReadOnlyFileIsRemovedOnTheSecondAttempt) {
  const std::u16string dir = CreateTemporaryDirectory();
  const std::u16string file = JoinPath(dir, u"locked.swf");
  ASSERT_TRUE(test::WriteBytes(file, test::ToBytes("movie")));
  ASSERT_TRUE(SetFileAttributesW(ToWide(file).c_str(), FILE_ATTRIBUTE_READONLY));
  // The plain delete is refused, so only the toggle of the read-only bit can remove it.
  EXPECT_FALSE(DeleteFileW(ToWide(file).c_str()));
  EXPECT_TRUE(RemoveTree(dir));
  EXPECT_FALSE(test::Exists(dir));
}

TEST(TempFilesWin, DriveRootsAreNeverRemoved) {
  const std::u16string marker = u"C:\\zentrapolis-root-marker.txt";
  ASSERT_TRUE(test::WriteBytes(marker, test::ToBytes("keep")));
  EXPECT_FALSE(RemoveTree(u"C:\\"));
  EXPECT_FALSE(RemoveTree(u"D:"));
  EXPECT_FALSE(RemoveTree(u"C:"));
  EXPECT_TRUE(test::Exists(marker));
  EXPECT_TRUE(test::Exists(u"C:\\windows"));
  DeleteFileW(ToWide(marker).c_str());
}

TEST(TempFilesWin, CleanUpSucceedsWhileTheCurrentDirectoryIsInside) {
  const std::u16string before = platform::CurrentDirectory();
  const std::u16string dir = CreateTemporaryDirectory();
  ASSERT_TRUE(CreateDirectoryPath(JoinPath(dir, u"media\\clips")));
  ASSERT_TRUE(test::WriteBytes(JoinPath(dir, u"media\\clips\\a.flv"), test::ToBytes("a")));
  ASSERT_TRUE(platform::ChangeCurrentDirectory(dir));
  RemoveTemporaryDirectory(dir);
  EXPECT_FALSE(test::Exists(dir));
  EXPECT_NE(platform::CurrentDirectory(), dir);
  platform::ChangeCurrentDirectory(before);
}

TEST(TempFilesWin, TemporaryDirectoryLivesInTheSystemTemporaryDirectory) {
  const std::u16string dir = CreateTemporaryDirectory();
  EXPECT_TRUE(IsDirectory(dir));
  EXPECT_EQ(dir.rfind(TemporaryBase() + u"\\", 0), 0u);
  EXPECT_EQ(dir.substr(dir.size() - 4), u".tmp");
  RemoveTemporaryDirectory(dir);
}

TEST(TempFilesWin, MissingTempFolderMakesTheCurrentDirectoryTheBase) {
  wchar_t saved[MAX_PATH] = {};
  GetEnvironmentVariableW(L"TMP", saved, MAX_PATH);
  SetEnvironmentVariableW(L"TMP", L"C:\\no\\such\\folder");
  const std::u16string base = TemporaryBase();
  SetEnvironmentVariableW(L"TMP", saved);
  EXPECT_EQ(base, platform::CurrentDirectory());
}

TEST(TempFilesWin, ProgramDirectoryUsesBackslashesOnly) {
  const std::u16string dir = ProgramDirectory();
  EXPECT_TRUE(IsDirectory(dir));
  EXPECT_EQ(dir.find(u'/'), std::u16string::npos);
  EXPECT_NE(dir.back(), u'\\');
}

}  // namespace
}  // namespace zp
