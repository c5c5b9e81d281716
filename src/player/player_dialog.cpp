// Construction, dialog initialisation, set-up and the window's messages.
#include "player/player_dialog.h"

#include <algorithm>

#include "core/document/option_values.h"
#include "core/layout/player_options.h"
#include "core/package_format.h"
#include "core/package_reader.h"
#include "core/temp_files.h"
#include "framework/application.h"
#include "framework/message_pump.h"
#include "framework/profile.h"
#include "fscommand/fs_command_manager.h"
#include "platform/platform.h"
#include "platform/wide.h"
#include "player/context_menu_view.h"
#include "player/print_screen_block.h"
#include "resource_ids.h"
#include "player/player_dialog_parts.h"

namespace zp::player {

using namespace detail;

PlayerDialog::PlayerDialog(DocumentModel& document, std::u16string temporaryDirectory, HWND owner)
    : document_(document),
      temporaryDirectory_(std::move(temporaryDirectory)),
      owner_(owner),
      sequence_(FileTimeNow, &measurer_) {
  platform::ChangeCurrentDirectory(temporaryDirectory_);
  icon_ = LoadIconW(win::ModuleInstance(), MAKEINTRESOURCEW(IDI_PLAYER));
  transparent_ = IsTransparent(document_.appearanceOptions);
  if (transparent_) {
    document_.appearanceOptions.hasFrame = 0;
    document_.menuAboutOptions.maximizeItem = 0;
  }
  packagePath_ = platform::ModuleFilePath();
}

PlayerDialog::~PlayerDialog() {
  Destroy();
  ReleaseResources();
}

INT_PTR PlayerDialog::Run() {
  // Keys that arrive while the player waits (for the installer, for a movie to get ready) meet
  // the window's key rules like any other key.
  win::RoutingScope routing(*this);
  return RunModal(kTemplateId, owner_);
}

BOOL PlayerDialog::OnInitDialog() {
  if (auto* application = win::Application::Current()) application->SetMainWindow(hwnd());
  if (BlocksPrintScreen(document_.behaviourOptions)) BlockPrintScreen();
  GetWindowRect(hwnd(), &savedRect_);
  if (transparent_) {
    flashHost_.movie().SetListener([this](HostNotification& notice) {
      const CompanionAnswer answer = OnCompanionNotice(CompanionNotice{notice.code, 0, notice.windowRect});
      if (notice.code == HostNotification::kStarted) {
        notice.leftButtonMode = answer.leftCode;
        notice.rightButtonMode = answer.rightCode;
      }
    });
    // The floating movie drags by the same drag areas: the host has the size of this window's
    // client area, which the drag model maps from.
    flashHost_.movie().SetDragRegionTest(OnDragModel);
    const auto& items = document_.movieList.items;
    if (!items.empty() && KindOfPath(items.front().path) == MovieKind::kFlash) {
      MoveOffScreen();
    }
  }
  return SetUp() ? TRUE : FALSE;
}

bool PlayerDialog::SetUp() {
  ShowIconAndTitle();
  OpenPreloaderSlot();
  if (document_.movieList.items.empty()) return CloseAtOnce();
  UnpackLibraries();
  LetMoviesFindFilesBesideTheProgram();
  if (!CreateMovieHost()) {
    ReportMissingPlayer();
    return CloseAtOnce();
  }
  FillSequence();
  LayOutWindow();
  PrepareSequence();
  if (document_.logOptions.showLog) fscommand::GetFsCommandManager().ShowFsCommandLog(true);
  if (contextMenu_) contextMenu_->SetResourceLibrary(resourceLibrary_.get());
  PlaceOverlayPanel();
  if (document_.behaviourOptions.autoStart) StartPresentation();
  // Sized, placed and styled: the splash program may go.
  SignalPreloader();
  // A transparent player gives its layered window a moment before it shows.
  if (transparent_) Sleep(kTransparentPauseMs);
  // Minimising all windows may have minimised the player too: undone once the window shows.
  if (document_.appearanceOptions.minimizeOthers) PostMessageW(hwnd(), kUndoShellMinimiseMessage, 0, 0);
  return true;
}

void PlayerDialog::ShowIconAndTitle() {
  SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  SetWindowTextW(hwnd(), win::ProgramBaseName().c_str());
}

bool PlayerDialog::CloseAtOnce() {
  // The splash program hears from the player on every way out of set-up.
  SignalPreloader();
  SendMessageW(hwnd(), WM_CLOSE, 0, 0);
  return false;
}

void PlayerDialog::UnpackLibraries() {
  // Our libraries load from where the package put them, by full path: a bare name would take
  // any library of that name lying beside the program.
  ExtractFileRecords(packagePath_, kResourceLibraryTag, temporaryDirectory_, false);
  const std::wstring resourcePath = ToWide(JoinPath(temporaryDirectory_, u"CommonResources.dll"));
  resourceLibrary_.reset(LoadLibraryW(resourcePath.c_str()));
  fscommand::CFsCommandManager& manager = fscommand::GetFsCommandManager(hwnd());
  manager.SetImageIcon(icon_);
  manager.LoadResourceLibrary(resourcePath);
  if (ExtractFileRecords(packagePath_, kFsCommandLibraryTag, temporaryDirectory_, true)) {
    manager.LoadFsCommandLibraries(ToWide(temporaryDirectory_));
  }
}

void PlayerDialog::LetMoviesFindFilesBesideTheProgram() {
  // A first item with more than three link separators brings its own places.
  const std::u16string& links = document_.movieList.items.front().links;
  if (std::count(links.begin(), links.end(), u'|') > 3) return;
  flashHost_.SetBaseUrl(ProgramDirectoryUrl());
  platform::ChangeCurrentDirectory(ProgramDirectory());
}

bool PlayerDialog::CreateMovieHost() {
  flashHost_.SetStretchToWindow(StretchesToWindow(document_.sizeOptions));
  RECT client{};
  GetClientRect(hwnd(), &client);
  if (!flashHost_.CreateHost(hwnd(), transparent_, client)) return false;
  if (HasMovieItem() && !flashHost_.PrepareMovieControl()) return false;
  fscommand::GetFsCommandManager().SetPlayerHost(&flashHost_);
  if (transparent_ && !flashHost_.transparent()) {
    // The transparent host could not be made: the window shows the movie itself, on screen.
    transparent_ = false;
    SetWindowPos(hwnd(), nullptr, savedRect_.left, savedRect_.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return true;
}

void PlayerDialog::ReportMissingPlayer() {
  ShowCursor(TRUE);
  const std::wstring text = fscommand::LoadResourceString(resourceLibrary_.get(), IDS_FLASH_MISSING);
  MessageBoxW(hwnd(), text.c_str(), nullptr, MB_OK | MB_ICONHAND);
}

void PlayerDialog::FillSequence() {
  measurer_.SetParent(hwnd());
  const auto& items = document_.movieList.items;
  const int quality = layout::HostQualityCode(document_.playbackOptions.quality);
  for (size_t i = 0; i < items.size(); ++i) {
    // Without looping the last item stays on screen.
    const bool holdsLast = !document_.behaviourOptions.loop && i + 1 == items.size();
    const float playTime = holdsLast ? static_cast<float>(kEndlessPlayTime) : items[i].playTime;
    // Movies and pictures are measured from their files.
    const MovieKind kind = KindOfPath(items[i].PlayedPath());
    if (awaitItemFiles_ && (kind == MovieKind::kFlash || kind == MovieKind::kPicture)) awaitItemFiles_(i);
    sequence_.Add(items[i].PlayedPath(), static_cast<int>(i), quality, playTime);
  }
  if (!sequence_.entries().empty()) {
    current_ = sequence_.entries().front();
  } else {
    // Nothing can be played: the window still takes the size an unreadable item would.
    current_.width = MovieSequence::kDefaultWidth;
    current_.height = MovieSequence::kDefaultHeight;
  }
}

void PlayerDialog::LayOutWindow() {
  const SizeOptions& size = document_.sizeOptions;
  SetDragScaling(AllowsScale(size), !StretchesToWindow(size), current_.width, current_.height);
  ApplyWindowLayout();
  RECT client{};
  GetClientRect(hwnd(), &client);
  SetDragWindowSize(client.right, client.bottom);
}

void PlayerDialog::PrepareSequence() {
  sequence_.SetHost(&sequenceHost_);
  sequence_.SetBaseDirectory(temporaryDirectory_);
  sequence_.SetPeriod(static_cast<int>(kPlayTimerPeriodMs));
  sequence_.SetLoop(document_.behaviourOptions.loop != 0);
  playTimer_.Prepare(hwnd(), kPlayTimerId, kPlayTimerPeriodMs);
}

void PlayerDialog::StartPresentation() {
  playTimer_.Start();
  StartBackgroundSound();
}

bool PlayerDialog::HasMovieItem() const {
  const auto& items = document_.movieList.items;
  return std::any_of(items.begin(), items.end(), [](const MovieItem& item) {
    return KindOfPath(item.PlayedPath()) == MovieKind::kFlash;
  });
}

void PlayerDialog::StartBackgroundSound() {
  const BackgroundSound& sound = document_.backgroundSound;
  // The hidden sound window exists only for a document that has a sound to play.
  if (!sound.enabled || !backgroundSound_.Create()) return;
  backgroundSound_.SetLoop(sound.loop != 0);
  // Starting again while the sound is open goes on with it rather than from its beginning.
  if (backgroundSound_.mciWindow() && backgroundSound_.path() == ToWide(sound.path)) {
    backgroundSound_.Resume();
  } else {
    backgroundSound_.Open(ToWide(sound.path));
  }
}

void PlayerDialog::PauseBackgroundSound(bool pause) {
  if (pause) {
    backgroundSound_.Pause();
  } else {
    backgroundSound_.Resume();
  }
}

void PlayerDialog::PlaceOverlayPanel() {
  const OverlayPanelOptions& panel = document_.overlayPanelOptions;
  overlayPanel_.SetPosition(panel.position);
  overlayPanel_.SetPicture(images_.panelPicture);
  overlayPanel_.SetText(images_.panelFont, ToWide(panel.text), panel.alignment,
                        static_cast<COLORREF>(panel.textColor), static_cast<COLORREF>(panel.backgroundColor));
  overlayPanel_.Place(hwnd());
}

void PlayerDialog::OnTimerTick() {
  playTimer_.Stop();
  if (sequence_.Step(current_)) {
    const bool flash = transparent_ && CurrentIsFlash();
    if (transparent_) {
      if (flash) {
        MoveOffScreen();
      } else {
        SetWindowPos(hwnd(), nullptr, savedRect_.left, savedRect_.top, savedRect_.right - savedRect_.left,
                     savedRect_.bottom - savedRect_.top, SWP_NOZORDER | SWP_NOACTIVATE);
      }
    }
    if (flash) ShowInTransparentHost();
    zoom_.Reset();
    // The keys come back to the window after each item, unless they are with it already: taking
    // the focus again is not only needless but, under Wine, lifts the window above its overlay
    // panel's pop-ups on screen, and then in the stacking too once the uncovered parts are drawn.
    HWND focus = GetFocus();
    if (focus != hwnd() && !IsChild(hwnd(), focus)) SetFocus(hwnd());
  }
  if (!sequence_.ended()) playTimer_.Start();
}

void PlayerDialog::MoveOffScreen() {
  SetWindowPos(hwnd(), nullptr, savedRect_.left + kOffScreenShift, savedRect_.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT PlayerDialog::TransparentHostArea() const {
  // Where the movie's host would be on screen if the window stood at its saved place.
  RECT area{};
  GetClientRect(flashHost_.hwnd(), &area);
  MapWindowPoints(flashHost_.hwnd(), nullptr, reinterpret_cast<POINT*>(&area), 2);
  const RECT now = WindowRect(hwnd());
  OffsetRect(&area, savedRect_.left - now.left, savedRect_.top - now.top);
  return area;
}

void PlayerDialog::ResyncTransparentHost() {
  TransparentFrame* host = flashHost_.movie().transparentHost();
  if (!host || !flashHost_.hwnd()) return;
  companionRect_ = TransparentHostArea();
  SetWindowPos(host->hwnd(), nullptr, companionRect_.left, companionRect_.top, companionRect_.right - companionRect_.left,
               companionRect_.bottom - companionRect_.top, SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(host->view().hwnd(), nullptr, FALSE);
}

void PlayerDialog::ShowInTransparentHost() {
  ResyncTransparentHost();
  if (TransparentFrame* host = flashHost_.movie().transparentHost()) ShowWindow(host->hwnd(), SW_SHOWNA);
}

void PlayerDialog::OnPaint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd(), &paint);
  SendMessageW(hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client{};
  GetClientRect(hwnd(), &client);
  const int iconWidth = GetSystemMetrics(SM_CXICON), iconHeight = GetSystemMetrics(SM_CYICON);
  DrawIcon(dc, (client.right - iconWidth + 1) / 2, (client.bottom - iconHeight + 1) / 2, icon_);
  EndPaint(hwnd(), &paint);
}

LRESULT PlayerDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      OnCancel();
      return 0;
    case WM_SIZE: {
      const LRESULT result = DefaultHandling(message, wParam, lParam);
      if (flashHost_.hwnd()) {
        RECT client{};
        GetClientRect(hwnd(), &client);
        MoveWindow(flashHost_.hwnd(), 0, 0, client.right, client.bottom, TRUE);
        if (StretchesToWindow(document_.sizeOptions)) RefitMovie();
      }
      overlayPanel_.Replace();
      return result;
    }
    case WM_MOVE:
      overlayPanel_.Replace();
      return DefaultHandling(message, wParam, lParam);
    case WM_SHOWWINDOW:
      // The panel is on screen before the window, never after it.
      if (wParam) overlayPanel_.OwnerAppearing();
      return DefaultHandling(message, wParam, lParam);
    case WM_WINDOWPOSCHANGED:
      // The panel appears and goes with the window.
      if (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW)) {
        overlayPanel_.Replace();
      }
      return DefaultHandling(message, wParam, lParam);
    case WM_PAINT:
      if (IsIconic(hwnd())) {
        OnPaint();
        return 0;
      }
      return DefaultHandling(message, wParam, lParam);
    case kUndoShellMinimiseMessage:
      // Only a player the shell minimised comes back: one the document starts maximised stays
      // so, and one it starts minimised stays minimised.
      if (IsIconic(hwnd()) && WindowStateOf(document_.sizeOptions) != WindowState::kMinimised) {
        SendMessageW(hwnd(), WM_SYSCOMMAND, SC_RESTORE, 0);
      }
      return 0;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<LRESULT>(icon_);
    case WM_TIMER:
      if (wParam == kPlayTimerId) {
        OnTimerTick();
        return 0;
      }
      return DefaultHandling(message, wParam, lParam);
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == kAboutCommand) {
        ShowAboutBox();
        return 0;
      }
      OnSystemCommand(wParam);
      return DefaultHandling(message, wParam, lParam);
    case WM_EXITSIZEMOVE: {
      if (flashHost_.hwnd()) SendMessageW(flashHost_.hwnd(), WM_EXITSIZEMOVE, 0, 0);
      overlayPanel_.Replace();
      RECT client{};
      GetClientRect(hwnd(), &client);
      SetDragWindowSize(client.right, client.bottom);
      return DefaultHandling(message, wParam, lParam);
    }
    case WM_DESTROY:
      if (fscommand::FsCommandManagerExists()) {
        fscommand::GetFsCommandManager().SetPlayerHost(nullptr);
        fscommand::GetFsCommandManager().DestroyLogWindow();
        fscommand::GetFsCommandManager().UnloadFsCommandLibraries();
      }
      ReleaseResources();
      return DefaultHandling(message, wParam, lParam);
    default:
      return Dialog::HandleMessage(message, wParam, lParam);
  }
}

void PlayerDialog::ReleaseResources() {
  playTimer_.Stop();
  overlayPanel_.Remove();
  backgroundSound_.Destroy();
  trayIcon_.Remove();
  UnblockPrintScreen();
  if (contextMenu_) contextMenu_->SetResourceLibrary(nullptr);
  resourceLibrary_.reset();
}

}  // namespace zp::player
