#include "core/support/prerequisites.h"

#include <algorithm>

namespace zp::support {
namespace {

bool NeedsMovieControl(const DocumentModel& document) {
  return std::any_of(document.movieList.items.begin(), document.movieList.items.end(),
                     [](const MovieItem& item) { return KindOfPath(item.path) == MovieKind::kFlash; });
}

// False when the process is to end: no movie control, and the package's installer could not
// put one in place. A package without an installer goes on, so that the player window can still
// run an installer beside the program or tell the user what is missing: ending without a word
// would leave the user with nothing at all.
bool EnsureMovieControl(PrerequisiteComponents& components) {
  const int version = components.InstalledFlashMajorVersion();
  if (version <= 0) {
    if (!components.PackageCarriesInstaller()) return true;
    return components.InstallFlashPlayer(true) && components.InstalledFlashMajorVersion() > 0;
  }
  // An old control still plays something: offer the update, but play either way.
  if (version < kMinimumFlashMajorVersion) components.InstallFlashPlayer(false);
  return true;
}

void WarnUnlessSuppressed(TransparencySupport support, PrerequisiteComponents& components) {
  if (!components.WarningWanted()) return;
  const WarningAnswer answer = components.ShowWarning(
      support == TransparencySupport::kNoLayeredWindows ? kWarnNoLayeredWindowsString : kWarnTooFewColoursString);
  if (answer.ok && answer.dontShowAgain) components.SuppressWarning();
}

// Extracts and registers the package's own transparency control. A registration counts only
// when the control can then really be created; anything less is undone, so that the player
// never goes transparent without a host and the exit routine never removes a directory.
bool PutControlInPlace(const std::u16string& temporaryDirectory, std::u16string& controlFilePath,
                       PrerequisiteComponents& components) {
  std::u16string path = temporaryDirectory;
  if (!components.ExtractFernwikControl(path)) return false;
  if (components.RegisterControl(path) && components.IsFernwikAvailable()) {
    controlFilePath = path;
    return true;
  }
  components.RemoveControl(path);
  return false;
}

}  // namespace

PrerequisiteOutcome CheckPrerequisites(DocumentModel& document, const std::u16string& temporaryDirectory,
                                       std::u16string& controlFilePath, PrerequisiteComponents& components) {
  controlFilePath.clear();
  if (!NeedsMovieControl(document)) return PrerequisiteOutcome::kOpaque;
  if (!EnsureMovieControl(components)) return PrerequisiteOutcome::kExit;

  int32_t& windowMode = document.appearanceOptions.windowMode;
  if (windowMode != 2) return PrerequisiteOutcome::kOpaque;
  const TransparencySupport support = components.CheckTransparencySupport();
  if (support != TransparencySupport::kPossible) {
    WarnUnlessSuppressed(support, components);
    windowMode = 0;
    return PrerequisiteOutcome::kOpaque;
  }
  if (components.IsFernwikAvailable()) return PrerequisiteOutcome::kTransparent;
  if (PutControlInPlace(temporaryDirectory, controlFilePath, components)) return PrerequisiteOutcome::kTransparent;
  windowMode = 0;
  return PrerequisiteOutcome::kOpaque;
}

}  // namespace zp::support
