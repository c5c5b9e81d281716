#include "framework/profile.h"

#include <windows.h>

#include <vector>

#include "framework/unique_handle.h"
#include "platform/platform.h"
#include "platform/wide.h"

namespace zp::win {

namespace {

UniqueKey OpenSection(const std::wstring& path, bool create) {
  HKEY key = nullptr;
  LONG status = create ? RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE,
                                         nullptr, &key, nullptr)
                       : RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key);
  return UniqueKey(status == ERROR_SUCCESS ? key : nullptr);
}

std::wstring ExpandEnvironment(const std::wstring& text) {
  const DWORD needed = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
  if (needed == 0) return text;
  std::vector<wchar_t> expanded(needed + 1, L'\0');
  if (ExpandEnvironmentStringsW(text.c_str(), expanded.data(), needed + 1) == 0) return text;
  return std::wstring(expanded.data());
}

}  // namespace

std::optional<std::wstring> ReadStringValue(HKEY key, const wchar_t* name) {
  constexpr DWORD kMostBytes = 1 << 20;
  std::vector<wchar_t> text;
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD type = 0, bytes = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || bytes > kMostBytes) {
      return std::nullopt;
    }
    // One more character than the value holds: the stored text may or may not carry its
    // terminator.
    text.assign(bytes / sizeof(wchar_t) + 1, L'\0');
    const LONG status = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &bytes);
    if (status == ERROR_MORE_DATA) continue;  // it grew in between: ask again
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
    std::wstring value(text.data());
    if (type == REG_EXPAND_SZ) return ExpandEnvironment(value);
    return value;
  }
  return std::nullopt;
}

RegistryProfile& Profile() {
  static RegistryProfile profile;
  return profile;
}

std::wstring ProgramBaseName() {
  const std::wstring path = ToWide(platform::ModuleFilePath());
  const size_t slash = path.find_last_of(L"\\/");
  const std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
  const size_t dot = name.find_last_of(L'.');
  return dot == std::wstring::npos ? name : name.substr(0, dot);
}

std::wstring RegistryProfile::applicationName() const {
  return applicationName_.empty() ? ProgramBaseName() : applicationName_;
}

std::wstring RegistryProfile::SectionPath(const std::wstring& section) const {
  return L"Software\\" + registryKey_ + L"\\" + applicationName() + L"\\" + section;
}

std::wstring RegistryProfile::GetString(const std::wstring& section, const std::wstring& entry,
                                        const std::wstring& fallback) const {
  if (registryKey_.empty()) return fallback;
  UniqueKey key = OpenSection(SectionPath(section), false);
  if (!key) return fallback;
  return ReadStringValue(key.get(), entry.c_str()).value_or(fallback);
}

bool RegistryProfile::WriteString(const std::wstring& section, const std::wstring& entry,
                                  const std::wstring& value) const {
  if (registryKey_.empty()) return false;
  UniqueKey key = OpenSection(SectionPath(section), true);
  if (!key) return false;
  const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  return RegSetValueExW(key.get(), entry.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes) ==
         ERROR_SUCCESS;
}

int RegistryProfile::GetInt(const std::wstring& section, const std::wstring& entry, int fallback) const {
  if (registryKey_.empty()) return fallback;
  UniqueKey key = OpenSection(SectionPath(section), false);
  if (!key) return fallback;
  DWORD type = 0, value = 0, bytes = sizeof(value);
  if (RegQueryValueExW(key.get(), entry.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &bytes) !=
          ERROR_SUCCESS ||
      type != REG_DWORD) {
    return fallback;
  }
  return static_cast<int>(value);
}

bool RegistryProfile::WriteInt(const std::wstring& section, const std::wstring& entry, int value) const {
  if (registryKey_.empty()) return false;
  UniqueKey key = OpenSection(SectionPath(section), true);
  if (!key) return false;
  const DWORD data = static_cast<DWORD>(value);
  return RegSetValueExW(key.get(), entry.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data)) ==
         ERROR_SUCCESS;
}

}  // namespace zp::win
