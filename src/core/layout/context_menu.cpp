#include "core/layout/context_menu.h"

namespace zp::layout {

namespace {

class EntryList {
 public:
  void Item(bool wanted, int command, int stringId, bool checked = false, bool grayed = false) {
    if (!wanted) return;
    MenuEntry entry;
    entry.command = command;
    entry.stringId = stringId;
    entry.checked = checked;
    entry.grayed = grayed;
    entries_.push_back(std::move(entry));
  }
  void Separator() {
    if (entries_.empty() || entries_.back().separator) return;
    MenuEntry entry;
    entry.separator = true;
    entries_.push_back(std::move(entry));
  }
  void Add(MenuEntry entry) { entries_.push_back(std::move(entry)); }
  std::vector<MenuEntry> Take() {
    if (!entries_.empty() && entries_.back().separator) entries_.pop_back();
    return std::move(entries_);
  }

 private:
  std::vector<MenuEntry> entries_;
};

}  // namespace

std::vector<MenuEntry> BuildContextMenu(const MenuSwitches& s, const MenuState& state) {
  EntryList list;
  if (s.qualityItem) {
    MenuEntry quality;
    quality.command = kCommandQuality;
    quality.stringId = 20;
    EntryList choices;
    choices.Item(true, kCommandQualityLow, 14, state.qualityCode == kHostQualityLow);
    choices.Item(true, kCommandQualityMedium, 15, state.qualityCode == kHostQualityMedium);
    choices.Item(true, kCommandQualityHigh, 16, state.qualityCode == kHostQualityHigh);
    quality.submenu = choices.Take();
    list.Add(std::move(quality));
  }
  list.Item(s.onTopItem != 0, kCommandAlwaysOnTop, 17, state.alwaysOnTop);
  list.Separator();
  if (state.hostFlags & 2) {
    list.Item(s.zoomInItem != 0, kCommandZoomIn, 18);
    list.Item(s.zoomOutItem != 0, kCommandZoomOut, 19);
    list.Item(s.zoomResetItem != 0, kCommandZoomReset, 30);
    list.Separator();
  }
  list.Item(s.playItem != 0, kCommandPlay, 21, state.playing);
  if (state.isFlashMovie) {
    list.Item(s.loopItem != 0, kCommandLoop, 22, state.hostLoops);
    list.Separator();
    list.Item(s.rewindItem != 0, kCommandRewind, 23, false, state.onFirstFrame);
    list.Item(s.forwardItem != 0, kCommandForward, 24);
    list.Item(s.backItem != 0, kCommandBack, 25, false, state.onFirstFrame);
  }
  if (!state.isScreenSaver) {
    list.Separator();
    list.Item(s.maximizeItem != 0, kCommandMaximize, 26);
    list.Item(s.minimizeItem != 0, kCommandMinimize, 27);
    list.Item(s.restoreItem != 0, kCommandRestore, 28);
  }
  if (state.offersAbout) {
    list.Separator();
    list.Item(true, kCommandAbout, 10);
  }
  if (s.exitItem) {
    list.Separator();
    list.Item(true, kCommandExit, 29);
  }
  return list.Take();
}

}  // namespace zp::layout
