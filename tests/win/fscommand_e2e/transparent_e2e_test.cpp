// A transparent presentation as a user meets it, on a machine where the transparency control
// is not registered and the temporary folder's path has a space: the player registers the
// control it carries for the run, floats the movie in a layered window through which the empty
// stage shows what lies behind, moves it when the movie asks, and leaves nothing behind.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>

#include "controls/movie/movie_ids.h"
#include "core/text.h"
#include "movie_presentation.h"
#include "movie_test_support.h"
#include "platform/wide.h"
#include "scripted_movie.h"
#include "support/e2e_support.h"
#include "test_files.h"

namespace zp::e2e {
namespace {

using namespace std::chrono_literals;
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
  movie.WaitForFile(moveSignal).Command("WindowSetPos", "0,10,20").WaitForFile(quitSignal).Command("quit", "");
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
  ASSERT_TRUE(WaitUntil([&] { return GetWindowRect(layered, &r) && r.left == 10 && r.top == 20; }, kDeadline))
      << r.left << "," << r.top;
  // The box in the middle of the stage is opaque; the stage around it shows the desktop, as
  // a point just outside the window does.
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

}  // namespace
}  // namespace zp::e2e
