// The screen area the player sizes and places itself in.
#pragma once

#include "core/layout/geometry.h"

namespace zp::player {

// workAreaOnly: the primary monitor's work area (the screen's pixel size when that cannot be
// read); otherwise the union of all monitors' work areas (the primary work area when the
// monitors cannot be enumerated). Only the width and height are used.
layout::Size ScreenArea(bool workAreaOnly);
layout::Size ScreenPixelSize();

}  // namespace zp::player
