// Writing and removing the control's class registration.
#pragma once

#include <windows.h>

#include <string>

#include "common/movie_ids.h"

namespace zp::movie {

// A class the DLL serves, as the registry names it.
struct ControlClass {
  const CLSID& clsid;
  const wchar_t* progId;
  const wchar_t* name;
};

inline constexpr ControlClass kMovieClass{kMovieControlClsid, kProgId, kClassName};
inline constexpr ControlClass kFernwikClass{kFernwikClsid, kFernwikProgId, kFernwikClassName};

// The DLL serves both classes but registers only the one it is shipped as: the movie control
// installs for good, while the transparency control is registered for one run from a file of
// its own and unregistered after it, which must not take the movie control's entry along.
#ifdef ZP_SHIPPED_AS_TWIN
inline constexpr const ControlClass& kRegisteredClass = kFernwikClass;
#else
inline constexpr const ControlClass& kRegisteredClass = kMovieClass;
#endif

// Registers the class for the DLL at `modulePath`: machine-wide (HKLM\Software\Classes) when
// that can be written, otherwise for the current user (HKCU\Software\Classes).
HRESULT RegisterControlClass(const ControlClass& control, const std::wstring& modulePath);
// Removes the registration from both places; nothing registered is not an error.
HRESULT UnregisterControlClass(const ControlClass& control);

}  // namespace zp::movie
