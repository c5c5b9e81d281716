// The one message pump of the in-process Windows tests: a test that waits for something its
// own windows or threads do keeps the thread's messages flowing meanwhile.
#pragma once

#include <windows.h>

#include <functional>

namespace zp::test {

// Dispatches the thread's window messages until `done` is true or `timeoutMs` pass; returns
// `done()`.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  while (!done()) {
    if (GetTickCount64() >= deadline) return done();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return true;
}

}  // namespace zp::test
