// Finding, calling and unloading the FSCommand extension libraries.
#include <windows.h>
#include <oleauto.h>

#include <string>

#include "core/fscommand/fs_arguments.h"
#include "core/fscommand/fs_extension_result.h"
#include "core/fscommand/pe_export_names.h"
#include "core/text.h"
#include "fscommand/fs_command_manager.h"
#include "platform/platform.h"
#include "platform/wide.h"

namespace zp::fscommand {
namespace {

using ExportFunction = BSTR(WINAPI*)(const wchar_t*);

std::wstring FileNameOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// The export name as the module lookup takes it: 8-bit text of at most 255 characters.
std::string ExportLookupName(const std::wstring& name) {
  char buffer[256] = {};
  const int length = WideCharToMultiByte(CP_ACP, 0, name.c_str(), static_cast<int>(name.size()), buffer, 255,
                                         nullptr, nullptr);
  return std::string(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}

#if defined(__aarch64__) || defined(_M_ARM64)
constexpr uint16_t kPlayerMachine = kMachineArm64;
#elif defined(__x86_64__) || defined(_M_X64)
constexpr uint16_t kPlayerMachine = kMachineX64;
#else
constexpr uint16_t kPlayerMachine = kMachineX86;
#endif

// The system's own words for an error code, without the line break they end with.
std::wstring SystemMessage(DWORD error) {
  wchar_t text[512] = {};
  const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                      text, static_cast<DWORD>(std::size(text)), nullptr);
  std::wstring message(text, length);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' ')) {
    message.pop_back();
  }
  return message;
}

// Loads the library unless it is loaded already. A library built for another machine is not
// even tried: the reason is known, and the system would only say "bad format".
bool EnsureLoaded(FsLibraryEntry& library, std::wstring& why) {
  if (library.module) return true;
  if (library.machine) {
    if (const auto mismatch = MachineMismatch(*library.machine, kPlayerMachine)) {
      why = ToWide(*mismatch);
      return false;
    }
  }
  library.module = LoadLibraryW(library.path.c_str());
  if (library.module) return true;
  const DWORD error = GetLastError();
  why = L"error " + std::to_wstring(error);
  if (const std::wstring message = SystemMessage(error); !message.empty()) why += L" (" + message + L")";
  return false;
}

}  // namespace

void CFsCommandManager::LoadFsCommandLibraries(const std::wstring& directory) {
  std::wstring folder = directory;
  while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
  folder += L'\\';
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW((folder + L"*FSCmd*.dll").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const std::wstring path = folder + found.cFileName;
    platform::MappedFile file;
    if (file.Map(FromWide(path)) == 0) continue;
    const auto names = ReadFsExportNames(file.bytes());
    if (names.empty()) continue;
    libraries_.push_back({path, nullptr, ReadPeMachine(file.bytes())});
    for (const auto& name : names) exports_.push_back({ToWide(name), libraries_.size() - 1});
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

bool CFsCommandManager::CallFsExtension(FsMovieControl* control, const std::wstring& command,
                                        const std::wstring& args) {
  const std::wstring wanted = L"FS" + command;
  const bool logging = IsLogVisible();
  if (logging) {
    AppendLogBreak();
    AppendLogLine(LogFormat(1, {command, args}), true);
  }
  // Only a library that loads and resolves the export has the command; one that cannot be
  // loaded says why in the log and leaves the command to the libraries after it.
  for (const FsExportEntry& entry : exports_) {
    if (!EqualsNoCase(FromWide(entry.name), FromWide(wanted))) continue;
    FsLibraryEntry& library = libraries_[entry.library];
    std::wstring why;
    if (!EnsureLoaded(library, why)) {
      if (logging) AppendLogLine(L"Cannot load " + FileNameOf(library.path) + L": " + why, true);
      continue;
    }
    const auto function = reinterpret_cast<ExportFunction>(
        reinterpret_cast<void*>(GetProcAddress(library.module, ExportLookupName(entry.name).c_str())));
    if (!function) continue;
    if (logging) AppendLogLine(LogFormat(2, {FileNameOf(library.path)}), true);
    std::wstring returned;
    if (BSTR result = function(args.c_str())) {
      returned.assign(result, SysStringLen(result));
      SysFreeString(result);
    }
    const FsExtensionResult split = SplitFsExtensionResult(FromWide(returned));
    if (logging) AppendLogLine(LogFormat(3, {ToWide(split.valueText)}), true);
    // The first assignment is always "fscmd_ret"; the out-values follow.
    const auto assignments = FsExtensionAssignments(FromWide(args), split);
    for (size_t i = 0; i < assignments.size(); ++i) {
      if (i == 0)
        SetFsCommandReturn(control, ToWide(assignments[i].value));
      else if (control)
        control->SetVariable(ToWide(assignments[i].name), ToWide(assignments[i].value));
    }
    return true;
  }
  if (logging) AppendLogLine(LogFormat(4, {}), true);
  return false;
}

void CFsCommandManager::UnloadFsCommandLibraries() {
  CloseImageWindows();
  if (resourceModule_) {
    FreeLibrary(resourceModule_);
    resourceModule_ = nullptr;
  }
  for (FsLibraryEntry& library : libraries_) {
    if (library.module) FreeLibrary(library.module);
    library.module = nullptr;
  }
}

}  // namespace zp::fscommand
