// Projector.exe: the presentation player. The command line is not examined.
#include <windows.h>

#include "app/projector_app.h"
#include "framework/library_loading.h"
#include "framework/ole_scope.h"

namespace {
// The one application object. Constructing it creates the document's temporary directory;
// destroying it, after wWinMain returns, removes that directory again.
zp::ProjectorApp theApp;
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  zp::win::RestrictLibrarySearch();
  // The movie control and the web page view are COM objects living on this thread: it is a
  // single-threaded apartment from before start-up until after exit.
  const zp::win::OleScope ole;
  return zp::win::RunApplication(theApp);
}
