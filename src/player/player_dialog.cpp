// Construction, dialog initialisation, set-up and the window's messages.
#include "player/player_dialog.h"

#include <algorithm>

#include "core/layout/player_options.h"
#include "core/package_format.h"
#include "core/package_reader.h"
#include "core/temp_files.h"
#include "framework/application.h"
#include "framework/profile.h"
#include "fscommand/fs_command_manager.h"
#include "platform/platform.h"
#include "platform/wide.h"
#include "player/context_menu_view.h"
#include "player/entry_size.h"
#include "player/print_screen_block.h"
#include "resource_ids.h"
#include "player/player_dialog_parts.h"

namespace zp::player {

using namespace detail;

PlayerDialog::PlayerDialog(int mode, DocumentModel& document, std::u16string temporaryDirectory, HWND owner)
    : mode_(mode), document_(document), temporaryDirectory_(std::move(temporaryDirectory)), owner_(owner) {
  platform::ChangeCurrentDirectory(temporaryDirectory_);
  icon_ = LoadIconW(win::ModuleInstance(), MAKEINTRESOURCEW(IDI_PLAYER));
  transparent_ = document_.appearanceOptions.windowMode == 2;
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

INT_PTR PlayerDialog::Run() { return RunModal(kTemplateId, owner_); }

BOOL PlayerDialog::OnInitDialog() {
  if (auto* application = win::Application::Current()) application->SetMainWindow(hwnd());
  if (document_.behaviourOptions.protectFlags & 2) BlockPrintScreen();
  GetWindowRect(hwnd(), &savedRect_);
  if (transparent_) {
    // The companion window's callback is registered by the transparent host when it lands.
    const auto& items = document_.movieList.items;
    if (!items.empty() && KindOfPath(items.front().path) == MovieKind::kFlash) {
      SetWindowPos(hwnd(), nullptr, savedRect_.left + kOffScreenShift, savedRect_.top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  return SetUp() ? TRUE : FALSE;
}

bool PlayerDialog::SetUp() {
  // 1. Icon and title.
  SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  SetWindowTextW(hwnd(), win::ProgramBaseName().c_str());
  // 2.
  OpenPreloaderSlot();
  // 3.
  if (document_.movieList.items.empty()) {
    SignalPreloader();
    SendMessageW(hwnd(), WM_CLOSE, 0, 0);
    return false;
  }
  // 4. The resource library, into the temporary directory.
  ExtractFileRecords(packagePath_, kResourceLibraryTag, temporaryDirectory_, false);
  // 5. The FSCommand manager loads the resource library while the temporary directory is
  // current; until it exists this window keeps that load itself, from the written copy.
  fscommand::GetFsCommandManager(hwnd()).SetImageIcon(icon_);
  fsCommandResources_.reset(LoadLibraryW(ToWide(JoinPath(temporaryDirectory_, u"CommonResources.dll")).c_str()));
  // 6.
  if (ExtractFileRecords(packagePath_, kFsCommandLibraryTag, temporaryDirectory_, true)) {
    fscommand::GetFsCommandManager().LoadFsCommandLibraries(ToWide(temporaryDirectory_));
  }
  const int hostFlags = document_.sizeOptions.hostFlags;
  // 7.
  host_.SetScaleToWindow((hostFlags & 1) == 0);
  // 8.
  const std::u16string& links = document_.movieList.items.front().links;
  if (std::count(links.begin(), links.end(), u'|') <= 3) {
    // The base address goes to the movie control once it exists.
    platform::ChangeCurrentDirectory(ProgramDirectory());
  }
  // 9.
  RECT client{};
  GetClientRect(hwnd(), &client);
  if (!host_.CreateHost(hwnd(), transparent_, client)) {
    ShowCursor(TRUE);
    std::wstring text;
    if (fsCommandResources_) {
      wchar_t buffer[512] = {};
      int length = LoadStringW(fsCommandResources_.get(), IDS_FLASH_MISSING, buffer, static_cast<int>(std::size(buffer)));
      if (length > 0) text.assign(buffer, length);
    }
    MessageBoxW(hwnd(), text.c_str(), nullptr, MB_OK | MB_ICONHAND);
    SignalPreloader();
    SendMessageW(hwnd(), WM_CLOSE, 0, 0);
    return false;
  }
  // 10.
  FillSequence();
  current_ = sequence_.front();
  // 11.
  NotYetSetScaleState((hostFlags & 1) == 0 || (hostFlags & 2) != 0, (hostFlags & 1) != 0, current_.width,
                      current_.height);
  // 12.
  ApplyWindowLayout();
  GetClientRect(hwnd(), &client);
  NotYetSetScaleWindowSize(client.right, client.bottom);
  // 13.
  NotYetStartSequence();
  // 14.
  if (document_.logOptions.showLog) fscommand::GetFsCommandManager().ShowFsCommandLog(true);
  // 15.
  playTimer_.Prepare(hwnd(), kPlayTimerId, kPlayTimerPeriodMs);
  // 16.
  if (contextMenu_) {
    resourceLibrary_.reset(LoadLibraryW(L"CommonResources.dll"));
    contextMenu_->SetResourceLibrary(resourceLibrary_.get());
  }
  // 17.
  NotYetPlaceOverlayPanel();
  // 18.
  if (document_.behaviourOptions.autoStart) {
    playTimer_.Start();
    if (document_.backgroundSound.enabled) {
      NotYetStartBackgroundSound(document_.backgroundSound.loop != 0, document_.backgroundSound.path);
    }
  }
  // 19. The window is sized, placed and styled: the splash program may go.
  SignalPreloader();
  // 20.
  if (transparent_) Sleep(200);
  // 21. Minimising all windows minimised the player too.
  if (document_.appearanceOptions.minimizeOthers) PostMessageW(hwnd(), WM_SYSCOMMAND, SC_RESTORE, 0);
  return true;
}

void PlayerDialog::FillSequence() {
  sequence_.clear();
  const auto& items = document_.movieList.items;
  const int quality = layout::HostQualityCode(document_.playbackOptions.quality);
  for (size_t i = 0; i < items.size(); ++i) {
    SequenceItem entry;
    entry.path = items[i].PlayedPath();
    entry.index = static_cast<int>(i);
    entry.quality = quality;
    entry.playTime = items[i].playTime;
    entry.kind = KindOfPath(items[i].path);
    const layout::Size size = EntrySize(entry.path, entry.kind);
    entry.width = size.width;
    entry.height = size.height;
    sequence_.push_back(std::move(entry));
  }
  if (!document_.behaviourOptions.loop && !sequence_.empty()) sequence_.back().playTime = kEndlessPlayTime;
}

void PlayerDialog::OnTimerTick() {
  playTimer_.Stop();
  if (NotYetStepSequence()) {
    const bool flash = transparent_ && CurrentIsFlash();
    if (transparent_) {
      if (flash) {
        SetWindowPos(hwnd(), nullptr, savedRect_.left + kOffScreenShift, savedRect_.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      } else {
        SetWindowPos(hwnd(), nullptr, savedRect_.left, savedRect_.top, savedRect_.right - savedRect_.left,
                     savedRect_.bottom - savedRect_.top, SWP_NOZORDER | SWP_NOACTIVATE);
      }
    }
    zoom_.Reset();
    SetFocus(hwnd());
  }
  // The sequence has no end until it exists.
  playTimer_.Start();
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
      if (host_.hwnd()) {
        RECT client{};
        GetClientRect(hwnd(), &client);
        MoveWindow(host_.hwnd(), 0, 0, client.right, client.bottom, TRUE);
      }
      NotYetPlaceOverlayPanel();
      return DefaultHandling(message, wParam, lParam);
    }
    case WM_MOVE:
      NotYetPlaceOverlayPanel();
      return DefaultHandling(message, wParam, lParam);
    case WM_PAINT:
      if (IsIconic(hwnd())) {
        OnPaint();
        return 0;
      }
      return DefaultHandling(message, wParam, lParam);
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
        NotYetShowAboutBox(transparent_ ? nullptr : GetActiveWindow());
        return 0;
      }
      OnSystemCommand(wParam);
      return DefaultHandling(message, wParam, lParam);
    case WM_EXITSIZEMOVE: {
      if (host_.hwnd()) SendMessageW(host_.hwnd(), WM_EXITSIZEMOVE, 0, 0);
      NotYetPlaceOverlayPanel();
      RECT client{};
      GetClientRect(hwnd(), &client);
      NotYetSetScaleWindowSize(client.right, client.bottom);
      return DefaultHandling(message, wParam, lParam);
    }
    case WM_DESTROY:
      if (fscommand::FsCommandManagerExists()) {
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
  trayIcon_.Remove();
  UnblockPrintScreen();
  if (contextMenu_) contextMenu_->SetResourceLibrary(nullptr);
  resourceLibrary_.reset();
  fsCommandResources_.reset();
}

}  // namespace zp::player
