#include "movie_window.h"

#include "module.h"
#include "movie_control.h"

namespace zp::movie {
namespace {

constexpr wchar_t kViewClass[] = L"ZentrapolisMovieView";
constexpr wchar_t kClockClass[] = L"ZentrapolisMovieClock";

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* control = reinterpret_cast<MovieControl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_NCDESTROY) SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  if (!control || message == WM_NCCREATE || message == WM_NCDESTROY) {
    return DefWindowProcW(window, message, wParam, lParam);
  }
  return control->HandleMessage(window, message, wParam, lParam);
}

bool RegisterOnce(const wchar_t* name, HCURSOR cursor) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(ModuleInstance(), name, &existing)) return true;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = ModuleInstance();
  wc.hCursor = cursor;
  wc.lpszClassName = name;
  return RegisterClassExW(&wc) != 0;
}

}  // namespace

HWND CreateViewWindow(MovieControl* control, HWND parent, const RECT& position) {
  if (!RegisterOnce(kViewClass, LoadCursorW(nullptr, IDC_ARROW))) return nullptr;
  return CreateWindowExW(0, kViewClass, L"", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, position.left, position.top,
                         position.right - position.left, position.bottom - position.top, parent, nullptr,
                         ModuleInstance(), control);
}

HWND CreateClockWindow(MovieControl* control) {
  if (!RegisterOnce(kClockClass, nullptr)) return nullptr;
  return CreateWindowExW(0, kClockClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ModuleInstance(), control);
}

void UnregisterWindowClasses() {
  UnregisterClassW(kViewClass, ModuleInstance());
  UnregisterClassW(kClockClass, ModuleInstance());
}

void PaintBuffered(HDC hdc, const RECT& area, const std::function<void(HDC, const RECT&)>& draw) {
  const int width = area.right - area.left, height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return;
  HDC memory = CreateCompatibleDC(hdc);
  HBITMAP bitmap = memory ? CreateCompatibleBitmap(hdc, width, height) : nullptr;
  if (!bitmap) {
    if (memory) DeleteDC(memory);
    draw(hdc, area);  // no memory for a buffer: draw straight, with flicker
    return;
  }
  HGDIOBJ old = SelectObject(memory, bitmap);
  draw(memory, RECT{0, 0, width, height});
  BitBlt(hdc, area.left, area.top, width, height, memory, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
}

}  // namespace zp::movie
