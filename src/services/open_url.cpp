#include "services/open_url.h"

#include <shellapi.h>

#include <vector>

#include "core/web/browser_command.h"
#include "framework/library_loading.h"
#include "framework/profile.h"
#include "framework/unique_handle.h"
#include "platform/platform.h"
#include "platform/wide.h"

namespace zp::services {

namespace {

constexpr INT_PTR kStarted = 33;  // what a started program counts as: more than 32

std::wstring DefaultValue(HKEY root, const std::wstring& subKey) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(root, subKey.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return {};
  win::UniqueKey key(opened);
  return win::ReadStringValue(key.get(), nullptr).value_or(std::wstring());
}

// The registered program's full path: as registered when it is one, else the file of that
// name in the system folder; nothing is looked for along the search path.
std::wstring ProgramPath(const std::wstring& program) {
  const bool absolute = program.size() > 2 && ((program[1] == L':' && program[2] == L'\\') || program.starts_with(L"\\\\"));
  if (absolute) return platform::IsExistingFile(FromWide(program)) ? program : std::wstring();
  if (program.empty() || program.find_first_of(L"\\/:") != std::wstring::npos) return {};
  const std::wstring path = win::SystemFolderPath(program.c_str());
  return platform::IsExistingFile(FromWide(path)) ? path : std::wstring();
}

// The system's answers for a process that could not start, kept within the shell's error range.
INT_PTR StartFailure(DWORD error) { return error != 0 && error <= 32 ? static_cast<INT_PTR>(error) : SE_ERR_NOASSOC; }

INT_PTR StartBrowser(const std::wstring& program, std::wstring commandLine, int show) {
  const std::wstring path = ProgramPath(program);
  if (path.empty()) return SE_ERR_FNF;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(show);
  PROCESS_INFORMATION process{};
  commandLine.push_back(L'\0');
  if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return StartFailure(GetLastError());
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return kStarted;
}

}  // namespace

UrlSystem SystemUrlSystem() {
  UrlSystem system;
  system.shellOpen = [](const std::wstring& address, int show) {
    return reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, show));
  };
  return system;
}

INT_PTR OpenUrl(const std::wstring& address, int show) { return OpenUrl(address, show, SystemUrlSystem()); }

INT_PTR OpenUrl(const std::wstring& address, int show, const UrlSystem& system) {
  const INT_PTR shellResult = system.shellOpen ? system.shellOpen(address, show) : SE_ERR_NOASSOC;
  if (shellResult > 32) return shellResult;
  const std::wstring documentClass = DefaultValue(system.classesRoot, L".htm");
  if (documentClass.empty()) return shellResult;
  const std::wstring command = DefaultValue(system.classesRoot, documentClass + L"\\shell\\open\\command");
  if (command.empty()) return shellResult;
  const std::u16string line = BrowserCommandLine(FromWide(command), FromWide(address));
  return StartBrowser(ToWide(ProgramOfCommandLine(FromWide(command))), ToWide(line), show);
}

}  // namespace zp::services
