#include "app/projector_app.h"

#include <commctrl.h>

#include <memory>

#include "app/prerequisite_components.h"
#include "core/package_reader.h"
#include "core/support/prerequisites.h"
#include "framework/windowless_site.h"
#include "platform/platform.h"
#include "platform/wide.h"
#include "player/context_menu_view.h"
#include "player/owner_window.h"
#include "player/player_dialog.h"
#include "services/settings_store.h"

namespace zp {

bool ProjectorApp::Start() {
  INITCOMMONCONTROLSEX controls {sizeof controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  // The control container comes with the framework; three-dimensional control drawing is what
  // every supported system does by itself.

  // The container manager whose sites can also host windowless controls; it stays only when
  // the document is shown transparently.
  win::ControlContainerManager::Install(std::make_unique<win::WindowlessContainerManager>());

  // A failure is ignored: pictures then fall back to what the bitmap loader reads.
  gdiplus_.emplace();

  // Without a document in the program's own file the run ends with exit code 1 and no message.
  if (!LoadDocumentFromPackage(ToWide(platform::ModuleFilePath()))) {
    exitCode_ = 1;
    return false;
  }
  services::SelectSettingsKey();

  // What the document needs before the window opens: the movie control (installed from the
  // package when missing), and for a transparent document a display and a transparency control
  // that can show it; otherwise the document plays opaque.
  if (!CheckPrerequisites()) {
    exitCode_ = 1;
    return false;
  }

  // Without a taskbar button the player window is owned by a hidden window.
  player::OwnerWindow owner;
  if (!showInTaskbar) owner.CreateHidden();

  player::PlayerContextMenu contextMenu;
  player::PlayerDialog dialog(document, FromWide(document.TemporaryDirectory()), owner.hwnd());
  dialog.SetContextMenu(&contextMenu);
  dialog.SetDocumentImages({document.logoBitmap(), document.panelBitmap(), document.panelFont()});
  dialog.SetItemFilesGate([this](size_t item) { document.AwaitItemFiles(item); });
  dialog.Run();

  // The dialog, the menu and the owner window go with this scope; a normal close ends the run
  // with exit code 0.
  exitCode_ = 0;
  return false;
}

bool ProjectorApp::CheckPrerequisites() {
  SystemPrerequisites system(platform::ModuleFilePath(), FromWide(document.TemporaryDirectory()));
  std::u16string registered;
  const auto outcome =
      support::CheckPrerequisites(document, FromWide(document.TemporaryDirectory()), registered, system);
  controlFilePath = ToWide(registered);
  if (outcome != support::PrerequisiteOutcome::kTransparent) win::ControlContainerManager::Install(nullptr);
  return outcome != support::PrerequisiteOutcome::kExit;
}

bool ProjectorApp::LoadDocumentFromPackage(const std::wstring& programPath) {
  document.playerMode = 1;
  if (programPath.empty()) return false;
  const auto offset = FindDocumentRecord(FromWide(programPath));
  if (!offset) return false;
  if (!document.Load(programPath, *offset)) return false;
  showInTaskbar = document.appearanceOptions.showInTaskbar != 0;
  return true;
}


int ProjectorApp::Exit() {
  // The transparency control registered for this run goes before the temporary directory.
  RemoveRegisteredControl(FromWide(controlFilePath));
  controlFilePath.clear();
  gdiplus_.reset();
  return exitCode_;
}

}  // namespace zp
