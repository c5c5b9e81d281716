// Hosting controls that run without a window of their own: the container is a window of ours
// that draws them (through IViewObject::Draw into any device context it chooses) and routes
// mouse and keyboard input to them; each control sits in a `WindowlessSite`, which extends the
// standard site with IOleInPlaceSiteWindowless.
//
// A windowless site has no window handle at all: nothing stands in for one. Sites that a
// control activates with a window of its own behave as standard sites.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/control_site.h"

namespace zp::win {

class WindowlessContainer;

class WindowlessSite : public ControlSite {
 public:
  static ComPtr<WindowlessSite> Make();

  // Joins the container before the control is created; the container outlives its sites.
  void SetContainer(WindowlessContainer* container) { container_ = container; }
  // A control created hidden is activated out of sight and hidden at once.
  void SetVisible(bool visible) { style_ = visible ? WS_VISIBLE : 0; }
  bool visible() const { return (style_ & WS_VISIBLE) != 0; }
  bool windowless() const { return (activationFlags_ & ACTIVATE_WINDOWLESS) != 0; }
  void Destroy() override;

  // Draws the control into `hdc` over the site's rectangle; only a visible windowless site.
  void DrawWindowless(HDC hdc);
  // Hands the message to the control; true when it handled it.
  bool ForwardWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  // What hosting code asks of a control's window, answered without one when the control has
  // none: the style the site keeps (with the control's Enabled, BorderStyle and Appearance
  // properties standing for the disabled, border and client-edge bits), its place in the host,
  // its visibility and the focus. A windowed control's own window takes part as well.
  DWORD GetStyle() const;
  DWORD GetExStyle() const;
  void ModifyStyle(DWORD remove, DWORD add);
  void ModifyStyleEx(DWORD remove, DWORD add);
  // The system's SWP_ flags; the rectangle is in host client coordinates.
  void SetWindowPos(HWND after, int x, int y, int width, int height, UINT flags);
  // SW_HIDE, SW_SHOWNORMAL, SW_SHOWNOACTIVATE and SW_SHOW; whether the control was visible.
  bool ShowWindow(int command);
  // The window that had the focus.
  HWND SetFocus();

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;

 protected:
  WindowlessSite() = default;
  HRESULT Activate() override;

 private:
  HWND host() const { return parent(); }
  RECT Clipped(LPCRECT rect) const;
  HRESULT Holds(HWND holder, WindowlessSite* WindowlessContainer::*record) const;
  HRESULT Take(bool take, WindowlessSite* WindowlessContainer::*record, HWND(WINAPI* give)(HWND),
               HWND(WINAPI* holder)(), void (*letGo)());

  // IOleInPlaceSiteWindowless, with the in-place site methods it extends, on an object of its
  // own: the site's standard IOleInPlaceSite stays what it is for windowed controls.
  class WindowlessInterface final : public IOleInPlaceSiteWindowless {
   public:
    explicit WindowlessInterface(WindowlessSite& site) : site_(site) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override { return site_.QueryInterface(iid, out); }
    STDMETHODIMP_(ULONG) AddRef() override { return site_.AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return site_.Release(); }
    // IOleWindow, IOleInPlaceSite
    STDMETHODIMP GetWindow(HWND* window) override { return site_.GetWindow(window); }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override { return OnInPlaceActivateEx(nullptr, 0); }
    STDMETHODIMP OnUIActivate() override { return site_.OnUIActivate(); }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                  LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
      return site_.GetWindowContext(frame, document, position, clip, info);
    }
    STDMETHODIMP Scroll(SIZE) override { return S_FALSE; }
    STDMETHODIMP OnUIDeactivate(BOOL undoable) override { return site_.OnUIDeactivate(undoable); }
    STDMETHODIMP OnInPlaceDeactivate() override { return OnInPlaceDeactivateEx(TRUE); }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override;
    STDMETHODIMP OnPosRectChange(LPCRECT position) override;
    // IOleInPlaceSiteEx
    STDMETHODIMP OnInPlaceActivateEx(BOOL* noRedraw, DWORD flags) override;
    STDMETHODIMP OnInPlaceDeactivateEx(BOOL noRedraw) override;
    STDMETHODIMP RequestUIActivate() override { return S_OK; }
    // IOleInPlaceSiteWindowless
    STDMETHODIMP CanWindowlessActivate() override;
    STDMETHODIMP GetCapture() override;
    STDMETHODIMP SetCapture(BOOL capture) override;
    STDMETHODIMP GetFocus() override;
    STDMETHODIMP SetFocus(BOOL focus) override;
    STDMETHODIMP GetDC(LPCRECT rect, DWORD flags, HDC* dc) override;
    STDMETHODIMP ReleaseDC(HDC dc) override;
    STDMETHODIMP InvalidateRect(LPCRECT rect, BOOL erase) override;
    STDMETHODIMP InvalidateRgn(HRGN region, BOOL erase) override;
    STDMETHODIMP ScrollRect(INT dx, INT dy, LPCRECT scroll, LPCRECT clip) override;
    STDMETHODIMP AdjustRect(LPRECT) override { return S_OK; }
    STDMETHODIMP OnDefWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

   private:
    WindowlessSite& site_;
  };

  WindowlessInterface windowlessInterface_{*this};
  WindowlessContainer* container_ = nullptr;
  ComPtr<IOleInPlaceObjectWindowless> windowlessObject_;
  DWORD activationFlags_ = 0;
  // The style bits the site keeps for its control (before activation: the style asked for),
  // and which of them it keeps.
  DWORD style_ = WS_VISIBLE;
  DWORD styleMask_ = WS_TABSTOP | WS_GROUP;
};

// The window that holds windowless controls: it owns their sites, draws them on request and
// routes the mouse and keyboard to them (the control under the cursor, or the one holding the
// capture or the focus). Lives on the window's thread, as long as the window or shorter.
class WindowlessContainer {
 public:
  explicit WindowlessContainer(HWND host);
  ~WindowlessContainer();
  WindowlessContainer(const WindowlessContainer&) = delete;
  WindowlessContainer& operator=(const WindowlessContainer&) = delete;

  HWND host() const { return host_; }
  // Creates the control over `position` (host client coordinates) through the installed
  // container manager; null on failure, with `error` set.
  ComPtr<ControlSite> CreateControl(const CLSID& clsid, const RECT& position, bool visible, HRESULT* error = nullptr);
  void DestroyAll();

  void DrawWindowlessControls(HDC hdc);
  // Mouse and keyboard messages of the host window for its windowless controls.
  bool OnWindowlessMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // The first visible windowless site whose rectangle holds the point.
  WindowlessSite* WindowlessSiteFromPoint(POINT point) const;

  bool windowlessAllowed = true;
  WindowlessSite* captureSite = nullptr;
  WindowlessSite* focusSite = nullptr;
  void Forget(WindowlessSite* site);

 private:
  static LRESULT CALLBACK WindowlessWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                            DWORD_PTR self);

  HWND host_;
  bool subclassed_ = false;
  std::vector<ComPtr<ControlSite>> sites_;
};

// The manager start-up installs for transparent documents: its sites can host windowless
// controls.
class WindowlessContainerManager : public ControlContainerManager {
 public:
  ComPtr<ControlSite> MakeSite() override;
};

}  // namespace zp::win
