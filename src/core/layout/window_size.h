// How big the player window is made and where it goes: the size modes, the frame adjustment
// and the placement presets.
#pragma once

#include "core/layout/geometry.h"
#include "core/layout/player_options.h"

namespace zp::layout {

// A framed, rectangular window turns a client size into its outer size; shaped or frameless
// windows use the size as it is.
bool FrameAdjustmentApplies(int hasFrame, int shapeMode);

struct SizeInputs {
  Size area;        // W x H of the screen area (work area or union of work areas)
  Size screen;      // the screen's pixel size, for full screen
  Size movie;       // the current entry's movie size
  Size frameExtra;  // outer size minus client size of the window as it is now
  bool frameAdjust = false;
  bool transparent = false;
};

struct SizeDecision {
  enum class Kind { kUnchanged, kResize, kFullScreen };
  Kind kind = Kind::kUnchanged;
  Size size;     // for kResize
  Box fullRect;  // for kFullScreen: the window rectangle, in screen coordinates
};

// The size for sizeMode 0 to 3; any other mode leaves the size alone.
SizeDecision DecideWindowSize(const SizeSettings& settings, const SizeInputs& inputs);

// ((W x percent + 50) / 100) x ((H x percent + 50) / 100), integer division.
Size PercentOfArea(Size area, int percent);

// Where a window of the given size goes inside the screen area for the preset.
Point ComputePlacement(const SizeSettings& settings, Size area, Size window);

}  // namespace zp::layout
