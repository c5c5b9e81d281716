// Hosts one ActiveX control as a child window: creates it by class (init-new, nothing
// persisted), acts as its client site, control site, in-place site and frame, answers ambient
// properties, routes the control's events by DISPID to the owner, and offers the control the
// keys meant for it before the dialog's own key handling (OfferKey).
//
// The site is a COM object: the control holds references to it, so it is created with
// `ControlSite::Make` and lives as long as the last reference. `Destroy` breaks the cycle. A
// windowless site (transparent mode) derives from it and overrides the activation.
#pragma once

#include <ocidl.h>
#include <oleidl.h>
#include <windows.h>
#include <wrl/client.h>

#include <functional>
#include <memory>

#include "framework/com_implementation.h"

namespace zp::win {

using Microsoft::WRL::ComPtr;

// Receives the control's events. Returns true when it handled the event.
using ControlEventHandler = std::function<bool(DISPID id, DISPPARAMS& params)>;

class ControlSite : public IOleClientSite,
                    public IOleControlSite,
                    public IOleInPlaceSite,
                    public IOleInPlaceFrame,
                    public IDispatch {
 public:
  static ComPtr<ControlSite> Make();
  virtual ~ControlSite();

  // Gives a keyboard message to the in-place active object of the windowed control it is meant
  // for (the control's window or a child of it); true when the control took it. The modal loop
  // asks this after its pre-translation walk and before the system's dialog keys.
  static bool OfferKey(MSG& message);

  // Creates the control as a child of `parent` over `position` (parent client coordinates)
  // and activates it in place. Fails when the class is not registered or will not activate.
  virtual HRESULT CreateControl(const CLSID& clsid, HWND parent, const RECT& position, UINT controlId = 0);
  // Deactivates and closes the control and lets it go; safe to call twice.
  virtual void Destroy();

  void SetEventHandler(ControlEventHandler handler) { eventHandler_ = std::move(handler); }
  void SetPosition(const RECT& position);

  bool created() const { return control_ != nullptr; }
  IDispatch* dispatch() const { return dispatch_.Get(); }
  IUnknown* control() const { return control_.Get(); }
  HWND controlWindow() const;
  HWND parent() const { return parent_; }
  const RECT& position() const { return position_; }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
  STDMETHODIMP_(ULONG) Release() override;
  // IOleClientSite
  STDMETHODIMP SaveObject() override { return S_OK; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** out) override;
  STDMETHODIMP GetContainer(IOleContainer** out) override;
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
  // IOleControlSite: no extended control, property frames or accelerators of the container's.
  STDMETHODIMP OnControlInfoChanged() override { return S_OK; }
  STDMETHODIMP LockInPlaceActive(BOOL) override { return S_OK; }
  STDMETHODIMP GetExtendedControl(IDispatch** out) override;
  STDMETHODIMP TransformCoords(POINTL* himetric, POINTF* container, DWORD flags) override;
  STDMETHODIMP TranslateAccelerator(MSG*, DWORD) override { return S_FALSE; }
  STDMETHODIMP OnFocus(BOOL) override { return S_OK; }
  STDMETHODIMP ShowPropertyFrame() override { return E_NOTIMPL; }
  // IOleWindow / IOleInPlaceSite
  STDMETHODIMP GetWindow(HWND* window) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnInPlaceActivate() override;
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                LPRECT clip, LPOLEINPLACEFRAMEINFO info) override;
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override;
  STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
  STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
  STDMETHODIMP OnPosRectChange(LPCRECT position) override;
  // IOleInPlaceUIWindow / IOleInPlaceFrame: no tool space, menus or status line.
  STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) override;
  STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
  STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
  STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }
  // IDispatch: the ambient properties.
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                      UINT*) override;

  // The control's events arrive here (through the sink) and go to the handler.
  bool RaiseEvent(DISPID id, DISPPARAMS& params);

 protected:
  ControlSite();
  // Activates the created control; the windowless site overrides this.
  virtual HRESULT Activate();
  IOleInPlaceObject* inPlaceObject() const { return inPlaceObject_.Get(); }
  ComPtr<IOleObject> oleObject_;
  RECT position_{};
  HWND parent_ = nullptr;

 private:
  HRESULT ConnectEvents();
  // Whether a keyboard message is meant for this site's windowed control.
  bool IsKeyForControl(const MSG& message) const;

  ULONG references_ = 1;
  ComPtr<IUnknown> control_;
  ComPtr<IDispatch> dispatch_;
  ComPtr<IOleInPlaceObject> inPlaceObject_;
  ComPtr<IOleInPlaceActiveObject> activeObject_;
  ComPtr<IConnectionPoint> connectionPoint_;
  ComPtr<IDispatch> sink_;
  DWORD cookie_ = 0;
  ControlEventHandler eventHandler_;
  const COLORREF ambientBackColor_ = GetSysColor(COLOR_WINDOW);  // the system's window colour
  UINT controlId_ = 0;
  bool inPlaceActive_ = false;
};

// Which kind of site start-up installed: the standard one, or the extended one that can also
// host windowless controls. Hosting code asks here rather than naming a class.
class ControlContainerManager {
 public:
  virtual ~ControlContainerManager() = default;
  virtual ComPtr<ControlSite> MakeSite() { return ControlSite::Make(); }

  static ControlContainerManager& Current();
  // Takes ownership; null restores the standard manager.
  static void Install(std::unique_ptr<ControlContainerManager> manager);
};

}  // namespace zp::win
