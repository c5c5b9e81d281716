#include "services/system_paths.h"

#include "platform/platform.h"
#include "platform/wide.h"

namespace zp::services {

std::wstring SystemFolderPath(const wchar_t* fileName) {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return std::wstring(folder, length) + L"\\" + fileName;
}

HMODULE LoadSystemLibrary(const wchar_t* fileName) {
  const std::wstring path = SystemFolderPath(fileName);
  return path.empty() ? nullptr : LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

bool IsExistingFile(const std::wstring& path) {
  const auto attributes = platform::ReadAttributes(FromWide(path));
  return attributes && !(*attributes & platform::kAttributeDirectory);
}

}  // namespace zp::services
