// The application object: one per program, started by RunApplication from wWinMain.
//
// Start runs the program; when it returns true the framework runs a message loop until
// WM_QUIT. Exit releases what Start acquired and gives the process's exit code. Dialog-based
// programs run their modal dialog inside Start and return false.
#pragma once

#include <windows.h>

namespace zp::win {

class Application {
 public:
  Application();
  virtual ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  static Application* Current();

  virtual bool Start() = 0;
  virtual int Exit() { return exitCode_; }

  HWND mainWindow() const { return mainWindow_; }
  void SetMainWindow(HWND hwnd) { mainWindow_ = hwnd; }

 protected:
  int exitCode_ = 0;

 private:
  HWND mainWindow_ = nullptr;
};

// Start, the message loop when Start asks for it, then Exit; returns Exit's code.
int RunApplication(Application& application);

}  // namespace zp::win
