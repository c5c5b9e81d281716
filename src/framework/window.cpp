#include "framework/window.h"

namespace zp::win {

namespace {

constexpr wchar_t kBindingProperty[] = L"ZentrapolisWindowObject";
constexpr wchar_t kPlainClass[] = L"ZentrapolisWindow";

bool RegisterPlainClass(WNDPROC procedure) {
  static const bool registered = [procedure] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = procedure;
    wc.hInstance = ModuleInstance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kPlainClass;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  return registered;
}

}  // namespace

HINSTANCE ModuleInstance() { return GetModuleHandleW(nullptr); }

bool RegisterWindowClass(const wchar_t* name, UINT style, const wchar_t* cursor) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExW(ModuleInstance(), name, &wc)) return true;
  wc = WNDCLASSEXW{};
  wc.cbSize = sizeof wc;
  wc.style = style;
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = ModuleInstance();
  wc.hCursor = LoadCursorW(nullptr, cursor);
  wc.lpszClassName = name;
  return RegisterClassExW(&wc) != 0;
}

Window::~Window() { Destroy(); }

Window* Window::FromHandle(HWND hwnd) {
  if (!hwnd) return nullptr;
  return static_cast<Window*>(GetPropW(hwnd, kBindingProperty));
}

void Window::Attach(HWND hwnd) {
  hwnd_ = hwnd;
  SetPropW(hwnd, kBindingProperty, this);
}

void Window::Detach() {
  if (!hwnd_) return;
  RemovePropW(hwnd_, kBindingProperty);
  if (original_) SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
  hwnd_ = nullptr;
}

bool Window::Create(DWORD exStyle, const wchar_t* title, DWORD style, const RECT& rect, HWND parent,
                    UINT_PTR idOrMenu, const wchar_t* className) {
  return Create(exStyle, title, style, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                idOrMenu, className);
}

bool Window::Create(DWORD exStyle, const wchar_t* title, DWORD style, int x, int y, int width, int height,
                    HWND parent, UINT_PTR idOrMenu, const wchar_t* className) {
  if (hwnd_) return false;
  if (!className) {
    if (!RegisterPlainClass(&Window::StaticWindowProc)) return false;
    className = kPlainClass;
  }
  // Windows of the plain class bind at WM_NCCREATE from the creation parameter; windows of
  // other classes are subclassed once they exist.
  HWND hwnd = CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent,
                              reinterpret_cast<HMENU>(idOrMenu), ModuleInstance(), this);
  if (!hwnd) return false;
  if (!hwnd_) Subclass(hwnd);  // a class whose procedure is not ours
  return hwnd_ == hwnd;
}

bool Window::Subclass(HWND hwnd) {
  if (hwnd_ || !hwnd || FromHandle(hwnd)) return false;
  Attach(hwnd);
  original_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Window::SubclassProc)));
  return original_ != nullptr;
}

void Window::Destroy() {
  if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
  hwnd_ = nullptr;
}

bool Window::PreTranslateMessage(MSG&) { return false; }

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefaultHandling(message, wParam, lParam);
}

LRESULT Window::DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam) {
  if (isDialog_) {
    defaultRequested_ = true;
    return 0;
  }
  if (original_) return CallWindowProcW(original_, hwnd_, message, wParam, lParam);
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT Window::Route(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND hwnd = hwnd_;
  LRESULT result = HandleMessage(message, wParam, lParam);
  if (message == WM_NCDESTROY && FromHandle(hwnd) == this) {
    Detach();
    OnFinalMessage();  // may delete this
  }
  return result;
}

LRESULT CALLBACK Window::StaticWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* self = FromHandle(hwnd);
  if (!self && message == WM_NCCREATE) {
    self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    if (self) self->Attach(hwnd);
  }
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  return self->Route(message, wParam, lParam);
}

LRESULT CALLBACK Window::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* self = FromHandle(hwnd);
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  return self->Route(message, wParam, lParam);
}

}  // namespace zp::win
