#include "player/html_view.h"

#include <exdisp.h>

#include <optional>

#include "core/web/app_address.h"
#include "framework/variant.h"
#include "platform/wide.h"

namespace zp::player {
namespace {

// BeforeNavigate2 (pDisp, URL, Flags, TargetFrameName, PostData, Headers, Cancel) arrives with
// its arguments last first: the address is rgvarg[5], Cancel rgvarg[0].
constexpr UINT kBeforeNavigate2Arguments = 7;
constexpr UINT kAddressSlot = 5;
constexpr UINT kCancelSlot = 0;

// The address, which the control passes as a string inside a VARIANT by reference (a plain or
// by-reference string is read the same way); nullopt for anything else.
std::optional<std::wstring> AddressArgument(const VARIANT& argument) {
  win::Variant address;
  if (FAILED(VariantCopyInd(address.get(), const_cast<VARIANT*>(&argument)))) return std::nullopt;
  if (address.get()->vt != VT_BSTR) return std::nullopt;
  const BSTR text = address.get()->bstrVal;
  return text ? std::wstring(text, SysStringLen(text)) : std::wstring();
}

}  // namespace

CHtmlCtrl::~CHtmlCtrl() { Destroy(); }

bool CHtmlCtrl::Create(HWND parent, const RECT& rect, UINT id) {
  Destroy();
  auto site = win::ControlContainerManager::Current().MakeSite();
  if (!site) return false;
  site->SetEventHandler([this](DISPID dispid, DISPPARAMS& params) {
    return dispid == web_dispid::kBeforeNavigate2 && OnBeforeNavigate2(params);
  });
  if (FAILED(site->CreateControl(kWebBrowserClsid, parent, rect, id))) {
    site->SetEventHandler({});
    return false;
  }
  site_ = std::move(site);
  return true;
}

void CHtmlCtrl::Destroy() {
  if (!site_) return;
  auto site = std::move(site_);  // events raised while closing find no view
  site->SetEventHandler({});
  site->Destroy();
}

void CHtmlCtrl::Resize(int width, int height) {
  if (!site_) return;
  const RECT& at = site_->position();
  site_->SetPosition(RECT{at.left, at.top, at.left + width, at.top + height});
}

void CHtmlCtrl::Stop() {
  win::ComPtr<IWebBrowser2> browser;
  if (site_ && site_->control() && SUCCEEDED(site_->control()->QueryInterface(IID_PPV_ARGS(&browser)))) {
    browser->Stop();
  }
}

void CHtmlCtrl::Navigate(const std::wstring& address) {
  // The browser would ask BeforeNavigate2 first; deciding here as well keeps an "app:" address
  // from ever reaching a browser that does not ask.
  if (TakeApplicationCommand(address)) return;
  win::ComPtr<IWebBrowser2> browser;
  if (!site_ || !site_->control() || FAILED(site_->control()->QueryInterface(IID_PPV_ARGS(&browser)))) return;
  win::Variant url = win::Variant::String(address);
  win::Variant flags, target, postData, headers;  // empty: the browser's defaults
  browser->Navigate(url.get()->bstrVal, flags.get(), target.get(), postData.get(), headers.get());
}

bool CHtmlCtrl::OnBeforeNavigate2(DISPPARAMS& params) {
  if (params.cArgs != kBeforeNavigate2Arguments || !params.rgvarg) return false;
  VARIANT& cancel = params.rgvarg[kCancelSlot];
  if (cancel.vt != (VT_BYREF | VT_BOOL) || !cancel.pboolVal) return false;
  const auto address = AddressArgument(params.rgvarg[kAddressSlot]);
  if (!address || !ApplicationCommandOf(FromWide(*address))) return false;  // navigates as asked
  *cancel.pboolVal = VARIANT_TRUE;
  TakeApplicationCommand(*address);
  return true;
}

bool CHtmlCtrl::TakeApplicationCommand(const std::wstring& address) {
  const std::u16string text = FromWide(address);
  const auto command = ApplicationCommandOf(text);
  if (!command) return false;
  const std::wstring rest = ToWide(*command);
  if (onAppCommand) {
    onAppCommand(rest);
  } else {
    OnAppCmd(rest);
  }
  return true;
}

void CHtmlCtrl::OnAppCmd(const std::wstring&) {}

CWebFrame::~CWebFrame() {
  // While this class still handles the window's messages, so that WM_DESTROY closes the browser.
  Destroy();
}

bool CWebFrame::Create(HWND parent, const RECT& rect, UINT id) {
  if (!win::Window::Create(WS_EX_STATICEDGE, L"", WS_CHILD | WS_VISIBLE, rect, parent, id)) return false;
  RECT client{};
  GetClientRect(hwnd(), &client);
  view_.Create(hwnd(), RECT{0, 0, client.right + 1, client.bottom + 1});
  return true;
}

void CWebFrame::FitView() {
  RECT client{};
  GetClientRect(hwnd(), &client);
  view_.Resize(client.right + 1, client.bottom + 1);
}

LRESULT CWebFrame::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      FitView();
      return 0;
    case WM_DESTROY:
      view_.Destroy();
      break;
    default:
      break;
  }
  return win::Window::HandleMessage(message, wParam, lParam);
}

}  // namespace zp::player
