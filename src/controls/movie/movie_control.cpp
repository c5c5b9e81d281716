#include "movie_control.h"

#include <map>
#include <new>

#include "gdiplus_renderer.h"
#include "module.h"
#include "common/movie_ids.h"
#include "movie_window.h"
#include "trace_output.h"
#include "platform/platform.h"
#include "platform/wide.h"

namespace zp::movie {

namespace {

// Posted to the clock window to deliver events outside of the call that caused them.
constexpr UINT kDeliverEventsMessage = WM_APP + 1;
constexpr UINT_PTR kFrameTimer = 1;
constexpr UINT kFrameTimerMs = 10;

constexpr LONG kHimetricPerInch = 2540;

LONG PixelsToHimetric(LONG pixels, int dpi) { return MulDiv(pixels, kHimetricPerInch, dpi); }

// Thread timers carry no object pointer: each live timer is looked up here. Everything runs on
// the control's own thread.
struct ThreadTimer {
  MovieControl* control;
  bool frame;
};
std::map<UINT_PTR, ThreadTimer>& ThreadTimers() {
  static std::map<UINT_PTR, ThreadTimer> timers;
  return timers;
}

void CALLBACK OnThreadTimer(HWND, UINT, UINT_PTR id, DWORD) {
  const auto found = ThreadTimers().find(id);
  if (found == ThreadTimers().end()) return;
  const ThreadTimer timer = found->second;
  if (timer.frame) {
    timer.control->OnFrameTimer();
  } else {
    timer.control->OnDeliveryTimer();
  }
}

UINT_PTR StartThreadTimer(MovieControl* control, bool frame, UINT periodMs) {
  const UINT_PTR id = SetTimer(nullptr, 0, periodMs, OnThreadTimer);
  if (id) ThreadTimers()[id] = ThreadTimer{control, frame};
  return id;
}

void StopThreadTimer(UINT_PTR& id) {
  if (!id) return;
  KillTimer(nullptr, id);
  ThreadTimers().erase(id);
  id = 0;
}

}  // namespace

MovieControl::MovieControl(Flavor flavor) : flavor_(flavor) {
  ModuleAddRef();
  if (flavor_ == Flavor::kWindowed) clock_ = CreateClockWindow(this);
  // The default extent is the default stage, 550 × 400 pixels at 96 dots per inch.
  extentHimetric_ = {PixelsToHimetric(550, 96), PixelsToHimetric(400, 96)};
}

MovieControl::~MovieControl() {
  StopThreadTimer(frameTimer_);
  StopThreadTimer(deliveryTimer_);
  if (window_) DestroyWindow(window_);
  if (clock_) DestroyWindow(clock_);
  ModuleRelease();
}

HRESULT MovieControl::Create(Flavor flavor, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  MovieControl* control = new (std::nothrow) MovieControl(flavor);
  if (!control) return E_OUTOFMEMORY;
  if (flavor == Flavor::kWindowed && !control->clock_) {
    control->Release();
    return E_FAIL;
  }
  const HRESULT hr = control->QueryInterface(iid, out);
  control->Release();
  return hr;
}

STDMETHODIMP MovieControl::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (iid == IID_IUnknown || iid == IID_IDispatch) {
    *out = static_cast<IDispatch*>(this);
  } else if (iid == IID_IOleObject) {
    *out = static_cast<IOleObject*>(this);
  } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceObject) {
    *out = static_cast<IOleInPlaceObjectWindowless*>(this);
  } else if (iid == IID_IOleInPlaceObjectWindowless && flavor_ == Flavor::kWindowless) {
    *out = static_cast<IOleInPlaceObjectWindowless*>(this);
  } else if (iid == IID_IOleInPlaceActiveObject) {
    *out = static_cast<IOleInPlaceActiveObject*>(this);
  } else if (iid == IID_IOleControl) {
    *out = static_cast<IOleControl*>(this);
  } else if (iid == IID_IViewObject || iid == IID_IViewObject2) {
    *out = static_cast<IViewObject2*>(this);
  } else if (iid == IID_IPersist || iid == IID_IPersistStreamInit) {
    *out = static_cast<IPersistStreamInit*>(this);
  } else if (iid == IID_IProvideClassInfo || iid == IID_IProvideClassInfo2) {
    *out = static_cast<IProvideClassInfo2*>(this);
  } else if (iid == IID_IConnectionPointContainer) {
    *out = static_cast<IConnectionPointContainer*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) MovieControl::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

STDMETHODIMP_(ULONG) MovieControl::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

// ---- IOleObject -------------------------------------------------------------------------

STDMETHODIMP MovieControl::SetClientSite(IOleClientSite* site) {
  clientSite_ = site;
  if (!site) inPlaceSite_.Reset();
  return S_OK;
}

STDMETHODIMP MovieControl::GetClientSite(IOleClientSite** site) {
  if (!site) return E_POINTER;
  *site = clientSite_.Get();
  if (*site) (*site)->AddRef();
  return S_OK;
}

STDMETHODIMP MovieControl::Close(DWORD) {
  // Keep the object alive while it lets go of everything that may hold it.
  ComPtr<IUnknown> self(static_cast<IDispatch*>(this));
  InPlaceDeactivate();
  if (adviseHolder_) adviseHolder_->SendOnClose();
  session_.Unload();
  UpdateTimer();
  return S_OK;
}

STDMETHODIMP MovieControl::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT position) {
  if (site && !clientSite_) clientSite_ = site;
  switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE:
      return InPlaceActivate(verb, parent, position);
    case OLEIVERB_HIDE:
      if (window_) ShowWindow(window_, SW_HIDE);
      return S_OK;
    default:
      return verb < 0 ? E_NOTIMPL : OLEOBJ_S_INVALIDVERB;
  }
}

HRESULT MovieControl::InPlaceActivate(LONG verb, HWND parentHint, LPCRECT positionHint) {
  if (windowless()) return S_OK;  // active without a window: nothing to show or focus
  if (!window_) {
    HWND parent = parentHint;
    RECT position = positionHint ? *positionHint : RECT{0, 0, 0, 0};
    ComPtr<IOleInPlaceSiteWindowless> windowlessSite;
    if (clientSite_ && SUCCEEDED(clientSite_.As(&inPlaceSite_))) {
      if (inPlaceSite_->CanInPlaceActivate() != S_OK) return E_FAIL;
      // The twin goes without a window wherever its container lets it.
      if (flavor_ == Flavor::kWindowless && SUCCEEDED(inPlaceSite_.As(&windowlessSite)) &&
          windowlessSite->CanWindowlessActivate() == S_OK) {
        BOOL noRedraw = FALSE;
        windowlessSite->OnInPlaceActivateEx(&noRedraw, ACTIVATE_WINDOWLESS);
      } else {
        windowlessSite.Reset();
        inPlaceSite_->OnInPlaceActivate();
      }
      HWND siteWindow = nullptr;
      if (SUCCEEDED(inPlaceSite_->GetWindow(&siteWindow)) && siteWindow) parent = siteWindow;
      ComPtr<IOleInPlaceFrame> frame;
      ComPtr<IOleInPlaceUIWindow> document;
      RECT sitePosition{}, clip{};
      OLEINPLACEFRAMEINFO frameInfo{};
      frameInfo.cb = sizeof frameInfo;
      // The site's own idea of where the control goes wins over the verb's hint.
      if (SUCCEEDED(inPlaceSite_->GetWindowContext(&frame, &document, &sitePosition, &clip, &frameInfo))) {
        position = sitePosition;
      }
    }
    if (windowlessSite) {
      position_ = position;
      windowlessSite_ = windowlessSite;
      Invalidate();
      return S_OK;
    }
    if (!parent) return E_UNEXPECTED;
    position_ = position;
    window_ = CreateViewWindow(this, parent, position);
    if (!window_) {
      if (inPlaceSite_) inPlaceSite_->OnInPlaceDeactivate();
      return E_FAIL;
    }
  }
  ShowWindow(window_, SW_SHOWNA);
  if (verb == OLEIVERB_UIACTIVATE && !uiActive_ && inPlaceSite_) {
    uiActive_ = true;
    inPlaceSite_->OnUIActivate();
    // Hand the frame and document this object, so that the container gives it keys first.
    RECT position{}, clip{};
    OLEINPLACEFRAMEINFO frameInfo{};
    frameInfo.cb = sizeof frameInfo;
    if (SUCCEEDED(inPlaceSite_->GetWindowContext(&frame_, &document_, &position, &clip, &frameInfo))) {
      if (frame_) frame_->SetActiveObject(static_cast<IOleInPlaceActiveObject*>(this), nullptr);
      if (document_) document_->SetActiveObject(static_cast<IOleInPlaceActiveObject*>(this), nullptr);
    }
    SetFocus(window_);
  }
  return S_OK;
}

STDMETHODIMP MovieControl::EnumVerbs(IEnumOLEVERB** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return OleRegEnumVerbs(classId(), out);
}

STDMETHODIMP MovieControl::GetUserClassID(CLSID* clsid) {
  if (!clsid) return E_POINTER;
  *clsid = classId();
  return S_OK;
}

STDMETHODIMP MovieControl::GetUserType(DWORD form, LPOLESTR* type) { return OleRegGetUserType(classId(), form, type); }

const CLSID& MovieControl::classId() const {
  return flavor_ == Flavor::kWindowless ? kFernwikClsid : kMovieControlClsid;
}

const IID& MovieControl::eventsIid() const {
  return flavor_ == Flavor::kWindowless ? kFernwikEventsIid : kMovieEventsIid;
}

STDMETHODIMP MovieControl::SetExtent(DWORD aspect, SIZEL* size) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!size) return E_POINTER;
  extentHimetric_ = *size;
  return S_OK;
}

STDMETHODIMP MovieControl::GetExtent(DWORD aspect, SIZEL* size) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!size) return E_POINTER;
  *size = extentHimetric_;
  return S_OK;
}

STDMETHODIMP MovieControl::Advise(IAdviseSink* sink, DWORD* connection) {
  if (!connection) return E_POINTER;
  *connection = 0;
  if (!adviseHolder_) {
    const HRESULT hr = CreateOleAdviseHolder(&adviseHolder_);
    if (FAILED(hr)) return hr;
  }
  return adviseHolder_->Advise(sink, connection);
}

STDMETHODIMP MovieControl::Unadvise(DWORD connection) {
  return adviseHolder_ ? adviseHolder_->Unadvise(connection) : OLE_E_NOCONNECTION;
}

STDMETHODIMP MovieControl::EnumAdvise(IEnumSTATDATA** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return adviseHolder_ ? adviseHolder_->EnumAdvise(out) : E_FAIL;
}

STDMETHODIMP MovieControl::GetMiscStatus(DWORD, DWORD* status) {
  if (!status) return E_POINTER;
  *status = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT | OLEMISC_ACTIVATEWHENVISIBLE |
            OLEMISC_SETCLIENTSITEFIRST;
  return S_OK;
}

// ---- in-place -----------------------------------------------------------------------------

STDMETHODIMP MovieControl::GetWindow(HWND* window) {
  if (!window) return E_POINTER;
  *window = window_;
  return window_ ? S_OK : E_FAIL;
}

STDMETHODIMP MovieControl::InPlaceDeactivate() {
  UIDeactivate();
  if (windowlessSite_) {
    const ComPtr<IOleInPlaceSiteWindowless> site = std::move(windowlessSite_);
    site->OnInPlaceDeactivateEx(TRUE);
  }
  if (window_) {
    HWND window = window_;
    window_ = nullptr;
    DestroyWindow(window);
    if (inPlaceSite_) inPlaceSite_->OnInPlaceDeactivate();
  }
  inPlaceSite_.Reset();
  return S_OK;
}

STDMETHODIMP MovieControl::UIDeactivate() {
  if (uiActive_) {
    uiActive_ = false;
    if (frame_) frame_->SetActiveObject(nullptr, nullptr);
    if (document_) document_->SetActiveObject(nullptr, nullptr);
    frame_.Reset();
    document_.Reset();
    if (inPlaceSite_) inPlaceSite_->OnUIDeactivate(FALSE);
  }
  return S_OK;
}

STDMETHODIMP MovieControl::SetObjectRects(LPCRECT position, LPCRECT) {
  if (!position) return E_POINTER;
  position_ = *position;
  if (windowlessSite_) Invalidate();
  if (window_) {
    MoveWindow(window_, position->left, position->top, position->right - position->left,
               position->bottom - position->top, TRUE);
  }
  return S_OK;
}

// ---- IOleControl --------------------------------------------------------------------------

STDMETHODIMP MovieControl::GetControlInfo(CONTROLINFO* info) {
  if (!info) return E_POINTER;
  info->cb = sizeof *info;
  info->hAccel = nullptr;
  info->cAccel = 0;
  info->dwFlags = 0;
  return S_OK;
}

STDMETHODIMP MovieControl::FreezeEvents(BOOL freeze) {
  if (freeze) {
    ++freezeCount_;
  } else if (freezeCount_ > 0 && --freezeCount_ == 0) {
    AfterPlaybackChange();  // events held back while frozen go out now
  }
  return S_OK;
}

// ---- IViewObject2 -------------------------------------------------------------------------

STDMETHODIMP MovieControl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC hdc, LPCRECTL bounds, LPCRECTL,
                                BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!hdc) return E_INVALIDARG;
  RECT area{};
  if (bounds) {
    area = {bounds->left, bounds->top, bounds->right, bounds->bottom};
  } else if (window_) {
    GetClientRect(window_, &area);
  } else if (windowlessSite_) {
    area = position_;
  } else {
    return E_INVALIDARG;
  }
  if (flavor_ == Flavor::kWindowless) {
    // The stage stays transparent: the container sees through to whatever it drew first.
    const int32_t width = area.right - area.left, height = area.bottom - area.top;
    if (width > 0 && height > 0) DrawMovieBlended(hdc, area, session_.DrawList(width, height), session_.Edges());
  } else {
    Paint(hdc, area);
  }
  return S_OK;
}

STDMETHODIMP MovieControl::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
  if (!(aspects & DVASPECT_CONTENT) && sink) return DV_E_DVASPECT;
  viewSink_ = sink;
  viewAdviseFlags_ = flags;
  return S_OK;
}

STDMETHODIMP MovieControl::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
  if (aspects) *aspects = DVASPECT_CONTENT;
  if (flags) *flags = viewAdviseFlags_;
  if (sink) {
    *sink = viewSink_.Get();
    if (*sink) (*sink)->AddRef();
  }
  return S_OK;
}

STDMETHODIMP MovieControl::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
  return GetExtent(aspect, size);
}

// ---- persistence and class information -----------------------------------------------------

STDMETHODIMP MovieControl::GetClassID(CLSID* clsid) { return GetUserClassID(clsid); }

STDMETHODIMP MovieControl::GetSizeMax(ULARGE_INTEGER* size) {
  if (!size) return E_POINTER;
  size->QuadPart = 0;
  return S_OK;
}

STDMETHODIMP MovieControl::GetClassInfo(ITypeInfo** info) {
  if (info) *info = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP MovieControl::GetGUID(DWORD kind, GUID* guid) {
  if (!guid) return E_POINTER;
  if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
  *guid = eventsIid();
  return S_OK;
}

STDMETHODIMP MovieControl::EnumConnectionPoints(IEnumConnectionPoints** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP MovieControl::FindConnectionPoint(REFIID iid, IConnectionPoint** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (iid != eventsIid()) return CONNECT_E_NOCONNECTION;
  *out = &events_;
  events_.AddRef();
  return S_OK;
}

// ---- playing ------------------------------------------------------------------------------

// Movies a movie imports from are read from files named relative to its own folder.
zp::swf::ImportLoader MovieControl::ImportsBeside(const std::u16string& moviePath) {
  const size_t slash = moviePath.find_last_of(u"\\/");
  const std::u16string folder = slash == std::u16string::npos ? std::u16string() : moviePath.substr(0, slash + 1);
  return [folder](std::u16string_view url) -> std::optional<std::vector<uint8_t>> {
    const std::u16string path = zp::swf::ResolveMoviePath(folder, url);
    zp::platform::MappedFile file;
    if (path.empty() || file.Map(path) == 0) return std::nullopt;
    return std::vector<uint8_t>(file.bytes().begin(), file.bytes().end());
  };
}

void MovieControl::LoadMovie(const std::wstring& reference) {
  movieReference_ = reference;
  const std::u16string path = zp::swf::ResolveMoviePath(FromWide(base_), FromWide(reference));
  readyPending_ = false;
  bool loaded = false;
  if (!path.empty()) {
    zp::platform::MappedFile file;
    if (file.Map(path) > 0) loaded = session_.LoadBytes(file.bytes(), GetTickCount64(), ImportsBeside(path));
  }
  if (!loaded) {
    session_.Unload();
  } else {
    session_.player().SetLoop(loop_);
    readyPending_ = true;
  }
  AfterPlaybackChange();
}

void MovieControl::AfterPlaybackChange() {
  WriteTraceLines(session_.player().TakeTraceLines());
  Invalidate();
  UpdateTimer();
  if (!deliveryPosted_ && freezeCount_ == 0) PostDelivery();
}

void MovieControl::PostDelivery() {
  if (clock_) {
    deliveryPosted_ = PostMessageW(clock_, kDeliverEventsMessage, 0, 0) != FALSE;
  } else if (flavor_ == Flavor::kWindowless) {
    deliveryTimer_ = StartThreadTimer(this, false, 0);
    deliveryPosted_ = deliveryTimer_ != 0;
  }
}

void MovieControl::UpdateTimer() {
  const bool wanted = session_.player().NeedsFrames();
  if (wanted && !timerRunning_) {
    if (clock_) {
      timerRunning_ = SetTimer(clock_, kFrameTimer, kFrameTimerMs, nullptr) != 0;
    } else if (flavor_ == Flavor::kWindowless) {
      frameTimer_ = StartThreadTimer(this, true, kFrameTimerMs);
      timerRunning_ = frameTimer_ != 0;
    }
  } else if (!wanted && timerRunning_) {
    if (clock_) KillTimer(clock_, kFrameTimer);
    StopThreadTimer(frameTimer_);
    timerRunning_ = false;
  }
}

void MovieControl::OnFrameTimer() {
  ComPtr<IUnknown> self(static_cast<IDispatch*>(this));
  session_.player().Advance(GetTickCount64());
  WriteTraceLines(session_.player().TakeTraceLines());
  if (session_.player().TakeRedraw()) Invalidate();
  UpdateTimer();
  DeliverEvents();
}

void MovieControl::OnDeliveryTimer() {
  ComPtr<IUnknown> self(static_cast<IDispatch*>(this));
  StopThreadTimer(deliveryTimer_);
  deliveryPosted_ = false;
  DeliverEvents();
}

void MovieControl::Invalidate() {
  if (windowlessSite_) windowlessSite_->InvalidateRect(nullptr, FALSE);
  if (window_) InvalidateRect(window_, nullptr, FALSE);
  if (viewSink_) viewSink_->OnViewChange(DVASPECT_CONTENT, -1);
}

void MovieControl::DeliverEvents() {
  if (freezeCount_ > 0) return;
  // A handler may release the last reference to this control, or load another movie.
  ComPtr<IUnknown> self(static_cast<IDispatch*>(this));
  const uint32_t generation = session_.generation();
  if (readyPending_) {
    readyPending_ = false;
    std::vector<VARIANT> args(1);
    VariantInit(&args[0]);
    args[0].vt = VT_I4;
    args[0].lVal = kReadyStateComplete;
    events_.Fire(flavor_ == Flavor::kWindowless ? kFernEventReadyState : kEventReadyStateChange, args);
  }
  while (session_.generation() == generation && freezeCount_ == 0) {
    auto commands = session_.player().TakeFsCommands();
    if (commands.empty()) break;
    for (const auto& command : commands) {
      if (session_.generation() != generation) break;  // the movie went away meanwhile
      std::vector<VARIANT> args(2);
      VariantInit(&args[0]);
      VariantInit(&args[1]);
      args[1].vt = VT_BSTR;  // arguments arrive in reverse: the command is first
      args[1].bstrVal = SysAllocString(ToWide(command.command).c_str());
      args[0].vt = VT_BSTR;
      args[0].bstrVal = SysAllocString(ToWide(command.arguments).c_str());
      events_.Fire(flavor_ == Flavor::kWindowless ? kFernEventFsCommand : kEventFsCommand, args);
      VariantClear(&args[0]);
      VariantClear(&args[1]);
    }
  }
}

void MovieControl::Paint(HDC hdc, const RECT& bounds) {
  const int32_t width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
  if (width <= 0 || height <= 0) return;
  DrawMovie(hdc, bounds, session_.Background(), session_.DrawList(width, height), session_.Edges());
}

LRESULT MovieControl::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (window == clock_ && wParam == kFrameTimer) {
        OnFrameTimer();
        return 0;
      }
      break;
    case kDeliverEventsMessage:
      if (window == clock_) {
        deliveryPosted_ = false;
        DeliverEvents();
        return 0;
      }
      break;
    case WM_ERASEBKGND:
      return 1;  // painting covers everything
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC hdc = BeginPaint(window, &ps);
      RECT client;
      GetClientRect(window, &client);
      PaintBuffered(hdc, client, [this](HDC target, const RECT& area) { Paint(target, area); });
      EndPaint(window, &ps);
      return 0;
    }
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP: {
      if (message == WM_LBUTTONDOWN) {
        if (inPlaceSite_ && !uiActive_) InPlaceActivate(OLEIVERB_UIACTIVATE, nullptr, nullptr);
        SetCapture(window);  // a press let go outside still reaches the button it began on
      } else if (message == WM_LBUTTONUP && GetCapture() == window) {
        ReleaseCapture();
      }
      RECT client;
      GetClientRect(window, &client);
      MouseInput(message == WM_MOUSEMOVE     ? zp::swf::MovieSession::MouseAction::kMove
                 : message == WM_LBUTTONDOWN ? zp::swf::MovieSession::MouseAction::kDown
                                             : zp::swf::MovieSession::MouseAction::kUp,
                 static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)), client.right, client.bottom);
      if (message == WM_LBUTTONDOWN) break;
      return 0;
    }
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT && SetButtonCursor()) return TRUE;
      break;
    case WM_GETDLGCODE:
      return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS;  // Tab and arrows are the movie's
    case WM_KEYDOWN:
    case WM_KEYUP:
      if (KeyInput(message, wParam, lParam)) return 0;
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

STDMETHODIMP MovieControl::OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (result) *result = 0;
  if (message == WM_SETCURSOR) {
    if (!SetButtonCursor()) return S_FALSE;
    if (result) *result = TRUE;
    return S_OK;
  }
  if (message == WM_KEYDOWN || message == WM_KEYUP) return KeyInput(message, wParam, lParam) ? S_OK : S_FALSE;
  if (message != WM_MOUSEMOVE && message != WM_LBUTTONDOWN && message != WM_LBUTTONUP) return S_FALSE;
  const bool onButton = session_.player().OverActiveButton();
  // Windowless input comes in the container window's client coordinates.
  MouseInput(message == WM_MOUSEMOVE     ? zp::swf::MovieSession::MouseAction::kMove
             : message == WM_LBUTTONDOWN ? zp::swf::MovieSession::MouseAction::kDown
                                         : zp::swf::MovieSession::MouseAction::kUp,
             static_cast<short>(LOWORD(lParam)) - position_.left, static_cast<short>(HIWORD(lParam)) - position_.top,
             position_.right - position_.left, position_.bottom - position_.top);
  // Only a press on a button keeps the mouse: one off them is the container's (a drag of the
  // window, say), and taking the mouse from under it would leave its drag waiting for a release.
  if (windowlessSite_ && (message == WM_LBUTTONUP || (message == WM_LBUTTONDOWN && onButton))) {
    windowlessSite_->SetCapture(message == WM_LBUTTONDOWN);
  }
  // Clicks off the movie's buttons are the container's to handle too.
  return message == WM_MOUSEMOVE || onButton ? S_OK : S_FALSE;
}

void MovieControl::MouseInput(zp::swf::MovieSession::MouseAction action, int32_t x, int32_t y, int32_t width,
                              int32_t height) {
  ComPtr<IUnknown> self(static_cast<IDispatch*>(this));  // actions may make the container release us
  session_.Mouse(action, x, y, width, height);
  WriteTraceLines(session_.player().TakeTraceLines());
  if (session_.player().TakeRedraw()) Invalidate();
  UpdateTimer();
  DeliverEvents();
}

bool MovieControl::KeyInput(UINT message, WPARAM virtualKey, LPARAM flags) {
  if (!session_.player().loaded()) return false;
  // The character the key types with the shift state now, without disturbing a dead key
  // waiting for its letter; none for keys that type nothing.
  constexpr UINT kKeepKeyboardState = 0x4;
  BYTE state[256] = {};
  wchar_t typed[4] = {};
  const UINT scanCode = (static_cast<UINT>(flags) >> 16) & 0xFF;
  const int count = GetKeyboardState(state) ? ToUnicode(static_cast<UINT>(virtualKey), scanCode, state, typed,
                                                        static_cast<int>(std::size(typed)), kKeepKeyboardState)
                                            : 0;
  const int ascii = count == 1 ? typed[0] : 0;
  ComPtr<IUnknown> self(static_cast<IDispatch*>(this));  // actions may make the container release us
  if (message == WM_KEYDOWN) {
    session_.player().KeyDown(static_cast<int>(virtualKey), ascii);
  } else {
    session_.player().KeyUp(static_cast<int>(virtualKey), ascii);
  }
  WriteTraceLines(session_.player().TakeTraceLines());
  if (session_.player().TakeRedraw()) Invalidate();
  UpdateTimer();
  DeliverEvents();
  return true;
}

bool MovieControl::SetButtonCursor() {
  if (!session_.player().OverActiveButton()) return false;
  SetCursor(LoadCursorW(nullptr, IDC_HAND));
  return true;
}

STDMETHODIMP MovieControl::GetDropTarget(IDropTarget** target) {
  if (!target) return E_POINTER;
  *target = nullptr;
  return E_NOTIMPL;
}

// ---- events -------------------------------------------------------------------------------

STDMETHODIMP EventConnectionPoint::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (iid == IID_IUnknown || iid == IID_IConnectionPoint) {
    *out = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) EventConnectionPoint::AddRef() { return owner_.AddRef(); }
STDMETHODIMP_(ULONG) EventConnectionPoint::Release() { return owner_.Release(); }

STDMETHODIMP EventConnectionPoint::GetConnectionInterface(IID* iid) {
  if (!iid) return E_POINTER;
  *iid = owner_.eventsIid();
  return S_OK;
}

STDMETHODIMP EventConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
  if (!out) return E_POINTER;
  return owner_.QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(out));
}

STDMETHODIMP EventConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (!cookie) return E_POINTER;
  *cookie = 0;
  if (!sink) return E_POINTER;
  ComPtr<IDispatch> dispatch;
  if (FAILED(sink->QueryInterface(owner_.eventsIid(), reinterpret_cast<void**>(dispatch.GetAddressOf()))) &&
      FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.GetAddressOf())))) {
    return CONNECT_E_CANNOTCONNECT;
  }
  *cookie = nextCookie_++;
  sinks_.emplace_back(*cookie, std::move(dispatch));
  return S_OK;
}

STDMETHODIMP EventConnectionPoint::Unadvise(DWORD cookie) {
  for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
    if (it->first == cookie) {
      sinks_.erase(it);
      return S_OK;
    }
  }
  return CONNECT_E_NOCONNECTION;
}

STDMETHODIMP EventConnectionPoint::EnumConnections(IEnumConnections** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

void EventConnectionPoint::Fire(DISPID event, std::vector<VARIANT>& argumentsReversed) {
  std::vector<ComPtr<IDispatch>> sinks;
  for (const auto& [cookie, sink] : sinks_) sinks.push_back(sink);
  for (const auto& sink : sinks) {
    DISPPARAMS params{argumentsReversed.data(), nullptr, static_cast<UINT>(argumentsReversed.size()), 0};
    sink->Invoke(event, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
  }
}

}  // namespace zp::movie
