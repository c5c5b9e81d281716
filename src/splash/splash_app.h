// The splash program's application object: starts what the splash needs, runs the splash
// window modally and ends when it closes. The program takes no arguments and has no document.
#pragma once

#include <windows.h>

#include <memory>

#include "framework/application.h"
#include "splash/preloader_slot.h"

namespace zp::splash {

class SplashApp : public win::Application {
 public:
  SplashApp() = default;
  // Runs the whole splash and returns false: the program then ends.
  bool Start() override;
  // Shuts GDI+ and OLE down; the exit code is 0.
  int Exit() override;

 private:
  ULONG_PTR gdiplusToken_ = 0;
  bool gdiplusStarted_ = false;
  bool oleStarted_ = false;
  std::unique_ptr<PreloaderSlot> slot_;
};

}  // namespace zp::splash
