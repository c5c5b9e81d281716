#include "player/shockwave_flash.h"

#include "framework/application.h"
#include "framework/variant.h"
#include "fscommand/fs_command_manager.h"

namespace zp::player {

using win::Variant;
namespace id = flash_dispid;

CShockwaveFlash::~CShockwaveFlash() { Destroy(); }

bool CShockwaveFlash::Create(HWND parent, const RECT& rect, UINT controlId, bool visible) {
  Destroy();
  auto site = win::ControlContainerManager::Current().MakeSite();
  if (!site) return false;
  site->SetEventHandler([this](DISPID dispid, DISPPARAMS& params) { return OnEvent(dispid, params); });
  if (FAILED(site->CreateControl(kShockwaveFlashClsid, parent, rect, controlId))) {
    site->SetEventHandler({});
    return false;
  }
  site_ = std::move(site);
  if (HWND window = GetSafeHwnd()) ShowWindow(window, visible ? SW_SHOWNA : SW_HIDE);
  return true;
}

void CShockwaveFlash::Destroy() {
  if (!site_) return;
  auto site = std::move(site_);  // events raised while closing find no site
  site->SetEventHandler({});
  site->Destroy();
}

long CShockwaveFlash::CallLong(DISPID dispid) {
  Variant result;
  if (FAILED(win::CallMethod(dispatch(), dispid, {}, &result))) return 0;
  return result.AsLong().value_or(0);
}

void CShockwaveFlash::CallVoid(DISPID dispid) { win::CallMethod(dispatch(), dispid, {}); }

long CShockwaveFlash::TotalFrames() { return win::GetLongProperty(dispatch(), id::kTotalFrames).value_or(0); }
void CShockwaveFlash::ScaleMode(long mode) { win::PutProperty(dispatch(), id::kScaleMode, Variant::Long(mode)); }
void CShockwaveFlash::BackgroundColor(long colour) {
  win::PutProperty(dispatch(), id::kBackgroundColor, Variant::Long(colour));
}
bool CShockwaveFlash::GetLoop() { return win::GetBoolProperty(dispatch(), id::kLoop).value_or(false); }
void CShockwaveFlash::PutLoop(bool loop) { win::PutProperty(dispatch(), id::kLoop, Variant::Bool(loop)); }
std::wstring CShockwaveFlash::GetMovie() { return win::GetStringProperty(dispatch(), id::kMovie).value_or(L""); }
void CShockwaveFlash::PutMovie(const std::wstring& path) {
  win::PutProperty(dispatch(), id::kMovie, Variant::String(path));
}
void CShockwaveFlash::SetZoomRect(long left, long top, long right, long bottom) {
  const Variant l = Variant::Long(left), t = Variant::Long(top), r = Variant::Long(right), b = Variant::Long(bottom);
  win::CallMethod(dispatch(), id::kSetZoomRect, {&l, &t, &r, &b});
}
void CShockwaveFlash::Play() { CallVoid(id::kPlay); }
void CShockwaveFlash::Back() { CallVoid(id::kBack); }
void CShockwaveFlash::Forward() { CallVoid(id::kForward); }
void CShockwaveFlash::Rewind() { CallVoid(id::kRewind); }
void CShockwaveFlash::StopPlay() { CallVoid(id::kStopPlay); }
long CShockwaveFlash::CurrentFrame() { return CallLong(id::kCurrentFrame); }
bool CShockwaveFlash::IsPlaying() {
  Variant result;
  if (FAILED(win::CallMethod(dispatch(), id::kIsPlaying, {}, &result))) return false;
  return result.AsBool().value_or(false);
}
long CShockwaveFlash::FlashVersion() { return CallLong(id::kFlashVersion); }
void CShockwaveFlash::Base(const std::wstring& path) { win::PutProperty(dispatch(), id::kBase, Variant::String(path)); }
void CShockwaveFlash::BGColor(const std::wstring& colour) {
  win::PutProperty(dispatch(), id::kBGColor, Variant::String(colour));
}
void CShockwaveFlash::SetVariable(const std::wstring& name, const std::wstring& value) {
  const Variant n = Variant::String(name), v = Variant::String(value);
  win::CallMethod(dispatch(), id::kSetVariable, {&n, &v});
}
void CShockwaveFlash::TSetProperty(const std::wstring& target, long property, const std::wstring& value) {
  const Variant t = Variant::String(target), p = Variant::Long(property), v = Variant::String(value);
  win::CallMethod(dispatch(), id::kTSetProperty, {&t, &p, &v});
}
std::wstring CShockwaveFlash::TGetProperty(const std::wstring& target, long property) {
  const Variant t = Variant::String(target), p = Variant::Long(property);
  Variant result;
  if (FAILED(win::CallMethod(dispatch(), id::kTGetProperty, {&t, &p}, &result))) return L"";
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
  if (dispid == id::kFsCommandEvent) {
    const auto command = StringArgument(params, 0);
    const auto arguments = StringArgument(params, 1);
    return OnFSCommand(command.value_or(L""), arguments.value_or(L""));
  }
  if (dispid == id::kReadyStateChangeEvent) {
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
  if (state == 4) movieReady = true;
  return true;
}

}  // namespace zp::player
