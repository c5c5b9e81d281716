// Moving a window into or out of the topmost band together with the windows it owns (tool
// windows such as the FSCommand log, which must stay above a topmost player and go with it).
#pragma once

#include <windows.h>

namespace zp::win {

// Makes `window` topmost or not, without moving, sizing, activating or redrawing it, and puts
// the windows it owns in the same band above it.
void SetTopmostWithOwnedWindows(HWND window, bool topmost);

}  // namespace zp::win
