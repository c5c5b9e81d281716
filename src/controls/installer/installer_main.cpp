// InstallFlashPlayer.exe: installs the movie control that it carries. "/Q" installs silently;
// otherwise a small window says what is happening and closes by itself. Exit code 0 means the
// control is installed and registered; running it again is harmless.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>

#include "framework/message_pump.h"
#include "install_steps.h"

namespace {

constexpr wchar_t kWindowClass[] = L"ZentrapolisInstallerWindow";
constexpr UINT_PTR kCloseTimer = 1;
constexpr UINT kCloseDelayMs = 1200;
// Enough for what piles up between two reports; a bound all the same.
constexpr int kMessagesPerPump = 1000;

bool HasQuietSwitch(const wchar_t* commandLine) {
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(commandLine, &count);
  bool quiet = false;
  for (int i = 1; arguments && i < count; ++i) {
    if (_wcsicmp(arguments[i], L"/Q") == 0 || _wcsicmp(arguments[i], L"-Q") == 0) quiet = true;
  }
  LocalFree(arguments);
  return quiet;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam == kCloseTimer) DestroyWindow(window);
      return 0;
    case WM_CLOSE:
      return 0;  // it closes itself when the work is done
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

struct ProgressWindow {
  HWND window = nullptr;
  HWND text = nullptr;
};

void Pump() { zp::win::PumpPendingMessages(kMessagesPerPump, zp::win::PumpRange::kAll); }

void Report(const wchar_t* text, void* context) {
  auto* progress = static_cast<ProgressWindow*>(context);
  if (progress->text) SetWindowTextW(progress->text, text);
  Pump();
}

ProgressWindow OpenProgressWindow(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_WAIT);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kWindowClass;
  RegisterClassExW(&wc);
  ProgressWindow progress;
  const int width = 360, height = 110;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  progress.window = CreateWindowExW(0, kWindowClass, L"Movie player set-up", WS_CAPTION | WS_POPUP | WS_VISIBLE, x, y,
                                    width, height, nullptr, nullptr, instance, nullptr);
  if (progress.window) {
    progress.text = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_CENTER, 10, 25, width - 20, 20,
                                    progress.window, nullptr, instance, nullptr);
    SendMessageW(progress.text, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    Pump();
  }
  return progress;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  if (HasQuietSwitch(GetCommandLineW())) return zp::installer::Install(nullptr, nullptr);

  ProgressWindow progress = OpenProgressWindow(instance);
  const int result = zp::installer::Install(Report, &progress);
  if (!progress.window) return result;
  SetTimer(progress.window, kCloseTimer, kCloseDelayMs, nullptr);
  MSG msg;
  for (;;) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return result;
}
