// The FSCommand manager in-process under Wine: built-in commands with their "fscmd_ret" values
// and log lines, the one-time "WindowSetHandle", the log window and the extension libraries.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/fscommand/pe_export_names.h"
#include "fscommand/fs_command_manager.h"
#include "framework/profile.h"
#include "framework/topmost.h"
#include "pe_samples.h"
#include "platform/platform.h"
#include "platform/wide.h"
#include "services/settings_store.h"
#include "test_files.h"

namespace zp::fscommand {
namespace {

class FakeControl : public FsMovieControl {
 public:
  void SetVariable(const std::wstring& name, const std::wstring& value) override {
    calls.emplace_back(name, value);
    variables[name] = value;
  }
  void SetScaleMode(int mode) override { scaleMode = mode; }

  std::vector<std::pair<std::wstring, std::wstring>> calls;
  std::map<std::wstring, std::wstring> variables;
  int scaleMode = -1;
};

std::wstring TestBinDirectory() {
  const std::wstring path = ToWide(platform::ModuleFilePath());
  return path.substr(0, path.find_last_of(L"\\/") + 1);
}

bool CopyInto(const std::wstring& from, const std::u16string& to) {
  return CopyFileW(from.c_str(), ToWide(to).c_str(), FALSE) != FALSE;
}

// A top-level window standing in for the player's main window.
class MainWindow {
 public:
  MainWindow() {
    hwnd = CreateWindowExW(0, L"STATIC", L"main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200, nullptr,
                           nullptr, nullptr, nullptr);
  }
  ~MainWindow() { DestroyWindow(hwnd); }
  HWND hwnd;
};

// A settings name of the running test's own: the tests of this program run side by side, and
// the log window keeps its rectangle in the settings.
std::wstring OwnApplicationName() {
  const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
  return L"FsCommandCase-" + std::wstring(test.begin(), test.end()) + L"-" + std::to_wstring(GetCurrentProcessId());
}

class FsCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    services::SelectSettingsKey();
    win::Profile().SetApplicationName(applicationName);
    RegDeleteTreeW(HKEY_CURRENT_USER, settingsKey.c_str());
    manager.SetMainWindow(main.hwnd);
    manager.SetProgramDirectory(ToWide(empty.path()));
    manager.SetAuthoringForTesting(false);
  }
  void TearDown() override {
    manager.DestroyLogWindow();
    win::Profile().SetApplicationName(L"");
    RegDeleteTreeW(HKEY_CURRENT_USER, settingsKey.c_str());
  }
  void ShowLog() {
    ASSERT_TRUE(manager.CreateLogWindow(main.hwnd));
    manager.LoadResourceLibrary(TestBinDirectory() + L"CommonResources.dll");
    manager.ShowFsCommandLog(true);
    ASSERT_TRUE(manager.IsLogVisible());
  }
  std::wstring Log() const { return manager.LogText(); }

  const std::wstring applicationName = OwnApplicationName();
  const std::wstring settingsKey = L"Software\\Zentrapolis\\ZentrapolisProjector\\" + applicationName;
  test::ScratchDirectory empty;
  MainWindow main;
  FakeControl control;
  CFsCommandManager manager;
};

TEST_F(FsCommands, FullScreenCoversTheScreenAndRestoresAndLogsOne) {
  ShowLog();
  RECT before{};
  GetWindowRect(main.hwnd, &before);
  EXPECT_TRUE(manager.DispatchFsCommand(&control, L"FULLSCREEN", L"TRUE", false));
  EXPECT_EQ(control.variables[L"fscmd_ret"], L"1");
  RECT full{};
  GetWindowRect(main.hwnd, &full);
  EXPECT_EQ(full.left, -1);
  EXPECT_EQ(full.right - full.left, GetSystemMetrics(SM_CXSCREEN) + 2);
  EXPECT_EQ(GetWindowLongW(main.hwnd, GWL_STYLE) & WS_CAPTION, 0);
  EXPECT_NE(Log().find(L"FSCommand:  <FULLSCREEN>  <TRUE>\r\nCommand Result: <1>\r\n"), std::wstring::npos) << Log();

  // " 1" is off: the comparison with "1" is exact.
  EXPECT_TRUE(manager.DispatchFsCommand(&control, L"fullscreen", L" 1", false));
  RECT after{};
  GetWindowRect(main.hwnd, &after);
  EXPECT_TRUE(EqualRect(&before, &after));
  EXPECT_NE(GetWindowLongW(main.hwnd, GWL_STYLE) & WS_CAPTION, 0);

  control.variables.clear();
  EXPECT_TRUE(manager.DispatchFsCommand(&control, L"fullscreen", L"true", true));
  EXPECT_EQ(control.variables[L"fscmd_ret"], L"0");
  GetWindowRect(main.hwnd, &after);
  EXPECT_TRUE(EqualRect(&before, &after));
}

TEST_F(FsCommands, AllowScaleYesIsOffButReportsOne) {
  EXPECT_TRUE(manager.DispatchFsCommand(&control, L"allowscale", L"yes", false));
  EXPECT_EQ(control.scaleMode, 3);
  EXPECT_EQ(control.variables[L"fscmd_ret"], L"1");
  EXPECT_TRUE(manager.DispatchFsCommand(&control, L"AllowScale", L"True", false));
  EXPECT_EQ(control.scaleMode, 0);
}

TEST_F(FsCommands, QuitPostsCloseOutsideTheAuthoringProgram) {
  ShowLog();
  MSG message{};
  while (PeekMessageW(&message, main.hwnd, WM_CLOSE, WM_CLOSE, PM_REMOVE)) {}
  EXPECT_TRUE(manager.DispatchFsCommand(&control, L"quit", L"", false));
  EXPECT_TRUE(PeekMessageW(&message, main.hwnd, WM_CLOSE, WM_CLOSE, PM_REMOVE));
  EXPECT_TRUE(control.calls.empty());
  EXPECT_EQ(Log(), L"");

  manager.SetAuthoringForTesting(true);
  EXPECT_TRUE(manager.DispatchFsCommand(&control, L"quit", L"", false));
  EXPECT_FALSE(PeekMessageW(&message, main.hwnd, WM_CLOSE, WM_CLOSE, PM_REMOVE));
  EXPECT_TRUE(manager.DispatchFsCommand(&control, L"fullscreen", L"true", false));
  EXPECT_TRUE(control.calls.empty());
  EXPECT_NE(Log().find(L"<quit>  <>\r\nCommand Result: <0>"), std::wstring::npos) << Log();
  EXPECT_NE(Log().find(L"<fullscreen>  <true>\r\nCommand Result: <0>"), std::wstring::npos) << Log();
}

TEST_F(FsCommands, TransparentWindowRows) {
  ShowLog();
  EXPECT_TRUE(manager.DispatchFsCommand(&control, L"WindowSetPos", L"x,30,40", true));
  PendingMove move = manager.TakePendingMove();
  EXPECT_TRUE(move.present);
  EXPECT_FALSE(move.relative);
  EXPECT_EQ(move.x, 30);
  EXPECT_EQ(move.y, 40);
  EXPECT_FALSE(manager.TakePendingMove().present);
  EXPECT_NE(Log().find(L"Command Result: <-99>"), std::wstring::npos);

  EXPECT_TRUE(manager.DispatchFsCommand(&control, L"WindowSetPosRel", L"30,40", true));
  EXPECT_FALSE(manager.TakePendingMove().present);
  EXPECT_TRUE(manager.DispatchFsCommand(&control, L"WindowSetState", L"2", true));
  EXPECT_NE(Log().find(L"<WindowSetState>  <2>\r\nCommand Result: <-1>"), std::wstring::npos) << Log();
  EXPECT_TRUE(control.calls.empty());

  // State 0, and any window row in windowed mode, go to the libraries: there are none.
  EXPECT_FALSE(manager.DispatchFsCommand(&control, L"WindowSetState", L"0", true));
  EXPECT_FALSE(manager.DispatchFsCommand(&control, L"WindowSetPos", L"x,30,40", false));
  EXPECT_NE(Log().find(L"Command not found!"), std::wstring::npos);
  EXPECT_FALSE(manager.DispatchFsCommand(nullptr, L"quit", L"", false));
}

TEST_F(FsCommands, WithTheLogHiddenNothingIsWritten) {
  ASSERT_TRUE(manager.CreateLogWindow(main.hwnd));
  EXPECT_FALSE(manager.IsLogVisible());
  manager.DispatchFsCommand(&control, L"allowscale", L"1", false);
  manager.DispatchFsCommand(&control, L"unknown", L"", false);
  EXPECT_EQ(Log(), L"");
  manager.ShowFsCommandLog(true);
  SendMessageW(manager.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);  // the close button only hides it
  EXPECT_TRUE(IsWindow(manager.hwnd()));
  EXPECT_FALSE(manager.IsLogVisible());
  manager.DispatchFsCommand(&control, L"allowscale", L"1", false);
  EXPECT_EQ(Log(), L"");
}

bool Topmost(HWND window) { return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

TEST_F(FsCommands, TheLogBelongsToTheMainWindowAndFollowsIt) {
  ShowLog();
  EXPECT_EQ(GetWindow(manager.hwnd(), GW_OWNER), main.hwnd);
  // A topmost player keeps its log above it; the log leaves the band with it.
  win::SetTopmostWithOwnedWindows(main.hwnd, true);
  EXPECT_TRUE(Topmost(main.hwnd));
  EXPECT_TRUE(Topmost(manager.hwnd()));
  EXPECT_EQ(GetWindow(manager.hwnd(), GW_OWNER), main.hwnd);
  win::SetTopmostWithOwnedWindows(main.hwnd, false);
  EXPECT_FALSE(Topmost(main.hwnd));
  EXPECT_FALSE(Topmost(manager.hwnd()));
  // Minimising the player hides its log; restoring brings it back.
  SendMessageW(main.hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_FALSE(IsWindowVisible(manager.hwnd()));
  SendMessageW(main.hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_TRUE(manager.IsLogVisible());
}

TEST_F(FsCommands, TheLogHalvesAtEightHundredLinesFromAWholeLine) {
  ShowLog();
  // Filled in one go (appending line by line rewrites the whole text each time, which is slow
  // under Wine), then appended to across the cap.
  std::wstring filled;
  for (int i = 0; i < 798; ++i) filled += L"line number " + std::to_wstring(i) + L"\r\n";
  SetWindowTextW(manager.LogEdit(), filled.c_str());
  manager.AppendLogLine(L"line number 798", true);
  EXPECT_EQ(SendMessageW(manager.LogEdit(), EM_GETLINECOUNT, 0, 0), 800);
  EXPECT_EQ(Log().rfind(L"line number 0\r\n", 0), 0u);
  manager.AppendLogLine(L"line number 799", true);
  const std::wstring text = Log();
  const auto lines = SendMessageW(manager.LogEdit(), EM_GETLINECOUNT, 0, 0);
  EXPECT_LT(lines, 405);
  EXPECT_GT(lines, 395);
  EXPECT_EQ(text.rfind(L"line number ", 0), 0u) << text.substr(0, 40);
  EXPECT_TRUE(text.ends_with(L"line number 798\r\nline number 799\r\n"));
}

TEST_F(FsCommands, TheLogRectangleIsSavedAndRestored) {
  {
    CFsCommandManager first;
    ASSERT_TRUE(first.CreateLogWindow(main.hwnd));
    RECT placed{};
    GetWindowRect(first.hwnd(), &placed);
    EXPECT_EQ(placed.right - placed.left, 480);
    EXPECT_EQ(placed.bottom - placed.top, 150);
    MoveWindow(first.hwnd(), 40, 50, 400, 300, FALSE);
    first.DestroyLogWindow();
    EXPECT_EQ(first.hwnd(), nullptr);
  }
  EXPECT_EQ(win::Profile().GetString(L"DebugDlg", L"Rect", L""), L"40,50,440,350");
  CFsCommandManager second;
  ASSERT_TRUE(second.CreateLogWindow(main.hwnd));
  RECT placed{};
  GetWindowRect(second.hwnd(), &placed);
  EXPECT_EQ(placed.left, 40);
  EXPECT_EQ(placed.bottom, 350);
}

class FsLibraries : public FsCommands {
 protected:
  std::wstring Built(const wchar_t* name) { return TestBinDirectory() + L"fscmd-test\\" + name; }
  test::ScratchDirectory first;
  test::ScratchDirectory second;
};

TEST_F(FsLibraries, TheFirstLibraryWinsAndCommandsMatchIgnoringCase) {
  ASSERT_TRUE(CopyInto(Built(L"TestAFSCmd.dll"), first.File(u"TestAFSCmd.dll")));
  ASSERT_TRUE(CopyInto(Built(L"TestBFSCmd.dll"), second.File(u"TestBFSCmd.dll")));
  ASSERT_TRUE(CopyInto(Built(L"TestBFSCmd.dll"), second.File(u"NotALibrary.dll")));
  manager.LoadFsCommandLibraries(ToWide(first.path()) + L"\\\\");
  manager.LoadFsCommandLibraries(ToWide(second.path()));
  ASSERT_EQ(manager.libraries().size(), 2u);
  ShowLog();
  EXPECT_TRUE(manager.DispatchFsCommand(&control, L"WHOAMI", L"", false));
  EXPECT_EQ(control.variables[L"fscmd_ret"], L"A");
  EXPECT_TRUE(manager.DispatchFsCommand(&control, L"onlyb", L"", false));
  EXPECT_EQ(control.variables[L"fscmd_ret"], L"B");
  EXPECT_NE(Log().find(L"FSCommand:  <onlyb>  <>\r\nCommand found in: TestBFSCmd.dll\r\nCommand Result: <B>\r\n"),
            std::wstring::npos)
      << Log();
  manager.UnloadFsCommandLibraries();
  EXPECT_EQ(manager.libraries()[0].module, nullptr);
}

TEST_F(FsLibraries, ALibraryThatFailsToLoadPassesToTheNext) {
  // The export names are intact, the PE signature is not: listing works, loading fails.
  auto bytes = test::ReadBytes(FromWide(Built(L"TestAFSCmd.dll")));
  ASSERT_TRUE(bytes);
  const uint32_t pe = (*bytes)[0x3C] | ((*bytes)[0x3D] << 8);
  (*bytes)[pe] = 'X';
  ASSERT_TRUE(test::WriteBytes(first.File(u"BrokenFSCmd.dll"), *bytes));
  ASSERT_TRUE(CopyInto(Built(L"TestBFSCmd.dll"), second.File(u"TestBFSCmd.dll")));
  manager.LoadFsCommandLibraries(ToWide(first.path()));
  ShowLog();
  // The line after the last command's line says why the library could not be loaded (the
  // system's words after the code differ between systems); `then` follows it.
  const auto explainedThen = [&](const std::wstring& then) {
    const std::wstring log = Log();
    const size_t why = log.rfind(L"\r\nCannot load BrokenFSCmd.dll: error 193");
    return why != std::wstring::npos && log.rfind(L"<WhoAmI>  <>") < why &&
           log.compare(log.find(L"\r\n", why + 2) + 2, std::wstring::npos, then) == 0;
  };
  // Alone, it has no command.
  EXPECT_FALSE(manager.DispatchFsCommand(&control, L"WhoAmI", L"", false));
  EXPECT_TRUE(explainedThen(L"Command not found!\r\n")) << Log();
  manager.LoadFsCommandLibraries(ToWide(second.path()));
  ASSERT_EQ(manager.libraries().size(), 2u);
  EXPECT_TRUE(manager.DispatchFsCommand(&control, L"WhoAmI", L"", false));
  EXPECT_EQ(control.variables[L"fscmd_ret"], L"B");
  EXPECT_TRUE(explainedThen(L"Command found in: TestBFSCmd.dll\r\nCommand Result: <B>\r\n")) << Log();
  manager.UnloadFsCommandLibraries();
}

TEST_F(FsLibraries, ALibraryForAnotherMachineIsNeverTheOneThatHasTheCommand) {
  // Made for a 32-bit player: its export names read as well as any, but this player cannot load it.
  ASSERT_TRUE(test::WriteBytes(first.File(u"OldFSCmd.dll"),
                               test::ExtensionLibraryImage(false, 2, {"FSWhoAmI", "FSOnlyOld"})));
  ASSERT_TRUE(CopyInto(Built(L"TestBFSCmd.dll"), second.File(u"TestBFSCmd.dll")));
  manager.LoadFsCommandLibraries(ToWide(first.path()));
  manager.LoadFsCommandLibraries(ToWide(second.path()));
  ASSERT_EQ(manager.libraries().size(), 2u);
  ShowLog();
  const std::wstring why = L"Cannot load OldFSCmd.dll: it is built for 32-bit x86 and this player for x64\r\n";
  EXPECT_TRUE(manager.DispatchFsCommand(&control, L"WhoAmI", L"", false));
  EXPECT_EQ(control.variables[L"fscmd_ret"], L"B");
  EXPECT_NE(Log().find(L"<WhoAmI>  <>\r\n" + why + L"Command found in: TestBFSCmd.dll\r\n"), std::wstring::npos)
      << Log();
  control.variables.clear();
  EXPECT_FALSE(manager.DispatchFsCommand(&control, L"OnlyOld", L"", false));
  EXPECT_TRUE(Log().ends_with(L"<OnlyOld>  <>\r\n" + why + L"Command not found!\r\n")) << Log();
  EXPECT_TRUE(control.variables.empty());
  EXPECT_EQ(manager.libraries()[0].module, nullptr);
  manager.UnloadFsCommandLibraries();
}

TEST_F(FsLibraries, ResultsBecomeReturnValueAndOutValues) {
  ASSERT_TRUE(CopyInto(Built(L"TestAFSCmd.dll"), first.File(u"TestAFSCmd.dll")));
  manager.LoadFsCommandLibraries(ToWide(first.path()));
  EXPECT_TRUE(manager.DispatchFsCommand(&control, L"Pair", L"a,b", false));
  EXPECT_EQ(control.calls, (decltype(control.calls){{L"fscmd_ret", L"ok"}, {L"a", L"1"}, {L"b", L"2"}}));
  control.calls.clear();
  EXPECT_TRUE(manager.DispatchFsCommand(&control, L"LoneSeparator", L"a", false));
  EXPECT_TRUE(manager.DispatchFsCommand(&control, L"Null", L"a", false));
  EXPECT_TRUE(control.calls.empty());
  EXPECT_TRUE(manager.DispatchFsCommand(&control, L"LeadingEmpty", L"a", false));
  EXPECT_EQ(control.calls, (decltype(control.calls){{L"fscmd_ret", L""}, {L"a", L"y"}}));
  control.calls.clear();
  EXPECT_TRUE(manager.DispatchFsCommand(&control, L"BlankSeparated", L"w,,h", false));
  EXPECT_EQ(control.calls, (decltype(control.calls){{L"fscmd_ret", L"1"}, {L"w", L"640"}}));
  control.calls.clear();
  // The library gets the argument text unsplit.
  EXPECT_TRUE(manager.DispatchFsCommand(&control, L"Echo", L"raw, text ", false));
  EXPECT_EQ(control.calls, (decltype(control.calls){{L"fscmd_ret", L"raw, text "}}));
  manager.UnloadFsCommandLibraries();
}

TEST_F(FsLibraries, WindowSetHandleGoesOncePerHostKindBeforeTheFirstCommand) {
  ASSERT_TRUE(CopyInto(Built(L"TestAFSCmd.dll"), first.File(u"TestAFSCmd.dll")));
  manager.LoadFsCommandLibraries(ToWide(first.path()));
  const std::wstring handle = std::to_wstring(reinterpret_cast<INT_PTR>(main.hwnd));
  manager.OnFsCommand(&control, L"Echo", L"one", false, main.hwnd);
  manager.OnFsCommand(&control, L"Echo", L"two", false, main.hwnd);
  manager.OnFsCommand(&control, L"Echo", L"three", true, nullptr);
  EXPECT_EQ(control.calls, (decltype(control.calls){{L"fscmd_ret", L"h" + handle},
                                                     {L"fscmd_ret", L"one"},
                                                     {L"fscmd_ret", L"two"},
                                                     {L"fscmd_ret", L"h0"},
                                                     {L"fscmd_ret", L"three"}}));
  manager.UnloadFsCommandLibraries();
}

TEST_F(FsLibraries, WithoutLibrariesEveryCommandScansTheProgramDirectoryAgain) {
  EXPECT_FALSE(manager.DispatchFsCommand(&control, L"WhoAmI", L"", false));
  EXPECT_TRUE(manager.libraries().empty());
  ASSERT_TRUE(CopyInto(Built(L"TestBFSCmd.dll"), empty.File(u"TestBFSCmd.dll")));
  EXPECT_TRUE(manager.DispatchFsCommand(&control, L"WhoAmI", L"", false));
  EXPECT_EQ(control.variables[L"fscmd_ret"], L"B");
  manager.UnloadFsCommandLibraries();
}

TEST_F(FsLibraries, TheShippedLibraryIsReadableAndAnswers) {
  const std::wstring shipped = TestBinDirectory() + L"ZentraFSCmd.dll";
  platform::MappedFile file;
  ASSERT_GT(file.Map(FromWide(shipped)), 0u);
  const auto names = ReadFsExportNames(file.bytes());
  for (const char16_t* wanted : {u"FSWindowSetHandle", u"FSWindowSetPos", u"FSWindowSetPosRel", u"FSWindowSetState",
                                 u"FSWindowShow", u"FSGetScreenSize", u"FSMessageBox", u"FSExec", u"FSRun",
                                 u"FSFileExists", u"FSRegRead", u"FSClipboardSet", u"FSClipboardGet"}) {
    EXPECT_NE(std::find(names.begin(), names.end(), wanted), names.end());
  }
  file.Release();

  ASSERT_TRUE(CopyInto(shipped, first.File(u"ZentraFSCmd.dll")));
  manager.LoadFsCommandLibraries(ToWide(first.path()));
  EXPECT_TRUE(manager.DispatchFsCommand(&control, L"getscreensize", L"w,h", false));
  EXPECT_EQ(control.variables[L"fscmd_ret"], L"1");
  EXPECT_EQ(control.variables[L"w"], std::to_wstring(GetSystemMetrics(SM_CXSCREEN)));
  EXPECT_EQ(control.variables[L"h"], std::to_wstring(GetSystemMetrics(SM_CYSCREEN)));

  // The window commands act on the window handed over first.
  manager.OnFsCommand(&control, L"WindowSetPos", L"0,70,80", false, main.hwnd);
  RECT rect{};
  GetWindowRect(main.hwnd, &rect);
  EXPECT_EQ(rect.left, 70);
  EXPECT_EQ(rect.top, 80);
  EXPECT_EQ(control.variables[L"fscmd_ret"], L"1");

  EXPECT_TRUE(manager.DispatchFsCommand(&control, L"ClipboardSet", L"copied, text", false));
  EXPECT_TRUE(manager.DispatchFsCommand(&control, L"ClipboardGet", L"", false));
  EXPECT_EQ(control.variables[L"fscmd_ret"], L"copied, text");
  EXPECT_TRUE(manager.DispatchFsCommand(&control, L"FileExists", ToWide(first.File(u"ZentraFSCmd.dll")), false));
  EXPECT_EQ(control.variables[L"fscmd_ret"], L"1");
  EXPECT_TRUE(manager.DispatchFsCommand(&control, L"RegRead", L"HKCU\\" + settingsKey + L"\\Missing\\X", false));
  EXPECT_EQ(control.variables[L"fscmd_ret"], L"");
  manager.UnloadFsCommandLibraries();
}

}  // namespace
}  // namespace zp::fscommand
