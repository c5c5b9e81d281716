// What start-up's prerequisite decision asks of this system: the movie control's version, its
// installer from the package, the display, the warning and the transparency control.
#pragma once

#include <string>

#include "core/support/prerequisites.h"

namespace zp {

class SystemPrerequisites : public support::PrerequisiteComponents {
 public:
  // `package` is the program's own file, `temporaryDirectory` where the installer goes.
  SystemPrerequisites(std::u16string package, std::u16string temporaryDirectory)
      : package_(std::move(package)), temporaryDirectory_(std::move(temporaryDirectory)) {}

  int InstalledFlashMajorVersion() override;
  bool PackageCarriesInstaller() override;
  bool InstallFlashPlayer(bool required) override;
  support::TransparencySupport CheckTransparencySupport() override;
  bool WarningWanted() override;
  void SuppressWarning() override;
  support::WarningAnswer ShowWarning(uint32_t stringId) override;
  bool IsFernwikAvailable() override;
  bool ExtractFernwikControl(std::u16string& path) override;
  bool RegisterControl(const std::u16string& path) override;
  void RemoveControl(const std::u16string& path) override;

 private:
  std::u16string package_;
  std::u16string temporaryDirectory_;
};

// Unregisters the control registered for this run and deletes its file. COM keeps a loaded
// server mapped, so unused servers are let go first; a file that still cannot be deleted is
// left to the temporary directory's clean-up.
void RemoveRegisteredControl(const std::u16string& path);

}  // namespace zp
