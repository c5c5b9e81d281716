// The player's life as a user and a careful administrator see it: the libraries it loads and
// the thread they load on, a window that shows whatever the document asks of other windows,
// and a close that ends the player at any moment after its window exists.
#include <gtest/gtest.h>
#include <objbase.h>

#include <algorithm>
#include <sstream>

#include "core/package_format.h"
#include "core/package_writer.h"
#include "core/text.h"
#include "platform/wide.h"
#include "support/e2e_support.h"
#include "test_files.h"

namespace zp::e2e {
namespace {

using namespace std::chrono_literals;

DocumentModel PicturePresentation() {
  DocumentModel document = OnePicturePresentation();
  document.sizeOptions.width = 320;
  document.sizeOptions.height = 240;
  return document;
}

// What the load recorder wrote: one line per load, "path|apartment result|apartment type".
struct RecordedLoad {
  std::wstring path;
  HRESULT apartment = E_FAIL;
  int type = -1;
};

std::vector<RecordedLoad> RecordedLoads(const std::wstring& folder) {
  const std::vector<uint8_t> bytes = ReadFileBytes(folder + L"\\library-loads.txt");
  std::wistringstream text(std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t)));
  std::vector<RecordedLoad> loads;
  for (std::wstring line; std::getline(text, line);) {
    const size_t first = line.find(L'|'), second = line.rfind(L'|');
    if (first == std::wstring::npos || second == first) continue;
    loads.push_back({line.substr(0, first), static_cast<HRESULT>(std::stoul(line.substr(first + 1), nullptr, 16)),
                     std::stoi(line.substr(second + 1))});
  }
  return loads;
}

std::wstring LoadRecorderPath() { return BinDirectory() + L"\\load-recorder\\load_recorder.dll"; }

class PlayerLifetime : public ::testing::Test {
 protected:
  std::wstring Folder() const { return ToWide(scratch_.path()); }

  // A packed player in a folder of its own with a fresh temporary folder; `extra` records go
  // after the document.
  std::wstring Pack(const DocumentModel& document, const std::wstring& name,
                    const std::vector<uint8_t>& extra = {}) {
    const std::wstring folder = Folder() + L"\\" + name;
    CreateDirectoryW(folder.c_str(), nullptr);
    temporary_ = folder + L"\\tmp";
    CreateDirectoryW(temporary_.c_str(), nullptr);
    const std::wstring program = folder + L"\\" + name + L".exe";
    EXPECT_TRUE(WritePackedPlayer(document, program)) << "cannot write " << U16ToUtf8(FromWide(program));
    if (!extra.empty()) {
      std::vector<uint8_t> bytes = ReadFileBytes(program);
      bytes.insert(bytes.end(), extra.begin(), extra.end());
      EXPECT_TRUE(WriteFileBytes(program, bytes));
    }
    return program;
  }

  Launched Start(const std::wstring& program) {
    Launched player = Launch(program, L"", temporary_);
    EXPECT_TRUE(player.started()) << "CreateProcess failed with " << GetLastError();
    return player;
  }

  // The player's dialog as soon as it is visible, polled tightly so that a close can come at
  // the first moment a user could give one.
  static HWND FirstSight(Launched& player) {
    HWND window = nullptr;
    WaitUntil([&] { return (window = PlayerDialogOf(player.id())) != nullptr || !player.Running(); }, 30s, 1ms);
    return window;
  }

  void ExpectNothingLeftBut(const std::vector<std::wstring>& allowed) const {
    for (const std::wstring& entry : FolderEntries(temporary_)) {
      EXPECT_NE(std::find(allowed.begin(), allowed.end(), entry), allowed.end())
          << "left in the temporary folder: " << U16ToUtf8(FromWide(entry));
    }
  }

  test::ScratchDirectory scratch_;
  std::wstring temporary_;
};

TEST_F(PlayerLifetime, LoadsItsResourceLibraryFromThePackageOnASingleThreadedApartment) {
  const std::vector<uint8_t> recorder = ReadFileBytes(LoadRecorderPath());
  ASSERT_FALSE(recorder.empty());
  const std::wstring program =
      Pack(PicturePresentation(), L"Planted", MakeFileRecord(kResourceLibraryTag, u"CommonResources.dll", recorder));
  // Someone left a library of the same name beside the program, as in a downloads folder.
  const std::wstring planted = Folder() + L"\\Planted\\CommonResources.dll";
  ASSERT_TRUE(WriteFileBytes(planted, recorder));

  Launched player = Start(program);
  HWND window = FirstSight(player);
  ASSERT_NE(window, nullptr) << "the player showed no window";
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(player.WaitForExit(20s), std::optional<DWORD>(0));

  const std::vector<RecordedLoad> loads = RecordedLoads(temporary_);
  EXPECT_EQ(loads.size(), 1u) << "the library was loaded from more places than the package's";
  for (const RecordedLoad& load : loads) {
    SCOPED_TRACE(U16ToUtf8(FromWide(load.path)));
    EXPECT_EQ(_wcsnicmp(load.path.c_str(), temporary_.c_str(), temporary_.size()), 0) << "not the package's copy";
    EXPECT_EQ(load.apartment, S_OK) << std::hex << load.apartment;
    EXPECT_TRUE(load.type == APTTYPE_STA || load.type == APTTYPE_MAINSTA) << load.type;
  }
  ExpectNothingLeftBut({L"library-loads.txt"});
}

TEST_F(PlayerLifetime, MinimisingOtherWindowsStillShowsThePlayer) {
  DocumentModel document = PicturePresentation();
  document.appearanceOptions.minimizeOthers = 1;
  document.appearanceOptions.restoreOthers = 1;
  Launched player = Start(Pack(document, L"Others"));
  HWND window = FirstSight(player);
  ASSERT_NE(window, nullptr) << "the player showed no window";
  // Set-up's own messages come before any posted now: once "Always On Top" shows, the player
  // has undone whatever the shell did to it.
  PostMessageW(window, WM_COMMAND, 603, 0);
  EXPECT_TRUE(WaitUntil([&] { return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }, 10s));
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_FALSE(IsIconic(window));
  // Closing asks the shell to restore the other windows, which must not hold the player either.
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(player.WaitForExit(20s), std::optional<DWORD>(0));
  ExpectNothingLeftBut({});
}

// Every way a user closes the player, each given at the first moment the window shows.
struct CloseRequest {
  const char* name;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
constexpr CloseRequest kCloseRequests[] = {
    {"WM_CLOSE", WM_CLOSE, 0, 0},
    {"Esc", WM_KEYDOWN, VK_ESCAPE, 1},
    {"Alt+F4", WM_SYSKEYDOWN, VK_F4, 1 | (1 << 29)},  // bit 29: Alt is down
    {"context menu Exit", WM_COMMAND, 615, 0},
};

TEST_F(PlayerLifetime, ACloseAtTheFirstMomentTheWindowShowsEndsThePlayer) {
  constexpr int kRounds = 2;
  const std::wstring program = Pack(PicturePresentation(), L"Closing");
  for (int round = 0; round < kRounds; ++round) {
    for (const CloseRequest& close : kCloseRequests) {
      SCOPED_TRACE(std::string(close.name) + ", round " + std::to_string(round));
      Launched player = Start(program);
      HWND window = FirstSight(player);
      ASSERT_NE(window, nullptr) << "the player showed no window";
      PostMessageW(window, close.message, close.wParam, close.lParam);
      EXPECT_EQ(player.WaitForExit(20s), std::optional<DWORD>(0));
      ExpectNothingLeftBut({});
    }
  }
}

}  // namespace
}  // namespace zp::e2e
