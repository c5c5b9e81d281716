// The movie control as the conformance runner uses it: created in-process straight from its
// DLL (no registration, so it never disturbs the tests that register it), driven through its
// automation interface, drawn through IViewObject::Draw.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <wrl/client.h>

#include <cstdint>
#include <string>
#include <vector>

namespace zp::conformance {

class MovieHost {
 public:
  // Loads the control DLL by its full path; `ok()` tells whether it could.
  explicit MovieHost(const std::wstring& dllPath);
  ~MovieHost();
  MovieHost(const MovieHost&) = delete;
  MovieHost& operator=(const MovieHost&) = delete;
  bool ok() const { return getClassObject_ != nullptr; }

  // A fresh control with `moviePath` loaded; false when either fails.
  bool Load(const std::wstring& moviePath);
  // Sets the root's high quality property (0 low, 1 high, 2 best), as a container may.
  bool SetHighQuality(int value);
  // Steps playback by `frames` frame periods.
  bool Step(int frames);
  // The current frame drawn at `width` × `height` as 0xAARRGGBB pixels, rows top first.
  std::vector<uint32_t> Draw(int width, int height);
  // Draws the current frame into a device context over (0, 0, width, height), as a container
  // that keeps its own buffer does.
  bool DrawInto(HDC dc, int width, int height);
  // Drops the control (and with it the movie).
  void Release() { control_.Reset(); }

 private:
  HMODULE module_ = nullptr;
  using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
  GetClassObjectFn getClassObject_ = nullptr;
  Microsoft::WRL::ComPtr<IDispatch> control_;
};

}  // namespace zp::conformance
