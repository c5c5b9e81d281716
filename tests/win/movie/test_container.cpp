#include "test_container.h"

#include <windows.h>
#include <oleauto.h>

namespace zp::test {

void PumpFor(DWORD ms) {
  PumpUntil([] { return false; }, ms);
}

VARIANT Long(LONG v) {
  VARIANT r;
  VariantInit(&r);
  r.vt = VT_I4;
  r.lVal = v;
  return r;
}

VARIANT Bool(bool v) {
  VARIANT r;
  VariantInit(&r);
  r.vt = VT_BOOL;
  r.boolVal = v ? VARIANT_TRUE : VARIANT_FALSE;
  return r;
}

VARIANT Str(const std::wstring& v) {
  VARIANT r;
  VariantInit(&r);
  r.vt = VT_BSTR;
  r.bstrVal = SysAllocStringLen(v.data(), static_cast<UINT>(v.size()));
  return r;
}

// ---- EventSink ------------------------------------------------------------------------------

STDMETHODIMP EventSink::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (iid == IID_IUnknown || iid == IID_IDispatch) {
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) EventSink::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

STDMETHODIMP EventSink::GetTypeInfoCount(UINT* count) {
  if (count) *count = 0;
  return S_OK;
}

STDMETHODIMP EventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) {
  RecordedEvent event{id, {}, 0};
  if (params) {
    // Arguments arrive last first; read each by its type.
    for (UINT i = params->cArgs; i-- > 0;) {
      const VARIANT& v = params->rgvarg[i];
      if (v.vt == VT_BSTR) {
        event.strings.emplace_back(v.bstrVal ? v.bstrVal : L"");
      } else if (v.vt == VT_I4) {
        event.number = v.lVal;
      }
    }
  }
  events.push_back(event);
  if (onEvent) onEvent(events.back());
  return S_OK;
}

// ---- TestContainer --------------------------------------------------------------------------

namespace {

constexpr wchar_t kHostClass[] = L"ZpMovieTestHost";

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

TestContainer::TestContainer() : sink_(new EventSink) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = HostProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kHostClass;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  RegisterClassExW(&wc);
  host_ = CreateWindowExW(WS_EX_TOPMOST, kHostClass, L"movie test host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 10,
                          10, 400, 300, nullptr, nullptr, wc.hInstance, nullptr);
}

TestContainer::~TestContainer() {
  DestroyControl();
  if (host_) DestroyWindow(host_);
  sink_->Release();
}

HRESULT TestContainer::CreateControl(const CLSID& clsid, int width, int height) {
  HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                reinterpret_cast<void**>(control_.GetAddressOf()));
  if (FAILED(hr)) return hr;
  if (FAILED(hr = control_.As(&dispatch_)) || FAILED(hr = control_.As(&oleObject_))) return hr;
  MoveWindow(host_, 10, 10, width, height, TRUE);
  GetClientRect(host_, &area_);
  // The order a real container follows: client site first, init-new, then activation.
  if (FAILED(hr = oleObject_->SetClientSite(this))) return hr;
  ComPtr<IPersistStreamInit> persist;
  if (SUCCEEDED(control_.As(&persist))) persist->InitNew();
  ComPtr<IConnectionPointContainer> points;
  if (FAILED(hr = control_.As(&points))) return hr;
  ComPtr<IProvideClassInfo2> classInfo;
  GUID events{};
  if (FAILED(hr = control_.As(&classInfo)) || FAILED(hr = classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events))) {
    return hr;
  }
  if (FAILED(hr = points->FindConnectionPoint(events, &connectionPoint_))) return hr;
  if (FAILED(hr = connectionPoint_->Advise(static_cast<IDispatch*>(sink_), &cookie_))) return hr;
  return oleObject_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, host_, &area_);
}

void TestContainer::DestroyControl() {
  if (!control_) return;
  ComPtr<IOleInPlaceObject> inPlace;
  if (SUCCEEDED(control_.As(&inPlace))) inPlace->InPlaceDeactivate();
  if (connectionPoint_ && cookie_) connectionPoint_->Unadvise(cookie_);
  cookie_ = 0;
  connectionPoint_.Reset();
  if (oleObject_) {
    oleObject_->SetClientSite(nullptr);
    oleObject_->Close(OLECLOSE_NOSAVE);
  }
  oleObject_.Reset();
  dispatch_.Reset();
  control_.Reset();
}

HWND TestContainer::controlWindow() const {
  ComPtr<IOleInPlaceObject> inPlace;
  HWND window = nullptr;
  if (control_ && SUCCEEDED(control_.As(&inPlace))) inPlace->GetWindow(&window);
  return window;
}

STDMETHODIMP TestContainer::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
    *out = static_cast<IOleClientSite*>(this);
  } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite) {
    *out = static_cast<IOleInPlaceSite*>(this);
  } else if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame) {
    *out = static_cast<IOleInPlaceFrame*>(this);
  } else {
    return E_NOINTERFACE;
  }
  return S_OK;
}

STDMETHODIMP TestContainer::GetContainer(IOleContainer** out) {
  if (out) *out = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP TestContainer::GetWindow(HWND* window) {
  if (!window) return E_POINTER;
  *window = host_;
  return S_OK;
}

STDMETHODIMP TestContainer::SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) {
  activeObject = object;
  return S_OK;
}

STDMETHODIMP TestContainer::OnInPlaceActivate() {
  ++inPlaceActivations;
  return S_OK;
}

STDMETHODIMP TestContainer::OnInPlaceDeactivate() {
  ++inPlaceDeactivations;
  return S_OK;
}

STDMETHODIMP TestContainer::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                             LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
  // By default no frame or document window: a bare container, which the control must accept.
  if (frame) {
    *frame = offerFrame ? static_cast<IOleInPlaceFrame*>(this) : nullptr;
    if (*frame) (*frame)->AddRef();
  }
  if (document) *document = nullptr;
  if (position) *position = area_;
  if (clip) *clip = area_;
  if (info) {
    info->fMDIApp = FALSE;
    info->hwndFrame = host_;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
  }
  return S_OK;
}

HRESULT TestContainer::Get(DISPID id, VARIANT* out) {
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  VariantInit(out);
  return dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, out, nullptr, nullptr);
}

HRESULT TestContainer::Put(DISPID id, VARIANT value) {
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{&value, &named, 1, 1};
  const HRESULT hr =
      dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr);
  VariantClear(&value);
  return hr;
}

HRESULT TestContainer::PutString(DISPID id, const std::wstring& text) { return Put(id, Str(text)); }

HRESULT TestContainer::Call(DISPID id, std::vector<VARIANT> arguments, VARIANT* out) {
  std::vector<VARIANT> reversed(arguments.rbegin(), arguments.rend());
  DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  VARIANT ignored;
  VariantInit(&ignored);
  VARIANT* result = out ? out : &ignored;
  VariantInit(result);
  const HRESULT hr =
      dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result, nullptr, nullptr);
  for (VARIANT& v : reversed) VariantClear(&v);
  VariantClear(&ignored);
  return hr;
}

LONG TestContainer::GetLong(DISPID id) {
  VARIANT v;
  if (FAILED(Get(id, &v)) || v.vt != VT_I4) return -12345;
  return v.lVal;
}

bool TestContainer::GetBool(DISPID id) {
  VARIANT v;
  return SUCCEEDED(Get(id, &v)) && v.vt == VT_BOOL && v.boolVal != VARIANT_FALSE;
}

LONG TestContainer::CallLong(DISPID id) {
  VARIANT v;
  if (FAILED(Call(id, {}, &v)) || v.vt != VT_I4) return -12345;
  return v.lVal;
}

bool TestContainer::CallBool(DISPID id) {
  VARIANT v;
  return SUCCEEDED(Call(id, {}, &v)) && v.vt == VT_BOOL && v.boolVal != VARIANT_FALSE;
}

std::wstring TestContainer::GetString(DISPID id) {
  VARIANT v;
  if (FAILED(Get(id, &v)) || v.vt != VT_BSTR) return L"<error>";
  std::wstring text = v.bstrVal ? v.bstrVal : L"";
  VariantClear(&v);
  return text;
}

}  // namespace zp::test
