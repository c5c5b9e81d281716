#include "framework/control_site.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <vector>

#include "common/movie_ids.h"
#include "framework/variant.h"
#include "platform/wide.h"
#include "movie_test_support.h"
#include "swf_writer.h"
#include "test_files.h"

namespace zp::win {
namespace {

constexpr DISPID kReadyStateChange = -609;
constexpr DISPID kFsCommand = 150;
constexpr DISPID kMovie = 102;
constexpr DISPID kTotalFrames = 124;
constexpr DISPID kCurrentFrame = 128;
constexpr DISPID kIsPlaying = 129;
constexpr DISPID kSetZoomRect = 109;
constexpr DISPID kTGetProperty = 154;
constexpr DISPID kGetVariable = 152;
constexpr DISPID kSetVariable = 151;
constexpr DISPID kScaleMode = 120;

using test::PumpUntil;

std::wstring ArgumentString(const DISPPARAMS& params, UINT indexInDeclarationOrder) {
  if (indexInDeclarationOrder >= params.cArgs) return L"<missing>";
  const VARIANT& v = params.rgvarg[params.cArgs - 1 - indexInDeclarationOrder];
  return v.vt == VT_BSTR && v.bstrVal ? std::wstring(v.bstrVal, SysStringLen(v.bstrVal)) : L"<not a string>";
}

class ControlSiteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_ = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 400, 300, nullptr,
                            nullptr, nullptr, nullptr);
    ASSERT_TRUE(host_);
    site_ = ControlSite::Make();
  }
  void TearDown() override {
    site_->Destroy();
    site_.Reset();
    DestroyWindow(host_);
  }
  std::wstring WriteTestMovie(const zp::swfgen::Bytes& bytes) {
    const std::wstring path = ToWide(scratch_.File(u"m.swf"));
    EXPECT_TRUE(test::WriteMovie(path, bytes));
    return path;
  }

  HWND host_ = nullptr;
  ComPtr<ControlSite> site_;
  test::ScratchDirectory scratch_;
};

zp::swfgen::Bytes FramesMovie(int frames) {
  zp::swfgen::MovieWriter m(6, 550, 400, 12);
  m.Background({0, 128, 255});
  for (int i = 0; i < frames; ++i) m.ShowFrame();
  return m.Finish(false);
}

TEST_F(ControlSiteTest, CreatesTheControlAsAChildWindowOverItsPosition) {
  ASSERT_EQ(site_->CreateControl(zp::movie::kMovieControlClsid, host_, RECT{10, 20, 210, 170}, 4321), S_OK);
  ASSERT_TRUE(site_->created());
  ASSERT_TRUE(site_->dispatch());
  HWND window = site_->controlWindow();
  ASSERT_TRUE(window);
  EXPECT_EQ(GetParent(window), host_);
  EXPECT_EQ(GetDlgCtrlID(window), 4321);
  RECT r;
  GetWindowRect(window, &r);
  MapWindowPoints(nullptr, host_, reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.top, 20);
  EXPECT_EQ(r.right - r.left, 200);
  EXPECT_EQ(r.bottom - r.top, 150);

  site_->SetPosition(RECT{0, 0, 300, 250});
  GetWindowRect(window, &r);
  EXPECT_EQ(r.right - r.left, 300);
  EXPECT_EQ(r.bottom - r.top, 250);

  EXPECT_EQ(site_->CreateControl(zp::movie::kMovieControlClsid, host_, RECT{0, 0, 1, 1}), E_UNEXPECTED);
  site_->Destroy();
  EXPECT_FALSE(site_->created());
  EXPECT_FALSE(IsWindow(window));
  site_->Destroy();  // twice is harmless
}

TEST_F(ControlSiteTest, TypedCallsAndEventsByDispid) {
  ASSERT_EQ(site_->CreateControl(zp::movie::kMovieControlClsid, host_, RECT{0, 0, 300, 200}), S_OK);
  std::vector<DISPID> events;
  LONG readyState = 0;
  site_->SetEventHandler([&](DISPID id, DISPPARAMS& params) {
    events.push_back(id);
    if (id == kReadyStateChange && params.cArgs == 1) readyState = params.rgvarg[0].lVal;
    return true;
  });
  IDispatch* control = site_->dispatch();
  ASSERT_EQ(PutProperty(control, kMovie, Variant::String(WriteTestMovie(FramesMovie(5)))), S_OK);
  ASSERT_TRUE(PumpUntil([&] { return readyState == 4; }, 10000));

  EXPECT_EQ(GetLongProperty(control, kTotalFrames), 5);
  EXPECT_EQ(PutProperty(control, kScaleMode, Variant::Long(3)), S_OK);
  EXPECT_EQ(GetLongProperty(control, kScaleMode), 3);
  Variant frame;
  ASSERT_EQ(CallMethod(control, kCurrentFrame, {}, &frame), S_OK);
  EXPECT_TRUE(frame.AsLong());
  Variant playing;
  ASSERT_EQ(CallMethod(control, kIsPlaying, {}, &playing), S_OK);
  EXPECT_EQ(playing.AsBool(), true);

  // Arguments go in declaration order.
  const Variant name = Variant::String(L"greeting"), value = Variant::String(L"hello");
  ASSERT_EQ(CallMethod(control, kSetVariable, {&name, &value}), S_OK);
  Variant read;
  ASSERT_EQ(CallMethod(control, kGetVariable, {&name}, &read), S_OK);
  EXPECT_EQ(read.AsString(), L"hello");
  const Variant root = Variant::String(L"/"), width = Variant::Long(8);
  Variant stageWidth;
  ASSERT_EQ(CallMethod(control, kTGetProperty, {&root, &width}, &stageWidth), S_OK);
  EXPECT_EQ(stageWidth.AsString(), L"550");
  const Variant l = Variant::Long(0), t = Variant::Long(0), r = Variant::Long(2000), b = Variant::Long(1000);
  EXPECT_EQ(CallMethod(control, kSetZoomRect, {&l, &t, &r, &b}), S_OK);

  EXPECT_FALSE(GetLongProperty(control, 99999));  // no such property: nullopt, not a crash
  EXPECT_FALSE(GetLongProperty(nullptr, kTotalFrames));
}

TEST_F(ControlSiteTest, FsCommandArrivesWithItsArgumentsAndTheHandlerMayDestroyTheSite) {
  zp::swfgen::MovieWriter m(6, 100, 100, 12);
  zp::swfgen::ActionWriter a;
  a.FsCommand("quit", "now").FsCommand("second", "never seen").Stop();
  m.Actions(a).ShowFrame();
  ASSERT_EQ(site_->CreateControl(zp::movie::kMovieControlClsid, host_, RECT{0, 0, 100, 100}), S_OK);
  std::vector<std::wstring> commands;
  site_->SetEventHandler([&](DISPID id, DISPPARAMS& params) {
    if (id != kFsCommand) return false;
    commands.push_back(ArgumentString(params, 0) + L"|" + ArgumentString(params, 1));
    site_->Destroy();  // a handler that closes the window the control lives in
    return true;
  });
  ASSERT_EQ(PutProperty(site_->dispatch(), kMovie, Variant::String(WriteTestMovie(m.Finish(false)))), S_OK);
  ASSERT_TRUE(PumpUntil([&] { return !commands.empty(); }, 10000));
  PumpUntil([] { return false; }, 300);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0], L"quit|now");
  EXPECT_FALSE(site_->created());
}

// Stands in for the control's in-place active object: records the keys it is offered and
// answers as told.
class KeyTakingObject final : public IOleInPlaceActiveObject {
 public:
  HRESULT answer = S_OK;
  std::vector<UINT> offered;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IOleWindow && iid != IID_IOleInPlaceActiveObject) return E_NOINTERFACE;
    *out = static_cast<IOleInPlaceActiveObject*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  STDMETHODIMP GetWindow(HWND*) override { return E_NOTIMPL; }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP TranslateAccelerator(LPMSG message) override {
    offered.push_back(message->message);
    return answer;
  }
  STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }

 private:
  ULONG references_ = 1;
};

TEST_F(ControlSiteTest, KeysMeantForTheControlGoToItsActiveObjectFirst) {
  ASSERT_EQ(site_->CreateControl(zp::movie::kMovieControlClsid, host_, RECT{0, 0, 200, 100}), S_OK);
  HWND control = site_->controlWindow();
  ASSERT_TRUE(control);
  HWND inner = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, control, nullptr, nullptr, nullptr);
  ASSERT_TRUE(inner);
  ComPtr<KeyTakingObject> active;
  active.Attach(new KeyTakingObject);
  ASSERT_EQ(site_->SetActiveObject(active.Get(), nullptr), S_OK);

  struct Case {
    const char* name;
    HWND target;
    UINT message;
    HRESULT answer;
    bool taken;
    size_t offered;
  };
  const Case cases[] = {
      {"a key the control takes", control, WM_KEYDOWN, S_OK, true, 1},
      {"a key the control lets pass", control, WM_KEYDOWN, S_FALSE, false, 1},
      {"a character for a window inside the control", inner, WM_CHAR, S_OK, true, 1},
      {"a system key", control, WM_SYSKEYDOWN, S_OK, true, 1},
      {"a key for the container's own window", host_, WM_KEYDOWN, S_OK, false, 0},
      {"a mouse click on the control", control, WM_LBUTTONDOWN, S_OK, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    active->offered.clear();
    active->answer = c.answer;
    MSG message{c.target, c.message, VK_TAB, 0, 0, {}};
    EXPECT_EQ(ControlSite::OfferKey(message), c.taken);
    EXPECT_EQ(active->offered.size(), c.offered);
  }

  // Once the control has let go of its active object, nothing is offered any more.
  ASSERT_EQ(site_->SetActiveObject(nullptr, nullptr), S_OK);
  active->offered.clear();
  MSG key{control, WM_KEYDOWN, VK_TAB, 0, 0, {}};
  EXPECT_FALSE(ControlSite::OfferKey(key));
  EXPECT_TRUE(active->offered.empty());
}

TEST_F(ControlSiteTest, AnswersAsTheControlsControlSite) {
  ComPtr<IOleControlSite> controlSite;
  ASSERT_EQ(site_.As(&controlSite), S_OK);
  EXPECT_EQ(controlSite->OnControlInfoChanged(), S_OK);
  IDispatch* extended = reinterpret_cast<IDispatch*>(1);
  EXPECT_EQ(controlSite->GetExtendedControl(&extended), E_NOTIMPL);
  EXPECT_EQ(extended, nullptr);
  MSG key{host_, WM_KEYDOWN, VK_TAB, 0, 0, {}};
  EXPECT_EQ(controlSite->TranslateAccelerator(&key, 0), S_FALSE);  // the container has no accelerators

  // An inch is 2540 HIMETRIC units, whatever the screen's pixels per inch; back again it is the
  // same number.
  HDC screen = GetDC(nullptr);
  const float dpiX = static_cast<float>(GetDeviceCaps(screen, LOGPIXELSX));
  ReleaseDC(nullptr, screen);
  POINTL himetric{2540, 5080};
  POINTF pixels{};
  ASSERT_EQ(controlSite->TransformCoords(&himetric, &pixels, XFORMCOORDS_HIMETRICTOCONTAINER | XFORMCOORDS_SIZE), S_OK);
  EXPECT_FLOAT_EQ(pixels.x, dpiX);
  POINTL back{};
  ASSERT_EQ(controlSite->TransformCoords(&back, &pixels, XFORMCOORDS_CONTAINERTOHIMETRIC | XFORMCOORDS_SIZE), S_OK);
  EXPECT_EQ(back.x, 2540);
  EXPECT_EQ(back.y, 5080);
  EXPECT_EQ(controlSite->TransformCoords(&himetric, nullptr, XFORMCOORDS_HIMETRICTOCONTAINER), E_POINTER);
}

TEST_F(ControlSiteTest, UnknownClassFailsCleanly) {
  const CLSID unknown{0x1234, 0x5678, 0x9abc, {1, 2, 3, 4, 5, 6, 7, 8}};
  EXPECT_EQ(site_->CreateControl(unknown, host_, RECT{0, 0, 10, 10}), REGDB_E_CLASSNOTREG);
  EXPECT_FALSE(site_->created());
  EXPECT_FALSE(site_->controlWindow());
}

TEST(ControlContainerManager, StartUpChoosesTheSiteKind) {
  struct Extended : ControlContainerManager {
    int made = 0;
    ComPtr<ControlSite> MakeSite() override {
      ++made;
      return ControlSite::Make();
    }
  };
  auto extended = std::make_unique<Extended>();
  Extended* installed = extended.get();
  ControlContainerManager::Install(std::move(extended));
  EXPECT_TRUE(ControlContainerManager::Current().MakeSite());
  EXPECT_EQ(installed->made, 1);
  ControlContainerManager::Install(nullptr);
  EXPECT_NE(&ControlContainerManager::Current(), installed);
  EXPECT_TRUE(ControlContainerManager::Current().MakeSite());
}

TEST(Variants, ConvertAsAutomationDoes) {
  EXPECT_EQ(Variant::String(L"42").AsLong(), 42);
  EXPECT_EQ(Variant::Long(7).AsString(), L"7");
  EXPECT_EQ(Variant::Bool(true).AsLong(), -1);
  EXPECT_FALSE(Variant::String(L"x").AsLong());
  Variant moved = Variant::String(L"kept");
  Variant target;
  target = std::move(moved);
  EXPECT_EQ(target.AsString(), L"kept");
  EXPECT_EQ(moved.get()->vt, VT_EMPTY);
}

}  // namespace
}  // namespace zp::win
