// The packed player as a user meets it on whatever screen the tests run on: its window's place,
// size, shape and styles, the keys that close it, Print Screen blocking, the splash signal and the exit code.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <optional>
#include <string>

#include "platform/wide.h"

#include "common/splash_constants.h"
#include "core/package_format.h"
#include "support/e2e_support.h"
#include "test_files.h"

namespace zp::e2e {
namespace {

DocumentModel Presentation() {
  DocumentModel document;
  MovieItem item;
  item.path = u"C:\\tour\\intro.jpg";
  item.playTime = 3;
  item.file.path = u"C:\\tour\\intro.jpg";
  item.file.data = {0xFF, 0xD8, 0xFF, 0xD9};
  document.movieList.items.push_back(item);
  document.sizeOptions.sizeMode = 1;
  return document;
}

using namespace std::chrono_literals;

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds deadline = 20s) {
  return WaitUntil(condition, deadline, 20ms);
}

// What a user can see of a window from outside its process.
struct WindowFacts {
  RECT rect{};
  LONG_PTR style = 0;
  LONG_PTR exStyle = 0;
  bool hasRegion = false;
  RECT regionBox{};
  HWND owner = nullptr;
  bool visible = false;
};

WindowFacts LookAt(HWND window) {
  WindowFacts facts;
  GetWindowRect(window, &facts.rect);
  facts.style = GetWindowLongPtrW(window, GWL_STYLE);
  facts.exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  if (GetWindowRgn(window, region) != ERROR) {
    facts.hasRegion = true;
    GetRgnBox(region, &facts.regionBox);
  }
  DeleteObject(region);
  facts.owner = GetWindow(window, GW_OWNER);
  facts.visible = IsWindowVisible(window) != 0;
  return facts;
}

class PackedPlayer : public ::testing::Test {
 protected:
  // Packs the document onto the player, gives it a temporary folder of its own and starts it; a
  // failure says which of the three steps failed and the system's error code.
  ::testing::AssertionResult Start(const DocumentModel& document, std::u16string_view name) {
    const std::wstring program = ToWide(directory_.File(name));
    if (auto written = WritePackedPlayer(document, program); !written) return written;
    const std::wstring temporary = ToWide(directory_.File(u"tmp"));
    if (!CreateDirectoryW(temporary.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
      return ::testing::AssertionFailure() << "creating the temporary folder failed with error " << GetLastError();
    }
    player_.emplace(Launch(program, L"", temporary));
    return player_->Started();
  }
  // The player's dialog once it is visible, or null (with the reason reported) when the player
  // did not start or showed no dialog.
  HWND Run(const DocumentModel& document, std::u16string_view name = u"Tour.exe") {
    const auto started = Start(document, name);
    EXPECT_TRUE(started);
    if (!started) return nullptr;
    HWND window = nullptr;
    EXPECT_TRUE(WaitFor([&] { return (window = PlayerDialogOf(player_->id())) != nullptr || !player_->Running(); }));
    EXPECT_NE(window, nullptr) << "the player " << (player_->Running() ? "showed no dialog" : "ended without one");
    return window;
  }
  std::optional<DWORD> WaitForExit() { return player_ ? player_->WaitForExit(20s) : std::nullopt; }
  // Posted messages are handled in order: once the command after `message` has shown its
  // effect, `message` has been handled too.
  void PostThenSync(HWND window, UINT message, WPARAM wParam) {
    PostMessageW(window, message, wParam, 0);
    PostMessageW(window, WM_COMMAND, 603, 0);  // "Always On Top"
    EXPECT_TRUE(WaitFor([&] { return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }));
  }
  void CloseWithEscape(HWND window) {
    PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(WaitForExit(), std::optional<DWORD>(0));
  }

  test::ScratchDirectory directory_;
  std::optional<Launched> player_;
};

TEST_F(PackedPlayer, FramelessFixedWindowIsCentredWithItsTaskbarButton) {
  DocumentModel document = Presentation();
  document.appearanceOptions.hasFrame = 0;
  HWND window = Run(document);
  ASSERT_TRUE(window);
  WindowFacts facts = LookAt(window);
  const RECT area = WorkArea();
  EXPECT_EQ(facts.rect.left, area.left + (area.right - area.left - 800) / 2);
  EXPECT_EQ(facts.rect.top, area.top + (area.bottom - area.top - 600) / 2);
  EXPECT_EQ(facts.rect.right - facts.rect.left, 800);
  EXPECT_EQ(facts.rect.bottom - facts.rect.top, 600);
  EXPECT_FALSE(facts.style & WS_CAPTION);
  EXPECT_TRUE(facts.exStyle & WS_EX_APPWINDOW);
  EXPECT_EQ(facts.owner, nullptr);
  EXPECT_FALSE(facts.exStyle & WS_EX_TOPMOST);
  EXPECT_FALSE(facts.hasRegion);
  wchar_t title[64] = {};
  GetWindowTextW(window, title, 64);
  EXPECT_STREQ(title, L"Tour");
  CloseWithEscape(window);
}

TEST_F(PackedPlayer, FramedHalfScreenTopmostWithoutTaskbarButton) {
  DocumentModel document = Presentation();
  document.sizeOptions.sizeMode = 2;
  document.sizeOptions.percent = 50;
  document.sizeOptions.positionPreset = 9;
  document.appearanceOptions.showInTaskbar = 0;
  document.appearanceOptions.alwaysOnTop = 1;
  document.appearanceOptions.title = u"Quarterly figures";
  HWND window = Run(document);
  ASSERT_TRUE(window);
  WindowFacts facts = LookAt(window);
  const RECT area = WorkArea();
  const auto half = [](LONG length) { return (length * 50 + 50) / 100; };
  EXPECT_EQ(facts.rect.left, area.right - half(area.right - area.left));
  EXPECT_EQ(facts.rect.top, area.bottom - half(area.bottom - area.top));
  EXPECT_EQ(facts.rect.right, area.right);
  EXPECT_EQ(facts.rect.bottom, area.bottom);
  EXPECT_TRUE(facts.style & WS_CAPTION);
  EXPECT_TRUE(facts.exStyle & WS_EX_TOPMOST);
  EXPECT_FALSE(facts.exStyle & WS_EX_APPWINDOW);
  ASSERT_NE(facts.owner, nullptr);  // the hidden owner takes the taskbar button away
  EXPECT_FALSE(IsWindowVisible(facts.owner));
  wchar_t title[64] = {};
  GetWindowTextW(window, title, 64);
  EXPECT_STREQ(title, L"Quarterly figures");
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForExit(), std::optional<DWORD>(0));
}

TEST_F(PackedPlayer, CustomRegionShapesAndSizesTheWindow) {
  DocumentModel document = Presentation();
  document.sizeOptions.positionPreset = 6;
  document.appearanceOptions.shapeMode = 2;
  std::vector<uint8_t> region(48);
  WriteU32(region, 0, 32);
  WriteU32(region, 4, 1);
  WriteU32(region, 8, 1);
  WriteU32(region, 12, 16);
  for (size_t at : {16u, 32u}) {
    WriteU32(region, at + 8, 300);
    WriteU32(region, at + 12, 200);
  }
  document.appearanceOptions.region = region;
  HWND window = Run(document);
  ASSERT_TRUE(window);
  WindowFacts facts = LookAt(window);
  EXPECT_EQ(facts.rect.left, 0);
  EXPECT_EQ(facts.rect.top, -1);
  EXPECT_EQ(facts.rect.right - facts.rect.left, 300);
  EXPECT_EQ(facts.rect.bottom - facts.rect.top, 200);
  ASSERT_TRUE(facts.hasRegion);
  EXPECT_EQ(facts.regionBox.right, 300);
  EXPECT_EQ(facts.regionBox.bottom, 200);
  CloseWithEscape(window);
}

TEST_F(PackedPlayer, EllipseShape) {
  DocumentModel document = Presentation();
  document.sizeOptions.width = 400;
  document.sizeOptions.height = 200;
  document.appearanceOptions.shapeMode = 1;
  document.appearanceOptions.shapeKind = 1;
  HWND window = Run(document);
  ASSERT_TRUE(window);
  WindowFacts facts = LookAt(window);
  EXPECT_EQ(facts.rect.right - facts.rect.left, 400);  // shaped: no frame adjustment
  ASSERT_TRUE(facts.hasRegion);
  EXPECT_NEAR(facts.regionBox.right - facts.regionBox.left, 400, 1);  // ellipses leave the last column
  CloseWithEscape(window);
}

TEST_F(PackedPlayer, EscapeThatMayNotCloseKeepsThePlayerRunning) {
  DocumentModel document = Presentation();
  document.mouseKeyOptions.escapeCloses = 0;
  HWND window = Run(document);
  ASSERT_TRUE(window);
  PostThenSync(window, WM_KEYDOWN, VK_ESCAPE);
  EXPECT_TRUE(player_->Running());
  EXPECT_TRUE(IsWindow(window));
  PostMessageW(window, WM_COMMAND, 615, 0);  // "Exit"
  EXPECT_EQ(WaitForExit(), std::optional<DWORD>(0));
}

TEST_F(PackedPlayer, AnyKeyClosesWhenTheDocumentSaysSo) {
  DocumentModel document = Presentation();
  document.mouseKeyOptions.closeKeyMode = 1;
  document.mouseKeyOptions.closeKeyEnabled = 1;
  document.mouseKeyOptions.escapeCloses = 0;
  HWND window = Run(document);
  ASSERT_TRUE(window);
  PostMessageW(window, WM_KEYDOWN, 'K', 0);
  EXPECT_EQ(WaitForExit(), std::optional<DWORD>(0));
}

TEST_F(PackedPlayer, DraggingAnywhereMovesTheWindow) {
  DocumentModel document = Presentation();
  document.appearanceOptions.hasFrame = 0;
  document.sizeOptions.width = 300;
  document.sizeOptions.height = 200;
  document.mouseKeyOptions.leftDrag = 1;
  HWND window = Run(document);
  ASSERT_TRUE(window);
  ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == window || (SetForegroundWindow(window), false); }, 5s));
  const RECT before = LookAt(window).rect;
  const int x = before.left + 100, y = before.top + 100;
  SendMouse(MOUSEEVENTF_MOVE, x, y);
  SendMouse(MOUSEEVENTF_LEFTDOWN, x, y);
  // The player captures the mouse when its drag begins.
  const DWORD thread = GetWindowThreadProcessId(window, nullptr);
  EXPECT_TRUE(WaitFor([&] {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(thread, &info) && info.hwndCapture == window;
  }, 10s));
  SendMouse(MOUSEEVENTF_MOVE, x + 40, y + 30);
  EXPECT_TRUE(WaitFor([&] { return LookAt(window).rect.left == before.left + 40; }, 10s));
  SendMouse(MOUSEEVENTF_LEFTUP, x + 40, y + 30);
  const RECT after = LookAt(window).rect;
  EXPECT_EQ(after.top, before.top + 30);
  EXPECT_EQ(after.right - after.left, 300);
  CloseWithEscape(window);
}

HWND VisibleMenuOf(DWORD thread) {
  HWND menu = nullptr;
  while ((menu = FindWindowExW(nullptr, menu, L"#32768", nullptr)) != nullptr) {
    if (IsWindowVisible(menu) && GetWindowThreadProcessId(menu, nullptr) == thread) return menu;
  }
  return nullptr;
}

TEST_F(PackedPlayer, RightClickOpensTheContextMenu) {
  DocumentModel document = Presentation();
  document.appearanceOptions.hasFrame = 0;
  HWND window = Run(document);
  ASSERT_TRUE(window);
  ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == window || (SetForegroundWindow(window), false); }, 5s));
  const DWORD thread = GetWindowThreadProcessId(window, nullptr);
  const RECT r = LookAt(window).rect;
  SendMouse(MOUSEEVENTF_MOVE, r.left + 60, r.top + 60);
  SendMouse(MOUSEEVENTF_RIGHTDOWN, r.left + 60, r.top + 60);
  SendMouse(MOUSEEVENTF_RIGHTUP, r.left + 60, r.top + 60);
  HWND menu = nullptr;
  EXPECT_TRUE(WaitFor([&] { return (menu = VisibleMenuOf(thread)) != nullptr; }, 10s));
  // Esc closes the menu; the player itself goes with the menu's "Exit".
  PressKey(VK_ESCAPE);
  EXPECT_TRUE(WaitFor([&] { return VisibleMenuOf(thread) == nullptr; }, 10s));
  PostMessageW(window, WM_COMMAND, 615, 0);
  EXPECT_EQ(WaitForExit(), std::optional<DWORD>(0));
}

TEST_F(PackedPlayer, RightClickWithRightButtonSwallowedOpensNothing) {
  DocumentModel document = Presentation();
  document.appearanceOptions.hasFrame = 0;
  document.mouseKeyOptions.rightButton = 3;
  HWND window = Run(document);
  ASSERT_TRUE(window);
  ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == window || (SetForegroundWindow(window), false); }, 5s));
  const DWORD thread = GetWindowThreadProcessId(window, nullptr);
  const RECT r = LookAt(window).rect;
  SendMouse(MOUSEEVENTF_MOVE, r.left + 60, r.top + 60);
  SendMouse(MOUSEEVENTF_RIGHTDOWN, r.left + 60, r.top + 60);
  SendMouse(MOUSEEVENTF_RIGHTUP, r.left + 60, r.top + 60);
  // Input is handled in order: had the click opened a menu, this Esc would close the menu
  // and not the player.
  PressKey(VK_ESCAPE);
  EXPECT_EQ(WaitForExit(), std::optional<DWORD>(0));
  EXPECT_EQ(VisibleMenuOf(thread), nullptr);
}

bool PutTextOnClipboard() {
  if (!OpenClipboard(nullptr)) return false;
  EmptyClipboard();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, 16);
  std::memcpy(GlobalLock(memory), L"secret", 14);
  GlobalUnlock(memory);
  const bool put = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
  CloseClipboard();
  return put;
}

bool ClipboardHasText() { return IsClipboardFormatAvailable(CF_UNICODETEXT) != 0; }

void PressPrintScreen(HWND window) {
  SetForegroundWindow(window);
  PressKey(VK_SNAPSHOT);
}

TEST_F(PackedPlayer, PrintScreenEmptiesTheClipboardWhenBlocked) {
  DocumentModel document = Presentation();
  document.behaviourOptions.protectFlags = 2;
  HWND window = Run(document);
  ASSERT_TRUE(window);
  ASSERT_TRUE(PutTextOnClipboard());
  ASSERT_TRUE(ClipboardHasText());
  ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == window || (SetForegroundWindow(window), false); }, 5s));
  PressPrintScreen(window);
  EXPECT_TRUE(WaitFor([] { return !ClipboardHasText(); }, 10s));
  CloseWithEscape(window);
}

TEST_F(PackedPlayer, PrintScreenLeavesTheClipboardAloneWhenAllowed) {
  DocumentModel document = Presentation();
  HWND window = Run(document);
  ASSERT_TRUE(window);
  ASSERT_TRUE(PutTextOnClipboard());
  ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == window || (SetForegroundWindow(window), false); }, 5s));
  PressPrintScreen(window);
  // Keys are handled in order: once Esc has closed the player, Print Screen went by.
  PressKey(VK_ESCAPE);
  EXPECT_EQ(WaitForExit(), std::optional<DWORD>(0));
  EXPECT_TRUE(ClipboardHasText());
}

TEST_F(PackedPlayer, SplashIsSignalledExactlyOnceWhenTheWindowIsUp) {
  SplashSlot slot(kPreloaderSlotName);
  ASSERT_TRUE(slot.valid());
  HWND window = Run(Presentation());
  ASSERT_TRUE(window);
  ASSERT_TRUE(WaitFor([&] { return slot.Messages() > 0; }));
  EXPECT_EQ(slot.NextSize(), 4u);
  // By the time the message arrives the window has its place.
  const RECT placed = LookAt(window).rect;
  EXPECT_EQ(placed.left, WorkAreaMiddle().x - (placed.right - placed.left) / 2);
  CloseWithEscape(window);
  EXPECT_EQ(slot.Messages(), 1u);
}

TEST_F(PackedPlayer, EmptyPresentationSignalsAndEndsWithoutAWindow) {
  SplashSlot slot(kPreloaderSlotName);
  ASSERT_TRUE(slot.valid());
  DocumentModel empty;
  ASSERT_TRUE(Start(empty, u"Empty.exe"));
  EXPECT_TRUE(WaitForExit().has_value());
  EXPECT_EQ(slot.Messages(), 1u);
}

TEST_F(PackedPlayer, WithoutASplashThePlayerBehavesTheSame) {
  HWND window = Run(Presentation());
  ASSERT_TRUE(window);
  EXPECT_TRUE(LookAt(window).visible);
  CloseWithEscape(window);
}

}  // namespace
}  // namespace zp::e2e
