#include "app/prerequisite_components.h"

#include <objbase.h>

#include "core/package_format.h"
#include "core/package_reader.h"
#include "framework/profile.h"
#include "platform/platform.h"
#include "platform/wide.h"
#include "player/player_dialog_parts.h"
#include "player/shockwave_flash.h"
#include "player/transparency_support.h"
#include "services/support_components.h"
#include "services/warning_dialog.h"

namespace zp {
namespace {

constexpr wchar_t kWarnSection[] = L"WarnDialog";
constexpr wchar_t kShowWarningEntry[] = L"ShowMssg";
constexpr RECT kProbeRect{0, 0, 400, 400};

// A hidden top-level window for controls that are created only to see whether they can be.
class HiddenParent {
 public:
  HiddenParent()
      : hwnd_(CreateWindowExW(0, L"Static", L"", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr)) {}
  ~HiddenParent() {
    if (hwnd_) DestroyWindow(hwnd_);
  }
  HiddenParent(const HiddenParent&) = delete;
  HiddenParent& operator=(const HiddenParent&) = delete;
  HWND hwnd() const { return hwnd_; }

 private:
  HWND hwnd_;
};

bool IsFile(const std::u16string& path) {
  const auto attributes = platform::ReadAttributes(path);
  return attributes && !(*attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

int SystemPrerequisites::InstalledFlashMajorVersion() {
  HiddenParent parent;
  if (!parent.hwnd()) return 0;
  // The bare control: the player's own movie control would offer the installer itself.
  player::CShockwaveFlash probe;
  if (!probe.Create(parent.hwnd(), kProbeRect, 0, false)) return 0;
  const int major = support::MajorVersionOf(static_cast<uint32_t>(probe.FlashVersion()));
  probe.Destroy();
  return major;
}

bool SystemPrerequisites::PackageCarriesInstaller() { return HasFirstFileRecord(package_, kInstallerTag); }

bool SystemPrerequisites::InstallFlashPlayer(bool required) {
  return services::InstallFlashPlayer(package_, temporaryDirectory_, required);
}

support::TransparencySupport SystemPrerequisites::CheckTransparencySupport() {
  return player::CheckTransparencySupport();
}

bool SystemPrerequisites::WarningWanted() { return win::Profile().GetInt(kWarnSection, kShowWarningEntry, 1) != 0; }

void SystemPrerequisites::SuppressWarning() { win::Profile().WriteInt(kWarnSection, kShowWarningEntry, 0); }

support::WarningAnswer SystemPrerequisites::ShowWarning(uint32_t stringId) {
  services::WarningDialog dialog;
  dialog.SetMessage(player::detail::OwnString(stringId));
  const bool ok = dialog.Run() == IDOK;
  return {ok, ok && dialog.DontShowAgain()};
}

bool SystemPrerequisites::IsFernwikAvailable() { return player::CanCreateTransparentHost(); }

bool SystemPrerequisites::ExtractFernwikControl(std::u16string& path) {
  return services::ExtractFernwikControl(package_, path);
}

bool SystemPrerequisites::RegisterControl(const std::u16string& path) {
  return services::RegisterControl(ToWide(path));
}

void SystemPrerequisites::RemoveControl(const std::u16string& path) { RemoveRegisteredControl(path); }

void RemoveRegisteredControl(const std::u16string& path) {
  if (path.empty() || !IsFile(path)) return;
  CoFreeUnusedLibraries();
  services::UnregisterControl(ToWide(path));
  CoFreeUnusedLibraries();
  platform::DeleteOneFile(path);
}

}  // namespace zp
