// Blocks the Print Screen key for the current thread: the key is swallowed and the clipboard
// emptied, so that no screen copy of the presentation is kept.
#pragma once

namespace zp::player {

// Installs the thread's keyboard hook; false when it could not be installed. Installing twice
// keeps one hook.
bool BlockPrintScreen();
void UnblockPrintScreen();
bool IsPrintScreenBlocked();

}  // namespace zp::player
