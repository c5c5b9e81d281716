// The option values the window's arithmetic and decisions take: its size settings and the
// context menu's switches. They mirror the document's sections field for field (same names,
// same defaults) so that the decisions can be computed and tested without a document.
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

// The quality the movie host is asked for; kUnchanged leaves the movie its own.
enum HostQuality : int { kHostQualityHigh = 0, kHostQualityMedium = 1, kHostQualityLow = 2, kHostQualityUnchanged = 3 };

// The host's quality code for the document's playback quality (0 low, 1 medium, 2 high, other
// unchanged).
int HostQualityCode(int quality);

}  // namespace zp::layout
