// The control's two windows: the in-place view (a child of the container's window) and a
// message-only clock window for the frame timer and queued events. Both send their messages
// to the control's HandleMessage.
#pragma once

#include <windows.h>

#include <functional>

namespace zp::movie {

class MovieControl;

HWND CreateViewWindow(MovieControl* control, HWND parent, const RECT& position);
HWND CreateClockWindow(MovieControl* control);
// Unregisters the window classes; for DLL detach.
void UnregisterWindowClasses();

// Draws through an off-screen bitmap the size of `area` and copies the result to `hdc`.
void PaintBuffered(HDC hdc, const RECT& area, const std::function<void(HDC, const RECT&)>& draw);

}  // namespace zp::movie
