// Pictures and drag areas as a presentation's author meets them, watched from outside the
// player: a picture slide fitted into the window and zoomed, an image window a movie opens,
// and a movie's drag handle that moves the window under a real mouse drag.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>

#include "core/text.h"
#include "movie_presentation.h"
#include "platform/wide.h"
#include "player_windows.h"
#include "scripted_movie.h"
#include "support/e2e_support.h"
#include "test_files.h"
#include "test_pictures.h"

namespace zp::e2e {
namespace {

using namespace std::chrono_literals;
using outside::CaptionOf;
using outside::WindowTitled;

constexpr auto kDeadline = 30s;
constexpr test::Rgb kRed{220, 30, 30};
constexpr test::Rgb kBlue{30, 40, 200};
constexpr COLORREF kBackground = RGB(0x20, 0x80, 0x40);
constexpr COLORREF kFrameGrey = RGB(120, 120, 120);

COLORREF Colour(test::Rgb c) { return RGB(c.r, c.g, c.b); }

// 200 × 100, red with a blue middle half.
test::Bytes Slide() { return test::TwoColourBmp(200, 100, kRed, kBlue, {50, 25, 150, 75}); }

RECT WindowRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

// A window's client area on the screen.
RECT ClientOnScreen(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
  return client;
}

class PicturesOnScreen : public ::testing::Test {
 protected:
  void SetUp() override {
    temporary_ = Path(L"tmp");
    ASSERT_TRUE(CreateDirectoryW(temporary_.c_str(), nullptr));
  }
  std::wstring Path(const std::wstring& name) const { return ToWide(scratch_.path()) + L"\\" + name; }

  Launched Start(const std::vector<PackedMovie>& items, const std::string& options) {
    const std::wstring program = Path(L"Pictures.exe");
    EXPECT_EQ(PackMoviePresentation(Path(L"presentation"), items, options, program), "");
    Launched player = Launch(program, L"", temporary_);
    EXPECT_TRUE(player.started()) << "CreateProcess failed: " << GetLastError();
    return player;
  }
  static HWND WaitForDialog(const Launched& player) {
    HWND dialog = nullptr;
    WaitUntil([&] { return (dialog = PlayerDialogOf(player.id())) != nullptr && IsWindowVisible(dialog); }, kDeadline);
    if (dialog) {
      WaitUntil([&] { return GetForegroundWindow() == dialog || (SetForegroundWindow(dialog), false); }, 5s);
    }
    return dialog;
  }
  static bool ShowsNear(POINT at, COLORREF colour) {
    return WaitUntil([&] { return NearColour(ScreenPixel(at), colour); }, kDeadline);
  }
  static void Close(Launched& player, HWND dialog) {
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    EXPECT_EQ(player.WaitForExit(kDeadline), std::optional<DWORD>(0));
  }

  test::ScratchDirectory scratch_;
  std::wstring temporary_;
};

TEST_F(PicturesOnScreen, PictureSlideIsLetterboxedAndZoomsInAboutItsMiddle) {
  Launched player = Start({{"slide.bmp", Slide()}},
                          R"("size": {"mode": "fixed", "width": 400, "height": 400},)"
                          R"("window": {"mode": "background", "background": "#208040"})");
  ASSERT_TRUE(player.started());
  HWND dialog = WaitForDialog(player);
  ASSERT_NE(dialog, nullptr);
  const RECT client = ClientOnScreen(dialog);
  const int midX = (client.left + client.right) / 2, midY = (client.top + client.bottom) / 2;
  // Fitted to the width, 200 pixels high in the middle: blue in the centre, red near the left
  // edge, the background colour above and below.
  EXPECT_TRUE(ShowsNear({midX, midY}, Colour(kBlue)));
  EXPECT_TRUE(ShowsNear({client.left + 20, midY}, Colour(kRed)));
  EXPECT_TRUE(ShowsNear({midX, client.top + 20}, kBackground));
  EXPECT_TRUE(ShowsNear({midX, client.bottom - 20}, kBackground));

  // Zoom In: the middle half of the picture fills the width, so blue reaches the left edge, and
  // at twice the scale the picture now reaches above and below the window.
  PostMessageW(dialog, WM_COMMAND, 604, 0);
  EXPECT_TRUE(ShowsNear({client.left + 20, midY}, Colour(kBlue)));
  EXPECT_TRUE(ShowsNear({midX, client.top + 20}, Colour(kRed)));
  EXPECT_TRUE(ShowsNear({midX, midY}, Colour(kBlue)));
  Close(player, dialog);
}

TEST_F(PicturesOnScreen, ShowImageOpensAFramedPictureWindowAndReportsSuccess) {
  const std::wstring picture = Path(L"shown.bmp");
  ASSERT_TRUE(WriteFileBytes(picture, Slide()));
  swfgen::ActionWriter report;
  SendCommand(report, "WindowSetTitle", {Text("returned "), ValueOf("fscmd_ret")});
  ScriptedMovie movie;
  movie.Command("ShowImage", U16ToUtf8(FromWide(picture)) + ",My caption,0,10,10,300,200").Frame(report);
  Launched player = Start({{"scenario.swf", movie.Finish()}}, {});
  ASSERT_TRUE(player.started());
  HWND dialog = WaitForDialog(player);
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(WaitUntil([&] { return CaptionOf(dialog) == L"returned 1"; }, kDeadline)) << U16ToUtf8(FromWide(CaptionOf(dialog)));

  HWND window = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (window = WindowTitled(player.id(), L"My caption", true)) != nullptr; }, kDeadline));
  const RECT rect = WindowRect(window);
  EXPECT_EQ(rect.left, 10);
  EXPECT_EQ(rect.top, 10);
  EXPECT_EQ(rect.right, 300);
  EXPECT_EQ(rect.bottom, 200);
  EXPECT_TRUE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_APPWINDOW);
  EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);
  // The picture at its own size in the middle of white, in a grey frame.
  SetForegroundWindow(window);
  const RECT client = ClientOnScreen(window);
  const int midX = (client.left + client.right) / 2, midY = (client.top + client.bottom) / 2;
  EXPECT_TRUE(ShowsNear({midX, midY}, Colour(kBlue)));
  EXPECT_TRUE(ShowsNear({midX - 100, midY}, kFrameGrey));
  EXPECT_TRUE(ShowsNear({midX - 90, midY}, Colour(kRed)));
  EXPECT_TRUE(ShowsNear({midX - 110, midY}, RGB(255, 255, 255)));

  // Closing it leaves the player running.
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(window); }, kDeadline));
  EXPECT_TRUE(player.Running());
  Close(player, dialog);
}

TEST_F(PicturesOnScreen, AMovieDragHandleMovesTheWindowAndTheRestOfTheStageDoesNot) {
  ScriptedMovie movie(20, 550, 400);
  movie.Command("DragAddRect", "0,0,100,20").Command("WindowSetTitle", "handle ready");
  Launched player = Start({{"scenario.swf", movie.Finish()}}, R"("mouse": {"leftDrag": "drag-regions"})");
  ASSERT_TRUE(player.started());
  HWND dialog = WaitForDialog(player);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return CaptionOf(dialog) == L"handle ready"; }, kDeadline));

  const DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
  const auto captured = [&] {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(thread, &info) && info.hwndCapture == dialog;
  };
  // A press at a client point, and later a move by (40, 30) and letting go. The player reads the
  // cursor when it handles a press, so the move waits until the press has been seen (a drag
  // captures the mouse).
  const auto press = [&](int x, int y) {
    const RECT client = ClientOnScreen(dialog);
    SendMouse(MOUSEEVENTF_MOVE, client.left + x, client.top + y);
    SendMouse(MOUSEEVENTF_LEFTDOWN, client.left + x, client.top + y);
  };
  const auto moveAndRelease = [&](int x, int y) {
    const RECT client = ClientOnScreen(dialog);
    SendMouse(MOUSEEVENTF_MOVE, client.left + x + 20, client.top + y + 15);
    SendMouse(MOUSEEVENTF_MOVE, client.left + x + 40, client.top + y + 30);
    SendMouse(MOUSEEVENTF_LEFTUP, client.left + x + 40, client.top + y + 30);
  };
  const RECT before = WindowRect(dialog);
  press(10, 10);
  ASSERT_TRUE(WaitUntil(captured, kDeadline)) << "a press on the handle starts a drag";
  moveAndRelease(10, 10);
  EXPECT_TRUE(WaitUntil([&] { return WindowRect(dialog).left == before.left + 40; }, kDeadline));
  EXPECT_EQ(WindowRect(dialog).top, before.top + 30);
  EXPECT_TRUE(WaitUntil([&] { return !captured(); }, kDeadline)) << "letting go ends the drag";

  // Below the handle the press belongs to the movie: nothing captures the mouse, and the window
  // stays where it is.
  const RECT moved = WindowRect(dialog);
  press(10, 30);
  EXPECT_FALSE(WaitUntil(captured, 2s));
  moveAndRelease(10, 30);
  EXPECT_EQ(WindowRect(dialog).left, moved.left);
  EXPECT_EQ(WindowRect(dialog).top, moved.top);
  Close(player, dialog);
}

}  // namespace
}  // namespace zp::e2e
