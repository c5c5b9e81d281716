// Whether this system and display can show a movie with per-pixel transparency.
#pragma once

#include "core/support/prerequisites.h"

namespace zp::player {

// Bits per pixel of the current display mode.
int DisplayColourDepth();

// No layered windows at all, too few colours for alpha, or possible.
support::TransparencySupport CheckTransparencySupport();

// Whether the transparent host can be created here, with the transparency control as it is
// registered now: it is created out of sight and destroyed at once.
bool CanCreateTransparentHost();

}  // namespace zp::player
