// Start-up as a user sees it: a packed player loads its presentation, shows its window, and ends
// with exit code 0 when that window is closed; a player without a usable presentation ends with
// exit code 1 and shows nothing. Either way its temporary folder is gone afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>

#include "core/package_format.h"
#include "core/text.h"
#include "document_samples.h"
#include "platform/wide.h"
#include "support/e2e_support.h"
#include "test_files.h"

namespace zp::e2e {
namespace {

using namespace std::chrono_literals;
constexpr auto kDeadline = 60s;

class Startup : public ::testing::Test {
 protected:
  void SetUp() override {
    temporary_ = Folder(L"tmp");
    ASSERT_TRUE(CreateDirectoryW(temporary_.c_str(), nullptr));
  }

  std::wstring Folder(const std::wstring& name) const { return ToWide(scratch_.path()) + L"\\" + name; }

  // Runs the program with its own temporary folder and watches it until it ends.
  Observed Run(const std::wstring& program, const std::wstring& arguments = L"") {
    Launched process = Launch(program, arguments, temporary_);
    EXPECT_TRUE(process.Started());
    return WatchUntilExit(process, kDeadline);
  }

  void ExpectNothingLeft() const {
    const auto left = FolderEntries(temporary_);
    EXPECT_TRUE(left.empty()) << "left in the temporary folder: " << (left.empty() ? std::string() : U16ToUtf8(FromWide(left[0])));
  }

  // Runs a player that should come up: waits for its window, closes it, and gives the exit code.
  std::optional<DWORD> RunAndClose(const std::wstring& program, const std::wstring& arguments = L"",
                                   const std::function<void()>& whileShown = nullptr) {
    Launched process = Launch(program, arguments, temporary_);
    EXPECT_TRUE(process.Started());
    std::vector<HWND> windows;
    const bool shown = WaitUntil(
        [&] {
          windows = TopLevelWindows(process.id());
          // The player's own window: the overlay panel's pop-ups, which it owns, may show a
          // moment before it does, and closing them closes nothing else.
          std::erase_if(windows, [](HWND window) { return GetWindow(window, GW_OWNER) != nullptr; });
          return !windows.empty() || !process.Running();
        },
        kDeadline);
    EXPECT_TRUE(shown && !windows.empty()) << "the player showed no window";
    if (whileShown) whileShown();
    for (HWND window : windows) PostMessageW(window, WM_CLOSE, 0, 0);
    return process.WaitForExit(kDeadline);
  }

  // A presentation that loads every kind of embedded file but asks nothing unusual of the
  // window (no other windows minimised, a taskbar button, a frame to close).
  static DocumentModel Presentation() {
    DocumentModel document = test::FullDocument();
    const DocumentModel defaults;
    const EmbeddedFile icon = document.appearanceOptions.icon;
    document.sizeOptions = defaults.sizeOptions;
    document.appearanceOptions = defaults.appearanceOptions;
    document.appearanceOptions.icon = icon;
    document.appearanceOptions.title = u"End to end";
    document.mouseKeyOptions = defaults.mouseKeyOptions;
    document.behaviourOptions = defaults.behaviourOptions;
    document.logOptions = defaults.logOptions;
    document.backgroundSound.enabled = 0;
    return document;
  }

  test::ScratchDirectory scratch_;
  std::wstring temporary_;
};

TEST_F(Startup, APackedPlayerComesUpAndEndsWithZeroWhenClosed) {
  const std::wstring program = Folder(L"Show.exe");
  ASSERT_TRUE(WritePackedPlayer(Presentation(), program));
  // While it runs, its one temporary directory holds what the document carried: the two items,
  // icon, logo, panel picture and sound under unique names, and the linked file in its folder.
  const auto filesWritten = [&] {
    const auto entries = FolderEntries(temporary_);
    ASSERT_EQ(entries.size(), 1u);
    ASSERT_TRUE(entries[0].ends_with(L".tmp"));
    const std::wstring directory = temporary_ + L"\\" + entries[0];
    const auto files = FolderEntries(directory);
    const auto count = [&](const wchar_t* extension) {
      return std::count_if(files.begin(), files.end(), [&](const std::wstring& name) { return name.ends_with(extension); });
    };
    EXPECT_EQ(count(L".swf"), 1);
    EXPECT_EQ(count(L".JPG"), 1);
    EXPECT_EQ(count(L".ico"), 1);
    EXPECT_EQ(count(L".bmp"), 1);
    EXPECT_EQ(count(L".png"), 1);
    EXPECT_EQ(count(L".mp3"), 1);
    EXPECT_EQ(FolderEntries(directory + L"\\data"), std::vector<std::wstring> {L"one.xml"});
  };
  EXPECT_EQ(RunAndClose(program, L"", filesWritten), std::optional<DWORD>(0));
  ExpectNothingLeft();
}

TEST_F(Startup, AnUncompressedDocumentLoadsInPlace) {
  const std::wstring program = Folder(L"Show.exe");
  ASSERT_TRUE(WritePackedPlayer(Presentation(), program, /*compress=*/false));
  EXPECT_EQ(RunAndClose(program), std::optional<DWORD>(0));
  ExpectNothingLeft();
}

TEST_F(Startup, ExtraCommandLineArgumentsChangeNothing) {
  const std::wstring program = Folder(L"Show.exe");
  ASSERT_TRUE(WritePackedPlayer(Presentation(), program));
  EXPECT_EQ(RunAndClose(program, L"/S --fullscreen C:\\elsewhere\\other.exe \"quoted arg\""), std::optional<DWORD>(0));
  ExpectNothingLeft();
}

struct BrokenPlayer {
  const char* name;
  std::function<std::vector<uint8_t>()> make;
};

// Failures name the broken player instead of dumping its bytes.
void PrintTo(const BrokenPlayer& player, std::ostream* out) { *out << player.name; }

class BrokenStartup : public Startup, public ::testing::WithParamInterface<BrokenPlayer> {};

TEST_P(BrokenStartup, EndsWithOneShowsNothingAndLeavesNothing) {
  const std::wstring program = Folder(L"Broken.exe");
  ASSERT_TRUE(WriteFileBytes(program, GetParam().make()));
  const Observed observed = Run(program);
  ASSERT_TRUE(observed.exitCode.has_value()) << "still running after the deadline";
  EXPECT_EQ(*observed.exitCode, 1u);
  EXPECT_FALSE(observed.sawWindow);
  ExpectNothingLeft();
}

std::vector<uint8_t> PlayerWith(const DocumentModel& document, bool compress, uint32_t version) {
  const std::wstring path = ToWide(test::ScratchDirectory().path()) + L".exe";
  WritePackedPlayer(document, path, compress, version);
  std::vector<uint8_t> bytes = ReadFileBytes(path);
  DeleteFileW(path.c_str());
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Players, BrokenStartup,
    ::testing::Values(
        BrokenPlayer {"NoPackage", [] { return ReadFileBytes(ProjectorPath()); }},
        BrokenPlayer {"TruncatedDocument",
                      [] {
                        // An uncompressed document cut in the middle of its sections.
                        auto bytes = PlayerWith(test::FullDocument(), false, kNewestDocumentVersion);
                        bytes.resize(bytes.size() - 40);
                        return bytes;
                      }},
        BrokenPlayer {"TruncatedCompressedDocument",
                      [] {
                        auto bytes = PlayerWith(test::FullDocument(), true, kNewestDocumentVersion);
                        bytes.resize(bytes.size() - 10);
                        return bytes;
                      }},
        BrokenPlayer {"Version151", [] { return PlayerWith(test::FullDocument(), true, 151); }}),
    [](const ::testing::TestParamInfo<BrokenPlayer>& player) { return std::string(player.param.name); });

TEST_F(Startup, ThePackerBuiltForWindowsMakesAPlayerThatRuns) {
  const std::wstring folder = Folder(L"presentation");
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(folder + L"\\intro.swf", {'F', 'W', 'S', 6, 8, 0, 0, 0}));
  const std::string manifest = R"({ // comments are allowed
    "items": [{"file": "intro.swf", "playTime": 3}],
    "size": {"mode": "percent", "percent": 80},
    "window": {"title": "End to end"}})";
  ASSERT_TRUE(WriteFileBytes(folder + L"\\manifest.json", std::vector<uint8_t>(manifest.begin(), manifest.end())));

  const std::wstring program = Folder(L"Packed.exe");
  Launched packer = Launch(ZentraPath(), L"pack \"" + folder + L"\\manifest.json\" -o \"" + program + L"\"");
  ASSERT_TRUE(packer.started());
  EXPECT_EQ(packer.WaitForExit(kDeadline), std::optional<DWORD>(0));

  EXPECT_EQ(RunAndClose(program), std::optional<DWORD>(0));
  ExpectNothingLeft();

  // A problem is a message and exit code 2, not a crash.
  Launched failing = Launch(ZentraPath(), L"pack \"" + folder + L"\\missing.json\" -o \"" + program + L"2\"");
  ASSERT_TRUE(failing.started());
  EXPECT_EQ(failing.WaitForExit(kDeadline), std::optional<DWORD>(2));
}

}  // namespace
}  // namespace zp::e2e
