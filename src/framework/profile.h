// The registry profile: values under
// HKEY_CURRENT_USER\Software\<registry key>\<application name>\<section>\<entry>.
// Keys are created on write; a missing or wrongly typed value reads as its default.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace zp::win {

class RegistryProfile {
 public:
  // registryKey is "vendor\product"; the application name defaults to the program file's base
  // name.
  void SetRegistryKey(std::wstring registryKey) { registryKey_ = std::move(registryKey); }
  void SetApplicationName(std::wstring name) { applicationName_ = std::move(name); }
  const std::wstring& registryKey() const { return registryKey_; }
  std::wstring applicationName() const;
  // Software\<registry key>\<application name>\<section>
  std::wstring SectionPath(const std::wstring& section) const;

  std::wstring GetString(const std::wstring& section, const std::wstring& entry, const std::wstring& fallback) const;
  bool WriteString(const std::wstring& section, const std::wstring& entry, const std::wstring& value) const;
  int GetInt(const std::wstring& section, const std::wstring& entry, int fallback) const;
  bool WriteInt(const std::wstring& section, const std::wstring& entry, int value) const;

 private:
  std::wstring registryKey_;
  std::wstring applicationName_;
};

// A string value of an open key, read at whatever length it has, with environment variables
// expanded in an expandable one; nothing when it is missing or no string.
std::optional<std::wstring> ReadStringValue(HKEY key, const wchar_t* name);

// The profile of this program.
RegistryProfile& Profile();

// The program file's name without directory and extension.
std::wstring ProgramBaseName();

}  // namespace zp::win
