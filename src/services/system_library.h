// Libraries of the system, loaded from the system folder by full path: a copy of the same name
// in the program's or the current folder is never picked up instead.
#pragma once

#include <windows.h>

namespace zp::services {

// The library of that file name in the system folder, or null. The module stays loaded for
// the rest of the process: windows of its classes may outlive any one user.
HMODULE LoadSystemLibrary(const wchar_t* fileName);

}  // namespace zp::services
