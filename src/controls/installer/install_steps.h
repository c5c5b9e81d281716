// The installer's work: take the control out of the program's own resources, put it into a
// folder of its own, and register it there.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zp::installer {

// Resource type and identifier of the carried control.
inline constexpr wchar_t kControlResourceType[] = L"ZPCONTROL";
inline constexpr int kControlResourceId = 1;
inline constexpr wchar_t kControlFileName[] = L"ZentraMovie.ocx";

// The control's bytes from this program's resources; empty when missing.
std::span<const uint8_t> CarriedControl();

// The folders tried in order: machine-wide under Program Files, then the user's own local
// application data.
std::vector<std::wstring> CandidateFolders();

// Writes the bytes as `folder`\ZentraMovie.ocx (creating the folder), leaving an identical file
// alone (it may be in use). Returns the file's path, or "" on failure.
std::wstring PlaceControl(const std::wstring& folder, std::span<const uint8_t> bytes);

// Loads the file and calls its DllRegisterServer.
HRESULT RegisterControlFile(const std::wstring& path);

enum ExitCode : int { kInstalled = 0, kNoControl = 1, kCannotWrite = 2, kCannotRegister = 3 };

using ReportFunction = void (*)(const wchar_t* text, void* context);

// Places the bytes into the first folder that takes them and registers the file there; a
// folder that cannot be written is passed over for the next. `report` is told what is
// happening, for the window; it may be null.
ExitCode InstallInto(std::span<const uint8_t> control, const std::vector<std::wstring>& folders,
                     ReportFunction report, void* context);

// The whole installation: the carried control into the candidate folders.
ExitCode Install(ReportFunction report, void* context);

}  // namespace zp::installer
