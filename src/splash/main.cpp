// Curtainer.exe: the splash program a disc's autorun entry starts. The command line is not
// examined.
#include <windows.h>

#include "splash/splash_app.h"

namespace {
zp::splash::SplashApp theApp;
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return zp::win::RunApplication(theApp); }
