#include "splash/splash_app.h"

#include <commctrl.h>
#include <ole2.h>

#include "common/splash_constants.h"
#include "core/splash/splash_paths.h"
#include "curtainer_ids.h"
#include "package/gdiplus_include.h"
#include "platform/platform.h"
#include "platform/wide.h"
#include "splash/splash_dialog.h"

namespace zp::splash {

bool SplashApp::Start() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  // The picture control decodes with the OLE picture loader on this thread.
  oleStarted_ = SUCCEEDED(OleInitialize(nullptr));
  Gdiplus::GdiplusStartupInput input;
  gdiplusStarted_ = Gdiplus::GdiplusStartup(&gdiplusToken_, &input, nullptr) == Gdiplus::Ok;

  // The slot exists before the player can be started, so that its signal cannot be missed.
  slot_ = std::make_unique<PreloaderSlot>(kPreloaderSlotName);

  // A hidden window owns the splash, so that the splash gets no taskbar button.
  win::Window owner;
  owner.Create(0, L"", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr);
  {
    SplashDialog dialog(ToWide(DirectoryOfPath(platform::ModuleFilePath())), *slot_);
    dialog.RunModal(IDD_SPLASH, owner.hwnd());
  }
  slot_.reset();
  return false;
}

int SplashApp::Exit() {
  if (gdiplusStarted_) Gdiplus::GdiplusShutdown(gdiplusToken_);
  gdiplusStarted_ = false;
  if (oleStarted_) OleUninitialize();
  oleStarted_ = false;
  return exitCode_;
}

}  // namespace zp::splash
