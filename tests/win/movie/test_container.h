// A minimal control container for the movie control tests: a top-level host window, a site
// that lets the control activate in place inside it, and an event sink that records events.
#pragma once

#include <ocidl.h>
#include <oleidl.h>
#include <windows.h>
#include <wrl/client.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/com_implementation.h"
#include "movie_test_support.h"

namespace zp::test {

using Microsoft::WRL::ComPtr;

// Dispatches window messages for `ms` milliseconds (for "nothing happens" checks).
void PumpFor(DWORD ms);

struct RecordedEvent {
  DISPID id;
  std::vector<std::wstring> strings;  // string arguments in declaration order
  LONG number = 0;                    // the first integer argument
};

class EventSink final : public IDispatch {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override;

  std::vector<RecordedEvent> events;
  std::function<void(const RecordedEvent&)> onEvent;  // runs after recording, may call back

 private:
  ULONG references_ = 1;
};

class TestContainer final : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame {
 public:
  TestContainer();
  ~TestContainer();

  // Creates the control by class, activates it in place over the host window's client area
  // and connects the event sink.
  HRESULT CreateControl(const CLSID& clsid, int width = 200, int height = 200);
  void DestroyControl();

  HWND host() const { return host_; }
  HWND controlWindow() const;
  IDispatch* dispatch() const { return dispatch_.Get(); }
  IUnknown* control() const { return control_.Get(); }
  EventSink& sink() { return *sink_; }

  // Automation shorthands; each returns the HRESULT and the result in `out` when given.
  HRESULT Get(DISPID id, VARIANT* out);
  HRESULT Put(DISPID id, VARIANT value);
  HRESULT Call(DISPID id, std::vector<VARIANT> arguments, VARIANT* out = nullptr);
  HRESULT PutString(DISPID id, const std::wstring& text);
  LONG GetLong(DISPID id);
  bool GetBool(DISPID id);
  LONG CallLong(DISPID id);
  bool CallBool(DISPID id);
  std::wstring GetString(DISPID id);

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }  // lives on the stack of the test
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  // IOleClientSite
  STDMETHODIMP SaveObject() override { return S_OK; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP GetContainer(IOleContainer** out) override;
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
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
  STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

  // IOleInPlaceFrame (also its IOleInPlaceUIWindow part); given out only when `offerFrame`.
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

  bool offerFrame = false;
  ComPtr<IOleInPlaceActiveObject> activeObject;  // what the control handed the frame
  int inPlaceActivations = 0;
  int inPlaceDeactivations = 0;

 private:
  HWND host_ = nullptr;
  RECT area_{};
  ComPtr<IUnknown> control_;
  ComPtr<IDispatch> dispatch_;
  ComPtr<IOleObject> oleObject_;
  ComPtr<IConnectionPoint> connectionPoint_;
  DWORD cookie_ = 0;
  EventSink* sink_;
};

// VARIANT makers.
VARIANT Long(LONG v);
VARIANT Bool(bool v);
VARIANT Str(const std::wstring& v);  // the caller's VARIANT owns a BSTR; Call/Put clear it

}  // namespace zp::test
