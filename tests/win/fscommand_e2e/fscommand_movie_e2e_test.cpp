// FSCommands as a presentation's author meets them: packed movies that quit the player, switch
// it to full screen and back, call the extension library carried in the package (which moves,
// hides and shows the window) and act on the values it returns, and the FSCommand log that
// shows all of it; everything watched from outside the player's process.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/text.h"
#include "movie_presentation.h"
#include "platform/wide.h"
#include "player_windows.h"
#include "scripted_movie.h"
#include "support/e2e_support.h"
#include "test_files.h"

namespace zp::e2e {
namespace {

using namespace std::chrono_literals;
using outside::CaptionOf;
using outside::LogText;
using outside::WindowTitled;
using swfgen::ActionWriter;

constexpr auto kDeadline = 30s;
constexpr wchar_t kProgramName[] = L"MovieCommands";
constexpr wchar_t kSettingsKey[] = L"Software\\Zentrapolis\\ZentrapolisProjector\\MovieCommands";

std::string Narrow(const std::wstring& text) { return U16ToUtf8(FromWide(text)); }

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Describe(const RECT& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
         std::to_string(r.bottom) + ")";
}

RECT WindowRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

class MovieFsCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    temporary_ = Path(L"tmp");
    ASSERT_TRUE(CreateDirectoryW(temporary_.c_str(), nullptr));
  }
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey); }

  std::wstring Path(const std::wstring& name) const { return ToWide(scratch_.path()) + L"\\" + name; }

  // A file whose appearance the movie waits for (the test's signal), and its name for the movie.
  std::string SignalPath(const std::wstring& name) const { return Narrow(Path(name)); }
  void Signal(const std::wstring& name) const { ASSERT_TRUE(WriteFileBytes(Path(name), {'g', 'o'})); }

  // Packs the movie as the whole presentation and starts the player with its own temporary folder.
  Launched Start(ScriptedMovie& movie, const std::string& manifestOptions = {}) {
    const std::wstring program = Path(std::wstring(kProgramName) + L".exe");
    const std::string problem =
        PackMoviePresentation(Path(L"presentation"), {{"scenario.swf", movie.Finish()}}, manifestOptions, program);
    EXPECT_EQ(problem, "");
    Launched player = Launch(program, L"", temporary_);
    EXPECT_TRUE(player.Started());
    return player;
  }

  static HWND WaitForDialog(const Launched& player) {
    HWND dialog = nullptr;
    WaitUntil([&] { return (dialog = PlayerDialogOf(player.id())) != nullptr && IsWindowVisible(dialog); }, kDeadline);
    return dialog;
  }

  static bool WaitForCaption(HWND window, const std::wstring& caption) {
    return WaitUntil([&] { return CaptionOf(window) == caption; }, kDeadline);
  }

  static void Close(Launched& player, HWND dialog) {
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    EXPECT_EQ(player.WaitForExit(kDeadline), std::optional<DWORD>(0));
  }

  void ExpectNothingLeft() const {
    const auto left = FolderEntries(temporary_);
    EXPECT_TRUE(left.empty()) << "left in the temporary folder: " << (left.empty() ? std::string() : Narrow(left[0]));
  }

  test::ScratchDirectory scratch_;
  std::wstring temporary_;
};

TEST_F(MovieFsCommands, QuitFromTheMovieEndsThePlayerAndLeavesNothingBehind) {
  ScriptedMovie movie;
  movie.Command("WindowSetTitle", "waiting to quit").WaitForFile(SignalPath(L"quit.flag")).Command("quit", "");
  Launched player = Start(movie);
  ASSERT_TRUE(player.started());
  HWND dialog = WaitForDialog(player);
  ASSERT_NE(dialog, nullptr);
  // The movie runs, and the player with it, until the movie says quit.
  ASSERT_TRUE(WaitForCaption(dialog, L"waiting to quit")) << Narrow(CaptionOf(dialog));
  EXPECT_TRUE(player.Running());
  Signal(L"quit.flag");
  EXPECT_EQ(player.WaitForExit(kDeadline), std::optional<DWORD>(0));
  // The extension library was loaded from the temporary folder, and is gone with it.
  ExpectNothingLeft();
}

TEST_F(MovieFsCommands, FullScreenCoversTheScreenAndALaterFrameRestoresTheWindow) {
  ScriptedMovie movie;
  movie.Command("WindowSetTitle", "windowed")
      .WaitForFile(SignalPath(L"full.flag"))
      .Command("fullscreen", "true")
      .WaitForFile(SignalPath(L"back.flag"))
      .Command("fullscreen", "false")
      .Command("WindowSetTitle", "restored");
  Launched player = Start(movie);
  ASSERT_TRUE(player.started());
  HWND dialog = WaitForDialog(player);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(WaitForCaption(dialog, L"windowed"));
  const RECT before = WindowRect(dialog);
  const LONG_PTR styleBefore = GetWindowLongPtrW(dialog, GWL_STYLE);
  ASSERT_TRUE(styleBefore & WS_CAPTION);

  Signal(L"full.flag");
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  const RECT screen{-1, -1, width + 1, height + 1};
  EXPECT_TRUE(WaitUntil([&] { return SameRect(WindowRect(dialog), screen); }, kDeadline))
      << "full screen is " << Describe(WindowRect(dialog)) << ", wanted " << Describe(screen);
  EXPECT_FALSE(GetWindowLongPtrW(dialog, GWL_STYLE) & WS_CAPTION);
  EXPECT_FALSE(GetWindowLongPtrW(dialog, GWL_STYLE) & WS_THICKFRAME);

  Signal(L"back.flag");
  ASSERT_TRUE(WaitForCaption(dialog, L"restored"));
  EXPECT_TRUE(SameRect(WindowRect(dialog), before))
      << "restored to " << Describe(WindowRect(dialog)) << ", was " << Describe(before);
  EXPECT_EQ(GetWindowLongPtrW(dialog, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME), styleBefore & (WS_CAPTION | WS_THICKFRAME));
  Close(player, dialog);
  ExpectNothingLeft();
}

TEST_F(MovieFsCommands, TheLogShowsEachCommandTheLibraryThatServedItAndItsResult) {
  ScriptedMovie movie;
  movie.Command("allowscale", "true")
      .Command("GetScreenSize", "w,h")
      .Command("NoSuchCommand", "x, y")
      .Command("Version", "");
  Launched player = Start(movie, R"("log": {"show": true})");
  ASSERT_TRUE(player.started());
  HWND log = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (log = WindowTitled(player.id(), L"FSCommand Log", true)) != nullptr; }, kDeadline));
  HWND dialog = WaitForDialog(player);
  ASSERT_NE(dialog, nullptr);

  const std::wstring handle = std::to_wstring(reinterpret_cast<INT_PTR>(dialog));
  const std::wstring size = std::to_wstring(GetSystemMetrics(SM_CXSCREEN)) + L"|" +
                            std::to_wstring(GetSystemMetrics(SM_CYSCREEN));
  const std::wstring expected =
      // Before the movie's first command the library is handed the main window.
      L"\r\nFSCommand:  <WindowSetHandle>  <" + handle + L">\r\n"
      L"Command found in: ZentraFSCmd.dll\r\n"
      L"Command Result: <1>\r\n"
      // A built-in command: no library, its own result.
      L"\r\nFSCommand:  <allowscale>  <true>\r\n"
      L"Command Result: <1>\r\n"
      L"\r\nFSCommand:  <GetScreenSize>  <w,h>\r\n"
      L"Command found in: ZentraFSCmd.dll\r\n"
      L"Command Result: <1|" + size + L">\r\n"
      L"\r\nFSCommand:  <NoSuchCommand>  <x, y>\r\n"
      L"Command not found!\r\n"
      L"\r\nFSCommand:  <Version>  <>\r\n"
      L"Command found in: ZentraFSCmd.dll\r\n"
      L"Command Result: <1.0>\r\n";
  std::wstring text;
  EXPECT_TRUE(WaitUntil([&] { return (text = LogText(log)) == expected; }, kDeadline))
      << "the log reads:\n" << Narrow(text) << "\nwanted:\n" << Narrow(expected);
  Close(player, dialog);
}

TEST_F(MovieFsCommands, TheMovieActsOnTheValuesTheLibraryReturns) {
  const std::string width = std::to_string(GetSystemMetrics(SM_CXSCREEN));
  const std::string height = std::to_string(GetSystemMetrics(SM_CYSCREEN));
  // The movie asks for the screen size twice: into two variables, then with the first item
  // left empty so that only the height arrives. It branches on what it got and shows it in
  // the window's caption.
  ActionWriter branch;
  JumpUnlessEqual(branch, "screenW", width, "wrong");
  JumpUnlessEqual(branch, "screenH", height, "wrong");
  JumpUnlessEqual(branch, "onlyHeight", height, "wrong");
  SendCommand(branch, "WindowSetTitle",
              {Text("Screen "), ValueOf("screenW"), Text("x"), ValueOf("screenH"), Text(", returned "),
               ValueOf("fscmd_ret"), Text(", height "), ValueOf("onlyHeight")});
  branch.Jump("end").Mark("wrong");
  SendCommand(branch, "WindowSetTitle",
              {Text("Unexpected "), ValueOf("screenW"), Text("x"), ValueOf("screenH"), Text(", height "),
               ValueOf("onlyHeight")});
  branch.Mark("end");
  ScriptedMovie movie;
  movie.Command("GetScreenSize", "screenW,screenH")
      .WaitForVariable("screenH")
      .Command("GetScreenSize", ",onlyHeight")
      .WaitForVariable("onlyHeight")
      .Frame(branch);
  Launched player = Start(movie, R"("log": {"show": true})");
  ASSERT_TRUE(player.started());
  HWND dialog = WaitForDialog(player);
  ASSERT_NE(dialog, nullptr);

  const std::wstring wanted = ToWide(Utf8ToU16("Screen " + width + "x" + height + ", returned 1, height " + height));
  EXPECT_TRUE(WaitForCaption(dialog, wanted)) << "the caption reads " << Narrow(CaptionOf(dialog));
  // The log shows the command the movie built from the values.
  HWND log = WindowTitled(player.id(), L"FSCommand Log", true);
  ASSERT_NE(log, nullptr);
  const std::wstring line = L"FSCommand:  <WindowSetTitle>  <" + wanted + L">\r\n";
  std::wstring text;
  EXPECT_TRUE(WaitUntil([&] { return (text = LogText(log)).find(line) != std::wstring::npos; }, kDeadline))
      << "the log reads:\n" << Narrow(text);
  Close(player, dialog);
  ExpectNothingLeft();
}


TEST_F(MovieFsCommands, WindowCommandsReachTheLibraryAndMoveHideAndShowTheWindow) {
  ScriptedMovie movie;
  movie.Command("WindowSetPos", "0,10,20")
      .Command("WindowSetTitle", "placed")
      .WaitForFile(SignalPath(L"move.flag"))
      .Command("WindowSetPosRel", "0,30,-5")
      .Command("WindowSetTitle", "moved")
      .WaitForFile(SignalPath(L"hide.flag"))
      .Command("WindowShow", "0")
      .WaitForFile(SignalPath(L"show.flag"))
      .Command("WindowShow", "1")
      .Command("WindowSetTitle", "shown");
  Launched player = Start(movie);
  ASSERT_TRUE(player.started());
  HWND dialog = WaitForDialog(player);
  ASSERT_NE(dialog, nullptr);
  const RECT first = WindowRect(dialog);

  ASSERT_TRUE(WaitForCaption(dialog, L"placed"));
  RECT rect = WindowRect(dialog);
  EXPECT_EQ(rect.left, 10);
  EXPECT_EQ(rect.top, 20);
  EXPECT_EQ(rect.right - rect.left, first.right - first.left);
  EXPECT_EQ(rect.bottom - rect.top, first.bottom - first.top);

  Signal(L"move.flag");
  ASSERT_TRUE(WaitForCaption(dialog, L"moved"));
  rect = WindowRect(dialog);
  EXPECT_EQ(rect.left, 40);
  EXPECT_EQ(rect.top, 15);

  Signal(L"hide.flag");
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog); }, kDeadline));
  EXPECT_TRUE(player.Running());
  Signal(L"show.flag");
  ASSERT_TRUE(WaitForCaption(dialog, L"shown"));
  EXPECT_TRUE(IsWindowVisible(dialog));
  Close(player, dialog);
}

TEST_F(MovieFsCommands, ALogClosedByTheUserCollectsNothingUntilItIsShownAgain) {
  ScriptedMovie movie(10);
  movie.Command("Version", "before closing")
      .WaitForFile(SignalPath(L"closed.flag"))
      .Command("Version", "while hidden")
      .Command("WindowSetTitle", "sent while hidden")
      .WaitForFile(SignalPath(L"shown.flag"))
      .Command("Version", "after showing");
  Launched player = Start(movie, R"("log": {"show": true})");
  ASSERT_TRUE(player.started());
  HWND dialog = WaitForDialog(player);
  ASSERT_NE(dialog, nullptr);
  HWND log = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (log = WindowTitled(player.id(), L"FSCommand Log", true)) != nullptr; }, kDeadline));
  const auto logHas = [&](const std::wstring& part) { return LogText(log).find(part) != std::wstring::npos; };
  EXPECT_TRUE(WaitUntil([&] { return logHas(L"<Version>  <before closing>"); }, kDeadline));

  SendMessageW(log, WM_SYSCOMMAND, SC_CLOSE, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(log); }, kDeadline));
  Signal(L"closed.flag");
  ASSERT_TRUE(WaitForCaption(dialog, L"sent while hidden"));

  ShowWindow(log, SW_SHOWNA);
  Signal(L"shown.flag");
  EXPECT_TRUE(WaitUntil([&] { return logHas(L"<Version>  <after showing>"); }, kDeadline));
  EXPECT_FALSE(logHas(L"while hidden")) << Narrow(LogText(log));
  EXPECT_TRUE(logHas(L"<Version>  <before closing>"));
  Close(player, dialog);
}

TEST_F(MovieFsCommands, TheLogComesBackWhereTheUserLeftItAfterTheMovieQuits) {
  const auto run = [&](const std::function<void(Launched&, HWND log)>& whileShown) {
    ScriptedMovie movie;
    movie.Command("Version", "started").WaitForFile(SignalPath(L"quit.flag")).Command("quit", "");
    std::filesystem::remove(std::filesystem::path(Path(L"quit.flag")));
    Launched player = Start(movie, R"("log": {"show": true})");
    ASSERT_TRUE(player.started());
    HWND log = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (log = WindowTitled(player.id(), L"FSCommand Log", true)) != nullptr; }, kDeadline));
    whileShown(player, log);
    Signal(L"quit.flag");
    EXPECT_EQ(player.WaitForExit(kDeadline), std::optional<DWORD>(0));
  };
  run([](Launched&, HWND log) {
    EXPECT_TRUE(WaitUntil([&] { return LogText(log).find(L"<started>") != std::wstring::npos; }, kDeadline));
    SetWindowPos(log, nullptr, 70, 80, 420, 180, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(WaitUntil([&] { return WindowRect(log).left == 70; }, kDeadline));
  });
  run([](Launched&, HWND log) {
    const RECT rect = WindowRect(log);
    EXPECT_TRUE(SameRect(rect, RECT{70, 80, 490, 260})) << "the log is at " << Describe(rect);
    // A new run starts a new log.
    std::wstring text;
    EXPECT_TRUE(WaitUntil([&] { return (text = LogText(log)).find(L"<started>") != std::wstring::npos; }, kDeadline));
    EXPECT_EQ(text.find(L"<started>"), text.rfind(L"<started>")) << Narrow(text);
  });
  ExpectNothingLeft();
}


TEST_F(MovieFsCommands, ALongLogKeepsItsLatestWholeLines) {
  // Twelve commands whose argument texts run over 100 lines each: 1200 log lines from a
  // handful of appends, more than the log keeps.
  constexpr int kCommands = 12, kArgumentLines = 100;
  ScriptedMovie movie;
  for (int command = 0; command < kCommands; ++command) {
    std::string arguments = "command " + std::to_string(command);
    for (int line = 1; line < kArgumentLines; ++line) arguments += "\r\nline " + std::to_string(line);
    movie.Command("Version", arguments);
  }
  Launched player = Start(movie, R"("log": {"show": true})");
  ASSERT_TRUE(player.started());
  HWND dialog = WaitForDialog(player);
  ASSERT_NE(dialog, nullptr);
  HWND log = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (log = WindowTitled(player.id(), L"FSCommand Log", true)) != nullptr; }, kDeadline));
  const std::wstring last = L"\r\nline " + std::to_wstring(kArgumentLines - 1) +
                            L">\r\nCommand found in: ZentraFSCmd.dll\r\nCommand Result: <1.0>\r\n";
  const std::wstring lastCommand = L"<command " + std::to_wstring(kCommands - 1) + L"\r\n";
  std::wstring text;
  ASSERT_TRUE(WaitUntil(
      [&] {
        text = LogText(log);
        return text.find(lastCommand) != std::wstring::npos && text.ends_with(last);
      },
      kDeadline))
      << "the log ends with:\n" << Narrow(text.substr(text.size() > 300 ? text.size() - 300 : 0));

  // Whole lines only: no more than the cap and one command's lines, the oldest commands gone,
  // the others in order without a gap.
  std::vector<std::wstring> lines;
  for (size_t start = 0; start < text.size();) {
    const size_t end = text.find(L"\r\n", start);
    ASSERT_NE(end, std::wstring::npos) << "the last line has no line break";
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  EXPECT_GE(lines.size(), 400u);
  EXPECT_LE(lines.size(), 800u + kArgumentLines + 3);
  const std::wstring commandLine = L"FSCommand:  <Version>  <command ";
  int next = -1;
  for (const std::wstring& line : lines) {
    const bool whole = line.empty() || line.starts_with(commandLine) || line.starts_with(L"line ") ||
                       line == L"Command found in: ZentraFSCmd.dll" || line == L"Command Result: <1.0>";
    ASSERT_TRUE(whole) << "a cut line: " << Narrow(line);
    if (line.starts_with(L"line ")) {
      const int number = std::stoi(line.substr(5));
      ASSERT_TRUE(number >= 1 && number < kArgumentLines && line == L"line " + std::to_wstring(number) +
                                                                        (number == kArgumentLines - 1 ? L">" : L""))
          << "a cut line: " << Narrow(line);
    }
    if (!line.starts_with(commandLine)) continue;
    const int number = std::stoi(line.substr(commandLine.size()));
    if (next >= 0) {
      EXPECT_EQ(number, next);
    }
    next = number + 1;
  }
  EXPECT_EQ(next, kCommands);
  EXPECT_EQ(text.find(L"WindowSetHandle"), std::wstring::npos) << "the oldest lines stayed";
  Close(player, dialog);
}


// The colour on screen at a fraction of the window's client area.
COLORREF ClientPixel(HWND window, double x, double y) {
  RECT client{};
  GetClientRect(window, &client);
  POINT point{static_cast<LONG>(client.right * x), static_cast<LONG>(client.bottom * y)};
  ClientToScreen(window, &point);
  return ScreenPixel(point);
}

TEST_F(MovieFsCommands, AllowScaleSwitchesBetweenAFittedMovieAndItsOwnSize) {
  // The movie's stage is 320 x 240 with a box over its middle half, in a window twice as
  // large: fitted, the box reaches out to a quarter of the window; at its own size it does not.
  ScriptedMovie movie;
  movie.Command("WindowSetTitle", "fitted")
      .WaitForFile(SignalPath(L"own.flag"))
      .Command("allowscale", "false")
      .Command("WindowSetTitle", "own size")
      .WaitForFile(SignalPath(L"fit.flag"))
      .Command("allowscale", "true")
      .Command("WindowSetTitle", "fitted again");
  Launched player = Start(movie, R"("size": {"mode": "fixed", "width": 640, "height": 480})");
  ASSERT_TRUE(player.started());
  HWND dialog = WaitForDialog(player);
  ASSERT_NE(dialog, nullptr);
  const auto boxAt = [&](double x, double y) { return NearColour(ClientPixel(dialog, x, y), ScriptedMovie::kBoxColour); };
  const auto backgroundAt = [&](double x, double y) {
    return NearColour(ClientPixel(dialog, x, y), ScriptedMovie::kBackgroundColour);
  };

  ASSERT_TRUE(WaitForCaption(dialog, L"fitted"));
  EXPECT_TRUE(WaitUntil([&] { return boxAt(0.5, 0.5) && boxAt(0.3, 0.3); }, kDeadline))
      << std::hex << ClientPixel(dialog, 0.3, 0.3);
  Signal(L"own.flag");
  ASSERT_TRUE(WaitForCaption(dialog, L"own size"));
  EXPECT_TRUE(WaitUntil([&] { return boxAt(0.5, 0.5) && backgroundAt(0.3, 0.3); }, kDeadline))
      << std::hex << ClientPixel(dialog, 0.3, 0.3);
  Signal(L"fit.flag");
  ASSERT_TRUE(WaitForCaption(dialog, L"fitted again"));
  EXPECT_TRUE(WaitUntil([&] { return boxAt(0.5, 0.5) && boxAt(0.3, 0.3); }, kDeadline))
      << std::hex << ClientPixel(dialog, 0.3, 0.3);
  Close(player, dialog);
}

}  // namespace
}  // namespace zp::e2e
