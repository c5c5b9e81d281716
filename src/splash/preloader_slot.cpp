#include "splash/preloader_slot.h"

#include <algorithm>

#include "framework/message_pump.h"

namespace zp::splash {

namespace {

bool QuitIsQueued() {
  MSG message;
  return PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE;
}

}  // namespace

PreloaderSlot::PreloaderSlot(const std::wstring& name)
    : handle_(CreateMailslotW(name.c_str(), 0, 0, nullptr)) {}

bool PreloaderSlot::HasMessage() const {
  DWORD nextSize = MAILSLOT_NO_MESSAGE;
  return handle_ && GetMailslotInfo(handle_.get(), nullptr, &nextSize, nullptr, nullptr) &&
         nextSize != MAILSLOT_NO_MESSAGE;
}

WaitEnd PreloaderSlot::WaitForPlayerSignal(const std::function<bool()>& keepWaiting, const WaitBounds& bounds) {
  const ULONGLONG deadline = GetTickCount64() + bounds.totalMilliseconds;
  WaitEnd end = WaitEnd::kBound;
  for (;;) {
    if (HasMessage()) {
      end = WaitEnd::kSignalled;
      break;
    }
    win::PumpPendingMessages(bounds.messagesPerPoll);
    if (QuitIsQueued()) {
      end = WaitEnd::kQuit;
      break;
    }
    if (!keepWaiting()) {
      end = WaitEnd::kReleased;
      break;
    }
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) break;
    // A message that arrives meanwhile wakes the wait early, so that a close or a paint is
    // handled at once; messages left queued from before (the application range) do not.
    const DWORD pause = static_cast<DWORD>(std::min<ULONGLONG>(bounds.pollMilliseconds, deadline - now));
    MsgWaitForMultipleObjectsEx(0, nullptr, pause, QS_ALLINPUT, 0);
  }
  // The message itself is never read: it goes with the slot.
  Close();
  return end;
}

}  // namespace zp::splash
