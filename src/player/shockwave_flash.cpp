#include "player/shockwave_flash.h"

#include "common/movie_ids.h"
#include "framework/application.h"
#include "framework/variant.h"
#include "fscommand/fs_command_manager.h"

namespace zp::player {

using win::Variant;
using namespace zp::movie;

namespace {

// The twin's method that stands for a member of the windowed control used this way.
DISPID TwinOf(DISPID member, WORD use) {
  for (const TwinMember& m : kTwinMembers) {
    if (m.member == member && m.use == use) return m.twin;
  }
  return DISPID_UNKNOWN;
}

}  // namespace

CShockwaveFlash::~CShockwaveFlash() { Destroy(); }

bool CShockwaveFlash::Connect(win::ComPtr<win::ControlSite> site) {
  site_ = std::move(site);
  return true;
}

bool CShockwaveFlash::Create(HWND parent, const RECT& rect, UINT controlId, bool visible) {
  Destroy();
  auto site = win::ControlContainerManager::Current().MakeSite();
  if (!site) return false;
  site->SetEventHandler([this](DISPID dispid, DISPPARAMS& params) { return OnEvent(dispid, params); });
  if (FAILED(site->CreateControl(kMovieControlClsid, parent, rect, controlId))) {
    site->SetEventHandler({});
    return false;
  }
  windowless_ = false;
  Connect(std::move(site));
  if (HWND window = GetSafeHwnd()) ShowWindow(window, visible ? SW_SHOWNA : SW_HIDE);
  return true;
}

bool CShockwaveFlash::CreateWindowless(win::WindowlessContainer& container, const RECT& rect) {
  Destroy();
  auto site = container.CreateControl(kFernwikClsid, rect, true);
  auto* windowlessSite = dynamic_cast<win::WindowlessSite*>(site.Get());
  // A control that made a window of its own cannot be drawn into a layered window.
  if (!windowlessSite || !windowlessSite->windowless() || windowlessSite->controlWindow()) {
    if (site) site->Destroy();
    return false;
  }
  site->SetEventHandler([this](DISPID dispid, DISPPARAMS& params) { return OnEvent(dispid, params); });
  windowless_ = true;
  return Connect(std::move(site));
}

void CShockwaveFlash::Destroy() {
  if (!site_) return;
  auto site = std::move(site_);  // events raised while closing find no site
  site->SetEventHandler({});
  site->Destroy();
}

HRESULT CShockwaveFlash::Read(DISPID dispid, Variant* out) {
  if (!windowless_) return win::GetProperty(dispatch(), dispid, out);
  const DISPID method = TwinOf(dispid, kMemberRead);
  return method == DISPID_UNKNOWN ? E_NOTIMPL : win::CallMethod(dispatch(), method, {}, out);
}

HRESULT CShockwaveFlash::Write(DISPID dispid, const Variant& value) {
  if (!windowless_) return win::PutProperty(dispatch(), dispid, value);
  const DISPID method = TwinOf(dispid, kMemberWrite);
  return method == DISPID_UNKNOWN ? E_NOTIMPL : win::CallMethod(dispatch(), method, {&value});
}

HRESULT CShockwaveFlash::Call(DISPID dispid, std::initializer_list<const Variant*> arguments, Variant* out) {
  if (!windowless_) return win::CallMethod(dispatch(), dispid, arguments, out);
  const DISPID method = TwinOf(dispid, kMemberCall);
  return method == DISPID_UNKNOWN ? E_NOTIMPL : win::CallMethod(dispatch(), method, arguments, out);
}

long CShockwaveFlash::CallLong(DISPID dispid) {
  Variant result;
  if (FAILED(Call(dispid, {}, &result))) return 0;
  return result.AsLong().value_or(0);
}

void CShockwaveFlash::CallVoid(DISPID dispid) { Call(dispid, {}); }

long CShockwaveFlash::TotalFrames() {
  Variant result;
  return SUCCEEDED(Read(kDispTotalFrames, &result)) ? result.AsLong().value_or(0) : 0;
}
void CShockwaveFlash::ScaleMode(long mode) { Write(kDispScaleMode, Variant::Long(mode)); }
void CShockwaveFlash::BackgroundColor(long colour) { Write(kDispBackgroundColor, Variant::Long(colour)); }
bool CShockwaveFlash::GetLoop() {
  Variant result;
  return SUCCEEDED(Read(kDispLoop, &result)) && result.AsBool().value_or(false);
}
void CShockwaveFlash::PutLoop(bool loop) { Write(kDispLoop, Variant::Bool(loop)); }
std::wstring CShockwaveFlash::GetMovie() {
  Variant result;
  return SUCCEEDED(Read(kDispMovie, &result)) ? result.AsString().value_or(L"") : L"";
}
void CShockwaveFlash::PutMovie(const std::wstring& path) { Write(kDispMovie, Variant::String(path)); }
void CShockwaveFlash::SetZoomRect(long left, long top, long right, long bottom) {
  const Variant l = Variant::Long(left), t = Variant::Long(top), r = Variant::Long(right), b = Variant::Long(bottom);
  Call(kDispSetZoomRect, {&l, &t, &r, &b});
}
void CShockwaveFlash::Play() { CallVoid(kDispPlay); }
void CShockwaveFlash::Back() { CallVoid(kDispBack); }
void CShockwaveFlash::Forward() { CallVoid(kDispForward); }
void CShockwaveFlash::Rewind() { CallVoid(kDispRewind); }
void CShockwaveFlash::StopPlay() { CallVoid(kDispStopPlay); }
long CShockwaveFlash::CurrentFrame() { return CallLong(kDispCurrentFrame); }
bool CShockwaveFlash::IsPlaying() {
  Variant result;
  if (FAILED(Call(kDispIsPlaying, {}, &result))) return false;
  return result.AsBool().value_or(false);
}
long CShockwaveFlash::FlashVersion() { return CallLong(kDispFlashVersion); }
void CShockwaveFlash::Base(const std::wstring& path) { Write(kDispBase, Variant::String(path)); }
void CShockwaveFlash::BGColor(const std::wstring& colour) { Write(kDispBGColor, Variant::String(colour)); }
void CShockwaveFlash::SetVariable(const std::wstring& name, const std::wstring& value) {
  const Variant n = Variant::String(name), v = Variant::String(value);
  Call(kDispSetVariable, {&n, &v});
}
void CShockwaveFlash::TSetProperty(const std::wstring& target, long property, const std::wstring& value) {
  const Variant t = Variant::String(target), p = Variant::Long(property), v = Variant::String(value);
  Call(kDispTSetProperty, {&t, &p, &v});
}
std::wstring CShockwaveFlash::TGetProperty(const std::wstring& target, long property) {
  const Variant t = Variant::String(target), p = Variant::Long(property);
  Variant result;
  if (FAILED(Call(kDispTGetProperty, {&t, &p}, &result))) return L"";
  return result.AsString().value_or(L"");
}

namespace {

// Argument `index` in declaration order (automation passes them last first).
std::optional<std::wstring> StringArgument(const DISPPARAMS& params, UINT index) {
  if (index >= params.cArgs || !params.rgvarg) return std::nullopt;
  Variant copy;
  if (FAILED(VariantCopy(copy.get(), &params.rgvarg[params.cArgs - 1 - index]))) return std::nullopt;
  return copy.AsString();
}

std::optional<long> LongArgument(const DISPPARAMS& params, UINT index) {
  if (index >= params.cArgs || !params.rgvarg) return std::nullopt;
  Variant copy;
  if (FAILED(VariantCopy(copy.get(), &params.rgvarg[params.cArgs - 1 - index]))) return std::nullopt;
  return copy.AsLong();
}

}  // namespace

bool CFlashMovieCtrl::OnEvent(DISPID dispid, DISPPARAMS& params) {
  // The twin numbers its two events 1 and 2.
  if (windowless() && dispid == kFernEventFsCommand) dispid = kEventFsCommand;
  if (windowless() && dispid == kFernEventReadyState) dispid = kEventReadyStateChange;
  if (dispid == kEventFsCommand) {
    const auto command = StringArgument(params, 0);
    const auto arguments = StringArgument(params, 1);
    return OnFSCommand(command.value_or(L""), arguments.value_or(L""));
  }
  if (dispid == kEventReadyStateChange) {
    return OnReadyStateChange(LongArgument(params, 0).value_or(0));
  }
  return false;
}

bool CFlashMovieCtrl::OnFSCommand(const std::wstring& command, const std::wstring& arguments) {
  if (onFsCommand) return onFsCommand(command, arguments);
  // The first command of a run also hands the extension libraries the main window.
  const auto* application = win::Application::Current();
  fscommand::GetFsCommandManager().OnFsCommand(this, command, arguments, false,
                                               application ? application->mainWindow() : nullptr);
  return true;
}

bool CFlashMovieCtrl::OnReadyStateChange(long state) {
  if (state == kReadyStateComplete) movieReady = true;
  return true;
}

}  // namespace zp::player
