// The context menu, its commands, zoom, cancel and the system commands.
#include "player/player_dialog.h"

#include "core/layout/context_menu.h"
#include "core/layout/from_document.h"
#include "player/context_menu_view.h"
#include "player/player_dialog_parts.h"

namespace zp::player {

using namespace detail;

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

}  // namespace zp::player
