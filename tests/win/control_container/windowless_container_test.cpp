// The windowless container against a control that records what the container asks of it, and
// the movie control's windowless twin against the real container.
#include "framework/windowless_site.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <olectl.h>

#include <map>
#include <string>
#include <vector>

#include "common/movie_ids.h"
#include "framework/variant.h"
#include "movie_test_support.h"
#include "platform/wide.h"
#include "swf_writer.h"
#include "test_files.h"

namespace zp::win {
namespace {

std::string RectText(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}

// Activates windowless whenever its site allows it, and writes down every call. Its properties
// are numbers kept by DISPID.
class RecordingControl final : public IOleObject, public IOleInPlaceObjectWindowless, public IViewObject,
                               public IDispatch {
 public:
  explicit RecordingControl(std::string name) : name_(std::move(name)) {}
  std::vector<std::string> calls;
  ComPtr<IOleInPlaceSiteWindowless> site;
  HRESULT messageAnswer = S_OK;
  DWORD miscStatus = 0;
  std::map<DISPID, LONG> properties;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IOleObject) {
      *out = static_cast<IOleObject*>(this);
    } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceObject || iid == IID_IOleInPlaceObjectWindowless) {
      *out = static_cast<IOleInPlaceObjectWindowless*>(this);
    } else if (iid == IID_IViewObject) {
      *out = static_cast<IViewObject*>(this);
    } else if (iid == IID_IDispatch) {
      *out = static_cast<IDispatch*>(this);
    } else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  // IOleObject
  STDMETHODIMP SetClientSite(IOleClientSite* client) override {
    client_ = client;
    if (!client) site.Reset();
    return S_OK;
  }
  STDMETHODIMP GetClientSite(IOleClientSite**) override { return E_NOTIMPL; }
  STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP Close(DWORD) override { return S_OK; }
  STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
  STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT position) override {
    if (verb == OLEIVERB_HIDE || verb == OLEIVERB_SHOW || verb == OLEIVERB_UIACTIVATE) {
      calls.push_back(verb == OLEIVERB_HIDE ? "hide" : verb == OLEIVERB_SHOW ? "show" : "ui activate");
      return S_OK;
    }
    calls.push_back("activate " + RectText(*position));
    if (!site && client_) client_.As(&site);
    if (!site || site->CanWindowlessActivate() != S_OK) return E_FAIL;
    BOOL noRedraw = TRUE;
    return site->OnInPlaceActivateEx(&noRedraw, ACTIVATE_WINDOWLESS);
  }
  STDMETHODIMP EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
  STDMETHODIMP Update() override { return S_OK; }
  STDMETHODIMP IsUpToDate() override { return S_OK; }
  STDMETHODIMP GetUserClassID(CLSID*) override { return E_NOTIMPL; }
  STDMETHODIMP GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
  STDMETHODIMP SetExtent(DWORD, SIZEL*) override { return S_OK; }
  STDMETHODIMP GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
  STDMETHODIMP Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP Unadvise(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
  STDMETHODIMP GetMiscStatus(DWORD, DWORD* status) override {
    *status = miscStatus;
    return S_OK;
  }
  STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }
  // IOleInPlaceObjectWindowless
  STDMETHODIMP GetWindow(HWND* window) override {
    *window = nullptr;
    return E_FAIL;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP InPlaceDeactivate() override {
    if (site) site->OnInPlaceDeactivateEx(TRUE);
    return S_OK;
  }
  STDMETHODIMP UIDeactivate() override { return S_OK; }
  STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT) override {
    calls.push_back("rects " + RectText(*position));
    return S_OK;
  }
  STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }
  STDMETHODIMP OnWindowMessage(UINT message, WPARAM, LPARAM, LRESULT* result) override {
    calls.push_back(name_ + " message " + std::to_string(message));
    *result = 0;
    return messageAnswer;
  }
  STDMETHODIMP GetDropTarget(IDropTarget**) override { return E_NOTIMPL; }
  // IViewObject
  STDMETHODIMP Draw(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, HDC, LPCRECTL bounds, LPCRECTL windowBounds,
                    BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override {
    calls.push_back("draw " + RectText(RECT{bounds->left, bounds->top, bounds->right, bounds->bottom}) +
                    (windowBounds ? " with window bounds" : ""));
    return S_OK;
  }
  STDMETHODIMP GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE**) override { return E_NOTIMPL; }
  STDMETHODIMP Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP Unfreeze(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP SetAdvise(DWORD, DWORD, IAdviseSink*) override { return S_OK; }
  STDMETHODIMP GetAdvise(DWORD*, DWORD*, IAdviseSink**) override { return E_NOTIMPL; }
  // IDispatch: property reads and writes by DISPID.
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                      UINT*) override {
    if (flags & DISPATCH_PROPERTYPUT) {
      VARIANT value;
      VariantInit(&value);
      if (params->cArgs != 1 || FAILED(VariantChangeType(&value, &params->rgvarg[0], 0, VT_I4))) return E_INVALIDARG;
      properties[id] = value.lVal;
      calls.push_back("put " + std::to_string(id) + " " + std::to_string(value.lVal));
      return S_OK;
    }
    const auto found = properties.find(id);
    if (found == properties.end()) return DISP_E_MEMBERNOTFOUND;
    result->vt = VT_I4;
    result->lVal = found->second;
    return S_OK;
  }

 private:
  std::string name_;
  ComPtr<IOleClientSite> client_;
  ULONG references_ = 1;
};

// A class factory for one recording control at a time, registered for this process only.
class RecordingFactory final : public IClassFactory {
 public:
  RecordingControl* next = nullptr;
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
    *out = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP CreateInstance(IUnknown*, REFIID iid, void** out) override {
    if (!next) return E_FAIL;
    return next->QueryInterface(iid, out);
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

constexpr CLSID kRecordingClsid = {0x5A1E0001, 0x0000, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x42}};

class WindowlessContainerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(CoRegisterClassObject(kRecordingClsid, &factory_, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_),
              S_OK);
    ControlContainerManager::Install(std::make_unique<WindowlessContainerManager>());
    host_ = CreateWindowExW(0, L"STATIC", L"host", WS_POPUP | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr, nullptr,
                            nullptr);
    ASSERT_TRUE(host_);
    container_ = std::make_unique<WindowlessContainer>(host_);
  }
  void TearDown() override {
    container_.reset();
    DestroyWindow(host_);
    ControlContainerManager::Install(nullptr);
    CoRevokeClassObject(cookie_);
  }
  // Creates a recording control over `position`; the container keeps it alive.
  RecordingControl* Create(const std::string& name, const RECT& position, bool visible = true,
                           DWORD miscStatus = 0, WindowlessSite** siteOut = nullptr) {
    auto* control = new RecordingControl(name);
    control->miscStatus = miscStatus;
    factory_.next = control;
    const ComPtr<ControlSite> site = container_->CreateControl(kRecordingClsid, position, visible);
    if (siteOut) *siteOut = dynamic_cast<WindowlessSite*>(site.Get());
    const bool created = site != nullptr;
    control->Release();
    factory_.next = nullptr;
    return created ? control : nullptr;
  }

  RecordingFactory factory_;
  DWORD cookie_ = 0;
  HWND host_ = nullptr;
  std::unique_ptr<WindowlessContainer> container_;
};

TEST_F(WindowlessContainerTest, ControlsGoWindowlessAndHiddenOnesAreActivatedOutOfSight) {
  RecordingControl* shown = Create("shown", RECT{10, 10, 60, 40});
  RecordingControl* hidden = Create("hidden", RECT{100, 10, 150, 40}, false);
  ASSERT_TRUE(shown && hidden);
  EXPECT_EQ(shown->calls, (std::vector<std::string>{"activate 10,10,60,40"}));
  EXPECT_EQ(hidden->calls, (std::vector<std::string>{"activate -31900,-31990,-31850,-31960", "hide",
                                                     "rects 100,10,150,40"}));
  // No window handle stands in for the window the control does not have.
  HWND window = reinterpret_cast<HWND>(1);
  ComPtr<IOleWindow> asWindow;
  ASSERT_EQ(shown->site.As(&asWindow), S_OK);
  ASSERT_EQ(asWindow->GetWindow(&window), S_OK);
  EXPECT_EQ(window, host_);
  EXPECT_EQ(container_->WindowlessSiteFromPoint(POINT{20, 20})->controlWindow(), nullptr);

  // A container that refuses windowless activation gets no control from this one.
  container_->windowlessAllowed = false;
  EXPECT_EQ(Create("refused", RECT{0, 0, 5, 5}), nullptr);
}

TEST_F(WindowlessContainerTest, MouseGoesToTheControlUnderItOrToTheOneHoldingTheCapture) {
  RecordingControl* left = Create("left", RECT{0, 0, 100, 100});
  RecordingControl* right = Create("right", RECT{100, 0, 200, 100});
  ASSERT_TRUE(left && right);
  left->calls.clear();
  right->calls.clear();
  const std::string move = " message " + std::to_string(WM_MOUSEMOVE);

  SendMessageW(host_, WM_MOUSEMOVE, 0, MAKELPARAM(150, 50));
  SendMessageW(host_, WM_MOUSEMOVE, 0, MAKELPARAM(250, 50));  // over no control: the host's own
  EXPECT_EQ(left->calls, std::vector<std::string>{});
  EXPECT_EQ(right->calls, (std::vector<std::string>{"right" + move}));

  ASSERT_EQ(left->site->SetCapture(TRUE), S_OK);
  EXPECT_EQ(left->site->GetCapture(), S_OK);
  EXPECT_EQ(right->site->GetCapture(), S_FALSE);
  SendMessageW(host_, WM_MOUSEMOVE, 0, MAKELPARAM(250, 50));
  EXPECT_EQ(left->calls, (std::vector<std::string>{"left" + move}));

  // Another window takes the capture: the container forgets who held it.
  HWND other = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  SetCapture(other);
  EXPECT_EQ(container_->captureSite, nullptr);
  SendMessageW(host_, WM_MOUSEMOVE, 0, MAKELPARAM(150, 50));
  EXPECT_EQ(right->calls.size(), 2u);
  ReleaseCapture();
  DestroyWindow(other);

  // Keys go to the control with the focus, and nowhere without one.
  SendMessageW(host_, WM_KEYDOWN, VK_SPACE, 0);
  ASSERT_EQ(right->site->SetFocus(TRUE), S_OK);
  SendMessageW(host_, WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_EQ(right->calls.back(), "right message " + std::to_string(WM_KEYDOWN));
  EXPECT_EQ(left->calls.size(), 1u);
}

TEST_F(WindowlessContainerTest, DrawingAndDeviceContextsStayWithinTheSite) {
  RecordingControl* control = Create("c", RECT{20, 30, 120, 90});
  ASSERT_TRUE(control);
  control->calls.clear();
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  container_->DrawWindowlessControls(memory);
  EXPECT_EQ(control->calls, (std::vector<std::string>{"draw 20,30,120,90"}));
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);

  HDC dc = reinterpret_cast<HDC>(1);
  EXPECT_EQ(control->site->GetDC(nullptr, OLEDC_OFFSCREEN, &dc), E_FAIL);
  EXPECT_EQ(dc, nullptr);
  ASSERT_EQ(control->site->GetDC(nullptr, 0, &dc), S_OK);
  RECT clip{};
  GetClipBox(dc, &clip);
  EXPECT_EQ(RectText(clip), "20,30,120,90");
  control->site->ReleaseDC(dc);

  ValidateRect(host_, nullptr);
  const RECT partlyOutside{100, 0, 300, 50};
  control->site->InvalidateRect(&partlyOutside, FALSE);
  RECT update{};
  GetUpdateRect(host_, &update, FALSE);
  EXPECT_EQ(RectText(update), "100,30,120,50");
}

TEST_F(WindowlessContainerTest, WindowOperationsWorkOnTheSitesOwnRecordWithoutAWindow) {
  WindowlessSite* site = nullptr;
  RecordingControl* control = Create("c", RECT{10, 10, 60, 40}, true, 0, &site);
  ASSERT_TRUE(control && site);
  EXPECT_EQ(site->controlWindow(), nullptr);
  EXPECT_EQ(site->GetStyle(), static_cast<DWORD>(WS_VISIBLE));
  control->calls.clear();

  // Only the bits the site keeps stay; disabled, border and client edge become properties.
  site->ModifyStyle(0, WS_TABSTOP | WS_CHILD | WS_DISABLED | WS_BORDER);
  site->ModifyStyleEx(0, WS_EX_CLIENTEDGE);
  EXPECT_EQ(site->GetStyle(), static_cast<DWORD>(WS_VISIBLE | WS_TABSTOP | WS_DISABLED | WS_BORDER));
  EXPECT_EQ(site->GetExStyle(), static_cast<DWORD>(WS_EX_CLIENTEDGE));
  site->ModifyStyle(WS_DISABLED | WS_TABSTOP, 0);
  EXPECT_EQ(site->GetStyle(), static_cast<DWORD>(WS_VISIBLE | WS_BORDER));
  EXPECT_EQ(control->calls,
            (std::vector<std::string>{"put " + std::to_string(DISPID_ENABLED) + " 0",
                                      "put " + std::to_string(DISPID_BORDERSTYLE) + " 1",
                                      "put " + std::to_string(DISPID_APPEARANCE) + " 1",
                                      "put " + std::to_string(DISPID_ENABLED) + " -1"}));
  control->calls.clear();

  // Moves keep what the flags keep, and both kept means no move at all.
  ValidateRect(host_, nullptr);
  site->SetWindowPos(nullptr, 100, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  site->SetWindowPos(nullptr, 0, 0, 80, 20, SWP_NOMOVE | SWP_NOREDRAW);
  site->SetWindowPos(nullptr, 1, 1, 1, 1, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(control->calls, (std::vector<std::string>{"rects 100,50,150,80", "rects 100,50,180,70"}));
  RECT update{};
  GetUpdateRect(host_, &update, FALSE);
  EXPECT_EQ(RectText(update), "10,10,150,80") << "where it was and where it went";
  control->calls.clear();

  // Hidden and shown through the site's record; hidden controls take no mouse.
  EXPECT_TRUE(site->ShowWindow(SW_HIDE));
  EXPECT_EQ(container_->WindowlessSiteFromPoint(POINT{120, 60}), nullptr);
  EXPECT_FALSE(site->ShowWindow(SW_SHOWNOACTIVATE));
  EXPECT_EQ(container_->WindowlessSiteFromPoint(POINT{120, 60}), site);
  EXPECT_TRUE(site->ShowWindow(SW_MAXIMIZE)) << "other commands change nothing";
  site->SetFocus();
  EXPECT_EQ(control->calls, (std::vector<std::string>{"hide", "show", "ui activate"}));

  // A control invisible at run time never gets the visible bit.
  WindowlessSite* invisible = nullptr;
  ASSERT_TRUE(Create("i", RECT{200, 0, 220, 20}, true, OLEMISC_INVISIBLEATRUNTIME, &invisible));
  EXPECT_EQ(invisible->GetStyle() & WS_VISIBLE, 0u);
}

// ---- the movie control's windowless twin in this container ---------------------------------

std::wstring FernwikPath() {
  std::wstring path = test::ControlPath();
  return path.substr(0, path.find_last_of(L'\\') + 1) + L"Fernwik.ocx";
}

std::wstring Text(const DISPPARAMS& params, UINT index) {
  const VARIANT& v = params.rgvarg[params.cArgs - 1 - index];
  return v.vt == VT_BSTR && v.bstrVal ? v.bstrVal : L"";
}

TEST(FernwikInContainer, PlaysWindowlessDrawsWithAlphaAndFiresItsEvents) {
  ASSERT_TRUE(test::Regsvr32(FernwikPath(), false));
  ControlContainerManager::Install(std::make_unique<WindowlessContainerManager>());
  HWND host = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr, nullptr,
                              nullptr);
  test::ScratchDirectory scratch;
  {
    const std::wstring movie = ToWide(scratch.File(u"square.swf"));
    ASSERT_TRUE(test::WriteMovie(movie, test::RedSquareMovie(200, 100, "ping", "one")));

    WindowlessContainer container(host);
    const ComPtr<ControlSite> site = container.CreateControl(zp::movie::kFernwikClsid, RECT{0, 0, 200, 100}, true);
    ASSERT_TRUE(site);
    EXPECT_TRUE(dynamic_cast<WindowlessSite*>(site.Get())->windowless());
    EXPECT_EQ(site->controlWindow(), nullptr);
    bool ready = false;
    std::wstring command;
    site->SetEventHandler([&](DISPID id, DISPPARAMS& params) {
      if (id == zp::movie::kFernEventReadyState && params.cArgs == 1) ready = params.rgvarg[0].lVal == 4;
      if (id == zp::movie::kFernEventFsCommand && params.cArgs == 2) command = Text(params, 0) + L"|" + Text(params, 1);
      return true;
    });
    const Variant moviePath = Variant::String(movie);
    ASSERT_EQ(CallMethod(site->dispatch(), zp::movie::kFernPutMovie, {&moviePath}), S_OK);
    ASSERT_TRUE(test::PumpUntil([&] { return ready && !command.empty(); }, 10000));
    EXPECT_EQ(command, L"ping|one");
    Variant frames;
    ASSERT_EQ(CallMethod(site->dispatch(), zp::movie::kFernTotalFrames, {}, &frames), S_OK);
    EXPECT_EQ(frames.AsLong(), 1);

    // Drawn over black into a 32-bit picture: the square opaque red, the stage untouched.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 200;
    info.bmiHeader.biHeight = -100;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP picture = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(memory, picture);
    container.DrawWindowlessControls(memory);
    GdiFlush();
    const auto* pixels = static_cast<const uint32_t*>(bits);
    EXPECT_EQ(pixels[20 * 200 + 20], 0xFFFF0000u);
    EXPECT_EQ(pixels[80 * 200 + 150], 0x00000000u);
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(picture);
  }
  DestroyWindow(host);
  ControlContainerManager::Install(nullptr);
  test::Regsvr32(FernwikPath(), true);
}

// The twin draws on whatever picture the container hands it, straight onto the pixels where it
// can: moved by the context's origin, under a clip that cuts into it, or on a bottom-up picture
// it must come out the same, blended over what the picture held.
TEST(FernwikInContainer, DrawsOverThePictureWhateverItsLayoutOriginAndClip) {
  ASSERT_TRUE(test::Regsvr32(FernwikPath(), false));
  ControlContainerManager::Install(std::make_unique<WindowlessContainerManager>());
  HWND host = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
  test::ScratchDirectory scratch;
  {
    const std::wstring movie = ToWide(scratch.File(u"square.swf"));
    ASSERT_TRUE(test::WriteMovie(movie, test::RedSquareMovie(200, 100, "ping", "one")));
    WindowlessContainer container(host);
    const ComPtr<ControlSite> site = container.CreateControl(zp::movie::kFernwikClsid, RECT{0, 0, 200, 100}, true);
    ASSERT_TRUE(site);
    bool ready = false;
    site->SetEventHandler([&](DISPID id, DISPPARAMS& params) {
      if (id == zp::movie::kFernEventReadyState && params.cArgs == 1) ready = params.rgvarg[0].lVal == 4;
      return true;
    });
    const Variant moviePath = Variant::String(movie);
    ASSERT_EQ(CallMethod(site->dispatch(), zp::movie::kFernPutMovie, {&moviePath}), S_OK);
    ASSERT_TRUE(test::PumpUntil([&] { return ready; }, 10000));

    constexpr int kWidth = 240, kHeight = 140;
    constexpr uint32_t kBlue = 0xFF0000FFu, kRed = 0xFFFF0000u;
    struct Case {
      const char* name;
      bool topDown;
      POINT origin;   // where the site's corner lands in the picture
      int clipLeft;   // the clip keeps the picture right of this
      uint32_t square, stage;
    };
    const Case cases[] = {
        {"top-down at the corner", true, {0, 0}, 0, kRed, kBlue},
        {"top-down, origin moved", true, {20, 30}, 0, kRed, kBlue},
        {"bottom-up, origin moved", false, {20, 30}, 0, kRed, kBlue},
        {"clipped through the square", true, {0, 0}, 30, kBlue, kBlue},
    };
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      BITMAPINFO info{};
      info.bmiHeader.biSize = sizeof info.bmiHeader;
      info.bmiHeader.biWidth = kWidth;
      info.bmiHeader.biHeight = c.topDown ? -kHeight : kHeight;
      info.bmiHeader.biPlanes = 1;
      info.bmiHeader.biBitCount = 32;
      void* bits = nullptr;
      HBITMAP picture = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
      auto* pixels = static_cast<uint32_t*>(bits);
      std::fill(pixels, pixels + kWidth * kHeight, kBlue);
      const auto at = [&](int x, int y) { return pixels[(c.topDown ? y : kHeight - 1 - y) * kWidth + x]; };
      HDC memory = CreateCompatibleDC(nullptr);
      HGDIOBJ old = SelectObject(memory, picture);
      SetViewportOrgEx(memory, c.origin.x, c.origin.y, nullptr);
      HRGN clip = CreateRectRgn(c.clipLeft, 0, kWidth, kHeight);  // device coordinates
      SelectClipRgn(memory, clip);
      DeleteObject(clip);
      container.DrawWindowlessControls(memory);
      GdiFlush();
      EXPECT_EQ(at(c.origin.x + 20, c.origin.y + 20), c.square);
      EXPECT_EQ(at(c.origin.x + 150, c.origin.y + 80), c.stage);
      EXPECT_EQ(at(kWidth - 1, 0), kBlue) << "outside the site";
      SelectObject(memory, old);
      DeleteDC(memory);
      DeleteObject(picture);
    }
  }
  DestroyWindow(host);
  ControlContainerManager::Install(nullptr);
  test::Regsvr32(FernwikPath(), true);
}

}  // namespace
}  // namespace zp::win
