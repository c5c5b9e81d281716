#include "player/transparency_support.h"

#include <windows.h>

#include "framework/unique_handle.h"

namespace zp::player {

int DisplayColourDepth() {
  DEVMODEW mode{};
  mode.dmSize = sizeof mode;
  if (EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode) && mode.dmBitsPerPel != 0) {
    return static_cast<int>(mode.dmBitsPerPel);
  }
  HDC screen = GetDC(nullptr);
  const int bits = screen ? GetDeviceCaps(screen, BITSPIXEL) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return bits;
}

support::TransparencySupport CheckTransparencySupport() {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return support::TransparencySupport::kNoLayeredWindows;
  const win::UniqueModule user32(LoadLibraryW((std::wstring(folder, length) + L"\\user32.dll").c_str()));
  if (!user32 || !GetProcAddress(user32.get(), "UpdateLayeredWindow")) {
    return support::TransparencySupport::kNoLayeredWindows;
  }
  return DisplayColourDepth() < 16 ? support::TransparencySupport::kTooFewColours
                                   : support::TransparencySupport::kPossible;
}

}  // namespace zp::player
