// Which entries the player's context menu has, decided from the document's switches and the
// state of what is shown. The Win32 side turns the entries into a pop-up menu with the
// resource library's words.
#pragma once

#include <vector>

#include "core/layout/player_options.h"

namespace zp::layout {

// Command identifiers of the context menu.
enum MenuCommand : int {
  kCommandQualityLow = 600,
  kCommandQualityMedium = 601,
  kCommandQualityHigh = 602,
  kCommandAlwaysOnTop = 603,
  kCommandZoomIn = 604,
  kCommandZoomOut = 605,
  kCommandQuality = 606,
  kCommandPlay = 607,
  kCommandLoop = 608,
  kCommandRewind = 609,
  kCommandForward = 610,
  kCommandBack = 611,
  kCommandMaximize = 612,
  kCommandMinimize = 613,
  kCommandRestore = 614,
  kCommandExit = 615,
  kCommandZoomReset = 616,
  kCommandAbout = 0xE140,  // the system menu's "About..." command, offered here too
};

struct MenuEntry {
  bool separator = false;
  int command = 0;
  int stringId = 0;  // in the resource library's string table
  bool checked = false;
  bool grayed = false;
  std::vector<MenuEntry> submenu;  // "Quality" holds the three quality choices
};

struct MenuState {
  int hostFlags = 3;
  bool alwaysOnTop = false;
  int qualityCode = 3;  // the current entry's host quality code
  bool playing = false;
  bool isFlashMovie = false;
  bool hostLoops = false;
  bool onFirstFrame = true;
  bool isScreenSaver = false;  // the program file's extension is "scr"
  // The document shows an About box but the window has no caption, so no system menu to
  // reach it from: the menu offers "About..." before "Exit".
  bool offersAbout = false;
};

// The entries in menu order. Separators never lead, trail or follow each other, so switched-off
// groups leave no empty lines.
std::vector<MenuEntry> BuildContextMenu(const MenuSwitches& switches, const MenuState& state);

}  // namespace zp::layout
