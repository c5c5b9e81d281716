// Transparent presentations as a user meets them. Where the transparency control is not
// registered and the temporary folder's path has a space, the player registers the control it
// carries for the run, floats the movie in a layered window through which the empty stage shows
// what lies behind, moves it when the movie asks, and leaves nothing behind. On a display with
// too few colours it warns once and plays opaque. scripts/transparency-depths runs these on
// 16- and 8-bit displays as well.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>

#include "common/movie_ids.h"
#include "core/text.h"
#include "movie_presentation.h"
#include "player_windows.h"
#include "movie_test_support.h"
#include "platform/wide.h"
#include "scripted_movie.h"
#include "support/e2e_support.h"
#include "test_files.h"

namespace zp::e2e {
namespace {

using namespace std::chrono_literals;
using outside::CaptionOf;
using outside::WindowTitled;
constexpr auto kDeadline = 30s;

std::wstring FernwikServerPath() {
  wchar_t clsid[64] = {};
  StringFromGUID2(zp::movie::kFernwikClsid, clsid, 64);
  const std::wstring key = std::wstring(L"CLSID\\") + clsid + L"\\InprocServer32";
  wchar_t value[MAX_PATH * 2] = {};
  LONG size = sizeof value;
  if (RegQueryValueW(HKEY_CLASSES_ROOT, key.c_str(), value, &size) != ERROR_SUCCESS) return L"";
  return value;
}

// The process's visible layered top-level window that belongs to its player window, or null.
// (Start-up's probe of the transparency control makes one of its own for a moment.)
HWND LayeredWindowOf(DWORD processId) {
  for (HWND window : TopLevelWindows(processId)) {
    if ((GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_LAYERED) && GetWindow(window, GW_OWNER)) return window;
  }
  return nullptr;
}

TEST(TransparentPresentation, FloatsOverTheDesktopMovesOnRequestAndLeavesNothingBehind) {
  test::ScratchDirectory scratch;
  const std::wstring folder = ToWide(scratch.path());
  const std::wstring temporary = folder + L"\\tmp with space";
  ASSERT_TRUE(CreateDirectoryW(temporary.c_str(), nullptr));
  const std::wstring fernwik = BinDirectory() + L"\\Fernwik.ocx";
  test::Regsvr32(fernwik, true);
  ASSERT_EQ(FernwikServerPath(), L"");

  ScriptedMovie movie;
  const std::string moveSignal = U16ToUtf8(FromWide(folder + L"\\move.flag"));
  const std::string quitSignal = U16ToUtf8(FromWide(folder + L"\\quit.flag"));
  movie.WaitForFile(moveSignal).Command("WindowSetPos", "0,300,200").WaitForFile(quitSignal).Command("quit", "");
  const std::wstring program = folder + L"\\Floating.exe";
  ASSERT_EQ(PackMoviePresentation(folder + L"\\presentation", {{"floating.swf", movie.Finish()}},
                                  "\"window\": {\"mode\": \"transparent\"}", program),
            "");
  Launched player = Launch(program, L"", temporary);
  ASSERT_TRUE(player.started());

  HWND layered = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (layered = LayeredWindowOf(player.id())) != nullptr; }, kDeadline));
  // Registered for this run, from the temporary folder, under a name of the player's own.
  const std::wstring server = FernwikServerPath();
  EXPECT_EQ(server.substr(0, temporary.size()), temporary);
  EXPECT_EQ(server.substr(server.size() - 4), L".dat");

  WriteFileBytes(folder + L"\\move.flag", {'g', 'o'});
  RECT r{};
  ASSERT_TRUE(WaitUntil([&] { return GetWindowRect(layered, &r) && r.left == 300 && r.top == 200; }, kDeadline))
      << r.left << "," << r.top;
  // Away from the screen's top-left corner, where something white stays on screen after some
  // earlier tests of a run (Wine's notification area, it seems). The box in the middle of the
  // stage is opaque; the stage around it shows the desktop, as a point just outside does.
  const POINT middle{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  EXPECT_TRUE(WaitUntil([&] { return NearColour(ScreenPixel(middle), ScriptedMovie::kBoxColour); }, kDeadline))
      << std::hex << ScreenPixel(middle) << " in " << std::dec << r.left << "," << r.top << "," << r.right << ","
      << r.bottom;
  EXPECT_EQ(ScreenPixel(POINT{r.left + 3, r.top + 3}), ScreenPixel(POINT{r.right + 3, r.top + 3}));
  EXPECT_FALSE(NearColour(ScreenPixel(POINT{r.left + 3, r.top + 3}), ScriptedMovie::kBackgroundColour));

  WriteFileBytes(folder + L"\\quit.flag", {'g', 'o'});
  EXPECT_EQ(player.WaitForExit(kDeadline), std::optional<DWORD>(0));
  EXPECT_EQ(FernwikServerPath(), L"") << "unregistered at exit";
  EXPECT_TRUE(FolderEntries(temporary).empty()) << "left: " << U16ToUtf8(FromWide(FolderEntries(temporary).front()));
}

RECT RectOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

// A point of a window at fractions of its width and height.
POINT At(HWND window, double x, double y) {
  const RECT r = RectOf(window);
  return POINT{r.left + static_cast<LONG>((r.right - r.left) * x), r.top + static_cast<LONG>((r.bottom - r.top) * y)};
}

HWND VisibleMenuOf(DWORD thread) {
  HWND menu = nullptr;
  while ((menu = FindWindowExW(nullptr, menu, L"#32768", nullptr)) != nullptr) {
    if (IsWindowVisible(menu) && GetWindowThreadProcessId(menu, nullptr) == thread) return menu;
  }
  return nullptr;
}

// Puts the cursor at a point and waits until the window's thread has handled its input up to
// then: a window that appeared or moved under the cursor may still report, through Wine, where
// the cursor was before, and a press would land there.
bool MoveCursorTo(HWND window, POINT point) {
  return WaitUntil(
      [&] {
        SendMouse(MOUSEEVENTF_MOVE, point.x, point.y);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
        POINT now{};
        return GetCursorPos(&now) && now.x == point.x && now.y == point.y;
      },
      kDeadline);
}

// The floating movie drags by the areas its movie marks, or anywhere when the document says so,
// as an opaque window does; the right button opens the player's menu; minimising and restoring
// the player window (as its taskbar button does) take the floating movie along.
TEST(TransparentPresentation, DragsAsTheDocumentSaysOpensTheMenuAndFollowsMinimiseAndRestore) {
  for (const std::string leftDrag : {"drag-regions", "anywhere"}) {
    SCOPED_TRACE(leftDrag);
    test::ScratchDirectory scratch;
    const std::wstring folder = ToWide(scratch.path());
    // The handle is the top strip of the box (100, 75)-(300, 225): empty stage lets clicks
    // through to whatever lies behind the window.
    ScriptedMovie movie(20, 400, 300);
    movie.Command("DragAddRect", "100,75,300,100").Command("WindowSetTitle", "handle ready");
    const std::wstring program = folder + L"\\Dragged.exe";
    ASSERT_EQ(PackMoviePresentation(folder + L"\\presentation", {{"dragged.swf", movie.Finish()}},
                                    R"("window": {"mode": "transparent"}, "mouse": {"leftDrag": ")" + leftDrag + R"("})",
                                    program),
              "");
    Launched player = Launch(program, L"", folder);
    ASSERT_TRUE(player.started());
    HWND layered = nullptr, dialog = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (layered = LayeredWindowOf(player.id())) != nullptr; }, kDeadline));
    // The movie's window commands act on the floating movie's own window.
    ASSERT_TRUE(WaitUntil([&] { return CaptionOf(GetWindow(layered, GW_CHILD)) == L"handle ready"; }, kDeadline));
    ASSERT_TRUE((dialog = PlayerDialogOf(player.id())) != nullptr);
    ASSERT_TRUE(WaitUntil([&] { return NearColour(ScreenPixel(At(layered, 0.5, 0.5)), ScriptedMovie::kBoxColour); },
                          kDeadline));
    // Where the player window is placed (the middle of the work area) from the movie's first
    // frames on, not first at the screen's corner.
    const POINT middle = At(layered, 0.5, 0.5);
    EXPECT_LE(std::abs(middle.x - WorkAreaMiddle().x) + std::abs(middle.y - WorkAreaMiddle().y), 2);

    // Pressed at a point, moved by (40, 30) in two steps and let go there.
    const auto drag = [&](double x, double y) {
      const POINT from = At(layered, x, y);
      ASSERT_TRUE(MoveCursorTo(layered, from));
      SendMouse(MOUSEEVENTF_LEFTDOWN, from.x, from.y);
      SendMouse(MOUSEEVENTF_MOVE, from.x + 20, from.y + 15);
      SendMouse(MOUSEEVENTF_MOVE, from.x + 40, from.y + 30);
      SendMouse(MOUSEEVENTF_LEFTUP, from.x + 40, from.y + 30);
    };
    const auto movedBy = [&](const RECT& before, int dx, int dy) {
      const RECT now = RectOf(layered);
      return now.left == before.left + dx && now.top == before.top + dy && now.right - now.left == before.right - before.left;
    };
    RECT before = RectOf(layered);
    drag(0.5, 0.29);
    EXPECT_TRUE(WaitUntil([&] { return movedBy(before, 40, 30); }, kDeadline))
        << "dragged by the handle from " << before.left << "," << before.top << " to " << RectOf(layered).left << ","
        << RectOf(layered).top;

    // Off the handle only a document that drags anywhere moves the window. The menu that the
    // right button then opens shows that the drag before it has been handled.
    before = RectOf(layered);
    drag(0.5, 0.6);
    const bool anywhere = leftDrag == "anywhere";
    if (anywhere) {
      EXPECT_TRUE(WaitUntil([&] { return movedBy(before, 40, 30); }, kDeadline))
          << "dragged by the stage from " << before.left << "," << before.top << " to " << RectOf(layered).left
          << "," << RectOf(layered).top;
    }
    const DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
    const POINT stage = At(layered, 0.5, 0.6);
    ASSERT_TRUE(MoveCursorTo(layered, stage));
    SendMouse(MOUSEEVENTF_RIGHTDOWN, stage.x, stage.y);
    SendMouse(MOUSEEVENTF_RIGHTUP, stage.x, stage.y);
    EXPECT_TRUE(WaitUntil([&] { return VisibleMenuOf(thread) != nullptr; }, kDeadline)) << "the context menu";
    if (!anywhere) {
      EXPECT_TRUE(movedBy(before, 0, 0)) << "the movie's own stage does not drag";
    }
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return VisibleMenuOf(thread) == nullptr; }, kDeadline));

    // Minimised with the player window, and back where it was.
    before = RectOf(layered);
    PostMessageW(dialog, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(WaitUntil([&] { return IsIconic(layered) && IsIconic(dialog); }, kDeadline));
    PostMessageW(dialog, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsIconic(layered) && IsWindowVisible(layered) && movedBy(before, 0, 0); },
                          kDeadline));
    EXPECT_TRUE(WaitUntil([&] { return NearColour(ScreenPixel(At(layered, 0.5, 0.5)), ScriptedMovie::kBoxColour); },
                          kDeadline));

    PostMessageW(dialog, WM_CLOSE, 0, 0);
    EXPECT_EQ(player.WaitForExit(kDeadline), std::optional<DWORD>(0));
  }
}

// On a display of fewer than 16 bits per pixel (run under an 8-bit Xvfb) the player says once
// why it cannot float the movie, remembers when asked not to say it again, and plays opaque.
TEST(TransparentPresentation, TooFewColoursWarnOnceAndPlayOpaque) {
  HDC screen = GetDC(nullptr);
  const int depth = GetDeviceCaps(screen, BITSPIXEL);
  ReleaseDC(nullptr, screen);
  if (depth >= 16) GTEST_SKIP() << "needs a display of fewer than 16 bits per pixel; this one has " << depth;
  test::ScratchDirectory scratch;
  const std::wstring folder = ToWide(scratch.path());
  const std::wstring program = folder + L"\\FewColours.exe";
  const std::wstring settings = L"Software\\Zentrapolis\\ZentrapolisProjector\\FewColours";
  RegDeleteTreeW(HKEY_CURRENT_USER, settings.c_str());
  ScriptedMovie movie;
  movie.Command("WindowSetTitle", "playing");
  ASSERT_EQ(PackMoviePresentation(folder + L"\\presentation", {{"few.swf", movie.Finish()}},
                                  "\"window\": {\"mode\": \"transparent\"}", program),
            "");
  for (const bool firstStart : {true, false}) {
    Launched player = Launch(program, L"", folder);
    ASSERT_TRUE(player.started());
    HWND warning = nullptr, dialog = nullptr;
    // Either the warning or, once it is suppressed, the playing window comes first.
    ASSERT_TRUE(WaitUntil(
        [&] {
          for (HWND window : TopLevelWindows(player.id())) {
            wchar_t caption[32] = {};
            GetWindowTextW(window, caption, 32);
            if (std::wstring(caption) == L"Warning") warning = window;
            if (std::wstring(caption) == L"playing") dialog = window;
          }
          return warning || dialog;
        },
        kDeadline));
    if (firstStart) {
      ASSERT_NE(warning, nullptr);
      wchar_t text[256] = {};
      SendMessageW(GetDlgItem(warning, 1008), WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
      EXPECT_EQ(std::wstring(text),
                L"In order for Flash transparency to work\nyou need to set your graphics mode to 16, 24 or 32 bit color.");
      PostMessageW(GetDlgItem(warning, 1007), BM_CLICK, 0, 0);
      ASSERT_TRUE(WaitUntil([&] { return SendMessageW(GetDlgItem(warning, 1007), BM_GETCHECK, 0, 0) == BST_CHECKED; },
                            kDeadline));
      PostMessageW(GetDlgItem(warning, IDOK), BM_CLICK, 0, 0);
      ASSERT_TRUE(WaitUntil([&] { return (dialog = WindowTitled(player.id(), L"playing", true)) != nullptr; }, kDeadline));
      DWORD shown = 1, size = sizeof shown;
      EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, (settings + L"\\WarnDialog").c_str(), L"ShowMssg", RRF_RT_REG_DWORD,
                             nullptr, &shown, &size),
                ERROR_SUCCESS);
      EXPECT_EQ(shown, 0u);
    } else {
      EXPECT_EQ(warning, nullptr) << "asked not to say it again";
    }
    // Opaque and on screen: the player window itself, no layered window.
    ASSERT_NE(dialog, nullptr);
    RECT r{};
    GetWindowRect(dialog, &r);
    EXPECT_LT(r.left, GetSystemMetrics(SM_CXSCREEN));
    for (HWND window : TopLevelWindows(player.id())) EXPECT_FALSE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_LAYERED);
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    EXPECT_EQ(player.WaitForExit(kDeadline), std::optional<DWORD>(0));
  }
  RegDeleteTreeW(HKEY_CURRENT_USER, settings.c_str());
}

}  // namespace
}  // namespace zp::e2e
