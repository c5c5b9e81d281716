// Where the player keeps its few settings, and the rectangle helpers over the profile.
//
// Values live under HKEY_CURRENT_USER\Software\Zentrapolis\ZentrapolisProjector
// \<program file's base name>\<section>. "Zentrapolis" is our vendor key, the same one start-up
// selects; copies of the player with different file names keep separate settings.
#pragma once

#include <windows.h>

#include <string>

namespace zp::services {

inline constexpr wchar_t kVendorKey[] = L"Zentrapolis";
inline constexpr wchar_t kProductKey[] = L"ZentrapolisProjector";

// Selects vendor\product as the profile's registry key; done once at start-up before any
// setting is read.
void SelectSettingsKey();

// Writes "left,top,right,bottom" as a string value; the write's success.
bool SaveWindowRect(const std::wstring& section, const std::wstring& entry, const RECT& rect);
// Reads it back: rect is (0, 0, 0, 0) first; true only when four numbers were read (a fifth is
// ignored). On false the caller uses its own default.
bool LoadWindowRect(const std::wstring& section, const std::wstring& entry, RECT& rect);

}  // namespace zp::services
