// The splash program on a disc, with the real player beside it: a folder holding Curtainer.exe,
// an autorun.inf whose "auxopen" names the packed presentation, and a splash picture. Watched
// from outside, as a user sees it.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "core/package_format.h"
#include "gif_samples.h"
#include "platform/wide.h"
#include "support/e2e_support.h"
#include "test_files.h"

namespace zp::e2e {
namespace {

using namespace std::chrono_literals;

constexpr COLORREF kQuadrants[4] = {RGB(200, 30, 30), RGB(30, 160, 60), RGB(40, 60, 210), RGB(240, 200, 20)};
constexpr int kPictureWidth = 120;
constexpr int kPictureHeight = 80;

// A 24-bit bitmap file in four coloured quadrants: top-left, top-right, bottom-left, bottom-right.
std::vector<uint8_t> QuadrantBitmap() {
  const int stride = kPictureWidth * 3;
  const uint32_t imageSize = static_cast<uint32_t>(stride * kPictureHeight);
  std::vector<uint8_t> file(54 + imageSize);
  auto put32 = [&](size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<uint8_t>(value >> (8 * i));
  };
  file[0] = 'B';
  file[1] = 'M';
  put32(2, static_cast<uint32_t>(file.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, kPictureWidth);
  put32(22, static_cast<uint32_t>(-kPictureHeight));  // top-down rows
  file[26] = 1;
  file[28] = 24;
  put32(34, imageSize);
  for (int y = 0; y < kPictureHeight; ++y) {
    for (int x = 0; x < kPictureWidth; ++x) {
      const COLORREF colour = kQuadrants[(y >= kPictureHeight / 2 ? 2 : 0) + (x >= kPictureWidth / 2 ? 1 : 0)];
      uint8_t* pixel = &file[54 + static_cast<size_t>(y * stride + x * 3)];
      pixel[0] = GetBValue(colour);
      pixel[1] = GetGValue(colour);
      pixel[2] = GetRValue(colour);
    }
  }
  return file;
}

// A small player window in the bottom-right corner, clear of the centred splash.
DocumentModel Presentation() {
  DocumentModel document = OnePicturePresentation(u"C:\\show\\title.jpg");
  document.movieList.items[0].playTime = 30;
  document.sizeOptions.width = 200;
  document.sizeOptions.height = 150;
  document.sizeOptions.positionPreset = 9;
  return document;
}

std::optional<DWORD> ProcessIdByName(const std::wstring& name) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return std::nullopt;
  std::optional<DWORD> found;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot, &entry); more && !found; more = Process32NextW(snapshot, &entry)) {
    if (_wcsicmp(entry.szExeFile, name.c_str()) == 0) found = entry.th32ProcessID;
  }
  CloseHandle(snapshot);
  return found;
}

struct SplashFacts {
  HWND hwnd = nullptr;
  RECT window{};
  POINT clientOrigin{};
  SIZE client{};
  bool appWindow = false;
  bool owned = false;
};

SplashFacts LookAtSplash(HWND splash) {
  SplashFacts facts;
  facts.hwnd = splash;
  GetWindowRect(splash, &facts.window);
  RECT client{};
  GetClientRect(splash, &client);
  facts.client = {client.right, client.bottom};
  ClientToScreen(splash, &facts.clientOrigin);
  facts.appWindow = (GetWindowLongPtrW(splash, GWL_EXSTYLE) & WS_EX_APPWINDOW) != 0;
  facts.owned = GetWindow(splash, GW_OWNER) != nullptr;
  return facts;
}

// The screen shows the colour at the point once the window has painted (within a deadline).
bool ShowsColour(POINT at, COLORREF colour) {
  return WaitUntil([&] { return NearColour(ScreenPixel(at), colour); }, 5s, 20ms);
}

void ExpectCentredOnTheWorkArea(const SplashFacts& facts) {
  RECT area{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  EXPECT_NEAR(facts.window.left - area.left, area.right - facts.window.right, 1);
  EXPECT_NEAR(facts.window.top - area.top, area.bottom - facts.window.bottom, 1);
  EXPECT_FALSE(facts.appWindow);  // no taskbar button
  EXPECT_TRUE(facts.owned);
}

// A folder laid out like a disc, its name with a space in it.
class DiscFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = ToWide(scratch_.File(u"My Disc"));
    temporary_ = ToWide(scratch_.File(u"tmp"));
    ASSERT_TRUE(CreateDirectoryW(root_.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((root_ + L"\\show").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(temporary_.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW((BinDirectory() + L"\\Curtainer.exe").c_str(), (root_ + L"\\Curtainer.exe").c_str(), FALSE));
  }
  // Whatever the splash started is gone before the next scenario: the stand-in leaves when
  // released, anything else still running is ended.
  void TearDown() override {
    WriteFileBytes(root_ + L"\\show\\release", {});
    if (auto id = ProcessIdByName(L"Show.exe")) EndProcess(*id);
  }

  void WriteAutorun(const std::string& text) {
    ASSERT_TRUE(WriteFileBytes(root_ + L"\\autorun.inf", std::vector<uint8_t>(text.begin(), text.end())));
  }
  void PutPlayer(const DocumentModel& document) {
    ASSERT_TRUE(WritePackedPlayer(document, root_ + L"\\show\\Show.exe"));
  }
  // A program that never signals in the player's place: only the user can end the wait.
  void PutStandInPlayer() {
    ASSERT_TRUE(CopyFileW((BinDirectory() + L"\\SplashStandIn.exe").c_str(), (root_ + L"\\show\\Show.exe").c_str(), FALSE));
  }
  void StartSplash() {
    splash_.emplace(Launch(root_ + L"\\Curtainer.exe", L"", temporary_));
    ASSERT_TRUE(splash_->started());
  }
  HWND WaitForSplashWindow() {
    HWND found = nullptr;
    WaitUntil([&] {
      const auto windows = TopLevelWindows(splash_->id());
      found = windows.empty() ? nullptr : windows.front();
      return found != nullptr || !splash_->Running();
    }, 20s, 10ms);
    return found;
  }
  // The splash window once it is up: its client area the picture's size, centred on the work
  // area, without a taskbar button.
  SplashFacts WaitForCentredSplash(int width, int height) {
    HWND splash = WaitForSplashWindow();
    EXPECT_TRUE(splash);
    if (!splash) return {};
    SplashFacts facts = LookAtSplash(splash);
    EXPECT_EQ(facts.client.cx, width);
    EXPECT_EQ(facts.client.cy, height);
    ExpectCentredOnTheWorkArea(facts);
    return facts;
  }
  static void EndProcess(DWORD id) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    if (!process) return;
    if (WaitForSingleObject(process, 5000) != WAIT_OBJECT_0) TerminateProcess(process, 9);
    WaitForSingleObject(process, 10000);
    CloseHandle(process);
  }

  test::ScratchDirectory scratch_;
  std::wstring root_;
  std::wstring temporary_;
  std::optional<Launched> splash_;
};

TEST_F(DiscFolder, TheSplashShowsItsPictureStartsThePlayerAndGoesOnceThePlayerWindowIsUp) {
  WriteAutorun("[autorun]\r\nopen=Curtainer.exe\r\nauxopen=show\\Show.exe\r\n");
  PutPlayer(Presentation());
  // A picture that cannot be decoded is passed over for the next one in the order.
  ASSERT_TRUE(WriteFileBytes(root_ + L"\\Curtainer.jpg", {'n', 'o', 't', ' ', 'a', ' ', 'J', 'P', 'E', 'G'}));
  ASSERT_TRUE(WriteFileBytes(root_ + L"\\Curtainer.bmp", QuadrantBitmap()));
  StartSplash();

  // The whole picture is seen: the client area is the picture, to its last row and column.
  const SplashFacts facts = WaitForCentredSplash(kPictureWidth, kPictureHeight);
  ASSERT_TRUE(facts.hwnd);
  const POINT corners[4] = {{1, 1}, {kPictureWidth - 1, 1}, {1, kPictureHeight - 1}, {kPictureWidth - 1, kPictureHeight - 1}};
  for (int i = 0; i < 4; ++i) {
    const POINT at{facts.clientOrigin.x + corners[i].x, facts.clientOrigin.y + corners[i].y};
    EXPECT_TRUE(ShowsColour(at, kQuadrants[i])) << "corner " << i << ": " << std::hex << ScreenPixel(at);
  }

  // The player starts from the disc, its window comes up, and the splash goes within a second.
  std::optional<DWORD> playerId;
  HWND player = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    if (!playerId) playerId = ProcessIdByName(L"Show.exe");
    player = playerId ? PlayerDialogOf(*playerId) : nullptr;
    return player != nullptr;
  }, 30s, 10ms));
  const auto playerUp = std::chrono::steady_clock::now();
  EXPECT_EQ(splash_->WaitForExit(5s), std::optional<DWORD>(0));
  EXPECT_LE(std::chrono::steady_clock::now() - playerUp, 1s);

  // The player runs on, and ends as usual when closed.
  EXPECT_TRUE(IsWindowVisible(player));
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, *playerId);
  ASSERT_TRUE(process);
  PostMessageW(player, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(WaitForSingleObject(process, 20000), WAIT_OBJECT_0);
  DWORD code = 99;
  GetExitCodeProcess(process, &code);
  EXPECT_EQ(code, 0u);
  CloseHandle(process);
}

TEST_F(DiscFolder, APresentationThatFailsToLoadStillReleasesTheSplash) {
  WriteAutorun("[autorun]\nauxopen=show\\Show.exe\n");
  struct Case {
    const char* what;
    bool packed;
  };
  // An empty presentation makes the player signal and end; a player without a package ends
  // with exit code 1 and no signal at all.
  for (const Case& c : {Case{"empty presentation", true}, Case{"no package", false}}) {
    SCOPED_TRACE(c.what);
    if (c.packed) {
      PutPlayer(DocumentModel{});
    } else {
      ASSERT_TRUE(CopyFileW(ProjectorPath().c_str(), (root_ + L"\\show\\Show.exe").c_str(), FALSE));
    }
    StartSplash();
    EXPECT_EQ(splash_->WaitForExit(20s), std::optional<DWORD>(0));
  }
}

TEST_F(DiscFolder, WithoutAnAutorunFileTheSplashEndsByItselfAndStartsNothing) {
  PutPlayer(Presentation());
  StartSplash();
  EXPECT_EQ(splash_->WaitForExit(20s), std::optional<DWORD>(0));
  // A started player would have made its temporary folder in the splash's.
  EXPECT_TRUE(FolderEntries(temporary_).empty());
  EXPECT_FALSE(ProcessIdByName(L"Show.exe"));
}

TEST_F(DiscFolder, TheBuiltInPictureShowsAndClosingTheSplashDuringTheWaitEndsItAtOnce) {
  PutStandInPlayer();
  WriteAutorun("[AutoRun]\nauxopen = \"show\\Show.exe\"\n");
  StartSplash();
  const SplashFacts facts = WaitForCentredSplash(375, 237);
  ASSERT_TRUE(facts.hwnd);
  const POINT inside{facts.clientOrigin.x + 3, facts.clientOrigin.y + 3};
  EXPECT_TRUE(ShowsColour(inside, RGB(30, 58, 95))) << std::hex << ScreenPixel(inside);
  ASSERT_TRUE(WaitUntil([] { return ProcessIdByName(L"Show.exe").has_value(); }, 10s));

  // Well into the wait, the user closes the splash.
  ASSERT_FALSE(splash_->WaitForExit(500ms));
  const auto closing = std::chrono::steady_clock::now();
  PostMessageW(facts.hwnd, WM_CLOSE, 0, 0);
  EXPECT_EQ(splash_->WaitForExit(5s), std::optional<DWORD>(0));
  EXPECT_LE(std::chrono::steady_clock::now() - closing, 1s);
  // The program it started is left alone.
  EXPECT_TRUE(ProcessIdByName(L"Show.exe").has_value());
}

TEST_F(DiscFolder, AnAnimatedPictureComesBeforeLaterFormatsAndPlaysWhileTheSplashWaits) {
  PutStandInPlayer();
  WriteAutorun("[autorun]\nauxopen=show\\Show.exe\n");
  test::GifRecipe gif;
  gif.width = 90;
  gif.height = 60;
  gif.palette = {0xC81E1E, 0x1EA03C, 0x283CD2, 0xFFFFFF};
  gif.frames = {test::GifFrameRecipe{0, 0, 0, 0, 0, 20, 0}, test::GifFrameRecipe{0, 0, 0, 0, 2, 20, 0}};
  ASSERT_TRUE(WriteFileBytes(root_ + L"\\Curtainer.gif", test::MakeGif(gif)));
  ASSERT_TRUE(WriteFileBytes(root_ + L"\\Curtainer.bmp", QuadrantBitmap()));
  StartSplash();
  const SplashFacts facts = WaitForCentredSplash(90, 60);
  ASSERT_TRUE(facts.hwnd);
  // Both frames come by, again and again, while the splash waits for the player.
  const POINT centre{facts.clientOrigin.x + 45, facts.clientOrigin.y + 30};
  for (int round = 0; round < 2; ++round) {
    EXPECT_TRUE(ShowsColour(centre, RGB(0xC8, 0x1E, 0x1E))) << round;
    EXPECT_TRUE(ShowsColour(centre, RGB(0x28, 0x3C, 0xD2))) << round;
  }
  PostMessageW(facts.hwnd, WM_CLOSE, 0, 0);
  EXPECT_EQ(splash_->WaitForExit(5s), std::optional<DWORD>(0));
}

}  // namespace
}  // namespace zp::e2e
