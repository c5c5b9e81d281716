// The movie control object: an ActiveX control that a standard container hosts windowed,
// playing movies through a `MovieSession`. It lives on the thread that created it (apartment
// model); its timer and its events run on that thread too.
//
// The same object is also the windowless twin (`Fernwik`): activated windowless in a container
// that allows it, it has no window at all (its frames are timed by thread timers), draws with
// per-pixel alpha on a transparent stage, takes its input through OnWindowMessage, and answers
// its own method numbers and event numbers.
#pragma once

#include <ocidl.h>
#include <olectl.h>
#include <oleidl.h>
#include <windows.h>
#include <wrl/client.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/swf/movie_session.h"
#include "framework/com_implementation.h"
#include "package/gdiplus_session.h"

namespace zp::movie {

using Microsoft::WRL::ComPtr;

class MovieControl;

enum class Flavor { kWindowed, kWindowless };

// The connection point for the event dispinterface. It shares the control's identity and
// reference count.
class EventConnectionPoint final : public IConnectionPoint {
 public:
  explicit EventConnectionPoint(MovieControl& owner) : owner_(owner) {}

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP GetConnectionInterface(IID* iid) override;
  STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** out) override;
  STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
  STDMETHODIMP Unadvise(DWORD cookie) override;
  STDMETHODIMP EnumConnections(IEnumConnections** out) override;

  // Calls every connected sink; sinks may connect or disconnect while this runs.
  void Fire(DISPID event, std::vector<VARIANT>& argumentsReversed);

 private:
  MovieControl& owner_;
  std::vector<std::pair<DWORD, ComPtr<IDispatch>>> sinks_;
  DWORD nextCookie_ = 1;
};

class MovieControl final : public IDispatch,
                           public IOleObject,
                           public IOleInPlaceObjectWindowless,
                           public IOleInPlaceActiveObject,
                           public IOleControl,
                           public IViewObject2,
                           public IPersistStreamInit,
                           public IProvideClassInfo2,
                           public IConnectionPointContainer {
 public:
  static HRESULT Create(Flavor flavor, REFIID iid, void** out);

  const CLSID& classId() const;
  const IID& eventsIid() const;

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IDispatch (movie_dispatch.cpp)
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* argumentError) override;

  // IOleObject
  STDMETHODIMP SetClientSite(IOleClientSite* site) override;
  STDMETHODIMP GetClientSite(IOleClientSite** site) override;
  STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP Close(DWORD saveOption) override;
  STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
  STDMETHODIMP DoVerb(LONG verb, LPMSG msg, IOleClientSite* site, LONG index, HWND parent, LPCRECT position) override;
  STDMETHODIMP EnumVerbs(IEnumOLEVERB** out) override;
  STDMETHODIMP Update() override { return S_OK; }
  STDMETHODIMP IsUpToDate() override { return S_OK; }
  STDMETHODIMP GetUserClassID(CLSID* clsid) override;
  STDMETHODIMP GetUserType(DWORD form, LPOLESTR* type) override;
  STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
  STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
  STDMETHODIMP Advise(IAdviseSink* sink, DWORD* connection) override;
  STDMETHODIMP Unadvise(DWORD connection) override;
  STDMETHODIMP EnumAdvise(IEnumSTATDATA** out) override;
  STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
  STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

  // IOleWindow (shared by both in-place interfaces)
  STDMETHODIMP GetWindow(HWND* window) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  // IOleInPlaceObject
  STDMETHODIMP InPlaceDeactivate() override;
  STDMETHODIMP UIDeactivate() override;
  STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT clip) override;
  STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }
  // IOleInPlaceObjectWindowless: input of the twin while it has no window.
  STDMETHODIMP OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  STDMETHODIMP GetDropTarget(IDropTarget** target) override;
  // IOleInPlaceActiveObject
  STDMETHODIMP TranslateAccelerator(LPMSG) override { return S_FALSE; }
  STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }

  // IOleControl
  STDMETHODIMP GetControlInfo(CONTROLINFO* info) override;
  STDMETHODIMP OnMnemonic(MSG*) override { return E_NOTIMPL; }
  STDMETHODIMP OnAmbientPropertyChange(DISPID) override { return S_OK; }
  STDMETHODIMP FreezeEvents(BOOL freeze) override;

  // IViewObject2
  STDMETHODIMP Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device, HDC targetDevice, HDC hdc,
                    LPCRECTL bounds, LPCRECTL windowBounds, BOOL(STDMETHODCALLTYPE* keepGoing)(ULONG_PTR),
                    ULONG_PTR keepGoingArgument) override;
  STDMETHODIMP GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE**) override { return E_NOTIMPL; }
  STDMETHODIMP Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP Unfreeze(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
  STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
  STDMETHODIMP GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* device, LPSIZEL size) override;

  // IPersistStreamInit: nothing is persisted; a new control starts empty.
  STDMETHODIMP GetClassID(CLSID* clsid) override;
  STDMETHODIMP IsDirty() override { return S_FALSE; }
  STDMETHODIMP Load(LPSTREAM) override { return S_OK; }
  STDMETHODIMP Save(LPSTREAM, BOOL) override { return S_OK; }
  STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
  STDMETHODIMP InitNew() override { return S_OK; }

  // IProvideClassInfo2: there is no type library; the event interface is named by its IID.
  STDMETHODIMP GetClassInfo(ITypeInfo** info) override;
  STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override;

  // IConnectionPointContainer
  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** out) override;
  STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** out) override;

  // The window procedure of the in-place window and of the clock window.
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // The thread timers of the windowless twin.
  void OnFrameTimer();
  void OnDeliveryTimer();

 private:
  explicit MovieControl(Flavor flavor);
  ~MovieControl();

  bool windowless() const { return windowlessSite_ != nullptr; }
  HRESULT ActivateWindowless(HWND parent, const RECT& position);
  HRESULT InvokeTwin(DISPID id, DISPPARAMS* params, VARIANT* result, UINT* argumentError);
  void StartClock();
  void StopClock();
  void PostDelivery();
  HRESULT InPlaceActivate(LONG verb, HWND parentHint, LPCRECT positionHint);
  void LoadMovie(const std::wstring& reference);
  static zp::swf::ImportLoader ImportsBeside(const std::u16string& moviePath);
  void AfterPlaybackChange();  // redraw, timer, queued events
  void UpdateTimer();
  void Invalidate();
  // Passes mouse input to the movie (view coordinates) and shows what its actions did.
  void MouseInput(zp::swf::MovieSession::MouseAction action, int32_t x, int32_t y, int32_t width, int32_t height);
  bool SetButtonCursor();  // the hand over a button that acts; false elsewhere
  // A key going down or up (WM_KEYDOWN/WM_KEYUP and their system forms), passed on to the movie
  // with the character it types; false for other messages.
  bool KeyInput(UINT message, WPARAM virtualKey, LPARAM flags);
  void DeliverEvents();  // ready state and FSCommands, unless events are frozen
  void Paint(HDC hdc, const RECT& bounds);
  HRESULT InvokeMember(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, UINT* argumentError);

  Flavor flavor_;
  LONG references_ = 1;
  zp::swf::MovieSession session_;
  std::wstring movieReference_;  // the Movie property as set
  std::wstring base_;
  bool loop_ = true;

  ComPtr<IOleClientSite> clientSite_;
  ComPtr<IOleInPlaceSite> inPlaceSite_;
  ComPtr<IOleInPlaceSiteWindowless> windowlessSite_;  // while active without a window
  ComPtr<IOleInPlaceFrame> frame_;          // while UI-active
  ComPtr<IOleInPlaceUIWindow> document_;    // while UI-active
  ComPtr<IOleAdviseHolder> adviseHolder_;
  ComPtr<IAdviseSink> viewSink_;
  DWORD viewAdviseFlags_ = 0;
  HWND window_ = nullptr;       // the in-place window, child of the container's
  HWND clock_ = nullptr;        // windowed: a message-only window for the frame timer and queued events
  UINT_PTR frameTimer_ = 0;     // windowless: thread timers instead
  UINT_PTR deliveryTimer_ = 0;
  bool timerRunning_ = false;
  bool uiActive_ = false;
  SIZEL extentHimetric_{};
  RECT position_{};
  int freezeCount_ = 0;
  bool readyPending_ = false;
  bool deliveryPosted_ = false;
  GdiplusSession gdiplus_;  // drawing needs it while the control lives
  EventConnectionPoint events_{*this};
};

}  // namespace zp::movie
