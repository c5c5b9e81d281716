#include "movie_host.h"

#include <ocidl.h>
#include <oleidl.h>

#include "common/movie_ids.h"

namespace zp::conformance {

using Microsoft::WRL::ComPtr;

MovieHost::MovieHost(const std::wstring& dllPath) {
  module_ = LoadLibraryW(dllPath.c_str());
  if (module_) {
    // The export's real type is restored through an untyped pointer, as GetProcAddress expects.
    getClassObject_ = reinterpret_cast<GetClassObjectFn>(
        reinterpret_cast<void*>(GetProcAddress(module_, "DllGetClassObject")));
  }
}

MovieHost::~MovieHost() {
  control_.Reset();
  // CoUninitialize unloads what COM loaded; this module was loaded by hand and stays until exit,
  // since objects the control handed out could still be released later.
}

bool MovieHost::Load(const std::wstring& moviePath) {
  control_.Reset();
  if (!getClassObject_) return false;
  ComPtr<IClassFactory> factory;
  if (FAILED(getClassObject_(zp::movie::kMovieControlClsid, IID_PPV_ARGS(&factory)))) return false;
  if (FAILED(factory->CreateInstance(nullptr, IID_PPV_ARGS(&control_)))) return false;
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_BSTR;
  value.bstrVal = SysAllocString(moviePath.c_str());
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{&value, &named, 1, 1};
  const HRESULT hr = control_->Invoke(zp::movie::kDispMovie, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr,
                                      nullptr, nullptr);
  VariantClear(&value);
  return SUCCEEDED(hr);
}

bool MovieHost::SetHighQuality(int value) {
  if (!control_) return false;
  VARIANT args[3];  // in reverse: value, property, target
  for (VARIANT& v : args) VariantInit(&v);
  args[0].vt = VT_BSTR;
  args[0].bstrVal = SysAllocString(std::to_wstring(value).c_str());
  args[1].vt = VT_I4;
  args[1].lVal = 16;  // high quality
  args[2].vt = VT_BSTR;
  args[2].bstrVal = SysAllocString(L"/");
  DISPPARAMS params{args, nullptr, 3, 0};
  const HRESULT hr =
      control_->Invoke(zp::movie::kDispTSetProperty, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
  for (VARIANT& v : args) VariantClear(&v);
  return SUCCEEDED(hr);
}

bool MovieHost::Step(int frames) {
  if (!control_) return false;
  if (frames <= 0) return true;
  VARIANT count;
  VariantInit(&count);
  count.vt = VT_I4;
  count.lVal = frames;
  DISPPARAMS params{&count, nullptr, 1, 0};
  VARIANT result;
  VariantInit(&result);
  const HRESULT hr = control_->Invoke(zp::movie::kDispStepFrames, IID_NULL, 0, DISPATCH_METHOD, &params, &result,
                                      nullptr, nullptr);
  VariantClear(&result);
  return SUCCEEDED(hr);
}

bool MovieHost::DrawInto(HDC dc, int width, int height) {
  ComPtr<IViewObject> view;
  if (!control_ || FAILED(control_.As(&view))) return false;
  RECTL bounds{0, 0, width, height};
  return SUCCEEDED(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0));
}

std::vector<uint32_t> MovieHost::Draw(int width, int height) {
  std::vector<uint32_t> pixels;
  ComPtr<IViewObject> view;
  if (!control_ || FAILED(control_.As(&view)) || width <= 0 || height <= 0) return pixels;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HDC dc = CreateCompatibleDC(nullptr);
  uint32_t* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
  if (bitmap && bits) {
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECTL bounds{0, 0, width, height};
    if (SUCCEEDED(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0))) {
      GdiFlush();
      pixels.assign(bits, bits + static_cast<size_t>(width) * height);
      for (uint32_t& p : pixels) p |= 0xFF000000;  // the stage is opaque; GDI leaves alpha alone
    }
    SelectObject(dc, old);
  }
  if (bitmap) DeleteObject(bitmap);
  DeleteDC(dc);
  return pixels;
}

}  // namespace zp::conformance
