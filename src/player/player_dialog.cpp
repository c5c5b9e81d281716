#include "player/player_dialog.h"

#include <algorithm>

#include "core/layout/context_menu.h"
#include "core/layout/from_document.h"
#include "core/layout/input_rules.h"
#include "core/layout/region_data.h"
#include "core/layout/shapes.h"
#include "core/layout/window_size.h"
#include "core/package_format.h"
#include "core/package_reader.h"
#include "core/temp_files.h"
#include "core/text.h"
#include "framework/application.h"
#include "framework/menu.h"
#include "framework/profile.h"
#include "platform/platform.h"
#include "platform/wide.h"
#include "player/context_menu_view.h"
#include "player/entry_size.h"
#include "player/print_screen_block.h"
#include "player/screen_area.h"
#include "player/window_shape.h"
#include "resource_ids.h"

namespace zp::player {

namespace {

constexpr DWORD kFrameStyles = WS_CAPTION | WS_THICKFRAME;
constexpr double kEndlessPlayTime = 9999999.0;

std::wstring OwnString(UINT id) {
  wchar_t buffer[512] = {};
  int length = LoadStringW(win::ModuleInstance(), id, buffer, static_cast<int>(std::size(buffer)));
  return length > 0 ? std::wstring(buffer, length) : std::wstring();
}

RECT WindowRect(HWND hwnd) {
  RECT rect{};
  GetWindowRect(hwnd, &rect);
  return rect;
}

void SendToShellTray(UINT command) {
  if (HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr)) SendMessageW(tray, WM_COMMAND, command, 0);
}

bool ProgramIsScreenSaver() {
  std::u16string path = platform::ModuleFilePath();
  return EqualsNoCase(ExtensionOf(path), u"scr");
}

// --- Steps that belong to work still to come. Each does nothing yet. ---
// The FSCommand manager and its log window (created with this window as owner).
void NotYetCreateFsCommandManager(HWND, HICON) {}
// Loading the FSCommand extension libraries from the temporary directory.
void NotYetLoadFsCommandLibraries(const std::u16string&) {}
void NotYetUnloadFsCommandLibraries() {}
// The FSCommand layer's scale state and drag-region model.
void NotYetSetScaleState(bool, bool, int, int) {}
void NotYetSetScaleWindowSize(int, int) {}
// The movie sequence's start and step.
void NotYetStartSequence() {}
bool NotYetStepSequence() { return false; }  // true when a new entry went on screen
// The log window, the overlay panel, the background sound, the About box, the transparent host.
void NotYetShowFsCommandLog(bool) {}
void NotYetPlaceOverlayPanel() {}
void NotYetStartBackgroundSound(bool, const std::u16string&) {}
void NotYetShowAboutBox(HWND) {}
void NotYetResyncTransparentHost() {}

}  // namespace

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

layout::PlayerOptions PlayerDialog::Options() const { return layout::PlayerOptionsOf(document_); }

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
  NotYetCreateFsCommandManager(hwnd(), icon_);
  fsCommandResources_.reset(LoadLibraryW(ToWide(JoinPath(temporaryDirectory_, u"CommonResources.dll")).c_str()));
  // 6.
  if (ExtractFileRecords(packagePath_, kFsCommandLibraryTag, temporaryDirectory_, true)) {
    NotYetLoadFsCommandLibraries(temporaryDirectory_);
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
  if (document_.logOptions.showLog) NotYetShowFsCommandLog(true);
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

// --- Layout -----------------------------------------------------------------------------------

void PlayerDialog::ApplyWindowLayout() {
  ApplyStyles();
  ApplySizeAndShape();
  ApplyAboutEntry();
  GetWindowRect(hwnd(), &savedRect_);
}

void PlayerDialog::SetTopmost(bool topmost) {
  SetWindowPos(hwnd(), topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
}

void PlayerDialog::ApplyStyles() {
  const auto& a = document_.appearanceOptions;
  HWND h = hwnd();
  if (a.alwaysOnTop) SetTopmost(true);
  if (!a.title.empty()) SetWindowTextW(h, ToWide(a.title).c_str());
  if (a.minimizeOthers) SendToShellTray(kShellMinimizeAll);
  LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE);
  LONG_PTR exStyle = GetWindowLongPtrW(h, GWL_EXSTYLE);
  if (a.hasFrame == 0 || a.shapeMode != 0) {
    style &= ~static_cast<LONG_PTR>(kFrameStyles);
    exStyle &= ~static_cast<LONG_PTR>(WS_EX_CLIENTEDGE);
  }
  if (a.showInTaskbar == 0) exStyle &= ~static_cast<LONG_PTR>(WS_EX_APPWINDOW);
  if (a.trayIcon) trayIcon_.Add(h, icon_, OwnString(IDS_TRAY_TIP).c_str());
  if (a.windowMode == 1) host_.SetBackgroundColour(static_cast<COLORREF>(a.movieBackground));
  HMENU systemMenu = GetSystemMenu(h, FALSE);
  if (transparent_ && systemMenu) DeleteMenu(systemMenu, SC_MAXIMIZE, MF_BYCOMMAND);
  if (a.hasFrame == 1) {
    if (a.systemMenu != 0) {
      if (a.minimizeBox == 0) {
        if (systemMenu) DeleteMenu(systemMenu, SC_MINIMIZE, MF_BYCOMMAND);
        style &= ~static_cast<LONG_PTR>(WS_MINIMIZEBOX);
      }
      if (a.maximizeBox == 0) {
        style &= ~static_cast<LONG_PTR>(WS_MAXIMIZEBOX);
        if (systemMenu) {
          DeleteMenu(systemMenu, SC_MAXIMIZE, MF_BYCOMMAND);
          DeleteMenu(systemMenu, SC_RESTORE, MF_BYCOMMAND);
        }
      }
    } else {
      style &= ~static_cast<LONG_PTR>(WS_SYSMENU);
    }
  }
  SetWindowLongPtrW(h, GWL_STYLE, style);
  SetWindowLongPtrW(h, GWL_EXSTYLE, exStyle);
  // The frame changes only take effect, and the client size only follows, after this.
  SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void PlayerDialog::MoveToPlacement(int width, int height) {
  const auto& s = document_.sizeOptions;
  const layout::Size area = ScreenArea(s.workAreaOnly != 0);
  const layout::Point at = layout::ComputePlacement(layout::SizeSettingsOf(s), area, {width, height});
  SetWindowPos(hwnd(), nullptr, at.x, at.y, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

void PlayerDialog::ApplySizeAndShape() {
  HWND h = hwnd();
  auto& s = document_.sizeOptions;
  auto& a = document_.appearanceOptions;
  // 1.
  host_.SetScaleToWindow((s.hostFlags & 1) == 0 || (s.hostFlags & 2) != 0);
  // 2. A custom region decides the size.
  if (a.shapeMode == 2) {
    win::UniqueRegion region = MakeCustomRegion(a.region);
    RECT box{};
    if (region && GetRgnBox(static_cast<HRGN>(region.get()), &box) != NULLREGION && !IsRectEmpty(&box)) {
      s.sizeMode = 1;
      s.width = box.right - box.left;
      s.height = box.bottom - box.top;
    }
  }
  // 3.
  RECT outer = WindowRect(h), client{};
  GetClientRect(h, &client);
  layout::SizeInputs inputs;
  inputs.area = ScreenArea(s.workAreaOnly != 0);
  inputs.screen = ScreenPixelSize();
  inputs.movie = {current_.width, current_.height};
  inputs.frameExtra = {static_cast<int>((outer.right - outer.left) - client.right),
                       static_cast<int>((outer.bottom - outer.top) - client.bottom)};
  inputs.frameAdjust = layout::FrameAdjustmentApplies(a.hasFrame, a.shapeMode);
  inputs.transparent = transparent_;
  const layout::SizeDecision decision = layout::DecideWindowSize(layout::SizeSettingsOf(s), inputs);
  switch (decision.kind) {
    case layout::SizeDecision::Kind::kResize:
      MoveToPlacement(decision.size.width, decision.size.height);
      break;
    case layout::SizeDecision::Kind::kFullScreen: {
      LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE) & ~static_cast<LONG_PTR>(kFrameStyles);
      LONG_PTR exStyle = GetWindowLongPtrW(h, GWL_EXSTYLE) & ~static_cast<LONG_PTR>(WS_EX_CLIENTEDGE);
      SetWindowLongPtrW(h, GWL_STYLE, style);
      SetWindowLongPtrW(h, GWL_EXSTYLE, exStyle);
      const layout::Box& r = decision.fullRect;
      SetWindowPos(h, nullptr, r.left, r.top, r.Width(), r.Height(),
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW | SWP_FRAMECHANGED);
      break;
    }
    case layout::SizeDecision::Kind::kUnchanged: {
      RECT now = WindowRect(h);
      MoveToPlacement(now.right - now.left, now.bottom - now.top);
      break;
    }
  }
  // 4.
  if (s.windowState == 1) SendMessageW(h, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  if (s.windowState == 2) SendMessageW(h, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  // 5.
  ApplyShape();
  // 6.
  if (transparent_) NotYetResyncTransparentHost();
}

void PlayerDialog::ApplyShape() {
  const auto& a = document_.appearanceOptions;
  if (a.shapeMode == 0) return;
  win::UniqueRegion region;
  if (a.shapeMode == 2) {
    region = MakeCustomRegion(a.region);
  } else {
    RECT outer = WindowRect(hwnd());
    region = MakeShapeRegion(layout::PredefinedShape(a.shapeKind, {static_cast<int>(outer.right - outer.left),
                                                                    static_cast<int>(outer.bottom - outer.top)}));
  }
  if (!region) return;
  // The system owns the region once it has accepted it.
  if (SetWindowRgn(hwnd(), static_cast<HRGN>(region.get()), TRUE)) (void)region.release();
}

void PlayerDialog::ApplyAboutEntry() {
  if (document_.menuAboutOptions.hideAbout != 0) return;
  HMENU systemMenu = GetSystemMenu(hwnd(), FALSE);
  if (!systemMenu) return;
  win::InsertMenuItemBefore(systemMenu, SC_CLOSE, kAboutCommand, OwnString(IDS_ABOUT_ENTRY));
  win::InsertSeparatorBefore(systemMenu, SC_CLOSE);
}

// --- Commands and menus -------------------------------------------------------------------------

std::vector<layout::MenuEntry> PlayerDialog::ContextMenuEntries() const {
  layout::MenuState state;
  state.hostFlags = document_.sizeOptions.hostFlags;
  state.alwaysOnTop = document_.appearanceOptions.alwaysOnTop != 0;
  state.qualityCode = current_.quality;
  state.playing = host_.IsPlaying();
  state.isFlashMovie = CurrentIsFlash();
  state.hostLoops = host_.GetLoop();
  state.onFirstFrame = host_.IsOnFirstFrame();
  state.isScreenSaver = ProgramIsScreenSaver();
  return layout::BuildContextMenu(layout::MenuSwitchesOf(document_.menuAboutOptions), state);
}

void PlayerDialog::ShowContextMenu() {
  if (!contextMenu_) return;
  POINT cursor{};
  GetCursorPos(&cursor);
  contextMenu_->Show(hwnd(), cursor, ContextMenuEntries());
}

bool PlayerDialog::OnCommand(WORD id, WORD, HWND) {
  using namespace layout;
  switch (id) {
    case kCommandQualityLow: host_.SetQuality(2); return true;
    case kCommandQualityMedium: host_.SetQuality(1); return true;
    case kCommandQualityHigh: host_.SetQuality(0); return true;
    case kCommandAlwaysOnTop: {
      auto& onTop = document_.appearanceOptions.alwaysOnTop;
      onTop = onTop ? 0 : 1;
      SetTopmost(onTop != 0);
      return true;
    }
    case kCommandZoomIn: zoom_.ZoomIn(); ApplyZoom(); return true;
    case kCommandZoomOut: zoom_.ZoomOut(); ApplyZoom(); return true;
    case kCommandPlay:
      // No movie is loaded until the movie control lands: start the timer (and the sound).
      if (!host_.HasMovieLoaded()) {
        playTimer_.Start();
        if (document_.backgroundSound.enabled) {
          NotYetStartBackgroundSound(document_.backgroundSound.loop != 0, document_.backgroundSound.path);
        }
      }
      return true;
    case kCommandLoop: host_.SetLoop(!host_.GetLoop()); return true;
    case kCommandRewind:
    case kCommandForward:
    case kCommandBack:
      return true;  // movie operations: nothing is loaded yet
    case kCommandMaximize: SendMessageW(hwnd(), WM_SYSCOMMAND, SC_MAXIMIZE, 0); return true;
    case kCommandMinimize: SendMessageW(hwnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0); return true;
    case kCommandRestore: SendMessageW(hwnd(), WM_SYSCOMMAND, SC_RESTORE, 0); return true;
    case kCommandExit: OnCancel(); return true;
    case kCommandZoomReset:
      zoom_.Reset();
      host_.SetZoomRect(RECT{0, 0, current_.width, current_.height});
      return true;
    default:
      return false;
  }
}

void PlayerDialog::ApplyZoom() {
  const layout::Size visible = zoom_.VisibleSize({current_.width, current_.height});
  // The middle of the host's view; the movie control will report it once it exists.
  const POINT middle{current_.width / 2, current_.height / 2};
  host_.SetZoomRect(RECT{middle.x - visible.width / 2, middle.y - visible.height / 2,
                         middle.x - visible.width / 2 + visible.width, middle.y - visible.height / 2 + visible.height});
  RECT area{};
  if (transparent_ && CurrentIsFlash()) {
    area = companionRect_;
  } else {
    GetClientRect(hwnd(), &area);
    MapWindowPoints(hwnd(), nullptr, reinterpret_cast<POINT*>(&area), 2);
  }
  SetCursorPos((area.left + area.right) / 2, (area.top + area.bottom) / 2);
}

void PlayerDialog::OnCancel() {
  const auto& a = document_.appearanceOptions;
  if (a.minimizeOthers && a.restoreOthers) SendToShellTray(kShellUndoMinimizeAll);
  EndDialog(IDCANCEL);
}

void PlayerDialog::OnSystemCommand(WPARAM command) {
  switch (command & 0xFFF0) {
    case SC_RESTORE:
      // The transparent companion window restores itself through its placement once it exists.
      [[fallthrough]];
    case SC_MAXIMIZE:
      if (host_.hwnd()) PostMessageW(host_.hwnd(), WM_EXITSIZEMOVE, 0, 0);
      break;
    case SC_MINIMIZE:
      ReleaseCapture();
      break;
    default:
      break;
  }
}

// --- Keys and mouse ----------------------------------------------------------------------------

bool PlayerDialog::PreTranslateMessage(MSG& message) {
  if (message.message == WM_KEYDOWN) return HandleKeyDown(message);
  if (message.message >= WM_MOUSEFIRST && message.message <= WM_MOUSELAST) {
    // A transparent Flash movie gets its mouse through the companion window.
    if (transparent_ && CurrentIsFlash()) return false;
    return HandleMouse(message);
  }
  return false;
}

bool PlayerDialog::HandleKeyDown(MSG& message) {
  const auto& k = document_.mouseKeyOptions;
  const layout::KeyDecision d =
      layout::DecideKeyDown(static_cast<int>(message.wParam), k.closeKeyMode, k.closeKeyEnabled, k.escapeCloses);
  if (d.dispatchDirect) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  if (d.close) OnCancel();
  return d.swallow;
}

bool PlayerDialog::OnDragArea() const {
  // A drag in progress counts as on a drag area; the drag areas themselves arrive with the
  // FSCommand layer's drag-region model.
  return dragging_;
}

bool PlayerDialog::HandleMouse(MSG& message) {
  const auto& k = document_.mouseKeyOptions;
  POINT cursor{};
  GetCursorPos(&cursor);
  layout::MouseDecision d;
  switch (message.message) {
    case WM_MOUSEMOVE:
      if (message.wParam & (MK_LBUTTON | MK_RBUTTON)) {
        const bool left = (message.wParam & MK_LBUTTON) != 0;
        if (dragging_) DragTo();
        // Moves that belong to a drag go where the button's clicks go.
        d.swallow = left ? (dragging_ ? k.leftDrag != 2 : (k.leftDrag < 0 || k.leftDrag > 2))
                         : k.rightButton != 0;
      } else {
        d = layout::DecideHover(OnDragArea());
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      RECT outer = WindowRect(hwnd());
      d = layout::DecideLeftDown(k.leftDrag, PtInRect(&outer, cursor) != 0, OnDragArea());
      break;
    }
    case WM_LBUTTONUP: d = layout::DecideLeftUp(k.leftDrag, OnDragArea()); break;
    case WM_RBUTTONDOWN: d = layout::DecideRightDown(k.rightButton); break;
    case WM_RBUTTONUP: d = layout::DecideRightUp(k.rightButton); break;
    default: return false;
  }
  if (d.moveCursor) SetCursor(LoadCursorW(nullptr, IDC_SIZEALL));
  if (d.drag == layout::DragAction::kBegin) BeginDrag();
  if (d.drag == layout::DragAction::kEnd) EndDrag();
  if (d.contextMenu) ShowContextMenu();
  return d.swallow;
}

void PlayerDialog::BeginDrag() {
  POINT cursor{};
  GetCursorPos(&cursor);
  RECT outer = WindowRect(hwnd());
  dragOffset_ = {outer.left - cursor.x, outer.top - cursor.y};
  hasDragOffset_ = true;
  SetCapture(hwnd());
  dragging_ = true;
}

void PlayerDialog::DragTo() {
  if (!hasDragOffset_) return;
  POINT cursor{};
  GetCursorPos(&cursor);
  SetWindowPos(hwnd(), nullptr, cursor.x + dragOffset_.x, cursor.y + dragOffset_.y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  GetWindowRect(hwnd(), &savedRect_);
}

void PlayerDialog::EndDrag() {
  hasDragOffset_ = false;
  if (GetCapture() == hwnd()) ReleaseCapture();
  dragging_ = false;
}

// --- Messages ----------------------------------------------------------------------------------

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
      NotYetUnloadFsCommandLibraries();
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
