// Projector.exe: the presentation player. The command line is not examined.
#include <windows.h>

#include "app/projector_app.h"

namespace {
// The one application object. Constructing it creates the document's temporary directory;
// destroying it, after wWinMain returns, removes that directory again.
zp::ProjectorApp theApp;
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return zp::win::RunApplication(theApp); }
