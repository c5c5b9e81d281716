// The context menu, its commands, zoom, cancel and the system commands.
#include "player/player_dialog.h"

#include "core/about/about_texts.h"
#include "core/layout/context_menu.h"
#include "core/layout/from_document.h"
#include "player/context_menu_view.h"
#include "player/player_dialog_parts.h"
#include "services/about_dialog.h"

namespace zp::player {

using namespace detail;

std::vector<layout::MenuEntry> PlayerDialog::ContextMenuEntries() {
  layout::MenuState state;
  state.hostFlags = document_.sizeOptions.hostFlags;
  state.alwaysOnTop = document_.appearanceOptions.alwaysOnTop != 0;
  state.qualityCode = current_.quality;
  state.playing = flashHost_.IsPlaying();
  state.isFlashMovie = CurrentIsFlash();
  state.hostLoops = flashHost_.GetLoop();
  // Frames count from 0.
  state.onFirstFrame = flashHost_.GetCurrentFrame() <= 0;
  state.isScreenSaver = ProgramIsScreenSaver();
  state.offersAbout = ContextMenuOffersAbout();
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
    case kCommandQualityLow: flashHost_.SetQuality(kHostQualityLow); return true;
    case kCommandQualityMedium: flashHost_.SetQuality(kHostQualityMedium); return true;
    case kCommandQualityHigh: flashHost_.SetQuality(kHostQualityHigh); return true;
    case kCommandAlwaysOnTop: {
      auto& onTop = document_.appearanceOptions.alwaysOnTop;
      onTop = onTop ? 0 : 1;
      SetTopmost(onTop != 0);
      return true;
    }
    case kCommandZoomIn: zoom_.ZoomIn(); ApplyZoom(); return true;
    case kCommandZoomOut: zoom_.ZoomOut(); ApplyZoom(); return true;
    case kCommandPlay: TogglePlay(); return true;
    case kCommandLoop: flashHost_.SetLoop(!flashHost_.GetLoop()); return true;
    case kCommandRewind:
      sequence_.SetPaused(true, current_);
      flashHost_.StopPlay();
      flashHost_.Rewind();
      sequence_.SetLastSeenFrame(-1);
      return true;
    case kCommandForward:
      flashHost_.Forward();
      sequence_.SetLastSeenFrame(flashHost_.GetCurrentFrame());
      return true;
    case kCommandBack:
      flashHost_.Back();
      sequence_.SetLastSeenFrame(flashHost_.GetCurrentFrame());
      return true;
    case kCommandMaximize: SendMessageW(hwnd(), WM_SYSCOMMAND, SC_MAXIMIZE, 0); return true;
    case kCommandMinimize: SendMessageW(hwnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0); return true;
    case kCommandRestore: SendMessageW(hwnd(), WM_SYSCOMMAND, SC_RESTORE, 0); return true;
    case kCommandExit: OnCancel(); return true;
    case kCommandAbout: ShowAboutBox(); return true;
    case kCommandZoomReset:
      zoom_.Reset();
      flashHost_.SetZoomRect(0, 0, current_.width, current_.height);
      return true;
    default:
      return false;
  }
}

void PlayerDialog::TogglePlay() {
  if (flashHost_.kind() == CFlashHost::kMovie && flashHost_.movie().movieLoaded()) {
    if (flashHost_.IsPlaying()) {
      sequence_.SetPaused(true, current_);
      flashHost_.StopPlay();
      PauseBackgroundSound(true);
    } else {
      flashHost_.Play();
      PauseBackgroundSound(false);
      sequence_.SetPaused(false, current_);
    }
    return;
  }
  // Nothing is playing that could pause: start (or go on with) the presentation.
  sequence_.ClearEnded();
  StartPresentation();
}

void PlayerDialog::RefitMovie() { flashHost_.FitMovieToWindow(current_.width, current_.height); }

void PlayerDialog::ApplyZoom() {
  const layout::Size visible = zoom_.VisibleSize({current_.width, current_.height});
  // A picture zooms about what the middle of its window shows.
  if (flashHost_.kind() == CFlashHost::kPicture && flashHost_.pictureWindow()) {
    RECT picture{};
    GetClientRect(flashHost_.pictureWindow(), &picture);
    flashHost_.SetViewPoint(picture.right / 2, picture.bottom / 2);
  }
  const POINT middle = flashHost_.GetViewPoint();
  const int left = middle.x - visible.width / 2, top = middle.y - visible.height / 2;
  flashHost_.SetZoomRect(left, top, left + visible.width, top + visible.height);
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

void PlayerDialog::ShowAboutBox() {
  // A document that hides the About box hides it from every way in, a posted command too.
  if (aboutBoxOpen_ || document_.menuAboutOptions.hideAbout != 0) return;
  aboutBoxOpen_ = true;
  // A transparent player's own window is off screen or invisible: the box belongs to no one.
  services::AboutDialog about(transparent_ ? nullptr : hwnd());
  about.SetTexts(AboutTextsOf(document_));
  about.SetBitmap(images_.logo);
  about.Run();
  aboutBoxOpen_ = false;
}

bool PlayerDialog::ContextMenuOffersAbout() const {
  return document_.menuAboutOptions.hideAbout == 0 && !(GetWindowLongPtrW(hwnd(), GWL_STYLE) & WS_CAPTION);
}

namespace {

// A host last placed by an odd show command (SW_SHOWNORMAL, SW_SHOWMAXIMIZED, SW_SHOW,
// SW_SHOWMINNOACTIVE, SW_RESTORE) is minimised without activating another window; from any
// other it takes the plain minimise.
UINT MinimisedShowCommand(UINT previous) {
  const bool placedByOddCommand = (previous & 1) != 0;
  return placedByOddCommand ? SW_SHOWMINNOACTIVE : SW_MINIMIZE;
}

}  // namespace

void PlayerDialog::SetTransparentHostShow(UINT show) {
  HWND host = flashHost_.movie().transparentHost()->hwnd();
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (!GetWindowPlacement(host, &placement)) return;
  placement.showCmd = show == SW_MINIMIZE ? MinimisedShowCommand(placement.showCmd) : show;
  SetWindowPlacement(host, &placement);
}

void PlayerDialog::OnSystemCommand(WPARAM command) {
  switch (command & 0xFFF0) {
    case SC_RESTORE:
      if (transparent_ && flashHost_.movie().transparentHost()) {
        SetTransparentHostShow(SW_RESTORE);
        break;
      }
      [[fallthrough]];
    case SC_MAXIMIZE:
      if (flashHost_.hwnd()) PostMessageW(flashHost_.hwnd(), WM_EXITSIZEMOVE, 0, 0);
      break;
    case SC_MINIMIZE:
      ReleaseCapture();
      // The floating movie goes with the window, activated or not as it was shown.
      if (transparent_ && flashHost_.movie().transparentHost()) SetTransparentHostShow(SW_MINIMIZE);
      break;
    default:
      break;
  }
}

}  // namespace zp::player
