#include "framework/windowless_site.h"

#include <commctrl.h>
#include <olectl.h>

#include <algorithm>

#include "framework/variant.h"

namespace zp::win {
namespace {

// Where a hidden control is activated, so that it never shows before it is hidden.
constexpr int kOutOfSight = -32000;

bool IsKeyboardMessage(UINT message) {
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || message == WM_HELP || message == WM_CANCELMODE;
}

bool IsMouseMessage(UINT message) {
  return (message >= WM_MOUSEFIRST && message <= WM_MBUTTONDBLCLK) || message == WM_SETCURSOR;
}

}  // namespace

ComPtr<WindowlessSite> WindowlessSite::Make() {
  ComPtr<WindowlessSite> site;
  site.Attach(new WindowlessSite());
  return site;
}

STDMETHODIMP WindowlessSite::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite || iid == IID_IOleInPlaceSiteEx ||
      iid == IID_IOleInPlaceSiteWindowless) {
    *out = static_cast<IOleInPlaceSiteWindowless*>(&windowlessInterface_);
    AddRef();
    return S_OK;
  }
  return ControlSite::QueryInterface(iid, out);
}

HRESULT WindowlessSite::Activate() {
  ComPtr<WindowlessSite> keep(this);
  DWORD status = 0;
  oleObject_->GetMiscStatus(DVASPECT_CONTENT, &status);
  // A button-like control keeps the default-button bit; one invisible at run time is never shown.
  if (status & OLEMISC_ACTSLIKEBUTTON) styleMask_ |= BS_DEFPUSHBUTTON;
  if (status & OLEMISC_INVISIBLEATRUNTIME) style_ &= ~WS_VISIBLE;
  const DWORD requested = style_;
  style_ &= styleMask_;
  HRESULT hr = S_OK;
  if (requested & WS_VISIBLE) {
    hr = oleObject_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, parent_, &position_);
  } else {
    const RECT wanted = position_;
    OffsetRect(&position_, kOutOfSight, kOutOfSight);
    hr = oleObject_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, parent_, &position_);
    if (SUCCEEDED(hr)) oleObject_->DoVerb(OLEIVERB_HIDE, nullptr, this, 0, parent_, &position_);
    position_ = wanted;
    if (SUCCEEDED(hr) && inPlaceObject()) inPlaceObject()->SetObjectRects(&position_, &position_);
  }
  if (FAILED(hr)) return hr;
  if (windowless()) {
    // Without a window the site is what knows whether the control shows.
    styleMask_ |= WS_VISIBLE;
    style_ |= requested & WS_VISIBLE;
    if (inPlaceObject()) inPlaceObject()->QueryInterface(IID_PPV_ARGS(&windowlessObject_));
  }
  return S_OK;
}

void WindowlessSite::Destroy() {
  ComPtr<WindowlessSite> keep(this);
  if (container_) container_->Forget(this);
  windowlessObject_.Reset();
  ControlSite::Destroy();
}

RECT WindowlessSite::Clipped(LPCRECT rect) const {
  RECT area = position();
  if (rect && !IntersectRect(&area, &area, rect)) SetRectEmpty(&area);
  return area;
}

void WindowlessSite::DrawWindowless(HDC hdc) {
  if (!windowless() || !visible() || !control()) return;
  ComPtr<IViewObject> view;
  if (FAILED(control()->QueryInterface(IID_PPV_ARGS(&view)))) return;
  const RECT& area = position();
  const RECTL bounds{area.left, area.top, area.right, area.bottom};
  // Window bounds mean something only to a metafile.
  RECTL windowBounds{};
  const DWORD type = GetObjectType(hdc);
  const bool metafile = type == OBJ_METADC || type == OBJ_ENHMETADC;
  if (metafile) {
    POINT origin{};
    SIZE extent{};
    GetWindowOrgEx(hdc, &origin);
    GetWindowExtEx(hdc, &extent);
    windowBounds = {origin.x, origin.y, origin.x + extent.cx, origin.y + extent.cy};
  }
  view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, hdc, &bounds, metafile ? &windowBounds : nullptr,
             nullptr, 0);
}

bool WindowlessSite::ForwardWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (!windowlessObject_) return false;
  ComPtr<WindowlessSite> keep(this);
  return windowlessObject_->OnWindowMessage(message, wParam, lParam, &result) == S_OK;
}

// ---- the window-like operations -------------------------------------------------------------

namespace {

// The control's stock properties that stand for style bits.
constexpr DISPID kEnabledProperty = DISPID_ENABLED;
constexpr DISPID kBorderStyleProperty = DISPID_BORDERSTYLE;
constexpr DISPID kAppearanceProperty = DISPID_APPEARANCE;

}  // namespace

DWORD WindowlessSite::GetStyle() const {
  DWORD style = style_;
  if (HWND window = controlWindow()) style |= static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)) & WS_VISIBLE;
  if (GetBoolProperty(dispatch(), kEnabledProperty) == false) style |= WS_DISABLED;
  if (GetLongProperty(dispatch(), kBorderStyleProperty) == 1) style |= WS_BORDER;
  return style;
}

DWORD WindowlessSite::GetExStyle() const {
  HWND window = controlWindow();
  DWORD style = window ? static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)) : 0;
  if (GetLongProperty(dispatch(), kAppearanceProperty) == 1) style |= WS_EX_CLIENTEDGE;
  return style;
}

void WindowlessSite::ModifyStyle(DWORD remove, DWORD add) {
  if ((remove | add) & WS_DISABLED) PutProperty(dispatch(), kEnabledProperty, Variant::Bool((add & WS_DISABLED) == 0));
  if ((remove | add) & WS_BORDER) PutProperty(dispatch(), kBorderStyleProperty, Variant::Long((add & WS_BORDER) ? 1 : 0));
  remove &= ~(WS_DISABLED | WS_BORDER);
  add &= ~(WS_DISABLED | WS_BORDER);
  style_ = (add | (style_ & ~remove)) & styleMask_;
  if (HWND window = controlWindow()) {
    const LONG_PTR now = GetWindowLongPtrW(window, GWL_STYLE);
    SetWindowLongPtrW(window, GWL_STYLE, (now & ~static_cast<LONG_PTR>(remove)) | add);
  }
}

void WindowlessSite::ModifyStyleEx(DWORD remove, DWORD add) {
  if ((remove | add) & WS_EX_CLIENTEDGE) {
    PutProperty(dispatch(), kAppearanceProperty, Variant::Long((add & WS_EX_CLIENTEDGE) ? 1 : 0));
  }
  remove &= ~WS_EX_CLIENTEDGE;
  add &= ~WS_EX_CLIENTEDGE;
  if (HWND window = controlWindow()) {
    const LONG_PTR now = GetWindowLongPtrW(window, GWL_EXSTYLE);
    SetWindowLongPtrW(window, GWL_EXSTYLE, (now & ~static_cast<LONG_PTR>(remove)) | add);
  }
}

void WindowlessSite::SetWindowPos(HWND after, int x, int y, int width, int height, UINT flags) {
  if (flags & SWP_HIDEWINDOW) ShowWindow(SW_HIDE);
  if ((flags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE)) {
    const RECT now = position();
    const int left = (flags & SWP_NOMOVE) ? now.left : x, top = (flags & SWP_NOMOVE) ? now.top : y;
    const int w = (flags & SWP_NOSIZE) ? now.right - now.left : width;
    const int h = (flags & SWP_NOSIZE) ? now.bottom - now.top : height;
    SetPosition(RECT{left, top, left + w, top + h});
    if (windowless() && !(flags & SWP_NOREDRAW)) {
      RECT both{};
      UnionRect(&both, &now, &position());
      ::InvalidateRect(host(), &both, FALSE);
    }
  }
  if (flags & SWP_SHOWWINDOW) ShowWindow(SW_SHOWNA);
  // What the system still has to do for a window: its place in the z-order and the frame.
  if (HWND window = controlWindow()) {
    ::SetWindowPos(window, after, x, y, width, height,
                   (flags | SWP_NOMOVE | SWP_NOSIZE) & ~(SWP_SHOWWINDOW | SWP_HIDEWINDOW));
  }
}

bool WindowlessSite::ShowWindow(int command) {
  HWND window = controlWindow();
  const bool wasVisible = window ? IsWindowVisible(window) != FALSE : visible();
  LONG verb = 0;
  switch (command) {
    case SW_HIDE: verb = OLEIVERB_HIDE; break;
    case SW_SHOWNORMAL:
    case SW_SHOWNOACTIVATE:
    case SW_SHOW: verb = OLEIVERB_SHOW; break;
    default: return wasVisible;
  }
  if (!window) {
    style_ = verb == OLEIVERB_HIDE ? (style_ & ~WS_VISIBLE) : (style_ | WS_VISIBLE);
    ::InvalidateRect(host(), &position(), FALSE);
  }
  if (oleObject_) oleObject_->DoVerb(verb, nullptr, this, 0, host(), &position());
  return wasVisible;
}

HWND WindowlessSite::SetFocus() {
  HWND had = ::GetFocus();
  DWORD status = 0;
  if (oleObject_) oleObject_->GetMiscStatus(DVASPECT_CONTENT, &status);
  HWND window = controlWindow();
  if (!window || !(status & OLEMISC_NOUIACTIVATE)) {
    if (oleObject_) oleObject_->DoVerb(OLEIVERB_UIACTIVATE, nullptr, this, 0, host(), &position());
  } else {
    ::SetFocus(window);
  }
  return had;
}

// ---- the windowless in-place site ----------------------------------------------------------

STDMETHODIMP WindowlessSite::WindowlessInterface::DeactivateAndUndo() {
  if (site_.inPlaceObject()) site_.inPlaceObject()->UIDeactivate();
  return S_OK;
}

STDMETHODIMP WindowlessSite::WindowlessInterface::OnPosRectChange(LPCRECT position) {
  if (!position) return E_POINTER;
  site_.position_ = *position;
  if (!site_.inPlaceObject()) return S_OK;
  RECT client{};
  GetClientRect(site_.host(), &client);
  return site_.inPlaceObject()->SetObjectRects(&site_.position_, &client);
}

STDMETHODIMP WindowlessSite::WindowlessInterface::OnInPlaceActivateEx(BOOL* noRedraw, DWORD flags) {
  site_.activationFlags_ = flags;
  if (noRedraw) *noRedraw = FALSE;
  return site_.ControlSite::OnInPlaceActivate();
}

STDMETHODIMP WindowlessSite::WindowlessInterface::OnInPlaceDeactivateEx(BOOL) {
  site_.activationFlags_ = 0;
  site_.windowlessObject_.Reset();
  if (site_.container_) site_.container_->Forget(&site_);
  return site_.ControlSite::OnInPlaceDeactivate();
}

STDMETHODIMP WindowlessSite::WindowlessInterface::CanWindowlessActivate() {
  return site_.container_ && site_.container_->windowlessAllowed ? S_OK : E_FAIL;
}

// Capture and focus work alike: a windowless site holds them through the host window and the
// container's record of which site it is; a windowed site through its own window.
HRESULT WindowlessSite::Holds(HWND holder, WindowlessSite* WindowlessContainer::*record) const {
  if (!holder) return S_FALSE;
  if (!windowless()) return holder == controlWindow() ? S_OK : S_FALSE;
  return holder == host() && container_ && container_->*record == this ? S_OK : S_FALSE;
}

HRESULT WindowlessSite::Take(bool take, WindowlessSite* WindowlessContainer::*record, HWND(WINAPI* give)(HWND),
                             HWND(WINAPI* holder)(), void (*letGo)()) {
  if (take) {
    if (windowless()) {
      if (container_) container_->*record = this;
      give(host());
    } else if (HWND window = controlWindow()) {
      give(window);
    }
    return S_OK;
  }
  if (Holds(holder(), record) == S_OK) letGo();
  if (container_ && container_->*record == this) container_->*record = nullptr;
  return S_OK;
}

STDMETHODIMP WindowlessSite::WindowlessInterface::GetCapture() {
  return site_.Holds(::GetCapture(), &WindowlessContainer::captureSite);
}

STDMETHODIMP WindowlessSite::WindowlessInterface::SetCapture(BOOL capture) {
  return site_.Take(capture, &WindowlessContainer::captureSite, ::SetCapture, ::GetCapture, [] { ReleaseCapture(); });
}

STDMETHODIMP WindowlessSite::WindowlessInterface::GetFocus() {
  return site_.Holds(::GetFocus(), &WindowlessContainer::focusSite);
}

STDMETHODIMP WindowlessSite::WindowlessInterface::SetFocus(BOOL focus) {
  return site_.Take(focus, &WindowlessContainer::focusSite, ::SetFocus, ::GetFocus, [] { ::SetFocus(nullptr); });
}

STDMETHODIMP WindowlessSite::WindowlessInterface::GetDC(LPCRECT rect, DWORD flags, HDC* dc) {
  if (!dc) return E_POINTER;
  *dc = nullptr;
  // Off-screen drawing is not offered: the control then draws when it is asked to.
  if (flags & OLEDC_OFFSCREEN) return E_FAIL;
  HDC context = ::GetDC(site_.host());
  if (!context) return E_FAIL;
  if (!(flags & OLEDC_NODRAW)) {
    const RECT area = site_.Clipped(rect);
    IntersectClipRect(context, area.left, area.top, area.right, area.bottom);
    if (flags & OLEDC_PAINTBKGND) SendMessageW(site_.host(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(context), 0);
  }
  *dc = context;
  return S_OK;
}

STDMETHODIMP WindowlessSite::WindowlessInterface::ReleaseDC(HDC dc) {
  ::ReleaseDC(site_.host(), dc);
  return S_OK;
}

STDMETHODIMP WindowlessSite::WindowlessInterface::InvalidateRect(LPCRECT rect, BOOL erase) {
  const RECT area = site_.Clipped(rect);
  if (!IsRectEmpty(&area)) ::InvalidateRect(site_.host(), &area, erase);
  return S_OK;
}

STDMETHODIMP WindowlessSite::WindowlessInterface::InvalidateRgn(HRGN region, BOOL erase) {
  if (!region) return InvalidateRect(nullptr, erase);
  HRGN area = CreateRectRgnIndirect(&site_.position());
  if (!area) return E_OUTOFMEMORY;
  if (CombineRgn(area, area, region, RGN_AND) != NULLREGION) ::InvalidateRgn(site_.host(), area, erase);
  DeleteObject(area);
  return S_OK;
}

STDMETHODIMP WindowlessSite::WindowlessInterface::ScrollRect(INT, INT, LPCRECT scroll, LPCRECT) {
  // Nothing is scrolled: the area is drawn again, at once.
  ::InvalidateRect(site_.host(), scroll, TRUE);
  UpdateWindow(site_.host());
  return S_OK;
}

STDMETHODIMP WindowlessSite::WindowlessInterface::OnDefWindowMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                                                     LRESULT* result) {
  if (message == WM_SETCURSOR || message == WM_HELP || message == WM_CONTEXTMENU) return S_FALSE;
  if (message == WM_LBUTTONDOWN) return SetFocus(TRUE);
  const LRESULT answer = DefWindowProcW(site_.host(), message, wParam, lParam);
  if (result) *result = answer;
  return S_OK;
}

// ---- the container -------------------------------------------------------------------------

WindowlessContainer::WindowlessContainer(HWND host) : host_(host) {}

WindowlessContainer::~WindowlessContainer() { DestroyAll(); }

ComPtr<ControlSite> WindowlessContainer::CreateControl(const CLSID& clsid, const RECT& position, bool visible,
                                                       HRESULT* error) {
  ComPtr<ControlSite> site = ControlContainerManager::Current().MakeSite();
  auto* windowlessSite = dynamic_cast<WindowlessSite*>(site.Get());
  if (windowlessSite) {
    windowlessSite->SetContainer(this);
    windowlessSite->SetVisible(visible);
  }
  const HRESULT hr = site ? site->CreateControl(clsid, host_, position) : E_OUTOFMEMORY;
  if (error) *error = hr;
  if (FAILED(hr)) return nullptr;
  sites_.push_back(site);
  // The first windowless control brings the routing of the host window's input.
  if (windowlessSite && windowlessSite->windowless() && !subclassed_) {
    subclassed_ = SetWindowSubclass(host_, WindowlessWndProc, 0, reinterpret_cast<DWORD_PTR>(this)) != FALSE;
  }
  return site;
}

void WindowlessContainer::DestroyAll() {
  auto sites = std::move(sites_);
  for (auto& site : sites) site->Destroy();
  captureSite = focusSite = nullptr;
  if (subclassed_) RemoveWindowSubclass(host_, WindowlessWndProc, 0);
  subclassed_ = false;
}

void WindowlessContainer::Forget(WindowlessSite* site) {
  if (captureSite == site) captureSite = nullptr;
  if (focusSite == site) focusSite = nullptr;
}

void WindowlessContainer::DrawWindowlessControls(HDC hdc) {
  for (const auto& site : sites_) {
    if (auto* windowless = dynamic_cast<WindowlessSite*>(site.Get())) windowless->DrawWindowless(hdc);
  }
}

WindowlessSite* WindowlessContainer::WindowlessSiteFromPoint(POINT point) const {
  for (const auto& site : sites_) {
    auto* windowless = dynamic_cast<WindowlessSite*>(site.Get());
    if (windowless && windowless->windowless() && windowless->visible() && PtInRect(&windowless->position(), point)) {
      return windowless;
    }
  }
  return nullptr;
}

bool WindowlessContainer::OnWindowlessMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  // Capture taken away (another window, Alt-Tab, a menu): later mouse messages go by position.
  if (message == WM_CAPTURECHANGED && reinterpret_cast<HWND>(lParam) != host_) captureSite = nullptr;
  WindowlessSite* target = nullptr;
  if (IsKeyboardMessage(message)) {
    target = focusSite;
  } else if (IsMouseMessage(message)) {
    target = captureSite;
    if (!target) {
      POINT cursor{};
      if (message == WM_SETCURSOR) {
        GetCursorPos(&cursor);
        ScreenToClient(host_, &cursor);
      } else {
        cursor = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      }
      target = WindowlessSiteFromPoint(cursor);
    }
  }
  return target && target->ForwardWindowMessage(message, wParam, lParam, result);
}

LRESULT CALLBACK WindowlessContainer::WindowlessWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                                       UINT_PTR, DWORD_PTR self) {
  LRESULT result = 0;
  if (reinterpret_cast<WindowlessContainer*>(self)->OnWindowlessMessage(message, wParam, lParam, result)) {
    return result;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

ComPtr<ControlSite> WindowlessContainerManager::MakeSite() { return WindowlessSite::Make(); }

}  // namespace zp::win
