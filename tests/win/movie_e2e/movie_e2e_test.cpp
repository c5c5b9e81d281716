// A presentation of movies as a user watches it: the items come in their order and for their
// time, loop or hold the last one, pause from the context menu's Play, and a machine without
// the movie control gets the installer or the message. Each movie is one plain colour, so the
// pixel at the middle of the window says which item is on screen.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/splash_constants.h"
#include "core/package_format.h"
#include "core/package_writer.h"
#include "movie_test_support.h"
#include "platform/wide.h"
#include "support/e2e_support.h"
#include "swf_writer.h"
#include "test_files.h"

namespace zp::e2e {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr COLORREF kRed = RGB(220, 30, 30);
constexpr COLORREF kGreen = RGB(30, 200, 60);
constexpr COLORREF kBlue = RGB(40, 60, 220);
constexpr UINT kPlayCommand = 607;

std::vector<uint8_t> PlainMovie(COLORREF colour, int frames) {
  swfgen::MovieWriter movie(6, 320, 240, 12.0);
  movie.Background({GetRValue(colour), GetGValue(colour), GetBValue(colour), 255});
  for (int i = 0; i < frames; ++i) movie.ShowFrame();
  return movie.Finish(false);
}

MovieItem Item(const char16_t* name, std::vector<uint8_t> bytes, float playTime) {
  MovieItem item;
  item.path = std::u16string(u"C:\\show\\") + name;
  item.playTime = playTime;
  item.file.path = item.path;
  item.file.data = std::move(bytes);
  return item;
}

// Red for 2 s by the clock (a 1 s movie), green until its 24 frames at 12 per second have
// played (2 s, so its own length decides), blue for 2 s by the clock.
DocumentModel ThreeColours(bool loop) {
  DocumentModel document;
  document.movieList.items = {Item(u"red.swf", PlainMovie(kRed, 12), 2.0f),
                              Item(u"green.swf", PlainMovie(kGreen, 24), 2.0f),
                              Item(u"blue.swf", PlainMovie(kBlue, 12), 2.0f)};
  document.sizeOptions.sizeMode = 1;
  document.sizeOptions.width = 320;
  document.sizeOptions.height = 240;
  document.appearanceOptions.hasFrame = 0;
  document.appearanceOptions.alwaysOnTop = 1;
  document.behaviourOptions.loop = loop ? 1 : 0;
  return document;
}

class MoviePresentation : public ::testing::Test {
 protected:
  void TearDown() override {
    player_.reset();
    // Scenarios that take the control away leave it registered for whatever runs next.
    test::Regsvr32(test::ControlPath(), false);
  }

  // The player with the document and the resource library, as the packer makes it.
  // With `withInstaller` the package also carries the movie control's installer.
  bool Start(const DocumentModel& document, const std::wstring& name = L"Show.exe", bool withInstaller = false) {
    program_ = ToWide(directory_.path()) + L"\\" + name;
    if (!WritePackedPlayer(document, program_)) return false;
    std::vector<uint8_t> player = ReadFileBytes(program_);
    const std::vector<uint8_t> library = ReadFileBytes(BinDirectory() + L"\\CommonResources.dll");
    if (library.empty()) return false;
    auto record = MakeFileRecord(kResourceLibraryTag, u"CommonResources.dll", library);
    if (withInstaller) {
      const std::vector<uint8_t> installer = ReadFileBytes(BinDirectory() + L"\\InstallFlashPlayer.exe");
      if (installer.empty()) return false;
      const auto installerRecord = MakeFileRecord(kInstallerTag, u"InstallFlashPlayer.exe", installer);
      record.insert(record.end(), installerRecord.begin(), installerRecord.end());
    }
    player.insert(player.end(), record.begin(), record.end());
    if (!WriteFileBytes(program_, player)) return false;
    const std::wstring temporary = ToWide(directory_.File(u"tmp"));
    CreateDirectoryW(temporary.c_str(), nullptr);
    player_.emplace(Launch(program_, L"", temporary));
    return player_->started();
  }

  HWND Window() {
    HWND window = nullptr;
    WaitUntil([&] { return (window = PlayerDialogOf(player_->id())) != nullptr || !player_->Running(); }, 30s);
    return window;
  }

  // How long until the middle of the window (centred in the work area) shows `colour`; nothing
  // when the deadline passed.
  std::optional<std::chrono::milliseconds> WaitForColour(COLORREF colour, std::chrono::milliseconds deadline) {
    const auto start = Clock::now();
    if (!WaitUntil([&] { return NearColour(ScreenPixel(WorkAreaMiddle()), colour); }, deadline, 20ms)) return std::nullopt;
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
  }

  // True when the middle of the window shows `colour` all the time for `span`.
  bool StaysColour(COLORREF colour, std::chrono::milliseconds span) {
    const auto end = Clock::now() + span;
    while (Clock::now() < end) {
      if (!NearColour(ScreenPixel(WorkAreaMiddle()), colour)) return false;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
  }

  void CloseAndExpectCleanExit(HWND window) {
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(player_->WaitForExit(20s), std::optional<DWORD>(0));
    EXPECT_TRUE(FolderEntries(ToWide(directory_.File(u"tmp"))).empty());
  }

  test::ScratchDirectory directory_;
  std::wstring program_;
  std::optional<Launched> player_;
};

// A movie ends by the clock or by its frames within this much of its time, under a loaded Wine.
constexpr auto kEarly = 1500ms;
constexpr auto kLate = 4500ms;

TEST_F(MoviePresentation, ItemsPlayInOrderForTheirTimeAndLoop) {
  ASSERT_TRUE(Start(ThreeColours(true)));
  HWND window = Window();
  ASSERT_TRUE(window);
  ASSERT_TRUE(WaitForColour(kRed, 30s)) << "the first movie never showed";
  const auto red = WaitForColour(kGreen, 8s);
  ASSERT_TRUE(red) << "the second movie never followed the first";
  EXPECT_GE(*red, kEarly);
  EXPECT_LE(*red, kLate);
  const auto green = WaitForColour(kBlue, 8s);
  ASSERT_TRUE(green) << "the frame-driven movie never ended";
  EXPECT_GE(*green, kEarly);
  EXPECT_LE(*green, kLate);
  const auto blue = WaitForColour(kRed, 8s);
  ASSERT_TRUE(blue) << "the presentation did not start again";
  EXPECT_GE(*blue, kEarly);
  EXPECT_LE(*blue, kLate);
  CloseAndExpectCleanExit(window);
}

TEST_F(MoviePresentation, WithoutLoopingTheLastItemStays) {
  ASSERT_TRUE(Start(ThreeColours(false)));
  HWND window = Window();
  ASSERT_TRUE(window);
  ASSERT_TRUE(WaitForColour(kRed, 30s));
  ASSERT_TRUE(WaitForColour(kGreen, 8s));
  ASSERT_TRUE(WaitForColour(kBlue, 8s));
  // Twice its play time and more: still there, and the player still runs.
  EXPECT_TRUE(StaysColour(kBlue, 5s));
  EXPECT_TRUE(player_->Running());
  CloseAndExpectCleanExit(window);
}

TEST_F(MoviePresentation, PlayCommandPausesAndResumes) {
  ASSERT_TRUE(Start(ThreeColours(true)));
  HWND window = Window();
  ASSERT_TRUE(window);
  ASSERT_TRUE(WaitForColour(kRed, 30s));
  PostMessageW(window, WM_COMMAND, kPlayCommand, 0);
  // Paused for longer than the item's whole time: nothing moves on.
  EXPECT_TRUE(StaysColour(kRed, 4s));
  PostMessageW(window, WM_COMMAND, kPlayCommand, 0);
  const auto resumed = WaitForColour(kGreen, 8s);
  ASSERT_TRUE(resumed) << "the presentation did not go on after Play";
  // The item keeps the time it had left when paused.
  EXPECT_LE(*resumed, kLate);
  CloseAndExpectCleanExit(window);
}

TEST_F(MoviePresentation, AWebPageTakesItsTurnBetweenMovies) {
  DocumentModel document = ThreeColours(true);
  const std::string page = "<html><body><p>Between the movies</p></body></html>";
  document.movieList.items[1] = Item(u"page.html", std::vector<uint8_t>(page.begin(), page.end()), 2.0f);
  ASSERT_TRUE(Start(document));
  HWND window = Window();
  ASSERT_TRUE(window);
  ASSERT_TRUE(WaitForColour(kRed, 30s));
  // The page's frame replaces the movie (this Wine draws no page content), then the next movie.
  const bool pageShown = WaitUntil([&] { return !NearColour(ScreenPixel(WorkAreaMiddle()), kRed); }, 8s, 20ms);
  EXPECT_TRUE(pageShown) << "the page never replaced the first movie";
  EXPECT_FALSE(NearColour(ScreenPixel(WorkAreaMiddle()), kBlue));
  const auto pageTime = WaitForColour(kBlue, 8s);
  ASSERT_TRUE(pageTime) << "the movie after the page never came";
  EXPECT_GE(*pageTime, kEarly);
  EXPECT_TRUE(player_->Running());
  CloseAndExpectCleanExit(window);
}

TEST_F(MoviePresentation, WithoutTheControlTheInstallerBesideTheProgramRunsAndTheMoviePlays) {
  ASSERT_TRUE(test::Regsvr32(test::ControlPath(), true));
  ASSERT_EQ(test::RegisteredServerPath(), L"");
  const std::vector<uint8_t> installer = ReadFileBytes(BinDirectory() + L"\\InstallFlashPlayer.exe");
  ASSERT_FALSE(installer.empty());
  ASSERT_TRUE(WriteFileBytes(ToWide(directory_.File(u"InstallFlashPlayer.exe")), installer));
  ASSERT_TRUE(Start(ThreeColours(true)));
  EXPECT_TRUE(WaitForColour(kRed, 60s)) << "the movie did not play after the installer";
  EXPECT_NE(test::RegisteredServerPath(), L"");
  HWND window = Window();
  ASSERT_TRUE(window);
  CloseAndExpectCleanExit(window);
}

TEST_F(MoviePresentation, WithoutTheControlThePackagesOwnInstallerRunsAtStartAndTheMoviePlays) {
  ASSERT_TRUE(test::Regsvr32(test::ControlPath(), true));
  ASSERT_EQ(test::RegisteredServerPath(), L"");
  ASSERT_TRUE(Start(ThreeColours(true), L"Show.exe", true));
  EXPECT_TRUE(WaitForColour(kRed, 60s)) << "the movie did not play after the installer";
  EXPECT_NE(test::RegisteredServerPath(), L"");
  HWND window = Window();
  ASSERT_TRUE(window);
  // The installer was written into the player's temporary folder, which goes at exit.
  CloseAndExpectCleanExit(window);
}

// The text of a message box: its static child.
std::wstring MessageText(HWND box) {
  std::wstring text;
  EnumChildWindows(
      box,
      [](HWND child, LPARAM found) -> BOOL {
        wchar_t className[16] = {};
        GetClassNameW(child, className, 16);
        if (std::wstring(className) != L"Static") return TRUE;
        wchar_t buffer[512] = {};
        GetWindowTextW(child, buffer, 512);
        if (!buffer[0]) return TRUE;
        *reinterpret_cast<std::wstring*>(found) = buffer;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&text));
  return text;
}

TEST_F(MoviePresentation, WithoutTheControlOrTheInstallerTheUserIsToldAndThePlayerEnds) {
  SplashSlot slot(kPreloaderSlotName);
  ASSERT_TRUE(slot.valid());
  ASSERT_TRUE(test::Regsvr32(test::ControlPath(), true));
  ASSERT_EQ(test::RegisteredServerPath(), L"");
  ASSERT_TRUE(Start(ThreeColours(true)));
  HWND box = nullptr;
  ASSERT_TRUE(WaitUntil(
      [&] {
        for (HWND window : TopLevelWindows(player_->id())) {
          if (MessageText(window).find(L"Flash player not found") != std::wstring::npos) box = window;
        }
        return box != nullptr || !player_->Running();
      },
      30s));
  ASSERT_TRUE(box) << "no message box";
  EXPECT_EQ(MessageText(box),
            L"Flash player not found. This application needs to have Flash player installed");
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(player_->WaitForExit(20s).has_value());
  EXPECT_EQ(slot.Messages(), 1u);
  EXPECT_TRUE(FolderEntries(ToWide(directory_.File(u"tmp"))).empty());
}

}  // namespace
}  // namespace zp::e2e
