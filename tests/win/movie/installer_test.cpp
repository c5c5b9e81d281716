#include <gtest/gtest.h>

#include "common/movie_ids.h"
#include "install_steps.h"
#include "test_files.h"
#include "platform/wide.h"
#include "movie_test_support.h"
#include "test_container.h"

namespace zp::test {
namespace {

std::wstring InstallerPath() {
  std::wstring path = ControlPath();
  path.resize(path.find_last_of(L'\\') + 1);
  return path + L"InstallFlashPlayer.exe";
}

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

class InstallerTest : public ::testing::Test {
 protected:
  // Leave the test copy registered for whatever runs next.
  void TearDown() override { Regsvr32(ControlPath(), false); }
};

TEST_F(InstallerTest, QuietInstallRegistersItsOwnCopyAndTwiceIsHarmless) {
  ASSERT_TRUE(Regsvr32(ControlPath(), true));  // start from a machine without the control
  ASSERT_EQ(RegisteredServerPath(), L"");

  ASSERT_EQ(RunAndWait(L"\"" + InstallerPath() + L"\" /Q"), 0u);
  const std::wstring installed = RegisteredServerPath();
  ASSERT_NE(installed, L"");
  EXPECT_NE(_wcsicmp(FolderOf(installed).c_str(), FolderOf(ControlPath()).c_str()), 0) << installed;
  EXPECT_NE(GetFileAttributesW(installed.c_str()), INVALID_FILE_ATTRIBUTES);

  // The control can be created and hosted afterwards.
  TestContainer container;
  ASSERT_EQ(container.CreateControl(zp::movie::kMovieControlClsid), S_OK);
  EXPECT_GE(container.CallLong(zp::movie::kDispFlashVersion) >> 16, 7);

  // A second run, with the control loaded from the installed file in this very process.
  ASSERT_EQ(RunAndWait(L"\"" + InstallerPath() + L"\" /q"), 0u);
  EXPECT_EQ(RegisteredServerPath(), installed);
  container.DestroyControl();
  ASSERT_EQ(container.CreateControl(zp::movie::kMovieControlClsid), S_OK);
}

TEST_F(InstallerTest, WithoutTheSwitchItShowsItsWindowAndClosesByItself) {
  std::wstring line = L"\"" + InstallerPath() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
  bool sawWindow = false;
  const ULONGLONG deadline = GetTickCount64() + 30000;
  while (GetTickCount64() < deadline && WaitForSingleObject(process.hProcess, 20) == WAIT_TIMEOUT) {
    HWND window = FindWindowW(L"ZentrapolisInstallerWindow", nullptr);
    if (window && IsWindowVisible(window)) sawWindow = true;
  }
  DWORD code = 1234;
  const bool ended = WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
  GetExitCodeProcess(process.hProcess, &code);
  if (!ended) TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  EXPECT_TRUE(sawWindow);
  EXPECT_TRUE(ended);
  EXPECT_EQ(code, 0u);
  EXPECT_NE(RegisteredServerPath(), L"");
}

TEST_F(InstallerTest, AFolderThatCannotBeWrittenPassesToTheNext) {
  const auto control = ReadBytes(FromWide(ControlPath()));
  ASSERT_TRUE(control);
  ScratchDirectory scratch;
  // A "folder" that is a file cannot take the control, as Program Files cannot for a user
  // without rights.
  const std::wstring blocked = ToWide(scratch.File(u"blocked"));
  ASSERT_TRUE(WriteBytes(FromWide(blocked), std::vector<uint8_t>{1}));
  const std::wstring user = ToWide(scratch.File(u"user\\Movie Control"));
  EXPECT_EQ(zp::installer::InstallInto(*control, {blocked, user}, nullptr, nullptr), zp::installer::kInstalled);
  const std::wstring placed = user + L"\\ZentraMovie.ocx";
  EXPECT_EQ(_wcsicmp(RegisteredServerPath().c_str(), placed.c_str()), 0) << RegisteredServerPath();
  EXPECT_EQ(ReadBytes(FromWide(placed)), control);

  // Nowhere to write: a failure, reported as such.
  EXPECT_EQ(zp::installer::InstallInto(*control, {blocked}, nullptr, nullptr), zp::installer::kCannotWrite);
  EXPECT_EQ(zp::installer::InstallInto({}, {user}, nullptr, nullptr), zp::installer::kNoControl);
  // Bytes that are no control are copied but cannot be registered.
  const std::vector<uint8_t> junk{'M', 'Z', 0, 0};
  EXPECT_EQ(zp::installer::InstallInto(junk, {ToWide(scratch.File(u"junk"))}, nullptr, nullptr),
            zp::installer::kCannotRegister);
}

}  // namespace
}  // namespace zp::test
