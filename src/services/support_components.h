// The components a bare system may lack, put in place from the player's own package: the movie
// control's installer, run and waited for, and the transparency control, written out and
// registered for the run. Processes start by their full path with quoted arguments, and only
// an exit code of 0 counts as success.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zp::services {

// The installer's wait gives up after this long even if the installer is still running.
inline constexpr DWORD kInstallerWaitLimitMs = 10 * 60 * 1000;
// The registration tool that has not ended by then counts as failed.
inline constexpr DWORD kRegistrationToolLimitMs = 2000;
// Files the player writes out of its package or resources are never this large.
inline constexpr uint32_t kMaxSupportFileSize = 0x1800000;

// Writes the first installer record of `package` into `directory` and runs it by its full path
// ("/Q" when `required`), keeping the interface alive until it and any process of its name have
// ended. True when the installer ran and ended with exit code 0; whether the control it put in
// place works is for the caller to find out.
bool InstallFlashPlayer(const std::u16string& package, const std::u16string& directory, bool required);

// Runs a program and waits as above: its exit code, or nothing when it could not be started or
// was still running when the wait gave up.
std::optional<DWORD> RunAndWaitResponsive(const std::wstring& program, const std::wstring& parameters);

// On input `path` is the directory to write into; on success it names the written control
// file (a unique ".dat" name). A control that cannot be written in full leaves no file.
bool ExtractFernwikControl(const std::u16string& package, std::u16string& path);

// The system's registration tool on `path`: true when it ran and ended with exit code 0
// within kRegistrationToolLimitMs.
bool RegisterControl(const std::wstring& path);
bool UnregisterControl(const std::wstring& path);

// A resource holding a 32-bit little-endian length and a zlib stream: the inflated bytes, or
// nothing when the resource is missing, too short, declares kMaxSupportFileSize or more, or
// does not inflate.
std::optional<std::vector<uint8_t>> LoadCompressedResource(HMODULE module, UINT id, const wchar_t* type);

// The Unicode layer that systems without native Unicode need: "unicows.dll" in the user's
// personal folder, written there from the program's compressed resource when it is missing.
// The hook that would call this is never installed here: the NT family has Unicode, and a
// library from a user-writable folder is loaded only where nothing else will do. It uses
// narrow-character calls only, since it runs before the layer exists.
inline constexpr UINT kUnicodeLayerResourceId = 568;
inline constexpr wchar_t kUnicodeLayerResourceType[] = L"ZLIB_DLL";
HMODULE LoadUnicodeLayer();
// The same with the folder, and the module whose resource holds the layer, given.
HMODULE LoadUnicodeLayerFrom(const std::string& folder, HMODULE resources);

}  // namespace zp::services
