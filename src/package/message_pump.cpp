#include "package/message_pump.h"

#include <windows.h>

namespace zp {

int PumpPendingMessages(int limit) {
  int dispatched = 0;
  MSG msg;
  while (dispatched < limit && PeekMessageW(&msg, nullptr, 0, 0x0BFF, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    ++dispatched;
  }
  return dispatched;
}

}  // namespace zp
