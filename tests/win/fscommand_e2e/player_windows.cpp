#include "player_windows.h"

#include <algorithm>
#include <vector>

#include "support/e2e_support.h"

namespace zp::e2e::outside {

HWND WindowTitled(DWORD processId, const wchar_t* title, bool visibleOnly) {
  for (HWND window : TopLevelWindows(processId, visibleOnly)) {
    if (CaptionOf(window) == title) return window;
  }
  return nullptr;
}

std::wstring CaptionOf(HWND window) {
  wchar_t text[256] = {};
  const int length = GetWindowTextW(window, text, 256);
  return std::wstring(text, length > 0 ? length : 0);
}

std::wstring LogText(HWND log) {
  HWND edit = FindWindowExW(log, nullptr, L"Edit", nullptr);
  if (!edit) return {};
  constexpr UINT kTimeoutMs = 5000;
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(edit, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kTimeoutMs, &length)) return {};
  std::vector<wchar_t> buffer(length + 1);
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(edit, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                           kTimeoutMs, &copied))
    return {};
  return std::wstring(buffer.data(), std::min<size_t>(copied, length));
}

}  // namespace zp::e2e::outside
