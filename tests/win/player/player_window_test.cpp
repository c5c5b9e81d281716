// The player window built in-process from documents: size, place, shape, styles, menus, keys,
// dragging, the timer and the splash signal.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "common/movie_ids.h"
#include "core/layout/window_size.h"
#include "core/package_format.h"
#include "fscommand/fs_command_manager.h"
#include "platform/platform.h"
#include "platform/wide.h"
#include "player/context_menu_view.h"
#include "player/player_dialog.h"
#include "player/print_screen_block.h"
#include "framework/message_pump.h"
#include "framework/variant.h"
#include "framework/windowless_site.h"
#include "player/screen_area.h"
#include "movie_test_support.h"
#include "swf_writer.h"
#include "test_files.h"

namespace zp::player {
namespace {

DocumentModel WithItems(std::initializer_list<const char16_t*> paths) {
  DocumentModel document;
  for (const char16_t* path : paths) {
    MovieItem item;
    item.path = path;
    item.playTime = 5;
    item.file.path = path;
    document.movieList.items.push_back(item);
  }
  return document;
}

DocumentModel Frameless() {
  DocumentModel document = WithItems({u"C:\\work\\intro.swf"});
  document.appearanceOptions.hasFrame = 0;
  return document;
}

// The primary monitor's work area, in which the window is placed and sized.
RECT WorkArea() {
  RECT area{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  return area;
}
int AreaWidth() { return static_cast<int>(WorkArea().right - WorkArea().left); }
int AreaHeight() { return static_cast<int>(WorkArea().bottom - WorkArea().top); }

std::wstring SlotName() { return L"\\\\.\\mailslot\\ZentrapolisPlayerTest" + std::to_wstring(GetCurrentProcessId()); }

class PlayerWindow : public ::testing::Test {
 protected:
  void SetUp() override { directory_ = platform::CurrentDirectory(); }
  void TearDown() override {
    dialog_.reset();
    platform::ChangeCurrentDirectory(directory_);
  }

  PlayerDialog& Open(DocumentModel& document, PlayerContextMenu* menu = nullptr) {
    dialog_ = std::make_unique<PlayerDialog>(document, temp_.path(), nullptr);
    dialog_->SetPreloaderSlotName(SlotName());
    dialog_->SetContextMenu(menu);
    EXPECT_TRUE(dialog_->CreateModeless(PlayerDialog::kTemplateId, nullptr));
    return *dialog_;
  }

  RECT Outer() const {
    RECT rect{};
    GetWindowRect(dialog_->hwnd(), &rect);
    return rect;
  }
  LONG_PTR Style() const { return GetWindowLongPtrW(dialog_->hwnd(), GWL_STYLE); }
  LONG_PTR ExStyle() const { return GetWindowLongPtrW(dialog_->hwnd(), GWL_EXSTYLE); }

  bool Route(UINT message, WPARAM wParam, LPARAM lParam = 0) {
    // As the message loop would: the message carries where the cursor was when it was made.
    MSG msg{dialog_->host().hwnd(), message, wParam, lParam, GetTickCount(), {}};
    GetCursorPos(&msg.pt);
    return dialog_->PreTranslateWalk(msg);
  }

  // An uncompressed movie with a 550 x 400 stage and nothing else.
  std::u16string StageMovie() {
    const std::vector<uint8_t> movie{0x46, 0x57, 0x53, 0x06, 0x17, 0x00, 0x00, 0x00, 0x78, 0x00, 0x05, 0x5F,
                                     0x00, 0x00, 0x0F, 0xA0, 0x00, 0x00, 0x0C, 0x01, 0x00, 0x00, 0x00};
    const std::u16string path = temp_.File(u"stage.swf");
    EXPECT_TRUE(test::WriteBytes(path, movie));
    return path;
  }

  // A movie of `frames` plain frames on a 550 x 400 stage.
  std::u16string FramesMovie(int frames) {
    swfgen::MovieWriter movie(6, 550, 400, 12.0);
    movie.Background({10, 120, 200, 255});
    for (int i = 0; i < frames; ++i) movie.ShowFrame();
    const std::u16string path = temp_.File(u"frames.swf");
    EXPECT_TRUE(test::WriteBytes(path, movie.Finish(false)));
    return path;
  }

  // Handles the window's messages (its timer among them) until `condition` holds or 10 s pass.
  bool PumpUntil(const std::function<bool()>& condition) { return test::PumpUntil(condition, 10000); }

  test::ScratchDirectory temp_;
  std::u16string directory_;
  std::unique_ptr<PlayerDialog> dialog_;
};

TEST_F(PlayerWindow, ScreenAreaIsTheWorkArea) {
  const layout::Size area = ScreenArea(true);
  EXPECT_EQ(area, (layout::Size{AreaWidth(), AreaHeight()}));
  EXPECT_EQ(ScreenArea(false), area);  // one monitor
}

TEST_F(PlayerWindow, FixedSizeCentred) {
  DocumentModel document = Frameless();
  document.sizeOptions.sizeMode = 1;
  Open(document);
  RECT r = Outer();
  EXPECT_EQ(r.left, WorkArea().left + (AreaWidth() - 800) / 2);
  EXPECT_EQ(r.top, WorkArea().top + (AreaHeight() - 600) / 2);
  EXPECT_EQ(r.right - r.left, 800);
  EXPECT_EQ(r.bottom - r.top, 600);
  EXPECT_EQ(dialog_->savedRect().left, r.left);
  EXPECT_FALSE(Style() & (WS_CAPTION | WS_THICKFRAME));
}

TEST_F(PlayerWindow, MovieSizeComesFromTheMovieHeader) {
  const std::u16string path = StageMovie();
  DocumentModel document = Frameless();
  document.movieList.items[0].file.path = path;
  Open(document);
  RECT r = Outer();
  EXPECT_EQ(r.right - r.left, 550);
  EXPECT_EQ(r.bottom - r.top, 400);
  EXPECT_EQ(r.left, WorkArea().left + (AreaWidth() - 550) / 2);
  EXPECT_EQ(dialog_->current().width, 550);
  dialog_.reset();
  // A movie that cannot be read, and a picture, take the sequence's default size.
  document.movieList.items[0].file.path = temp_.File(u"missing.swf");
  Open(document);
  EXPECT_EQ(Outer().right - Outer().left, 400);
  EXPECT_EQ(Outer().bottom - Outer().top, 300);
}

TEST_F(PlayerWindow, TopLeftPresetStartsOnePixelAboveTheScreen) {
  DocumentModel document = Frameless();
  document.sizeOptions.sizeMode = 1;
  document.sizeOptions.positionPreset = 6;
  document.sizeOptions.width = 200;
  document.sizeOptions.height = 100;
  Open(document);
  RECT r = Outer();
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, -1);
}

TEST_F(PlayerWindow, HalfTheScreen) {
  DocumentModel document = WithItems({u"a.jpg"});  // framed: percentages are not adjusted
  document.sizeOptions.sizeMode = 2;
  document.sizeOptions.percent = 50;
  Open(document);
  RECT r = Outer();
  const int width = (AreaWidth() * 50 + 50) / 100, height = (AreaHeight() * 50 + 50) / 100;
  EXPECT_EQ(r.right - r.left, width);
  EXPECT_EQ(r.bottom - r.top, height);
  EXPECT_EQ(r.left, WorkArea().left + (AreaWidth() - width) / 2);
  EXPECT_EQ(r.top, WorkArea().top + (AreaHeight() - height) / 2);
}

TEST_F(PlayerWindow, FramedFixedSizeIsTheClientSize) {
  DocumentModel document = WithItems({u"a.swf"});
  document.sizeOptions.sizeMode = 1;
  document.sizeOptions.width = 300;
  document.sizeOptions.height = 200;
  Open(document);
  RECT client{};
  GetClientRect(dialog_->hwnd(), &client);
  EXPECT_EQ(client.right, 300);
  EXPECT_EQ(client.bottom, 200);
  EXPECT_TRUE(Style() & WS_CAPTION);
  // The host fills the client area.
  RECT host{};
  GetClientRect(dialog_->host().hwnd(), &host);
  EXPECT_EQ(host.right, 300);
  EXPECT_EQ(host.bottom, 200);
}

std::vector<uint8_t> RegionBlock(const RECT& box) {
  std::vector<uint8_t> bytes(48);
  WriteU32(bytes, 0, 32);
  WriteU32(bytes, 4, 1);
  WriteU32(bytes, 8, 1);
  WriteU32(bytes, 12, 16);
  for (size_t at : {16u, 32u}) {
    WriteU32(bytes, at, box.left);
    WriteU32(bytes, at + 4, box.top);
    WriteU32(bytes, at + 8, box.right);
    WriteU32(bytes, at + 12, box.bottom);
  }
  return bytes;
}

TEST_F(PlayerWindow, CustomRegionDecidesTheSize) {
  DocumentModel document = WithItems({u"a.swf"});
  document.sizeOptions.sizeMode = 2;
  document.appearanceOptions.shapeMode = 2;
  document.appearanceOptions.region = RegionBlock({0, 0, 300, 200});
  Open(document);
  RECT r = Outer();
  EXPECT_EQ(r.right - r.left, 300);
  EXPECT_EQ(r.bottom - r.top, 200);
  EXPECT_FALSE(Style() & WS_CAPTION);  // shaped windows have no frame
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  EXPECT_NE(GetWindowRgn(dialog_->hwnd(), region), ERROR);
  RECT box{};
  GetRgnBox(region, &box);
  EXPECT_EQ(box.right, 300);
  EXPECT_EQ(box.bottom, 200);
  DeleteObject(region);
}

TEST_F(PlayerWindow, BrokenCustomRegionLeavesTheWindowRectangular) {
  DocumentModel document = Frameless();
  document.sizeOptions.sizeMode = 1;
  document.appearanceOptions.shapeMode = 2;
  document.appearanceOptions.region = {1, 2, 3};
  Open(document);
  EXPECT_EQ(Outer().right - Outer().left, 800);
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(dialog_->hwnd(), region), ERROR);
  DeleteObject(region);
}

TEST_F(PlayerWindow, PredefinedShapesBecomeWindowRegions) {
  for (int kind : {0, 1, 2, 3, 4, 5, 6}) {
    DocumentModel document = Frameless();
    document.sizeOptions.sizeMode = 1;
    document.sizeOptions.width = 400;
    document.sizeOptions.height = 300;
    document.appearanceOptions.shapeMode = 1;
    document.appearanceOptions.shapeKind = kind;
    Open(document);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(dialog_->hwnd(), region), ERROR) << kind;
    EXPECT_TRUE(PtInRegion(region, 200, 150)) << kind;
    EXPECT_FALSE(PtInRegion(region, 1, 1)) << kind;
    DeleteObject(region);
    dialog_.reset();
  }
}

TEST_F(PlayerWindow, StylesFollowTheAppearanceOptions) {
  DocumentModel document = WithItems({u"a.swf"});
  document.appearanceOptions.showInTaskbar = 0;
  document.appearanceOptions.alwaysOnTop = 1;
  document.appearanceOptions.minimizeBox = 0;
  document.appearanceOptions.maximizeBox = 0;
  document.appearanceOptions.title = u"Guided tour";
  Open(document);
  EXPECT_FALSE(ExStyle() & WS_EX_APPWINDOW);
  EXPECT_TRUE(ExStyle() & WS_EX_TOPMOST);
  EXPECT_FALSE(Style() & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  EXPECT_TRUE(Style() & WS_SYSMENU);
  HMENU menu = GetSystemMenu(dialog_->hwnd(), FALSE);
  EXPECT_EQ(GetMenuState(menu, SC_MINIMIZE, MF_BYCOMMAND), static_cast<UINT>(-1));
  EXPECT_EQ(GetMenuState(menu, SC_MAXIMIZE, MF_BYCOMMAND), static_cast<UINT>(-1));
  wchar_t title[64] = {};
  GetWindowTextW(dialog_->hwnd(), title, 64);
  EXPECT_STREQ(title, L"Guided tour");
}

TEST_F(PlayerWindow, NoSystemMenuAndDefaultTitle) {
  DocumentModel document = WithItems({u"a.swf"});
  document.appearanceOptions.systemMenu = 0;
  Open(document);
  EXPECT_FALSE(Style() & WS_SYSMENU);
  EXPECT_TRUE(ExStyle() & WS_EX_APPWINDOW);
  EXPECT_FALSE(ExStyle() & WS_EX_TOPMOST);
  wchar_t title[64] = {};
  GetWindowTextW(dialog_->hwnd(), title, 64);
  EXPECT_STREQ(title, L"player_win_tests");
}

TEST_F(PlayerWindow, FullScreenCoversTheScreenAndOnePixelMore) {
  DocumentModel document = WithItems({u"a.swf"});
  document.sizeOptions.sizeMode = 3;
  Open(document);
  RECT r = Outer();
  EXPECT_EQ(r.left, WorkArea().left - 1);
  EXPECT_EQ(r.top, WorkArea().top - 1);
  EXPECT_EQ(r.right, WorkArea().right + 1);
  EXPECT_EQ(r.bottom, WorkArea().bottom + 1);
  EXPECT_FALSE(Style() & (WS_CAPTION | WS_THICKFRAME));
}

TEST_F(PlayerWindow, TransparentFullScreenCoversTheScreenArea) {
  DocumentModel document = WithItems({u"a.jpg"});
  document.sizeOptions.sizeMode = 3;
  document.appearanceOptions.windowMode = 2;
  Open(document);
  RECT r = Outer();
  EXPECT_EQ(r.left, WorkArea().left);
  EXPECT_EQ(r.top, WorkArea().top);
  EXPECT_EQ(r.right, WorkArea().right);
  EXPECT_EQ(r.bottom, WorkArea().bottom);
}

TEST_F(PlayerWindow, StartsMinimisedWhenAsked) {
  DocumentModel document = WithItems({u"a.swf"});
  document.sizeOptions.windowState = 2;
  Open(document);
  EXPECT_TRUE(IsIconic(dialog_->hwnd()));
}

TEST_F(PlayerWindow, UndoingTheShellsMinimisingRestoresOnlyWhatTheShellDid) {
  DocumentModel document = Frameless();
  document.appearanceOptions.minimizeOthers = 1;
  Open(document);
  ShowWindow(dialog_->hwnd(), SW_SHOWNORMAL);
  ShowWindow(dialog_->hwnd(), SW_MINIMIZE);  // as the shell's "minimise all" does
  SendMessageW(dialog_->hwnd(), PlayerDialog::kUndoShellMinimiseMessage, 0, 0);
  EXPECT_FALSE(IsIconic(dialog_->hwnd()));
  dialog_.reset();
  // A player the document starts minimised stays so.
  document.sizeOptions.windowState = 2;
  Open(document);
  ASSERT_TRUE(IsIconic(dialog_->hwnd()));
  SendMessageW(dialog_->hwnd(), PlayerDialog::kUndoShellMinimiseMessage, 0, 0);
  EXPECT_TRUE(IsIconic(dialog_->hwnd()));
}

TEST_F(PlayerWindow, BoxSwitchesApplyOnlyToAFrameOfExactlyOne) {
  DocumentModel document = WithItems({u"a.swf"});
  document.appearanceOptions.hasFrame = 2;
  document.appearanceOptions.minimizeBox = 0;
  document.appearanceOptions.systemMenu = 0;
  Open(document);
  EXPECT_TRUE(Style() & WS_MINIMIZEBOX);
  EXPECT_TRUE(Style() & WS_SYSMENU);
  EXPECT_TRUE(Style() & WS_CAPTION);
}

TEST_F(PlayerWindow, AboutEntryEndsTheSystemMenu) {
  DocumentModel document = WithItems({u"a.swf"});
  document.menuAboutOptions.hideAbout = 0;
  Open(document);
  HMENU menu = GetSystemMenu(dialog_->hwnd(), FALSE);
  // Wine appends an entry of its own after "Close"; the player's entries end at "Close".
  int close = -1;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    if (GetMenuItemID(menu, i) == SC_CLOSE) close = i;
  }
  ASSERT_GE(close, 2);
  EXPECT_EQ(GetMenuItemID(menu, close - 2), PlayerDialog::kAboutCommand);
  wchar_t text[32] = {};
  GetMenuStringW(menu, close - 2, text, 32, MF_BYPOSITION);
  EXPECT_STREQ(text, L"About...");
  EXPECT_TRUE(GetMenuState(menu, close - 1, MF_BYPOSITION) & MF_SEPARATOR);
  dialog_.reset();
  document.menuAboutOptions.hideAbout = 1;
  Open(document);
  EXPECT_EQ(GetMenuState(GetSystemMenu(dialog_->hwnd(), FALSE), PlayerDialog::kAboutCommand, MF_BYCOMMAND),
            static_cast<UINT>(-1));
}

TEST_F(PlayerWindow, TransparentDocumentsLoseFrameAndMaximize) {
  DocumentModel document = WithItems({u"a.jpg"});
  document.appearanceOptions.windowMode = 2;
  Open(document);
  EXPECT_TRUE(dialog_->transparent());
  EXPECT_EQ(document.appearanceOptions.hasFrame, 0);
  EXPECT_EQ(document.menuAboutOptions.maximizeItem, 0);
  EXPECT_EQ(GetMenuState(GetSystemMenu(dialog_->hwnd(), FALSE), SC_MAXIMIZE, MF_BYCOMMAND), static_cast<UINT>(-1));
}

TEST_F(PlayerWindow, CompanionNoticesGetDragCodesAndKeepTheRectangle) {
  // The transparent host needs the transparency control and the container that hosts it.
  const std::wstring control = test::ControlPath();
  const std::wstring fernwik = control.substr(0, control.find_last_of(L'\\') + 1) + L"Fernwik.ocx";
  ASSERT_TRUE(test::Regsvr32(fernwik, false));
  win::ControlContainerManager::Install(std::make_unique<win::WindowlessContainerManager>());
  struct Undo {
    std::wstring fernwik;
    ~Undo() {
      win::ControlContainerManager::Install(nullptr);
      test::Regsvr32(fernwik, true);
    }
  } undo{fernwik};
  DocumentModel document = WithItems({u"a.swf"});
  document.appearanceOptions.windowMode = 2;
  document.mouseKeyOptions.leftDrag = 3;
  document.mouseKeyOptions.rightButton = 2;
  document.movieList.items[0].file.path = StageMovie();
  Open(document);
  ASSERT_TRUE(dialog_->transparent());
  CompanionAnswer answer = dialog_->OnCompanionNotice({HostNotification::kStarted, 7, {}});
  EXPECT_EQ(answer.leftCode, 4);
  EXPECT_EQ(answer.rightCode, 1);
  dialog_->OnCompanionNotice({HostNotification::kWindowMoved, 0, RECT{10, 20, 310, 220}});
  EXPECT_EQ(dialog_->companionRect().right, 310);
  // A transparent Flash movie's mouse belongs to the companion: nothing is filtered here.
  document.mouseKeyOptions.rightButton = 3;
  EXPECT_FALSE(Route(WM_RBUTTONDOWN, MK_RBUTTON));
}

TEST_F(PlayerWindow, EscapeIsSwallowedAndClosesOnlyWhenAllowed) {
  DocumentModel document = WithItems({u"a.swf"});
  document.mouseKeyOptions.escapeCloses = 0;
  Open(document);
  EXPECT_TRUE(Route(WM_KEYDOWN, VK_ESCAPE));
  EXPECT_FALSE(dialog_->ended());
  EXPECT_FALSE(Route(WM_KEYDOWN, 'A'));
  document.mouseKeyOptions.escapeCloses = 1;
  EXPECT_TRUE(Route(WM_KEYDOWN, VK_ESCAPE));
  EXPECT_TRUE(dialog_->ended());
  EXPECT_EQ(dialog_->result(), IDCANCEL);
}

TEST_F(PlayerWindow, AnyKeyClosesWithBothSwitches) {
  DocumentModel document = WithItems({u"a.swf"});
  document.mouseKeyOptions.closeKeyMode = 1;
  document.mouseKeyOptions.closeKeyEnabled = 1;
  Open(document);
  EXPECT_TRUE(Route(WM_KEYDOWN, 'Q'));
  EXPECT_TRUE(dialog_->ended());
}

TEST_F(PlayerWindow, EnterNeverReachesTheDialogsDefaultButton) {
  DocumentModel document = WithItems({u"a.swf"});
  Open(document);
  EXPECT_TRUE(Route(WM_KEYDOWN, VK_RETURN));
  EXPECT_FALSE(dialog_->ended());
}

TEST_F(PlayerWindow, LeftDragMovesTheWindow) {
  DocumentModel document = Frameless();
  document.sizeOptions.sizeMode = 1;
  document.sizeOptions.width = 300;
  document.sizeOptions.height = 200;
  document.mouseKeyOptions.leftDrag = 1;
  Open(document);
  ShowWindow(dialog_->hwnd(), SW_SHOW);
  RECT before = Outer();
  SetCursorPos(before.left + 50, before.top + 50);
  EXPECT_TRUE(Route(WM_LBUTTONDOWN, MK_LBUTTON));
  EXPECT_TRUE(dialog_->dragging());
  SetCursorPos(before.left + 80, before.top + 70);
  EXPECT_TRUE(Route(WM_MOUSEMOVE, MK_LBUTTON));
  RECT after = Outer();
  EXPECT_EQ(after.left, before.left + 30);
  EXPECT_EQ(after.top, before.top + 20);
  EXPECT_EQ(after.right - after.left, 300);
  EXPECT_EQ(dialog_->savedRect().left, after.left);
  EXPECT_TRUE(Route(WM_LBUTTONUP, 0));
  EXPECT_FALSE(dialog_->dragging());
}

TEST_F(PlayerWindow, LeftButtonWithoutDragAreasGoesToTheMovie) {
  DocumentModel document = Frameless();
  document.sizeOptions.sizeMode = 1;
  Open(document);
  ShowWindow(dialog_->hwnd(), SW_SHOW);
  RECT r = Outer();
  SetCursorPos(r.left + 10, r.top + 10);
  EXPECT_FALSE(Route(WM_LBUTTONDOWN, MK_LBUTTON));
  EXPECT_FALSE(dialog_->dragging());
  document.mouseKeyOptions.rightButton = 3;
  EXPECT_TRUE(Route(WM_RBUTTONDOWN, MK_RBUTTON));
  document.mouseKeyOptions.rightButton = 0;
  EXPECT_FALSE(Route(WM_RBUTTONDOWN, MK_RBUTTON));
}

TEST_F(PlayerWindow, ZoomCommands) {
  DocumentModel document = WithItems({u"a.swf"});
  Open(document);
  SendMessageW(dialog_->hwnd(), WM_COMMAND, 604, 0);
  SendMessageW(dialog_->hwnd(), WM_COMMAND, 604, 0);
  EXPECT_EQ(dialog_->zoom().factor(), 4);
  EXPECT_TRUE(dialog_->zoom().zoomedIn());
  SendMessageW(dialog_->hwnd(), WM_COMMAND, 605, 0);
  EXPECT_EQ(dialog_->zoom().factor(), 2);
  SendMessageW(dialog_->hwnd(), WM_COMMAND, 605, 0);
  EXPECT_EQ(dialog_->zoom().factor(), 1);
  EXPECT_FALSE(dialog_->zoom().zoomedIn());
  SendMessageW(dialog_->hwnd(), WM_COMMAND, 605, 0);
  SendMessageW(dialog_->hwnd(), WM_COMMAND, 616, 0);
  EXPECT_EQ(dialog_->zoom().factor(), 1);
}

TEST_F(PlayerWindow, AlwaysOnTopCommandToggles) {
  DocumentModel document = WithItems({u"a.swf"});
  Open(document);
  SendMessageW(dialog_->hwnd(), WM_COMMAND, 603, 0);
  EXPECT_TRUE(ExStyle() & WS_EX_TOPMOST);
  EXPECT_EQ(document.appearanceOptions.alwaysOnTop, 1);
  SendMessageW(dialog_->hwnd(), WM_COMMAND, 603, 0);
  EXPECT_FALSE(ExStyle() & WS_EX_TOPMOST);
  SendMessageW(dialog_->hwnd(), WM_COMMAND, 615, 0);
  EXPECT_TRUE(dialog_->ended());
}

TEST_F(PlayerWindow, ContextMenuIsWordedFromTheResourceLibrary) {
  // The library comes from the temporary directory, where a package puts it.
  const std::wstring control = test::ControlPath();
  const std::wstring built = control.substr(0, control.find_last_of(L"\\/") + 1) + L"CommonResources.dll";
  ASSERT_TRUE(CopyFileW(built.c_str(), ToWide(temp_.File(u"CommonResources.dll")).c_str(), FALSE));
  DocumentModel document = WithItems({u"a.swf"});
  document.menuAboutOptions.zoomInItem = 0;
  document.movieList.items[0].file.path = StageMovie();
  PlayerContextMenu menu;
  Open(document, &menu);
  ASSERT_NE(menu.resourceLibrary(), nullptr);
  auto entries = dialog_->ContextMenuEntries();
  win::PopupMenu popup = menu.Build(entries);
  wchar_t text[64] = {};
  GetMenuStringW(popup.get(), 0, text, 64, MF_BYPOSITION);
  EXPECT_STREQ(text, L"Quality");
  GetMenuStringW(popup.get(), 1, text, 64, MF_BYPOSITION);
  EXPECT_STREQ(text, L"Always On Top");
  EXPECT_EQ(GetMenuState(popup.get(), 604, MF_BYCOMMAND), static_cast<UINT>(-1));
  GetMenuStringW(popup.get(), 605, text, 64, MF_BYCOMMAND);
  EXPECT_STREQ(text, L"Zoom Out");
  GetMenuStringW(popup.get(), 615, text, 64, MF_BYCOMMAND);
  EXPECT_STREQ(text, L"Exit");
  // Low quality is the document default, the host's code 2: "Low" carries the check mark.
  HMENU quality = GetSubMenu(popup.get(), 0);
  EXPECT_TRUE(GetMenuState(quality, 600, MF_BYCOMMAND) & MF_CHECKED);
}

TEST_F(PlayerWindow, TimerRunsWithAutoStartAndPlayStartsIt) {
  DocumentModel document = WithItems({u"a.swf", u"b.jpg"});
  Open(document);
  EXPECT_TRUE(dialog_->playTimer().running());
  // The movie file does not exist, so only the picture is in the sequence, held for good.
  ASSERT_EQ(dialog_->sequence().entries().size(), 1u);
  EXPECT_EQ(dialog_->sequence().entries().back().duration, 9999999LL * 10'000'000);
  EXPECT_EQ(dialog_->current().quality, 2);
  dialog_.reset();
  document.behaviourOptions.autoStart = 0;
  document.behaviourOptions.loop = 1;
  Open(document);
  EXPECT_FALSE(dialog_->playTimer().running());
  EXPECT_EQ(dialog_->sequence().entries().back().duration, 5LL * 10'000'000);
  SendMessageW(dialog_->hwnd(), WM_COMMAND, 607, 0);
  EXPECT_TRUE(dialog_->playTimer().running());
}

TEST_F(PlayerWindow, ACloseWhileWaitingForAMovieEndsTheWaitAtOnce) {
  // The movie goes after the window has measured it: the control never reports it ready, and
  // the sequence's first step waits for it, handling messages, for up to ten seconds.
  DocumentModel document = Frameless();
  const std::u16string movie = FramesMovie(10);
  document.movieList.items[0].file.path = movie;
  Open(document);
  ASSERT_TRUE(dialog_->playTimer().running());
  ASSERT_TRUE(DeleteFileW(ToWide(movie).c_str()));
  // The play timer stands still only while a step runs: a close posted then comes in the wait.
  static PlayerDialog* watched;
  static ULONGLONG closedAt;
  watched = dialog_.get();
  closedAt = 0;
  const UINT_PTR watch = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) {
    if (closedAt != 0 || watched->playTimer().running()) return;
    closedAt = GetTickCount64();
    PostMessageW(watched->hwnd(), WM_CLOSE, 0, 0);
  });
  EXPECT_TRUE(PumpUntil([&] { return dialog_->ended(); }));
  const ULONGLONG waitEnded = GetTickCount64();
  KillTimer(nullptr, watch);
  ASSERT_NE(closedAt, 0u) << "no step ever waited";
  EXPECT_LT(waitEnded - closedAt, 2000u) << "the wait for the movie outlived the close";
}

TEST_F(PlayerWindow, EscapeWhileWaitingForAMovieMeetsTheWindowsKeyRules) {
  // As above, but the user presses Esc in the wait: the window's key rules close it, as they
  // would outside a wait.
  DocumentModel document = Frameless();
  document.mouseKeyOptions.escapeCloses = 1;
  const std::u16string movie = FramesMovie(10);
  document.movieList.items[0].file.path = movie;
  Open(document);
  win::RoutingScope routing(*dialog_);
  ASSERT_TRUE(dialog_->playTimer().running());
  ASSERT_TRUE(DeleteFileW(ToWide(movie).c_str()));
  static PlayerDialog* watched;
  static bool pressed;
  watched = dialog_.get();
  pressed = false;
  const UINT_PTR watch = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) {
    if (pressed || watched->playTimer().running()) return;
    pressed = true;
    PostMessageW(watched->host().hwnd(), WM_KEYDOWN, VK_ESCAPE, 0);
  });
  EXPECT_TRUE(PumpUntil([&] { return dialog_->ended(); }));
  KillTimer(nullptr, watch);
  ASSERT_TRUE(pressed) << "no step ever waited";
  EXPECT_EQ(dialog_->result(), IDCANCEL);
}

TEST_F(PlayerWindow, PrintScreenBlockingFollowsTheWindow) {
  DocumentModel document = WithItems({u"a.swf"});
  document.behaviourOptions.protectFlags = 2;
  Open(document);
  EXPECT_TRUE(IsPrintScreenBlocked());
  dialog_.reset();
  EXPECT_FALSE(IsPrintScreenBlocked());
}

class Mailslot {
 public:
  Mailslot() : handle_(CreateMailslotW(SlotName().c_str(), 0, 0, nullptr)) {}
  ~Mailslot() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  // Messages waiting, and the size of the next.
  std::pair<DWORD, DWORD> Waiting() const {
    DWORD next = 0, count = 0;
    GetMailslotInfo(handle_, nullptr, &next, &count, nullptr);
    return {count, next};
  }

 private:
  HANDLE handle_;
};

TEST_F(PlayerWindow, SignalsTheSplashOnceAfterSetUp) {
  Mailslot slot;
  ASSERT_TRUE(slot.valid());
  DocumentModel document = WithItems({u"a.swf"});
  Open(document);
  EXPECT_EQ(slot.Waiting(), (std::pair<DWORD, DWORD>{1, 4}));
  SendMessageW(dialog_->hwnd(), WM_COMMAND, 615, 0);
  EXPECT_EQ(slot.Waiting().first, 1u);
}

TEST_F(PlayerWindow, EmptyDocumentSignalsAndCloses) {
  Mailslot slot;
  ASSERT_TRUE(slot.valid());
  DocumentModel document;
  Open(document);
  EXPECT_TRUE(dialog_->ended());
  EXPECT_EQ(dialog_->result(), IDCANCEL);
  EXPECT_EQ(slot.Waiting(), (std::pair<DWORD, DWORD>{1, 4}));
}

TEST_F(PlayerWindow, RunsTheSameWithoutASplash) {
  DocumentModel document = WithItems({u"a.swf"});
  Open(document);
  EXPECT_FALSE(dialog_->ended());
  EXPECT_TRUE(dialog_->playTimer().running());
}

}  // namespace
}  // namespace zp::player

namespace zp::player {
namespace {

TEST_F(PlayerWindow, PlaybackCommandsDriveTheMovieAndTheSequence) {
  DocumentModel document = Frameless();
  document.movieList.items[0].file.path = FramesMovie(60);
  document.movieList.items[0].playTime = 30;
  document.menuAboutOptions.zoomInItem = 1;
  Open(document);
  CFlashHost& host = dialog_->host();
  ASSERT_TRUE(PumpUntil([&] { return host.movie().movieLoaded(); })) << "the timer never started the movie";
  CFlashMovieCtrl& control = host.movie().flashCtrl();
  auto command = [&](UINT id) { SendMessageW(dialog_->hwnd(), WM_COMMAND, id, 0); };

  command(602);  // High
  EXPECT_EQ(control.TGetProperty(L"/", 16), L"2");
  command(600);  // Low
  EXPECT_EQ(control.TGetProperty(L"/", 16), L"0");

  // Play pauses the movie and the sequence, and resumes both.
  ASSERT_TRUE(host.IsPlaying());
  command(607);
  EXPECT_FALSE(host.IsPlaying());
  EXPECT_TRUE(dialog_->sequence().paused());
  command(607);
  EXPECT_TRUE(host.IsPlaying());
  EXPECT_FALSE(dialog_->sequence().paused());

  const bool looped = host.GetLoop();
  command(608);
  EXPECT_NE(host.GetLoop(), looped);

  command(609);  // Rewind: the sequence waits, the movie is at its start
  EXPECT_TRUE(dialog_->sequence().paused());
  EXPECT_EQ(dialog_->sequence().lastSeenFrame(), -1);
  EXPECT_EQ(host.GetCurrentFrame(), 0);
  command(610);  // Forward
  EXPECT_EQ(host.GetCurrentFrame(), 1);
  EXPECT_EQ(dialog_->sequence().lastSeenFrame(), 1);
  command(611);  // Back
  EXPECT_EQ(host.GetCurrentFrame(), 0);
  EXPECT_EQ(dialog_->sequence().lastSeenFrame(), 0);

  // Zooming in shows half the movie around the point zooming centres on; 100 % shows it all.
  command(604);
  const RECT zoomed = host.viewRect();
  EXPECT_EQ(zoomed.right - zoomed.left, 275);
  EXPECT_EQ(zoomed.bottom - zoomed.top, 200);
  command(616);
  EXPECT_EQ(host.viewRect().right, 550);
  EXPECT_EQ(host.viewRect().bottom, 400);
}

TEST_F(PlayerWindow, StretchedMoviesFollowTheWindowSize) {
  DocumentModel document = Frameless();
  document.movieList.items[0].file.path = FramesMovie(10);
  document.sizeOptions.hostFlags = 0;  // stretch to the window
  Open(document);
  CFlashHost& host = dialog_->host();
  ASSERT_TRUE(PumpUntil([&] { return host.movie().movieLoaded(); }));
  EXPECT_EQ(host.movie().flashCtrl().TGetProperty(L"/", 2), L"100");
  SetWindowPos(dialog_->hwnd(), nullptr, 0, 0, 1100, 200, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(host.movie().flashCtrl().TGetProperty(L"/", 2), L"200");
  EXPECT_EQ(host.movie().flashCtrl().TGetProperty(L"/", 3), L"50");
}

TEST_F(PlayerWindow, WindowBackgroundColourReachesTheMovie) {
  // The document keeps colours as the system does; the control is told 0xRRGGBB, as BGColor spells it.
  const struct {
    COLORREF stored;
    long rgb;
    const wchar_t* text;
  } cases[] = {{RGB(255, 0, 0), 0xFF0000, L"FF0000"},
               {RGB(0, 0, 255), 0x0000FF, L"0000FF"},
               {RGB(0x11, 0x22, 0x33), 0x112233, L"112233"}};
  const std::u16string movie = FramesMovie(10);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    DocumentModel document = Frameless();
    document.movieList.items[0].file.path = movie;
    document.appearanceOptions.windowMode = 1;
    document.appearanceOptions.movieBackground = static_cast<int32_t>(c.stored);
    Open(document);
    CFlashHost& host = dialog_->host();
    EXPECT_EQ(host.backgroundColour(), static_cast<long>(c.stored));
    ASSERT_TRUE(PumpUntil([&] { return host.movie().movieLoaded(); }));
    win::Variant colour;
    ASSERT_EQ(win::GetProperty(host.movie().flashCtrl().dispatch(), movie::kDispBackgroundColor, &colour), S_OK);
    EXPECT_EQ(colour.AsLong(), c.rgb);
    EXPECT_EQ(win::GetStringProperty(host.movie().flashCtrl().dispatch(), movie::kDispBGColor), c.text);
    dialog_.reset();
  }
}

}  // namespace
}  // namespace zp::player

namespace zp::player {
namespace {

class SilentControl : public fscommand::FsMovieControl {
 public:
  void SetVariable(const std::wstring&, const std::wstring&) override {}
  void SetScaleMode(int) override {}
};

TEST_F(PlayerWindow, MovieDragAreasDragTheWindowAndShowTheFourWayArrow) {
  DocumentModel document = Frameless();
  document.movieList.items[0].file.path = StageMovie();
  document.mouseKeyOptions.leftDrag = 0;
  Open(document);
  ShowWindow(dialog_->hwnd(), SW_SHOW);
  fscommand::CFsCommandManager& manager = fscommand::GetFsCommandManager();
  SilentControl control;
  ASSERT_TRUE(manager.RunBuiltInFsCommand(&control, L"DragAddRect", L"0,0,100,20", false));
  const RECT r = Outer();
  // Off the handle: the movie gets the mouse.
  SetCursorPos(r.left + 10, r.top + 30);
  EXPECT_FALSE(Route(WM_MOUSEMOVE, 0));
  EXPECT_FALSE(Route(WM_LBUTTONDOWN, MK_LBUTTON));
  EXPECT_FALSE(dialog_->dragging());
  // On it: the four-way arrow, and a press drags the window.
  SetCursorPos(r.left + 10, r.top + 10);
  EXPECT_TRUE(Route(WM_MOUSEMOVE, 0));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_SIZEALL));
  EXPECT_TRUE(Route(WM_LBUTTONDOWN, MK_LBUTTON));
  EXPECT_TRUE(dialog_->dragging());
  SetCursorPos(r.left + 50, r.top + 40);
  EXPECT_TRUE(Route(WM_MOUSEMOVE, MK_LBUTTON));
  EXPECT_EQ(Outer().left, r.left + 40);
  EXPECT_EQ(Outer().top, r.top + 30);
  EXPECT_TRUE(Route(WM_LBUTTONUP, 0));
  EXPECT_FALSE(dialog_->dragging());
  EXPECT_TRUE(manager.RunBuiltInFsCommand(&control, L"DragCancel", L"", false));
}

}  // namespace
}  // namespace zp::player
