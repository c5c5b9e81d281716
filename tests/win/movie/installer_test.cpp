#include <gtest/gtest.h>

#include "controls/movie/movie_ids.h"
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

}  // namespace
}  // namespace zp::test
