#include "player/print_screen_block.h"

#include <windows.h>

#include "framework/unique_handle.h"

namespace zp::player {

namespace {

// One hook per process: the hook procedure has no other way to reach its state.
win::UniqueHook keyboardHook;

LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && wParam == VK_SNAPSHOT) {
    // Both key down and key up: whatever made a copy meanwhile is thrown away.
    if (OpenClipboard(nullptr)) {
      EmptyClipboard();
      CloseClipboard();
    }
    return 1;
  }
  return CallNextHookEx(keyboardHook.get(), code, wParam, lParam);
}

}  // namespace

bool BlockPrintScreen() {
  if (keyboardHook) return true;
  keyboardHook.reset(SetWindowsHookExW(WH_KEYBOARD, &KeyboardProc, nullptr, GetCurrentThreadId()));
  return keyboardHook.valid();
}

void UnblockPrintScreen() { keyboardHook.reset(); }

bool IsPrintScreenBlocked() { return keyboardHook.valid(); }

}  // namespace zp::player
