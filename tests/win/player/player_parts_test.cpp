// The player's resources, the splash client, the shapes as regions and the owner window.
#include <gtest/gtest.h>

#include <string>

#include "player/owner_window.h"
#include "player/preloader_client.h"
#include "player/tray_icon.h"
#include "player/window_shape.h"
#include "resource_ids.h"

namespace zp::player {
namespace {

std::wstring StringOf(HMODULE module, UINT id) {
  wchar_t buffer[512] = {};
  int length = LoadStringW(module, id, buffer, 512);
  return std::wstring(buffer, length > 0 ? length : 0);
}

TEST(PlayerResources, OwnStringsIconAndTemplate) {
  HMODULE self = GetModuleHandleW(nullptr);
  EXPECT_EQ(StringOf(self, IDS_TRAY_TIP), L"Zentrapolis Projector");
  EXPECT_EQ(StringOf(self, IDS_ABOUT_ENTRY), L"About...");
  EXPECT_EQ(StringOf(self, IDS_ABOUT_CAPTION), L"About");
  EXPECT_EQ(StringOf(self, IDS_WARN_COLOUR_DEPTH),
            L"In order for Flash transparency to work\nyou need to set your graphics mode to 16, 24 or 32 bit color.");
  EXPECT_EQ(StringOf(self, IDS_WARN_NO_LAYERED),
            L"Your operating system does not support transparent Flash operation. You need Windows 2000 and above.");
  EXPECT_NE(LoadIconW(self, MAKEINTRESOURCEW(IDI_PLAYER)), nullptr);
  EXPECT_NE(FindResourceW(self, MAKEINTRESOURCEW(IDD_PLAYER), RT_DIALOG), nullptr);
}

TEST(PlayerResources, TemplateHasTheTitleAndStyles) {
  HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_PLAYER), nullptr,
                                   [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
  ASSERT_NE(dialog, nullptr);
  wchar_t title[32] = {};
  GetWindowTextW(dialog, title, 32);
  EXPECT_STREQ(title, L"Projector");
  const LONG_PTR style = GetWindowLongPtrW(dialog, GWL_STYLE);
  const LONG_PTR wanted = WS_POPUP | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  EXPECT_EQ(style & wanted, wanted);
  EXPECT_TRUE(GetWindowLongPtrW(dialog, GWL_EXSTYLE) & WS_EX_APPWINDOW);
  DestroyWindow(dialog);
}

TEST(PlayerResources, ResourceLibraryWords) {
  HMODULE library = LoadLibraryExW(L"CommonResources.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(library, nullptr);
  EXPECT_EQ(StringOf(library, 1), L"FSCommand:  <%s>  <%s>");
  EXPECT_EQ(StringOf(library, 2), L"Command found in: %s");
  EXPECT_EQ(StringOf(library, 3), L"Command Result: <%s>");
  EXPECT_EQ(StringOf(library, 4), L"Command not found!");
  const wchar_t* words[] = {L"Low",     L"Medium",  L"High",     L"Always On Top", L"Zoom In",  L"Zoom Out",
                            L"Quality", L"Play",    L"Loop",     L"Rewind",        L"Forward",  L"Back",
                            L"Maximize", L"Minimize", L"Restore", L"Exit",          L"100%"};
  for (UINT id = 14; id <= 30; ++id) EXPECT_EQ(StringOf(library, id), words[id - 14]) << id;
  EXPECT_EQ(StringOf(library, 560), L"Flash player not found. This application needs to have Flash player installed");
  FreeLibrary(library);
}

TEST(PreloaderSignal, OneMessageOfFourBytesAtMost) {
  const std::wstring name = L"\\\\.\\mailslot\\ZentrapolisClientTest" + std::to_wstring(GetCurrentProcessId());
  HANDLE slot = CreateMailslotW(name.c_str(), 0, 0, nullptr);
  ASSERT_NE(slot, INVALID_HANDLE_VALUE);
  PreloaderClient client(name);
  client.Open();
  EXPECT_TRUE(client.isOpen());
  client.Signal();
  client.Signal();
  EXPECT_FALSE(client.isOpen());
  DWORD next = 0, count = 0;
  ASSERT_TRUE(GetMailslotInfo(slot, nullptr, &next, &count, nullptr));
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(next, 4u);
  CloseHandle(slot);
}

TEST(PreloaderSignal, NoSplashNoMessageNoTrouble) {
  PreloaderClient client(L"\\\\.\\mailslot\\ZentrapolisNobodyListens");
  client.Open();
  EXPECT_FALSE(client.isOpen());
  client.Signal();
}

TEST(WindowShapes, RegionsCoverTheirShapes) {
  auto ellipse = MakeShapeRegion(layout::PredefinedShape(1, {200, 100}));
  ASSERT_TRUE(ellipse);
  EXPECT_TRUE(PtInRegion(static_cast<HRGN>(ellipse.get()), 100, 50));
  EXPECT_FALSE(PtInRegion(static_cast<HRGN>(ellipse.get()), 2, 2));
  auto star = MakeShapeRegion(layout::PredefinedShape(4, {401, 401}));
  ASSERT_TRUE(star);
  EXPECT_TRUE(PtInRegion(static_cast<HRGN>(star.get()), 200, 10));    // the top point
  EXPECT_FALSE(PtInRegion(static_cast<HRGN>(star.get()), 100, 60));   // between two points
  EXPECT_FALSE(MakeShapeRegion(layout::PredefinedShape(9, {10, 10})));
  EXPECT_FALSE(MakeCustomRegion(std::vector<uint8_t>(31, 0)));
}

TEST(OwnerWindow, HiddenOwnerTakesTheTaskbarButtonAway) {
  OwnerWindow owner;
  ASSERT_TRUE(owner.CreateHidden());
  EXPECT_FALSE(IsWindowVisible(owner.hwnd()));
  EXPECT_TRUE(GetWindowLongPtrW(owner.hwnd(), GWL_STYLE) & WS_OVERLAPPEDWINDOW);
}

TEST(TrayIcon, AddedAndRemovedWithItsObject) {
  OwnerWindow owner;
  ASSERT_TRUE(owner.CreateHidden());
  {
    TrayIcon icon;
    const bool added = icon.Add(owner.hwnd(), LoadIconW(nullptr, IDI_APPLICATION),
                                L"A tip longer than the notification area takes is cut rather than overrunning "
                                L"the buffer that holds it, however long the resource string happens to be, which "
                                L"this text is meant to show by being far longer than one hundred and twenty-eight "
                                L"characters.");
    EXPECT_EQ(icon.shown(), added);
  }
  TrayIcon none;
  none.Remove();  // nothing shown: nothing to do
  EXPECT_FALSE(none.shown());
}

}  // namespace
}  // namespace zp::player
