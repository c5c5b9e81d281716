// The FSCommand log window as a user meets it: shown when the document asks for it, hidden
// otherwise, and back at the place where the user left it on the next run.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "platform/wide.h"
#include "player_windows.h"
#include "support/e2e_support.h"
#include "test_files.h"

namespace zp::e2e {
namespace {

using namespace std::chrono_literals;
using outside::WindowTitled;

constexpr wchar_t kSettingsKey[] = L"Software\\Zentrapolis\\ZentrapolisProjector\\LogTour";

DocumentModel Presentation(bool showLog) {
  DocumentModel document;
  MovieItem item;
  item.path = u"C:\\tour\\intro.jpg";
  item.playTime = 30;
  item.file.path = u"C:\\tour\\intro.jpg";
  item.file.data = {0xFF, 0xD8, 0xFF, 0xD9};
  document.movieList.items.push_back(item);
  document.sizeOptions.sizeMode = 1;
  document.logOptions.showLog = showLog ? 1 : 0;
  return document;
}

std::wstring SavedRect() {
  wchar_t text[64] = {};
  DWORD size = sizeof(text);
  const std::wstring key = std::wstring(kSettingsKey) + L"\\DebugDlg";
  if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"Rect", RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
    return {};
  return text;
}

class FsCommandLog : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey); }
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey); }

  Launched Start(bool showLog) {
    const std::wstring program = ToWide(directory_.File(u"LogTour.exe"));
    EXPECT_TRUE(WritePackedPlayer(Presentation(showLog), program));
    const std::wstring temporary = ToWide(directory_.File(u"tmp"));
    CreateDirectoryW(temporary.c_str(), nullptr);
    return Launch(program, L"", temporary);
  }
  void Close(Launched& player, HWND dialog) {
    PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(player.WaitForExit(20s), std::optional<DWORD>(0));
  }

  test::ScratchDirectory directory_;
};

TEST_F(FsCommandLog, ShownOnRequestAndBackWhereTheUserLeftIt) {
  {
    Launched player = Start(true);
    ASSERT_TRUE(player.started());
    HWND log = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (log = WindowTitled(player.id(), L"FSCommand Log", true)) != nullptr; }, 20s));
    EXPECT_TRUE(GetWindowLongPtrW(log, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    RECT rect{};
    GetWindowRect(log, &rect);
    EXPECT_EQ(rect.right - rect.left, 480);
    EXPECT_EQ(rect.bottom - rect.top, 150);
    HWND edit = FindWindowExW(log, nullptr, L"Edit", nullptr);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(GetWindowTextLengthW(edit), 0);

    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (dialog = PlayerDialogOf(player.id())) != nullptr; }, 20s));
    // The user moves the log, then closes it with its close button: it only hides.
    SetWindowPos(log, nullptr, 50, 60, 400, 200, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(log, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(log); }, 10s));
    EXPECT_TRUE(IsWindow(log));
    EXPECT_TRUE(player.Running());
    Close(player, dialog);
  }
  EXPECT_EQ(SavedRect(), L"50,60,450,260");

  Launched again = Start(true);
  HWND log = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (log = WindowTitled(again.id(), L"FSCommand Log", true)) != nullptr; }, 20s));
  HWND dialog = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (dialog = PlayerDialogOf(again.id())) != nullptr; }, 20s));
  RECT rect{};
  GetWindowRect(log, &rect);
  EXPECT_EQ(rect.left, 50);
  EXPECT_EQ(rect.top, 60);
  EXPECT_EQ(rect.right, 450);
  EXPECT_EQ(rect.bottom, 260);
  Close(again, dialog);
}

TEST_F(FsCommandLog, HiddenUnlessTheDocumentAsks) {
  Launched player = Start(false);
  ASSERT_TRUE(player.started());
  HWND dialog = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (dialog = PlayerDialogOf(player.id())) != nullptr; }, 20s));
  EXPECT_NE(WindowTitled(player.id(), L"FSCommand Log", false), nullptr);
  EXPECT_EQ(WindowTitled(player.id(), L"FSCommand Log", true), nullptr);
  Close(player, dialog);
}

}  // namespace
}  // namespace zp::e2e
