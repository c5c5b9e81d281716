// The control in a container that is not ours: the system's ATL host window, created by the
// ProgID as a window text, the way any program could embed the control.
#include <gtest/gtest.h>

#include "common/movie_ids.h"
#include "movie_test_support.h"
#include "platform/wide.h"
#include "test_container.h"
#include "test_files.h"

namespace zp::test {
namespace {

using AtlAxWinInit = BOOL(WINAPI*)();
using AtlAxGetControl = HRESULT(WINAPI*)(HWND, IUnknown**);

TEST(MovieControlInAtlHost, TheSystemsActiveXHostCreatesAndPlaysIt) {
  HMODULE atl = LoadLibraryW(L"atl100.dll");
  if (!atl) GTEST_SKIP() << "no atl100.dll on this system";
  const auto init = reinterpret_cast<AtlAxWinInit>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxWinInit")));
  const auto getControl =
      reinterpret_cast<AtlAxGetControl>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxGetControl")));
  ASSERT_TRUE(init && getControl);
  ASSERT_TRUE(init());

  HWND top = CreateWindowExW(0, L"STATIC", L"atl host", WS_POPUP | WS_VISIBLE, 0, 0, 320, 240, nullptr, nullptr,
                             nullptr, nullptr);
  ASSERT_NE(top, nullptr);
  HWND host = CreateWindowExW(0, L"AtlAxWin100", zp::movie::kProgId, WS_CHILD | WS_VISIBLE, 0, 0, 320, 240, top,
                              nullptr, nullptr, nullptr);
  ASSERT_NE(host, nullptr);
  ComPtr<IUnknown> control;
  ASSERT_EQ(getControl(host, &control), S_OK);
  ComPtr<IDispatch> dispatch;
  ASSERT_EQ(control.As(&dispatch), S_OK);

  ScratchDirectory scratch;
  swfgen::MovieWriter m(6, 100, 100, 20);
  for (int i = 0; i < 10; ++i) m.ShowFrame();
  const std::wstring path = ToWide(scratch.File(u"atl.swf"));
  ASSERT_TRUE(WriteMovie(path, m.Finish(true)));

  VARIANT value = Str(path);
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS put{&value, &named, 1, 1};
  ASSERT_EQ(dispatch->Invoke(zp::movie::kDispMovie, IID_NULL, 0, DISPATCH_PROPERTYPUT, &put, nullptr, nullptr, nullptr),
            S_OK);
  VariantClear(&value);
  auto frame = [&] {
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    VARIANT result;
    VariantInit(&result);
    dispatch->Invoke(zp::movie::kDispCurrentFrame, IID_NULL, 0, DISPATCH_METHOD, &none, &result, nullptr, nullptr);
    return result.vt == VT_I4 ? result.lVal : -1;
  };
  EXPECT_TRUE(PumpUntil([&] { return frame() >= 3; }, 5000));
  // The control's window sits inside the host window.
  ComPtr<IOleWindow> window;
  HWND controlWindow = nullptr;
  if (SUCCEEDED(control.As(&window))) window->GetWindow(&controlWindow);
  ASSERT_NE(controlWindow, nullptr);
  EXPECT_EQ(GetParent(controlWindow), host);

  dispatch.Reset();
  window.Reset();
  control.Reset();
  DestroyWindow(top);
  PumpFor(50);
}

}  // namespace
}  // namespace zp::test
