// The DLL's module state: its instance handle and the count of live objects and locks that
// DllCanUnloadNow looks at.
#pragma once

#include <windows.h>

namespace zp::movie {

HINSTANCE ModuleInstance();
void ModuleAddRef();
void ModuleRelease();
bool ModuleInUse();

}  // namespace zp::movie
