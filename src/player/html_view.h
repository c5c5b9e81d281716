// Web page entries: the system's web browser control (`CHtmlCtrl`) and the frame window that
// holds it (`CWebFrame`). The frame is a plain child with a static edge over the Flash host's
// client area; its only child is the browser, kept one pixel larger than the frame's client
// area in each direction so that the browser's own border stays out of sight.
//
// Before any navigation, an address that begins with "app:" (any case) is cancelled and the
// rest of it goes to `OnAppCmd`, which in the player does nothing.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "framework/control_site.h"
#include "framework/window.h"

namespace zp::player {

// {8856F961-340A-11D0-A96B-00C04FD705A2}
inline constexpr CLSID kWebBrowserClsid = {
    0x8856F961, 0x340A, 0x11D0, {0xA9, 0x6B, 0x00, 0xC0, 0x4F, 0xD7, 0x05, 0xA2}};

namespace web_dispid {
inline constexpr DISPID kBeforeNavigate2 = 250;  // DWebBrowserEvents2
}  // namespace web_dispid

class CHtmlCtrl {
 public:
  CHtmlCtrl() = default;
  virtual ~CHtmlCtrl();
  CHtmlCtrl(const CHtmlCtrl&) = delete;
  CHtmlCtrl& operator=(const CHtmlCtrl&) = delete;

  // Creates the browser as a child of `parent` over `rect`; false when the control is missing
  // or will not activate.
  bool Create(HWND parent, const RECT& rect, UINT id = 0);
  void Destroy();
  // The browser's window, or null when there is none.
  HWND GetSafeHwnd() const { return site_ ? site_->controlWindow() : nullptr; }
  // The browser's automation object, or null before creation.
  IDispatch* dispatch() const { return site_ ? site_->dispatch() : nullptr; }
  // Gives the browser this size, keeping its position.
  void Resize(int width, int height);

  void Stop();
  // An "app:" address goes to `OnAppCmd` and is never given to the browser.
  void Navigate(const std::wstring& address);

  // Receives the commands of "app:" addresses instead of `OnAppCmd`; for tests.
  std::function<void(const std::wstring& command)> onAppCommand;

  // The browser's BeforeNavigate2 event as the control raises it (arguments last first, the
  // address by reference, Cancel a VARIANT_BOOL by reference): an "app:" address is cancelled
  // and handed on. True when it was. Public so that the rule can be exercised without a page
  // that links anywhere.
  virtual bool OnBeforeNavigate2(DISPPARAMS& params);

 protected:
  // The application's commands; the player has none.
  virtual void OnAppCmd(const std::wstring& command);

 private:
  // True (and the command handed on) when `address` is an application command.
  bool TakeApplicationCommand(const std::wstring& address);

  win::ComPtr<win::ControlSite> site_;
};

class CWebFrame : public win::Window {
 public:
  ~CWebFrame() override;

  // The frame over `rect` of `parent`, with the browser inside it. True when the frame exists,
  // even if the browser could not be created (`view().GetSafeHwnd()` tells).
  bool Create(HWND parent, const RECT& rect, UINT id);
  CHtmlCtrl& view() { return view_; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void FitView();

  CHtmlCtrl view_;
};

}  // namespace zp::player
