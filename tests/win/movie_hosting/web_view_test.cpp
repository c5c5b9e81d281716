// Web page entries under Wine: the browser control is created and hosted, sized and torn
// down for real. Wine runs here without its HTML engine, so pages never render; what the
// player decides before a page would render (the frame, the sizes, "app:" addresses) is
// tested against the real control.
#include "player/html_view.h"

#include <exdisp.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "movie_test_support.h"
#include "platform/wide.h"
#include "player/flash_host.h"
#include "swf_writer.h"
#include "test_files.h"

namespace zp::player {
namespace {

// BeforeNavigate2's arguments as the browser passes them: last first, the address as a string
// inside a VARIANT by reference, Cancel a VARIANT_BOOL by reference.
class BeforeNavigateArguments {
 public:
  explicit BeforeNavigateArguments(const std::wstring& address) {
    VariantInit(&address_);
    address_.vt = VT_BSTR;
    address_.bstrVal = SysAllocStringLen(address.data(), static_cast<UINT>(address.size()));
    VariantInit(&empty_);
    for (VARIANT& argument : arguments_) VariantInit(&argument);
    arguments_[6].vt = VT_DISPATCH;  // the frame's browser; none here
    arguments_[5].vt = VT_BYREF | VT_VARIANT;
    arguments_[5].pvarVal = &address_;
    for (int i = 1; i <= 4; ++i) {  // flags, target frame, post data, headers
      arguments_[i].vt = VT_BYREF | VT_VARIANT;
      arguments_[i].pvarVal = &empty_;
    }
    arguments_[0].vt = VT_BYREF | VT_BOOL;
    arguments_[0].pboolVal = &cancel_;
    params_.rgvarg = arguments_;
    params_.cArgs = 7;
  }
  ~BeforeNavigateArguments() { VariantClear(&address_); }
  BeforeNavigateArguments(const BeforeNavigateArguments&) = delete;
  BeforeNavigateArguments& operator=(const BeforeNavigateArguments&) = delete;

  DISPPARAMS& params() { return params_; }
  VARIANT* arguments() { return arguments_; }
  bool cancelled() const { return cancel_ == VARIANT_TRUE; }

 private:
  VARIANT address_;
  VARIANT empty_;
  VARIANT arguments_[7];
  VARIANT_BOOL cancel_ = VARIANT_FALSE;
  DISPPARAMS params_{};
};

// The event sinks that the browser would call: those advised on its DWebBrowserEvents2 point.
std::vector<win::ComPtr<IDispatch>> BrowserEventSinks(IDispatch* browser) {
  std::vector<win::ComPtr<IDispatch>> sinks;
  win::ComPtr<IConnectionPointContainer> container;
  win::ComPtr<IConnectionPoint> point;
  win::ComPtr<IEnumConnections> connections;
  if (!browser || FAILED(browser->QueryInterface(IID_PPV_ARGS(&container))) ||
      FAILED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, &point)) ||
      FAILED(point->EnumConnections(&connections))) {
    return sinks;
  }
  CONNECTDATA data{};
  while (connections->Next(1, &data, nullptr) == S_OK) {
    win::ComPtr<IDispatch> sink;
    if (data.pUnk && SUCCEEDED(data.pUnk->QueryInterface(IID_PPV_ARGS(&sink)))) sinks.push_back(sink);
    if (data.pUnk) data.pUnk->Release();
  }
  return sinks;
}

bool PumpUntil(const std::function<bool()>& done, DWORD deadlineMs = 5000) { return test::PumpUntil(done, deadlineMs); }

// The address the browser is at (or going to), or "" when it cannot say.
std::wstring LocationOf(IDispatch* view) {
  win::ComPtr<IWebBrowser2> browser;
  BSTR location = nullptr;
  if (!view || FAILED(view->QueryInterface(IID_PPV_ARGS(&browser))) || FAILED(browser->get_LocationURL(&location)) ||
      !location) {
    return L"";
  }
  std::wstring text(location, SysStringLen(location));
  SysFreeString(location);
  return text;
}

RECT RectInParent(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    children.push_back(child);
  }
  return children;
}

// Records what reaches the view: every BeforeNavigate2 and every application command.
class RecordingHtmlCtrl : public CHtmlCtrl {
 public:
  bool OnBeforeNavigate2(DISPPARAMS& params) override {
    ++navigations;
    return CHtmlCtrl::OnBeforeNavigate2(params);
  }
  std::vector<std::wstring> commands;
  int navigations = 0;

 protected:
  void OnAppCmd(const std::wstring& command) override { commands.push_back(command); }
};

class WebViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    top_ = CreateWindowExW(0, L"STATIC", L"player", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 500,
                           400, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(top_);
  }
  void TearDown() override { DestroyWindow(top_); }

  std::wstring Page(const char16_t* name) {
    const auto path = scratch_.File(name);
    EXPECT_TRUE(test::WriteBytes(path, test::ToBytes("<html><body><a href=\"app:next\">next</a></body></html>")));
    return ToWide(path);
  }
  std::wstring Movie(const char16_t* name) {
    zp::swfgen::MovieWriter m(6, 550, 400, 12);
    m.ShowFrame();
    const auto path = scratch_.File(name);
    EXPECT_TRUE(test::WriteBytes(path, m.Finish(false)));
    return ToWide(path);
  }

  HWND top_ = nullptr;
  test::ScratchDirectory scratch_;
};

// The frame's client size plus one pixel each way, at the frame's origin.
void ExpectBrowserCoversFrame(HWND frame, HWND browser) {
  RECT client{};
  GetClientRect(frame, &client);
  const RECT r = RectInParent(browser);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right, client.right + 1);
  EXPECT_EQ(r.bottom, client.bottom + 1);
}

TEST_F(WebViewTest, AWebEntryShowsTheBrowserInAFrameOnePixelLargerThanItsClientArea) {
  CFlashHost host;
  CMovieControl::offerInstall = false;
  ASSERT_TRUE(host.CreateHost(top_, false, RECT{10, 10, 450, 340}));
  ASSERT_TRUE(host.ShowItem(L" " + Page(u"page.HTM") + L"  "));
  EXPECT_EQ(host.kind(), CFlashHost::kWeb);
  EXPECT_EQ(host.GetItemPath(), Page(u"page.HTM"));

  const HWND frame = host.webFrame();
  ASSERT_TRUE(frame);
  EXPECT_EQ(GetDlgCtrlID(frame), 27531);
  EXPECT_EQ(GetParent(frame), host.hwnd());
  EXPECT_TRUE(GetWindowLongPtrW(frame, GWL_EXSTYLE) & WS_EX_STATICEDGE);
  EXPECT_TRUE(GetWindowLongPtrW(frame, GWL_STYLE) & WS_VISIBLE);
  RECT hostClient{};
  GetClientRect(host.hwnd(), &hostClient);
  const RECT frameRect = RectInParent(frame);
  EXPECT_EQ(frameRect.right - frameRect.left, hostClient.right);
  EXPECT_EQ(frameRect.bottom - frameRect.top, hostClient.bottom);

  const HWND browser = host.webView().GetSafeHwnd();
  ASSERT_TRUE(browser);
  EXPECT_EQ(Children(frame), std::vector<HWND>{browser});
  EXPECT_TRUE(PumpUntil([&] { return LocationOf(host.webView().dispatch()).ends_with(L"page.HTM"); }))
      << "the web view navigates to the entry";
  ExpectBrowserCoversFrame(frame, browser);

  // The main window resizes the host; the frame follows and the browser follows the frame.
  MoveWindow(host.hwnd(), 0, 0, 301, 203, TRUE);
  GetClientRect(host.hwnd(), &hostClient);
  EXPECT_EQ(RectInParent(frame).right, hostClient.right);
  EXPECT_EQ(RectInParent(frame).bottom, hostClient.bottom);
  EXPECT_EQ(host.webView().GetSafeHwnd(), browser);
  ExpectBrowserCoversFrame(frame, browser);

  // A second page keeps the frame and the browser, and goes there.
  ASSERT_TRUE(host.ShowItem(Page(u"second.html")));
  EXPECT_EQ(host.webFrame(), frame);
  EXPECT_EQ(host.webView().GetSafeHwnd(), browser);
  EXPECT_TRUE(PumpUntil([&] { return LocationOf(host.webView().dispatch()).ends_with(L"second.html"); }));
  host.Destroy();
  EXPECT_FALSE(IsWindow(browser));
}

TEST_F(WebViewTest, SwitchingToAMovieOrAPictureDestroysTheFrameAndTheBrowser) {
  CFlashHost host;
  CMovieControl::offerInstall = false;
  ASSERT_TRUE(host.CreateHost(top_, false, RECT{0, 0, 440, 330}));
  for (const bool toMovie : {true, false}) {
    ASSERT_TRUE(host.ShowItem(Page(u"page.html")));
    const HWND frame = host.webFrame();
    const HWND browser = host.webView().GetSafeHwnd();
    ASSERT_TRUE(frame && browser);
    if (toMovie) {
      ASSERT_TRUE(host.ShowItem(Movie(u"next.swf")));
      EXPECT_EQ(host.kind(), CFlashHost::kMovie);
      EXPECT_TRUE(host.movie().GetControlWindow());
    } else {
      // A file the host does not know is shown as a picture.
      const auto picture = scratch_.File(u"next.png");
      ASSERT_TRUE(test::WriteBytes(picture, test::ToBytes("not really a picture")));
      ASSERT_TRUE(host.ShowItem(ToWide(picture)));
      EXPECT_EQ(host.kind(), CFlashHost::kPicture);
      EXPECT_TRUE(host.pictureWindow());
    }
    EXPECT_FALSE(host.webFrame());
    EXPECT_FALSE(host.webView().GetSafeHwnd());
    EXPECT_FALSE(IsWindow(frame));
    EXPECT_FALSE(IsWindow(browser));
  }
  // And back: a web entry takes the movie control away.
  ASSERT_TRUE(host.ShowItem(Movie(u"again.swf")));
  ASSERT_TRUE(host.ShowItem(Page(u"after.html")));
  EXPECT_FALSE(host.movie().GetControlWindow());
  EXPECT_TRUE(host.webView().GetSafeHwnd());
}

TEST_F(WebViewTest, TheBrowsersOwnEventSinkCancelsAppAddressesAndLetsOthersThrough) {
  CWebFrame frame;
  ASSERT_TRUE(frame.Create(top_, RECT{0, 0, 200, 100}, 27531));
  std::vector<std::wstring> commands;
  frame.view().onAppCommand = [&](const std::wstring& command) { commands.push_back(command); };
  const auto sinks = BrowserEventSinks(frame.view().dispatch());
  ASSERT_EQ(sinks.size(), 1u) << "the view listens to the browser's DWebBrowserEvents2";

  auto raise = [&](BeforeNavigateArguments& arguments) {
    UINT argumentError = 0;
    return sinks[0]->Invoke(web_dispid::kBeforeNavigate2, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                            &arguments.params(), nullptr, nullptr, &argumentError);
  };
  for (const wchar_t* address : {L"app:next", L"APP:Go Back", L"App:"}) {
    BeforeNavigateArguments arguments(address);
    EXPECT_EQ(raise(arguments), S_OK);
    EXPECT_TRUE(arguments.cancelled()) << address;
  }
  EXPECT_EQ(commands, (std::vector<std::wstring>{L"next", L"Go Back", L""}));

  for (const wchar_t* address : {L"http://example.com/app:next", L"file:///C:/show/page.htm", L"about:blank",
                                 L"application:x", L" app:x"}) {
    BeforeNavigateArguments arguments(address);
    EXPECT_EQ(raise(arguments), S_OK);
    EXPECT_FALSE(arguments.cancelled()) << address;
  }
  EXPECT_EQ(commands.size(), 3u);
}

TEST_F(WebViewTest, MalformedBeforeNavigateArgumentsAreIgnored) {
  RecordingHtmlCtrl view;
  {
    BeforeNavigateArguments arguments(L"app:x");
    arguments.params().cArgs = 6;  // one short
    EXPECT_FALSE(view.OnBeforeNavigate2(arguments.params()));
    EXPECT_FALSE(arguments.cancelled());
  }
  {
    BeforeNavigateArguments arguments(L"app:x");
    arguments.arguments()[0].vt = VT_BOOL;  // Cancel not by reference: cannot be answered
    EXPECT_FALSE(view.OnBeforeNavigate2(arguments.params()));
  }
  {
    BeforeNavigateArguments arguments(L"app:x");
    arguments.arguments()[5].vt = VT_I4;  // no address
    arguments.arguments()[5].lVal = 7;
    EXPECT_FALSE(view.OnBeforeNavigate2(arguments.params()));
    EXPECT_FALSE(arguments.cancelled());
  }
  {
    BeforeNavigateArguments arguments(L"app:plain");
    arguments.arguments()[5] = VARIANT{};  // the address as a plain string is read as well
    arguments.arguments()[5].vt = VT_BSTR;
    arguments.arguments()[5].bstrVal = SysAllocString(L"app:plain");
    EXPECT_TRUE(view.OnBeforeNavigate2(arguments.params()));
    EXPECT_TRUE(arguments.cancelled());
    VariantClear(&arguments.arguments()[5]);
  }
  DISPPARAMS none{};
  EXPECT_FALSE(view.OnBeforeNavigate2(none));
  EXPECT_EQ(view.commands, std::vector<std::wstring>{L"plain"});
}

TEST_F(WebViewTest, TheBrowserAsksFirstAndAnAppAddressGoesNowhere) {
  RecordingHtmlCtrl view;
  ASSERT_TRUE(view.Create(top_, RECT{0, 0, 200, 100}));
  win::ComPtr<IWebBrowser2> browser;
  ASSERT_TRUE(view.dispatch() && SUCCEEDED(view.dispatch()->QueryInterface(IID_PPV_ARGS(&browser))));

  // Straight to the browser, as a link in a page would go: it asks, and is told no.
  VARIANT empty;
  VariantInit(&empty);
  BSTR address = SysAllocString(L"APP:from the page");
  const HRESULT hr = browser->Navigate(address, &empty, &empty, &empty, &empty);
  SysFreeString(address);
  EXPECT_TRUE(PumpUntil([&] { return !view.commands.empty(); })) << "Navigate 0x" << std::hex << hr;
  EXPECT_EQ(view.commands, std::vector<std::wstring>{L"from the page"});
  EXPECT_EQ(view.navigations, 1);
  EXPECT_EQ(LocationOf(browser.Get()).find(L"from the page"), std::wstring::npos);

  // Through the view an "app:" address is decided before the browser hears of it.
  view.Navigate(L"aPP:quit now");
  EXPECT_EQ(view.commands, (std::vector<std::wstring>{L"from the page", L"quit now"}));
  EXPECT_EQ(view.navigations, 1);

  // An ordinary address is asked about and then navigated to. (Without Wine's HTML engine the
  // page stays loading and is never drawn; the browser's location is as far as it goes here.)
  view.Navigate(Page(u"plain.html"));
  EXPECT_TRUE(PumpUntil([&] { return LocationOf(browser.Get()).ends_with(L"plain.html"); }))
      << "location " << FromWide(LocationOf(browser.Get())).size() << " characters";
  EXPECT_EQ(view.navigations, 2);
  EXPECT_EQ(view.commands.size(), 2u);
  view.Stop();
}

TEST_F(WebViewTest, WithoutABrowserTheFrameStaysEmptyAndTheEntryReportsIt) {
  // A container that can host nothing, as on a system without the browser control.
  struct NoControls : win::ControlContainerManager {
    win::ComPtr<win::ControlSite> MakeSite() override { return nullptr; }
  };
  CFlashHost host;
  ASSERT_TRUE(host.CreateHost(top_, false, RECT{0, 0, 300, 200}));
  win::ControlContainerManager::Install(std::make_unique<NoControls>());
  const bool shown = host.ShowItem(Page(u"nowhere.html"));
  win::ControlContainerManager::Install(nullptr);
  EXPECT_FALSE(shown);
  EXPECT_EQ(host.kind(), CFlashHost::kWeb);
  ASSERT_TRUE(host.webFrame());
  EXPECT_TRUE(Children(host.webFrame()).empty());
  MoveWindow(host.hwnd(), 0, 0, 200, 100, TRUE);  // resizing an empty frame is harmless
  EXPECT_TRUE(host.IsReady());
}

TEST_F(WebViewTest, ViewOperationsWithoutABrowserDoNothing) {
  RecordingHtmlCtrl view;
  EXPECT_FALSE(view.GetSafeHwnd());
  EXPECT_FALSE(view.dispatch());
  view.Stop();
  view.Resize(10, 10);
  view.Navigate(L"http://example.com/");
  view.Navigate(L"app:still handled");
  EXPECT_EQ(view.commands, std::vector<std::wstring>{L"still handled"});
  view.Destroy();
  view.Destroy();
}

}  // namespace
}  // namespace zp::player
