#include "splash/preloader_slot.h"

#include <gtest/gtest.h>

#include <string>

namespace zp::splash {
namespace {

std::wstring SlotName() {
  return L"\\\\.\\mailslot\\ZentrapolisSplashTest" + std::to_wstring(GetCurrentProcessId()) +
         std::to_wstring(GetTickCount64());
}

// The player's side, as it writes: one 4-byte message.
bool WriteSignal(const std::wstring& name) {
  HANDLE client = CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (client == INVALID_HANDLE_VALUE) return false;
  const DWORD message = 7;
  DWORD written = 0;
  const BOOL ok = WriteFile(client, &message, sizeof(message), &written, nullptr);
  CloseHandle(client);
  return ok && written == sizeof(message);
}

// A window that counts the messages dispatched to it.
struct CountingWindow {
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_USER) ++*reinterpret_cast<int*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  CountingWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &Procedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ZentrapolisSplashCounting";
    RegisterClassW(&wc);
    hwnd = CreateWindowW(wc.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&dispatched));
  }
  ~CountingWindow() { DestroyWindow(hwnd); }
  HWND hwnd = nullptr;
  int dispatched = 0;
};

const WaitBounds kShort{400, 20, 500};

TEST(PreloaderSlot, ASignalSentBeforeTheWaitEndsItOnTheFirstPollAndTheSlotCloses) {
  const std::wstring name = SlotName();
  PreloaderSlot slot(name);
  ASSERT_TRUE(slot.valid());
  ASSERT_TRUE(WriteSignal(name));
  int polls = 0;
  const ULONGLONG started = GetTickCount64();
  EXPECT_EQ(slot.WaitForPlayerSignal([&] { return ++polls > 0; }, WaitBounds{60000, 60, 500}), WaitEnd::kSignalled);
  EXPECT_EQ(polls, 0);
  EXPECT_LT(GetTickCount64() - started, 1000u);
  EXPECT_FALSE(slot.valid());
  // The name is free again for the next splash.
  EXPECT_TRUE(PreloaderSlot(name).valid());
}

TEST(PreloaderSlot, WithoutASignalTheWaitEndsAtItsBoundAndASecondSlotOfTheNameNeverHearsAnything) {
  const std::wstring name = SlotName();
  PreloaderSlot first(name);
  PreloaderSlot second(name);
  ASSERT_TRUE(first.valid());
  EXPECT_FALSE(second.valid());
  ASSERT_TRUE(WriteSignal(name));  // reaches the first owner only

  const ULONGLONG started = GetTickCount64();
  EXPECT_EQ(second.WaitForPlayerSignal([] { return true; }, kShort), WaitEnd::kBound);
  const ULONGLONG waited = GetTickCount64() - started;
  EXPECT_GE(waited, 390u);
  EXPECT_LT(waited, 5000u);
  EXPECT_TRUE(first.HasMessage());
}

TEST(PreloaderSlot, TheWaitDispatchesWindowMessagesEndsWhenReleasedAndKeepsAQuitForTheLoop) {
  CountingWindow window;
  const UINT registered = RegisterWindowMessageW(L"ZentrapolisSplashTestMessage");
  PreloaderSlot slot(SlotName());
  PostMessageW(window.hwnd, registered, 0, 0);
  PostMessageW(window.hwnd, WM_USER + 1, 0, 0);
  int polls = 0;
  // Closing the splash shows as the caller's condition turning false.
  EXPECT_EQ(slot.WaitForPlayerSignal([&] { return ++polls < 3; }, kShort), WaitEnd::kReleased);
  EXPECT_EQ(polls, 3);
  // The message below the application range was dispatched; the registered one waits.
  EXPECT_EQ(window.dispatched, 1);
  MSG message;
  ASSERT_TRUE(PeekMessageW(&message, window.hwnd, registered, registered, PM_REMOVE));

  PreloaderSlot quitting(SlotName());
  PostMessageW(window.hwnd, WM_USER + 2, 0, 0);
  PostQuitMessage(5);
  EXPECT_EQ(quitting.WaitForPlayerSignal([] { return true; }, WaitBounds{60000, 60, 500}), WaitEnd::kQuit);
  EXPECT_FALSE(quitting.valid());
  ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 5u);
}

}  // namespace
}  // namespace zp::splash
