#include "framework/control_site.h"

#include <olectl.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace zp::win {
namespace {

constexpr float kHimetricPerInch = 2540.0f;

// The sites alive on the user-interface thread, for handing keys to the control they are for.
std::vector<ControlSite*>& LiveSites() {
  static std::vector<ControlSite*> sites;
  return sites;
}

bool IsKeyboardMessage(UINT message) { return message >= WM_KEYFIRST && message <= WM_KEYLAST; }

// The screen's pixels per inch, across and down.
POINT ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const POINT dpi{screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96, screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96};
  if (screen) ReleaseDC(nullptr, screen);
  return POINT{dpi.x > 0 ? dpi.x : 96, dpi.y > 0 ? dpi.y : 96};
}

// Forwards the control's events to its site until the site lets go. It answers both IDispatch
// and the control's own event interface, which controls ask for when connecting.
class EventSink final : public IDispatch {
 public:
  EventSink(ControlSite* site, const IID& eventsIid) : site_(site), eventsIid_(eventsIid) {}
  void Detach() { site_ = nullptr; }

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == eventsIid_) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
    if (!site_) return S_OK;
    DISPPARAMS none{};
    // The handler may destroy the site: keep it alive for the call.
    ComPtr<ControlSite> keep(site_);
    site_->RaiseEvent(id, params ? *params : none);
    return S_OK;
  }

 private:
  ControlSite* site_;
  IID eventsIid_;
  ULONG references_ = 1;
};

}  // namespace

ComPtr<ControlSite> ControlSite::Make() {
  ComPtr<ControlSite> site;
  site.Attach(new ControlSite());
  return site;
}

ControlSite::ControlSite() { LiveSites().push_back(this); }

ControlSite::~ControlSite() {
  Destroy();
  auto& sites = LiveSites();
  sites.erase(std::remove(sites.begin(), sites.end(), this), sites.end());
}

bool ControlSite::IsKeyForControl(const MSG& message) const {
  if (!activeObject_ || !IsKeyboardMessage(message.message) || !message.hwnd) return false;
  HWND window = controlWindow();
  return window && (message.hwnd == window || IsChild(window, message.hwnd));
}

bool ControlSite::OfferKey(MSG& message) {
  const auto& sites = LiveSites();
  const auto site =
      std::find_if(sites.begin(), sites.end(), [&](ControlSite* s) { return s->IsKeyForControl(message); });
  if (site == sites.end()) return false;
  // The control may close itself, and its site with it, while it looks at the key.
  ComPtr<ControlSite> keep(*site);
  ComPtr<IOleInPlaceActiveObject> active = keep->activeObject_;
  return active->TranslateAccelerator(&message) == S_OK;
}

ULONG ControlSite::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT ControlSite::CreateControl(const CLSID& clsid, HWND parent, const RECT& position, UINT controlId) {
  if (control_) return E_UNEXPECTED;
  parent_ = parent;
  position_ = position;
  controlId_ = controlId;
  ComPtr<IUnknown> control;
  HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&control));
  if (FAILED(hr)) return hr;
  control_ = control;
  if (FAILED(hr = control_.As(&oleObject_))) {
    Destroy();
    return hr;
  }
  control_.As(&dispatch_);
  DWORD miscStatus = 0;
  oleObject_->GetMiscStatus(DVASPECT_CONTENT, &miscStatus);
  if (miscStatus & OLEMISC_SETCLIENTSITEFIRST) oleObject_->SetClientSite(this);
  // A new control: nothing is persisted, so it starts from its own defaults.
  ComPtr<IPersistStreamInit> persist;
  if (SUCCEEDED(control_.As(&persist))) persist->InitNew();
  if (!(miscStatus & OLEMISC_SETCLIENTSITEFIRST)) oleObject_->SetClientSite(this);
  ConnectEvents();
  if (FAILED(hr = Activate())) {
    Destroy();
    return hr;
  }
  if (HWND window = controlWindow(); window && controlId_) SetWindowLongPtrW(window, GWLP_ID, controlId_);
  return S_OK;
}

HRESULT ControlSite::Activate() {
  ComPtr<ControlSite> keep(this);
  return oleObject_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, parent_, &position_);
}

HRESULT ControlSite::ConnectEvents() {
  ComPtr<IProvideClassInfo2> classInfo;
  IID eventsIid = IID_IDispatch;
  if (SUCCEEDED(control_.As(&classInfo))) classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &eventsIid);
  ComPtr<IConnectionPointContainer> points;
  HRESULT hr = control_.As(&points);
  if (FAILED(hr)) return hr;
  if (FAILED(hr = points->FindConnectionPoint(eventsIid, &connectionPoint_))) return hr;
  sink_.Attach(new EventSink(this, eventsIid));
  hr = connectionPoint_->Advise(sink_.Get(), &cookie_);
  if (FAILED(hr)) {
    static_cast<EventSink*>(sink_.Get())->Detach();
    sink_.Reset();
    connectionPoint_.Reset();
  }
  return hr;
}

void ControlSite::Destroy() {
  if (!control_) return;
  ComPtr<ControlSite> keep(this);  // the control's releases must not end us mid-way
  if (sink_) static_cast<EventSink*>(sink_.Get())->Detach();
  if (connectionPoint_ && cookie_) connectionPoint_->Unadvise(cookie_);
  connectionPoint_.Reset();
  sink_.Reset();
  cookie_ = 0;
  if (inPlaceObject_) inPlaceObject_->InPlaceDeactivate();
  activeObject_.Reset();
  inPlaceObject_.Reset();
  if (oleObject_) {
    oleObject_->Close(OLECLOSE_NOSAVE);
    oleObject_->SetClientSite(nullptr);
  }
  oleObject_.Reset();
  dispatch_.Reset();
  control_.Reset();
}

bool ControlSite::RaiseEvent(DISPID id, DISPPARAMS& params) { return eventHandler_ && eventHandler_(id, params); }

void ControlSite::SetPosition(const RECT& position) {
  position_ = position;
  if (inPlaceObject_) inPlaceObject_->SetObjectRects(&position_, &position_);
}

HWND ControlSite::controlWindow() const {
  HWND window = nullptr;
  if (inPlaceObject_) inPlaceObject_->GetWindow(&window);
  return window;
}

STDMETHODIMP ControlSite::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
    *out = static_cast<IOleClientSite*>(this);
  } else if (iid == IID_IOleControlSite) {
    *out = static_cast<IOleControlSite*>(this);
  } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite) {
    *out = static_cast<IOleInPlaceSite*>(this);
  } else if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame) {
    *out = static_cast<IOleInPlaceFrame*>(this);
  } else if (iid == IID_IDispatch) {
    *out = static_cast<IDispatch*>(this);
  } else {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP ControlSite::GetMoniker(DWORD, DWORD, IMoniker** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP ControlSite::GetContainer(IOleContainer** out) {
  if (out) *out = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP ControlSite::GetExtendedControl(IDispatch** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return E_NOTIMPL;
}

// The container's units are the screen's pixels; positions and sizes convert alike.
STDMETHODIMP ControlSite::TransformCoords(POINTL* himetric, POINTF* container, DWORD flags) {
  if (!himetric || !container) return E_POINTER;
  const POINT dpi = ScreenDpi();
  if (flags & XFORMCOORDS_HIMETRICTOCONTAINER) {
    container->x = static_cast<float>(himetric->x) * static_cast<float>(dpi.x) / kHimetricPerInch;
    container->y = static_cast<float>(himetric->y) * static_cast<float>(dpi.y) / kHimetricPerInch;
    return S_OK;
  }
  if (flags & XFORMCOORDS_CONTAINERTOHIMETRIC) {
    himetric->x = std::lround(container->x * kHimetricPerInch / static_cast<float>(dpi.x));
    himetric->y = std::lround(container->y * kHimetricPerInch / static_cast<float>(dpi.y));
    return S_OK;
  }
  return E_INVALIDARG;
}

STDMETHODIMP ControlSite::GetWindow(HWND* window) {
  if (!window) return E_POINTER;
  *window = parent_;
  return parent_ ? S_OK : E_FAIL;
}

STDMETHODIMP ControlSite::OnInPlaceActivate() {
  inPlaceActive_ = true;
  if (control_) control_.As(&inPlaceObject_);
  return S_OK;
}

STDMETHODIMP ControlSite::OnInPlaceDeactivate() {
  inPlaceActive_ = false;
  return S_OK;
}

STDMETHODIMP ControlSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                           LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
  if (!frame || !document || !position || !clip) return E_POINTER;
  *frame = this;
  AddRef();
  *document = nullptr;
  *position = position_;
  *clip = position_;
  if (info) {
    info->fMDIApp = FALSE;
    info->hwndFrame = parent_;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
  }
  return S_OK;
}

STDMETHODIMP ControlSite::OnPosRectChange(LPCRECT position) {
  if (!position) return E_POINTER;
  SetPosition(*position);
  return S_OK;
}

STDMETHODIMP ControlSite::SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) {
  activeObject_ = object;
  return S_OK;
}

STDMETHODIMP ControlSite::GetTypeInfoCount(UINT* count) {
  if (count) *count = 0;
  return S_OK;
}

STDMETHODIMP ControlSite::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                 UINT*) {
  if (!(flags & DISPATCH_PROPERTYGET) || !result) return DISP_E_MEMBERNOTFOUND;
  VariantInit(result);
  switch (id) {
    case DISPID_AMBIENT_USERMODE:
      result->vt = VT_BOOL;
      result->boolVal = VARIANT_TRUE;
      return S_OK;
    case DISPID_AMBIENT_UIDEAD:
    case DISPID_AMBIENT_SHOWHATCHING:
    case DISPID_AMBIENT_SHOWGRABHANDLES:
    case DISPID_AMBIENT_MESSAGEREFLECT:
      result->vt = VT_BOOL;
      result->boolVal = VARIANT_FALSE;
      return S_OK;
    case DISPID_AMBIENT_BACKCOLOR:
      result->vt = VT_I4;
      result->lVal = static_cast<LONG>(ambientBackColor_);
      return S_OK;
    case DISPID_AMBIENT_LOCALEID:
      result->vt = VT_I4;
      result->lVal = static_cast<LONG>(GetUserDefaultLCID());
      return S_OK;
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

namespace {

std::unique_ptr<ControlContainerManager>& InstalledManager() {
  static std::unique_ptr<ControlContainerManager> installed;
  return installed;
}

}  // namespace

ControlContainerManager& ControlContainerManager::Current() {
  static ControlContainerManager standard;
  auto& installed = InstalledManager();
  return installed ? *installed : standard;
}

void ControlContainerManager::Install(std::unique_ptr<ControlContainerManager> manager) {
  InstalledManager() = std::move(manager);
}

}  // namespace zp::win
