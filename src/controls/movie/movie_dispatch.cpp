// The control's automation interface: names, dispatch identifiers and argument conversion.
// There is no type library; callers use GetIDsOfNames or the identifiers directly.
#include <windows.h>
#include <oleauto.h>

#include <algorithm>
#include <cwchar>
#include <string>

#include "movie_control.h"
#include "common/movie_ids.h"
#include "platform/wide.h"

namespace zp::movie {
namespace {

struct Member {
  const wchar_t* name;
  DISPID id;
};

constexpr Member kMembers[] = {
    {L"ReadyState", kDispReadyState},   {L"Movie", kDispMovie},
    {L"Loop", kDispLoop},               {L"SetZoomRect", kDispSetZoomRect},
    {L"Play", kDispPlay},               {L"Back", kDispBack},
    {L"Forward", kDispForward},         {L"Rewind", kDispRewind},
    {L"ScaleMode", kDispScaleMode},     {L"BackgroundColor", kDispBackgroundColor},
    {L"TotalFrames", kDispTotalFrames}, {L"StopPlay", kDispStopPlay},
    {L"CurrentFrame", kDispCurrentFrame}, {L"IsPlaying", kDispIsPlaying},
    {L"FlashVersion", kDispFlashVersion}, {L"Base", kDispBase},
    {L"BGColor", kDispBGColor},         {L"SetVariable", kDispSetVariable},
    {L"GetVariable", kDispGetVariable}, {L"TSetProperty", kDispTSetProperty},
    {L"TGetProperty", kDispTGetProperty}, {L"StepFrames", kDispStepFrames},
};

// The arguments of one call, read by position in declaration order, converted to the type
// each member expects. A property put's value is its own argument.
class Arguments {
 public:
  Arguments(DISPPARAMS* params, WORD flags) : params_(params), put_(flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {}

  UINT count() const { return params_ ? params_->cArgs : 0; }

  // The value of a property put (the argument named DISPID_PROPERTYPUT, else the last one).
  HRESULT PutValue(VARTYPE type, VARIANT* out, UINT* argumentError) const {
    if (!params_ || params_->cArgs < 1) return DISP_E_BADPARAMCOUNT;
    return Convert(0, type, out, argumentError);
  }

  // Positional argument `index` (0 = first declared).
  HRESULT Get(UINT index, VARTYPE type, VARIANT* out, UINT* argumentError) const {
    const UINT positional = params_ ? params_->cArgs - params_->cNamedArgs : 0;
    if (index >= positional) return DISP_E_PARAMNOTFOUND;
    return Convert(params_->cArgs - 1 - index, type, out, argumentError);
  }

  bool put() const { return put_; }

 private:
  HRESULT Convert(UINT slot, VARTYPE type, VARIANT* out, UINT* argumentError) const {
    VariantInit(out);
    const HRESULT hr = VariantChangeType(out, &params_->rgvarg[slot], 0, type);
    if (FAILED(hr)) {
      if (argumentError) *argumentError = slot;
      return DISP_E_TYPEMISMATCH;
    }
    return S_OK;
  }

  DISPPARAMS* params_;
  bool put_;
};

// A VARIANT that clears itself.
struct Var {
  VARIANT v;
  Var() { VariantInit(&v); }
  ~Var() { VariantClear(&v); }
  Var(const Var&) = delete;
  Var& operator=(const Var&) = delete;
};

void SetLong(VARIANT* result, LONG value) {
  if (!result) return;
  result->vt = VT_I4;
  result->lVal = value;
}

void SetBool(VARIANT* result, bool value) {
  if (!result) return;
  result->vt = VT_BOOL;
  result->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

HRESULT SetString(VARIANT* result, const std::wstring& value) {
  if (!result) return S_OK;
  result->vt = VT_BSTR;
  result->bstrVal = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
  return result->bstrVal ? S_OK : E_OUTOFMEMORY;
}

std::wstring Text(const VARIANT& v) { return v.bstrVal ? std::wstring(v.bstrVal, SysStringLen(v.bstrVal)) : L""; }

}  // namespace

STDMETHODIMP MovieControl::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

STDMETHODIMP MovieControl::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return DISP_E_BADINDEX;
}

STDMETHODIMP MovieControl::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (!names || !ids) return E_POINTER;
  HRESULT hr = S_OK;
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  if (count == 0) return S_OK;
  bool found = false;
  for (const Member& m : kMembers) {
    if (names[0] && _wcsicmp(names[0], m.name) == 0) {
      ids[0] = m.id;
      found = true;
      break;
    }
  }
  if (!found || count > 1) hr = DISP_E_UNKNOWNNAME;  // members have no named parameters
  return hr;
}

STDMETHODIMP MovieControl::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                  EXCEPINFO*, UINT* argumentError) {
  if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  if (result) VariantInit(result);
  // A call may release the container's last reference through an event; stay alive until done.
  ComPtr<IUnknown> self(static_cast<IDispatch*>(this));
  if (flavor_ == Flavor::kWindowless) return InvokeTwin(id, params, result, argumentError);
  return InvokeMember(id, flags, params, result, argumentError);
}

HRESULT MovieControl::InvokeTwin(DISPID id, DISPPARAMS* params, VARIANT* result, UINT* argumentError) {
  for (const TwinMember& m : kTwinMembers) {
    if (m.twin == id) return InvokeMember(m.member, m.use, params, result, argumentError);
  }
  return DISP_E_MEMBERNOTFOUND;
}

HRESULT MovieControl::InvokeMember(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, UINT* argumentError) {
  const Arguments args(params, flags);
  const bool get = flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD);
  const bool call = flags & DISPATCH_METHOD;
  auto& player = session_.player();
  Var a, b, c, d;
  HRESULT hr = S_OK;

  switch (id) {
    case kDispReadyState:
      if (args.put()) return DISP_E_MEMBERNOTFOUND;
      SetLong(result, player.loaded() ? kReadyStateComplete : 0);
      return S_OK;

    case kDispMovie:
      if (args.put()) {
        if (FAILED(hr = args.PutValue(VT_BSTR, &a.v, argumentError))) return hr;
        LoadMovie(Text(a.v));
        return S_OK;
      }
      return SetString(result, movieReference_);

    case kDispBase:
      if (args.put()) {
        if (FAILED(hr = args.PutValue(VT_BSTR, &a.v, argumentError))) return hr;
        base_ = Text(a.v);
        return S_OK;
      }
      return SetString(result, base_);

    case kDispLoop:
      if (args.put()) {
        if (FAILED(hr = args.PutValue(VT_BOOL, &a.v, argumentError))) return hr;
        loop_ = a.v.boolVal != VARIANT_FALSE;
        player.SetLoop(loop_);
        AfterPlaybackChange();
        return S_OK;
      }
      SetBool(result, loop_);
      return S_OK;

    case kDispScaleMode:
      if (args.put()) {
        if (FAILED(hr = args.PutValue(VT_I4, &a.v, argumentError))) return hr;
        session_.scaleMode = a.v.lVal;
        Invalidate();
        return S_OK;
      }
      SetLong(result, session_.scaleMode);
      return S_OK;

    case kDispBackgroundColor:
      // 0xRRGGBB as BGColor spells it, with -1 for the movie's own.
      if (args.put()) {
        if (FAILED(hr = args.PutValue(VT_I4, &a.v, argumentError))) return hr;
        const LONG value = a.v.lVal;
        if (value < 0) {
          session_.backgroundRgb.reset();
        } else {
          session_.backgroundRgb = static_cast<uint32_t>(value) & 0xFFFFFF;
        }
        Invalidate();
        return S_OK;
      }
      SetLong(result, session_.backgroundRgb ? static_cast<LONG>(*session_.backgroundRgb) : -1);
      return S_OK;

    case kDispBGColor:
      // "#RRGGBB" or "RRGGBB"; the empty text gives the movie its own colour back.
      if (args.put()) {
        if (FAILED(hr = args.PutValue(VT_BSTR, &a.v, argumentError))) return hr;
        const std::wstring text = Text(a.v);
        if (text.empty()) {
          session_.backgroundRgb.reset();
        } else if (auto rgb = zp::swf::ParseColorText(FromWide(text))) {
          session_.backgroundRgb = *rgb;
        }
        Invalidate();
        return S_OK;
      }
      if (!session_.backgroundRgb) return SetString(result, L"");
      {
        wchar_t buffer[8];
        swprintf(buffer, 8, L"%06X", static_cast<unsigned>(*session_.backgroundRgb));
        return SetString(result, buffer);
      }

    case kDispTotalFrames:
      if (args.put()) return DISP_E_MEMBERNOTFOUND;
      SetLong(result, static_cast<LONG>(player.frameCount()));
      return S_OK;

    case kDispCurrentFrame:
      if (!get) return DISP_E_MEMBERNOTFOUND;
      SetLong(result, static_cast<LONG>(player.currentFrame()));
      return S_OK;

    case kDispIsPlaying:
      if (!get) return DISP_E_MEMBERNOTFOUND;
      SetBool(result, player.playing());
      return S_OK;

    case kDispFlashVersion:
      if (!get) return DISP_E_MEMBERNOTFOUND;
      SetLong(result, kReportedVersion);
      return S_OK;

    case kDispPlay:
    case kDispStopPlay:
    case kDispRewind:
    case kDispForward:
    case kDispBack:
      if (!call) return DISP_E_MEMBERNOTFOUND;
      if (id == kDispPlay) player.Play();
      if (id == kDispStopPlay) player.StopPlay();
      if (id == kDispRewind) player.Rewind();
      if (id == kDispForward) player.Forward();
      if (id == kDispBack) player.Back();
      AfterPlaybackChange();
      return S_OK;

    case kDispStepFrames: {
      if (!call) return DISP_E_MEMBERNOTFOUND;
      if (args.count() < 1) return DISP_E_BADPARAMCOUNT;
      if (FAILED(hr = args.Get(0, VT_I4, &a.v, argumentError))) return hr;
      const LONG stepped = player.StepFrames(static_cast<int>(std::max<LONG>(0, a.v.lVal)));
      if (player.TakeRedraw()) Invalidate();
      AfterPlaybackChange();
      SetLong(result, stepped);
      return S_OK;
    }

    case kDispSetZoomRect:
      if (!call) return DISP_E_MEMBERNOTFOUND;
      if (args.count() < 4) return DISP_E_BADPARAMCOUNT;
      if (FAILED(hr = args.Get(0, VT_I4, &a.v, argumentError)) || FAILED(hr = args.Get(1, VT_I4, &b.v, argumentError)) ||
          FAILED(hr = args.Get(2, VT_I4, &c.v, argumentError)) || FAILED(hr = args.Get(3, VT_I4, &d.v, argumentError))) {
        return hr;
      }
      session_.SetZoomRect(a.v.lVal, b.v.lVal, c.v.lVal, d.v.lVal);
      Invalidate();
      return S_OK;

    case kDispSetVariable:
      if (!call) return DISP_E_MEMBERNOTFOUND;
      if (args.count() < 2) return DISP_E_BADPARAMCOUNT;
      if (FAILED(hr = args.Get(0, VT_BSTR, &a.v, argumentError)) || FAILED(hr = args.Get(1, VT_BSTR, &b.v, argumentError))) {
        return hr;
      }
      player.SetVariable(FromWide(Text(a.v)), zp::swf::Value(FromWide(Text(b.v))));
      return S_OK;

    case kDispGetVariable: {
      if (!call) return DISP_E_MEMBERNOTFOUND;
      if (args.count() < 1) return DISP_E_BADPARAMCOUNT;
      if (FAILED(hr = args.Get(0, VT_BSTR, &a.v, argumentError))) return hr;
      const zp::swf::Value value = player.GetVariable(FromWide(Text(a.v)));
      // An unknown variable reads as the empty text, whatever the movie's version.
      return SetString(result, value.IsUndefined() ? L"" : ToWide(value.ToString(player.movie() ? player.movie()->version() : 6)));
    }

    case kDispTSetProperty:
      if (!call) return DISP_E_MEMBERNOTFOUND;
      if (args.count() < 3) return DISP_E_BADPARAMCOUNT;
      if (FAILED(hr = args.Get(0, VT_BSTR, &a.v, argumentError)) || FAILED(hr = args.Get(1, VT_I4, &b.v, argumentError)) ||
          FAILED(hr = args.Get(2, VT_BSTR, &c.v, argumentError))) {
        return hr;
      }
      session_.SetProperty(FromWide(Text(a.v)), b.v.lVal, FromWide(Text(c.v)));
      Invalidate();
      return S_OK;

    case kDispTGetProperty:
      if (!call) return DISP_E_MEMBERNOTFOUND;
      if (args.count() < 2) return DISP_E_BADPARAMCOUNT;
      if (FAILED(hr = args.Get(0, VT_BSTR, &a.v, argumentError)) || FAILED(hr = args.Get(1, VT_I4, &b.v, argumentError))) {
        return hr;
      }
      return SetString(result, ToWide(session_.GetProperty(FromWide(Text(a.v)), b.v.lVal)));

    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

}  // namespace zp::movie
