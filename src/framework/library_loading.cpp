#include "framework/library_loading.h"

#include <iterator>
#include <string>

namespace zp::win {

void RestrictLibrarySearch() {
  // Looked up rather than linked: systems before Windows 8 have the switch only as an update.
  using SetDefaultDirectories = BOOL(WINAPI*)(DWORD);
  constexpr DWORD kSearchApplicationFolder = 0x00000200;  // LOAD_LIBRARY_SEARCH_APPLICATION_DIR
  constexpr DWORD kSearchSystemFolder = 0x00000800;       // LOAD_LIBRARY_SEARCH_SYSTEM32
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  const auto setDefault = kernel ? reinterpret_cast<SetDefaultDirectories>(reinterpret_cast<void*>(
                                       GetProcAddress(kernel, "SetDefaultDllDirectories")))
                                 : nullptr;
  if (setDefault && setDefault(kSearchApplicationFolder | kSearchSystemFolder)) return;
  SetDllDirectoryW(L"");
}

std::wstring SystemFolderPath(const wchar_t* name) {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(folder, static_cast<UINT>(std::size(folder)));
  if (length == 0 || length >= std::size(folder)) return {};
  return std::wstring(folder, length) + L"\\" + name;
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
  const std::wstring path = SystemFolderPath(name);
  return path.empty() ? nullptr : LoadLibraryW(path.c_str());
}

}  // namespace zp::win
