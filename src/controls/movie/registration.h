// Writing and removing the control's class registration.
#pragma once

#include <windows.h>

#include <string>

namespace zp::movie {

// Registers the class for the DLL at `modulePath`: machine-wide (HKLM\Software\Classes) when
// that can be written, otherwise for the current user (HKCU\Software\Classes).
HRESULT RegisterMovieControl(const std::wstring& modulePath);
// Removes the registration from both places; nothing registered is not an error.
HRESULT UnregisterMovieControl();

}  // namespace zp::movie
