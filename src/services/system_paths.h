// Files of the system, found in the system folder by full path: a copy of the same name in the
// program's or the current folder is never picked up instead.
#pragma once

#include <windows.h>

#include <string>

namespace zp::services {

// "<system folder>\<file name>", or empty when the system folder cannot be told.
std::wstring SystemFolderPath(const wchar_t* fileName);
// The library of that file name in the system folder, or null. The module stays loaded for
// the rest of the process: windows of its classes may outlive any one user.
HMODULE LoadSystemLibrary(const wchar_t* fileName);
// A file (not a folder) exists at the path.
bool IsExistingFile(const std::wstring& path);

}  // namespace zp::services
