// Keeps the interface alive during long work on the user-interface thread.
#pragma once

namespace zp {

// Dispatches at most `limit` window messages that are already queued (numbers 0 to 0x0BFF),
// without waiting for new ones. A WM_QUIT met on the way is put back and ends the pumping, so
// that the message loop that owns the thread still sees it. Returns how many were dispatched.
int PumpPendingMessages(int limit);

}  // namespace zp
