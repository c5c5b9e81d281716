// Looking at a running player's windows from outside its process: windows by caption, its
// FSCommand log and the log's text.
#pragma once

#include <windows.h>

#include <string>

namespace zp::e2e::outside {

// The top-level window of the process with this caption (visible ones only when asked).
HWND WindowTitled(DWORD processId, const wchar_t* title, bool visibleOnly);
// The caption of a window of another process.
std::wstring CaptionOf(HWND window);
// The text of the log window's edit control, asked for with WM_GETTEXT as any other program
// would; empty when the log has no edit control or does not answer.
std::wstring LogText(HWND log);

}  // namespace zp::e2e::outside
