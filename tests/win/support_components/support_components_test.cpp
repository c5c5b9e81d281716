#include <gtest/gtest.h>

#include <windows.h>

#include "core/package_format.h"
#include "core/package_writer.h"
#include "core/zlib_codec.h"
#include "movie_test_support.h"
#include "platform/platform.h"
#include "platform/wide.h"
#include "services/process_finder.h"
#include "services/support_components.h"
#include "services/warning_dialog.h"
#include "test_files.h"

namespace zp::services {
namespace {

std::u16string ProgramFolder() {
  const std::wstring control = test::ControlPath();
  return FromWide(control.substr(0, control.find_last_of(L'\\')));
}

// A folder whose path has a space, as temporary folders on older systems do.
std::u16string SpacedFolder(const test::ScratchDirectory& scratch) {
  const std::u16string folder = scratch.File(u"with space");
  platform::CreateSingleDirectory(folder);
  return folder;
}

// A package: a program's worth of other bytes, then the record.
bool WritePackage(const std::u16string& path, uint32_t seed, const test::Bytes& record) {
  return test::WriteBytes(path, test::Concat({test::RandomBytes(5000, seed), record}));
}

// A package carrying a program of the build's folder as its installer, under `storedName`.
bool WritePackageWithInstaller(const std::u16string& path, const char16_t* program, const char16_t* storedName) {
  const auto bytes = test::ReadBytes(ProgramFolder() + u"\\" + program);
  return bytes && WritePackage(path, 1, MakeFileRecord(kInstallerTag, storedName, *bytes));
}

class SupportComponents : public ::testing::Test {
 protected:
  void TearDown() override { test::Regsvr32(test::ControlPath(), false); }  // the build's copy again
  test::ScratchDirectory scratch;
};

TEST_F(SupportComponents, RegistrationToolTakesQuotedPathsAndItsExitCodeCounts) {
  const std::u16string folder = SpacedFolder(scratch);
  const std::u16string copy = folder + u"\\control copy.dat";
  ASSERT_TRUE(CopyFileW(test::ControlPath().c_str(), ToWide(copy).c_str(), FALSE));
  ASSERT_TRUE(test::Regsvr32(test::ControlPath(), true));

  EXPECT_TRUE(RegisterControl(ToWide(copy)));
  EXPECT_EQ(FromWide(test::RegisteredServerPath()), copy);
  EXPECT_TRUE(UnregisterControl(ToWide(copy)));
  EXPECT_EQ(test::RegisteredServerPath(), L"");

  // Not a library, and no file at all: the tool fails and says so through its exit code.
  const std::u16string text = folder + u"\\not a control.dat";
  ASSERT_TRUE(test::WriteBytes(text, test::ToBytes("plain text")));
  EXPECT_FALSE(RegisterControl(ToWide(text)));
  EXPECT_FALSE(RegisterControl(ToWide(folder + u"\\missing.dat")));
}

TEST_F(SupportComponents, InstallerFromThePackageRunsAndIsWaitedFor) {
  const std::u16string withInstaller = scratch.File(u"with installer.exe");
  ASSERT_TRUE(WritePackageWithInstaller(withInstaller, u"InstallFlashPlayer.exe", u"ZpSetup.exe"));
  const std::u16string without = scratch.File(u"without.exe");
  ASSERT_TRUE(test::WriteBytes(without, test::RandomBytes(5000, 2)));
  const std::u16string directory = SpacedFolder(scratch);
  ASSERT_TRUE(test::Regsvr32(test::ControlPath(), true));

  EXPECT_FALSE(InstallFlashPlayer(without, directory, true));
  EXPECT_TRUE(platform::ListDirectory(directory).empty());

  EXPECT_TRUE(InstallFlashPlayer(withInstaller, directory, true));
  // The wait ended only after the installer had done its work.
  EXPECT_NE(test::RegisteredServerPath(), L"");
  EXPECT_TRUE(test::Exists(directory + u"\\ZpSetup.exe"));
  EXPECT_FALSE(IsProcessRunning(L"ZpSetup").found);
}

// The installer's switch and exit code, seen through a program that writes down its arguments
// (beside itself, as "<name>.args") and ends with 1 when it cannot.
TEST_F(SupportComponents, InstallerGetsItsSwitchByFullPathAndOnlyExitCodeZeroCounts) {
  const std::u16string package = scratch.File(u"package.exe");
  ASSERT_TRUE(WritePackageWithInstaller(package, u"arg_recorder.exe", u"ZpRecorder.exe"));
  struct Case {
    const char16_t* folder;
    bool required;
    bool recorderFails;
    bool result;
    std::wstring arguments;
  };
  for (const Case& c : {Case{u"required here", true, false, true, std::wstring(L"/Q", 3)},
                        Case{u"optional here", false, false, true, L""},
                        Case{u"failing here", true, true, false, L""}}) {
    SCOPED_TRACE(ToWide(c.folder));
    const std::u16string directory = scratch.File(c.folder);
    platform::CreateSingleDirectory(directory);
    // A folder where the recorder's file must go makes it fail.
    if (c.recorderFails) platform::CreateSingleDirectory(directory + u"\\ZpRecorder.exe.args.partial");
    EXPECT_EQ(InstallFlashPlayer(package, directory, c.required), c.result);
    const auto recorded = test::ReadBytes(directory + u"\\ZpRecorder.exe.args");
    if (c.recorderFails) {
      EXPECT_FALSE(recorded);
    } else {
      ASSERT_TRUE(recorded);
      EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(recorded->data()), recorded->size() / 2), c.arguments);
    }
  }
}

TEST_F(SupportComponents, TransparencyControlIsWrittenUnderAUniqueDatName) {
  const test::Bytes control = test::RandomBytes(30000, 3);
  const std::u16string package = scratch.File(u"package.exe");
  ASSERT_TRUE(WritePackage(package, 4, MakeFileRecord(kToolsTag, u"stored-name.ocx", control)));
  const std::u16string directory = SpacedFolder(scratch);
  std::u16string path = directory;
  ASSERT_TRUE(ExtractFernwikControl(package, path));
  EXPECT_EQ(path.substr(0, directory.size() + 1), directory + u"\\");
  EXPECT_EQ(path.substr(path.size() - 4), u".dat");
  EXPECT_EQ(test::ReadBytes(path), control);

  test::Bytes broken = MakeFileRecord(kToolsTag, u"stored-name.ocx", control);
  broken[kFileHeaderSize + 40] ^= 0xFF;
  const std::u16string brokenPackage = scratch.File(u"broken.exe");
  ASSERT_TRUE(WritePackage(brokenPackage, 5, broken));
  std::u16string brokenPath = scratch.File(u"empty");
  platform::CreateSingleDirectory(brokenPath);
  EXPECT_FALSE(ExtractFernwikControl(brokenPackage, brokenPath));
  EXPECT_EQ(brokenPath, scratch.File(u"empty"));
  EXPECT_TRUE(platform::ListDirectory(brokenPath).empty()) << "a failed inflation leaves no file";
}

TEST(CompressedResource, InflatesOnlyWhatIsWhole) {
  const auto good = LoadCompressedResource(nullptr, 1, L"ZLIB_DLL");
  ASSERT_TRUE(good);
  ASSERT_EQ(good->size(), 256u * 40);
  for (size_t i = 0; i < good->size(); ++i) ASSERT_EQ((*good)[i], i % 256);
  EXPECT_FALSE(LoadCompressedResource(nullptr, 2, L"ZLIB_DLL")) << "length at the limit";
  EXPECT_FALSE(LoadCompressedResource(nullptr, 3, L"ZLIB_DLL")) << "shorter than its length field";
  EXPECT_FALSE(LoadCompressedResource(nullptr, 4, L"ZLIB_DLL")) << "corrupt stream";
  EXPECT_FALSE(LoadCompressedResource(nullptr, 5, L"ZLIB_DLL")) << "missing";
}

// The layer is a stand-in library (the resource library) carried compressed in a module made
// for the test; the layer's folder is a scratch folder in place of the personal folder.
TEST_F(SupportComponents, UnicodeLayerIsLoadedFromItsFolderOrWrittenThereFromTheResource) {
  const std::u16string layerSource = ProgramFolder() + u"\\CommonResources.dll";
  const auto layer = test::ReadBytes(layerSource);
  ASSERT_TRUE(layer);
  const std::u16string carrierPath = scratch.File(u"carrier.dll");
  ASSERT_TRUE(CopyFileW(ToWide(layerSource).c_str(), ToWide(carrierPath).c_str(), FALSE));
  test::Bytes resource{static_cast<uint8_t>(layer->size()), static_cast<uint8_t>(layer->size() >> 8),
                       static_cast<uint8_t>(layer->size() >> 16), static_cast<uint8_t>(layer->size() >> 24)};
  const test::Bytes compressed = Deflate(*layer);
  resource.insert(resource.end(), compressed.begin(), compressed.end());
  HANDLE update = BeginUpdateResourceW(ToWide(carrierPath).c_str(), FALSE);
  ASSERT_TRUE(update);
  ASSERT_TRUE(UpdateResourceW(update, kUnicodeLayerResourceType, MAKEINTRESOURCEW(kUnicodeLayerResourceId), 0,
                              resource.data(), static_cast<DWORD>(resource.size())));
  ASSERT_TRUE(EndUpdateResourceW(update, FALSE));
  HMODULE carrier = LoadLibraryExW(ToWide(carrierPath).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_TRUE(carrier);

  const auto folder = [&](const char16_t* name) {
    const std::u16string path = scratch.File(name);
    platform::CreateSingleDirectory(path);
    return path;
  };
  const auto narrow = [](const std::u16string& path) { return std::string(path.begin(), path.end()); };
  // Missing: written from the resource, then loaded from there.
  const std::u16string empty = folder(u"empty");
  HMODULE written = LoadUnicodeLayerFrom(narrow(empty), carrier);
  ASSERT_TRUE(written);
  EXPECT_EQ(test::ReadBytes(empty + u"\\unicows.dll"), layer);
  wchar_t loadedFrom[MAX_PATH] = {};
  GetModuleFileNameW(written, loadedFrom, MAX_PATH);
  EXPECT_EQ(FromWide(loadedFrom), empty + u"\\unicows.dll");
  FreeLibrary(written);
  // Present: loaded without the resource (the test program has none of that number).
  HMODULE present = LoadUnicodeLayerFrom(narrow(empty), nullptr);
  EXPECT_TRUE(present);
  FreeLibrary(present);
  // Neither there nor in the resources: nothing, and nothing written.
  const std::u16string bare = folder(u"bare");
  EXPECT_EQ(LoadUnicodeLayerFrom(narrow(bare), nullptr), nullptr);
  EXPECT_TRUE(platform::ListDirectory(bare).empty());
  FreeLibrary(carrier);
}

std::wstring ItemText(HWND dialog, int id) {
  wchar_t text[512] = {};
  GetDlgItemTextW(dialog, id, text, 512);
  return text;
}

TEST(WarningDialog, ShowsItsTextAndIconAndKeepsTheBoxOnlyForOk) {
  for (const auto& [button, dontShow] : {std::pair{IDOK, true}, std::pair{IDCANCEL, false}}) {
    WarningDialog dialog;
    dialog.SetMessage(L"In order for Flash transparency to work");
    ASSERT_TRUE(dialog.CreateModeless(WarningDialog::kTemplateId, nullptr));
    wchar_t caption[64] = {};
    GetWindowTextW(dialog.hwnd(), caption, 64);
    EXPECT_STREQ(caption, L"Warning");
    EXPECT_EQ(ItemText(dialog.hwnd(), WarningDialog::kMessageControl), L"In order for Flash transparency to work");
    EXPECT_NE(SendDlgItemMessageW(dialog.hwnd(), WarningDialog::kIconControl, STM_GETICON, 0, 0), 0);
    dialog.SetMessage(L"changed while shown");
    EXPECT_EQ(ItemText(dialog.hwnd(), WarningDialog::kMessageControl), L"changed while shown");
    CheckDlgButton(dialog.hwnd(), WarningDialog::kDontShowControl, BST_CHECKED);
    SendMessageW(dialog.hwnd(), WM_COMMAND, button, 0);
    EXPECT_TRUE(dialog.ended());
    EXPECT_EQ(dialog.result(), button);
    EXPECT_EQ(dialog.DontShowAgain(), dontShow);
  }
}

}  // namespace
}  // namespace zp::services
