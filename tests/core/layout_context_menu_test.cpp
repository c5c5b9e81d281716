#include <gtest/gtest.h>

#include <string>

#include "core/layout/context_menu.h"

namespace zp::layout {
namespace {

// A compact picture of a menu: command numbers, "-" for separators, "*" for a check mark,
// "~" for greyed, "[...]" for a submenu.
std::string Describe(const std::vector<MenuEntry>& entries) {
  std::string out;
  for (const MenuEntry& e : entries) {
    if (!out.empty()) out += ' ';
    if (e.separator) {
      out += '-';
      continue;
    }
    out += std::to_string(e.command);
    if (e.checked) out += '*';
    if (e.grayed) out += '~';
    if (!e.submenu.empty()) out += '[' + Describe(e.submenu) + ']';
  }
  return out;
}

TEST(LayoutContextMenu, EverythingSwitchedOnForAFlashMovie) {
  MenuState state;
  state.qualityCode = 1;
  state.isFlashMovie = true;
  state.alwaysOnTop = true;
  EXPECT_EQ(Describe(BuildContextMenu({}, state)),
            "606[600 601* 602] 603* - 604 605 616 - 607 608 - 609~ 610 611~ - 612 613 614 - 615");
}

TEST(LayoutContextMenu, StringNumbersFollowTheResourceLibrary) {
  MenuState state;
  state.isFlashMovie = true;
  auto entries = BuildContextMenu({}, state);
  EXPECT_EQ(entries[0].stringId, 20);
  EXPECT_EQ(entries[0].submenu[0].stringId, 14);
  EXPECT_EQ(entries[0].submenu[2].stringId, 16);
  EXPECT_EQ(entries[1].stringId, 17);
  EXPECT_EQ(entries[5].stringId, 30);  // "100%"
  EXPECT_EQ(entries.back().stringId, 29);
}

TEST(LayoutContextMenu, PictureWithoutZoomBitAndPlaying) {
  MenuState state;
  state.hostFlags = 1;
  state.playing = true;
  state.qualityCode = 2;
  EXPECT_EQ(Describe(BuildContextMenu({}, state)),
            "606[600* 601 602] 603 - 607* - 612 613 614 - 615");
}

TEST(LayoutContextMenu, AWindowWithoutCaptionOffersAboutBeforeExit) {
  MenuState state;
  state.hostFlags = 1;
  state.offersAbout = true;
  EXPECT_EQ(Describe(BuildContextMenu({}, state)), "606[600 601 602] 603 - 607 - 612 613 614 - 57664 - 615");
  EXPECT_EQ(BuildContextMenu({}, state).rbegin()[2].stringId, 10);  // "About..."
  MenuSwitches none;
  none.qualityItem = none.onTopItem = none.playItem = none.exitItem = 0;
  none.maximizeItem = none.minimizeItem = none.restoreItem = 0;
  EXPECT_EQ(Describe(BuildContextMenu(none, state)), "57664");
}

TEST(LayoutContextMenu, SwitchedOffGroupsLeaveNoEmptyLines) {
  MenuSwitches s;
  s.qualityItem = 0;
  s.onTopItem = 0;
  s.playItem = 0;
  s.maximizeItem = 0;
  s.minimizeItem = 0;
  s.restoreItem = 0;
  s.zoomInItem = 0;
  s.zoomOutItem = 0;
  s.zoomResetItem = 0;
  MenuState state;
  EXPECT_EQ(Describe(BuildContextMenu(s, state)), "615");
  s.exitItem = 0;
  EXPECT_EQ(Describe(BuildContextMenu(s, state)), "");
}

TEST(LayoutContextMenu, ScreenSaverHasNoWindowCommands) {
  MenuState state;
  state.isScreenSaver = true;
  state.hostFlags = 0;
  state.onFirstFrame = false;
  state.isFlashMovie = true;
  EXPECT_EQ(Describe(BuildContextMenu({}, state)), "606[600 601 602] 603 - 607 608 - 609 610 611 - 615");
}

}  // namespace
}  // namespace zp::layout
