// A C++ object bound to one window handle, with a virtual message handler.
//
// The binding is a window property set when the window is created (WM_NCCREATE), subclassed or
// initialised as a dialog, and removed at WM_NCDESTROY, after which OnFinalMessage runs: that is
// the one place where an object may delete itself. The object owns its window: destroying the
// object destroys a window that still exists.
#pragma once

#include <windows.h>

#include <string>

namespace zp::win {

class Window {
 public:
  Window() = default;
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  HWND hwnd() const { return hwnd_; }
  static Window* FromHandle(HWND hwnd);

  // Creates a window of the framework's plain class (arrow cursor, no background brush) or of
  // the given registered class; false when the system refuses.
  bool Create(DWORD exStyle, const wchar_t* title, DWORD style, const RECT& rect, HWND parent,
              UINT_PTR idOrMenu = 0, const wchar_t* className = nullptr);
  // The same with position and size as CreateWindowEx takes them (CW_USEDEFAULT allowed).
  bool Create(DWORD exStyle, const wchar_t* title, DWORD style, int x, int y, int width, int height,
              HWND parent, UINT_PTR idOrMenu = 0, const wchar_t* className = nullptr);
  // Takes over an existing window's messages; the old procedure becomes the default handling.
  bool Subclass(HWND hwnd);
  void Destroy();

  // Asked by the modal loop for each message whose target is this window or one of its
  // children, before dialog-message handling; true swallows the message.
  virtual bool PreTranslateMessage(MSG& message);

 protected:
  // Every message of the window. The default hands it to DefaultHandling.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // What the window would do without this object: the subclassed procedure, the system's
  // default window procedure, or for dialogs the system's dialog handling (run after the
  // handler returns).
  LRESULT DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam);
  virtual void OnFinalMessage() {}

  void Attach(HWND hwnd);
  void Detach();

  bool isDialog_ = false;
  bool defaultRequested_ = false;  // dialogs: the current message wants the system's handling

 private:
  static LRESULT CALLBACK StaticWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Route(UINT message, WPARAM wParam, LPARAM lParam);

  HWND hwnd_ = nullptr;
  WNDPROC original_ = nullptr;

  friend class Dialog;
};

// The module that holds the program's resources and window classes.
HINSTANCE ModuleInstance();

// Registers a window class of the module, unless it exists already, for windows the framework
// subclasses once created: the system's default procedure, the given cursor (the arrow unless
// said), no background brush, no icon, and the given class style. True when the class exists
// afterwards.
bool RegisterWindowClass(const wchar_t* name, UINT style, const wchar_t* cursor = IDC_ARROW);

}  // namespace zp::win
