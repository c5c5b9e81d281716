// Where libraries come from. Ours load by full path from where the package put them; the
// system's from the system folder; and no library ever comes from the current folder, which a
// presentation run from a downloads folder does not control.
#pragma once

#include <windows.h>

#include <string>

namespace zp::win {

// Takes the current folder out of the library search for the rest of the process: the search
// then covers the program's folder and the system folder only (or, on a system without the
// newer search switches, simply leaves the current folder out). Call first thing.
void RestrictLibrarySearch();

// "<system folder>\<name>", or empty when the system folder cannot be told: where the
// system's libraries and programs are taken from.
std::wstring SystemFolderPath(const wchar_t* name);

// Loads `name` (a plain file name such as L"winmm.dll") from the system folder; null when it
// is not there.
HMODULE LoadSystemLibrary(const wchar_t* name);

}  // namespace zp::win
