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
    libraries_.push_back({path, nullptr});
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
  bool found = false;
  for (const FsExportEntry& entry : exports_) {
    if (!EqualsNoCase(FromWide(entry.name), FromWide(wanted))) continue;
    found = true;
    FsLibraryEntry& library = libraries_[entry.library];
    if (!library.module) library.module = LoadLibraryW(library.path.c_str());
    if (!library.module) continue;
    const auto function = reinterpret_cast<ExportFunction>(
        reinterpret_cast<void*>(GetProcAddress(library.module, ExportLookupName(entry.name).c_str())));
    if (!function) {
      found = false;
      continue;
    }
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
  if (logging && !found) AppendLogLine(LogFormat(4, {}), true);
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
