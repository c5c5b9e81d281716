// The option values of a presentation that decide how the player window looks and behaves.
// These mirror the document's option sections field for field (same names, same defaults) so
// that the window's arithmetic and decisions can be computed and tested without a document.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zp::layout {

struct SizeSettings {
  int sizeMode = 0;          // 0 movie size, 1 fixed, 2 percentage, 3 full screen
  int windowState = 0;       // 1 maximised, 2 minimised
  int hostFlags = 3;         // bit 0, bit 1: handed to the movie host
  int horizontalAnchor = 0;  // preset 0: 0 at left, 1 against the right edge
  int verticalAnchor = 0;    // preset 0: 0 at top, 1 bottom pixels above the bottom edge
  int positionPreset = 1;
  int width = 800;
  int height = 600;
  int percent = 100;
  int left = 0;
  int top = 0;
  int bottom = 0;
  int workAreaOnly = 1;
};

struct AppearanceSettings {
  std::u16string title;
  int shapeMode = 0;  // 0 rectangular, 2 custom region, other: predefined shape shapeKind
  int shapeKind = 0;
  std::vector<uint8_t> region;  // RGNDATA bytes of the custom region; empty for none
  int hasFrame = 1;
  int maximizeBox = 1;
  int minimizeBox = 1;
  int systemMenu = 1;
  int windowMode = 0;  // 0 opaque, 1 opaque on movieBackground, 2 transparent
  uint32_t movieBackground = 0xFFFFFF;
  int showInTaskbar = 1;
  int trayIcon = 0;
  int alwaysOnTop = 0;
  int minimizeOthers = 0;
  int restoreOthers = 0;
};

struct MouseKeySettings {
  int leftDrag = 0;
  int rightButton = 1;
  int closeKeyMode = 0;
  int escapeCloses = 1;
  int closeKeyEnabled = 0;
};

struct BehaviourSettings {
  int autoStart = 1;
  int loop = 0;
  int protectFlags = 0;  // bit value 2: Print Screen blocked
};

// The context menu's switches and the About entry switch.
struct MenuSwitches {
  int maximizeItem = 1;
  int minimizeItem = 1;
  int restoreItem = 1;
  int onTopItem = 1;
  int exitItem = 1;
  int zoomInItem = 1;
  int zoomOutItem = 1;
  int zoomResetItem = 1;
  int qualityItem = 1;
  int playItem = 1;
  int loopItem = 1;
  int rewindItem = 1;
  int forwardItem = 1;
  int backItem = 1;
  int hideAbout = 1;
};

struct PlayerOptions {
  SizeSettings size;
  AppearanceSettings appearance;
  MouseKeySettings mouseKeys;
  BehaviourSettings behaviour;
  MenuSwitches menu;
  int quality = 0;  // playback quality: 0 low, 1 medium, 2 high
  int showLog = 0;
  int soundEnabled = 0;
  int soundLoop = 0;
  std::u16string soundPath;
};

// The host's quality code for the playback quality: 0 -> 2, 1 -> 1, 2 -> 0, other -> 3.
int HostQualityCode(int quality);

}  // namespace zp::layout
