#include "services/support_components.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstring>

#include "core/byte_order.h"
#include "core/package_format.h"
#include "core/package_reader.h"
#include "core/temp_files.h"
#include "core/zlib_codec.h"
#include "framework/message_pump.h"
#include "framework/unique_handle.h"
#include "platform/platform.h"
#include "platform/wide.h"
#include "services/process_finder.h"

namespace zp::services {
namespace {

constexpr int kPumpLimit = 2000;
constexpr DWORD kPollMs = 30;
constexpr DWORD kUnansweredQueryMs = 1000;
constexpr int kSettleSteps = 30;
constexpr DWORD kSettleStepMs = 50;

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

std::wstring FileTitle(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
  if (const size_t dot = name.rfind(L'.'); dot != std::wstring::npos) name.resize(dot);
  return name;
}

// Starts the program; the process handle is null when it could not be started.
win::UniqueFileHandle Start(const std::wstring& program, const std::wstring& parameters) {
  SHELLEXECUTEINFOW run{};
  run.cbSize = sizeof run;
  run.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  run.lpVerb = L"open";
  run.lpFile = program.c_str();
  run.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
  run.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExW(&run)) return win::UniqueFileHandle();
  return win::UniqueFileHandle(run.hProcess);
}

// Whether the program still runs: its own process, or another of its name that it started.
bool StillRunning(HANDLE process, const std::wstring& title, bool& queryAnswered) {
  if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) return true;
  const ProcessQuery query = IsProcessRunning(title);
  queryAnswered = query.ok;
  return query.ok && query.found;
}

void WaitResponsive(HANDLE process, const std::wstring& title) {
  const ULONGLONG deadline = GetTickCount64() + kInstallerWaitLimitMs;
  win::PumpPendingMessages(kPumpLimit);
  bool queryAnswered = true;
  while (StillRunning(process, title, queryAnswered) && GetTickCount64() < deadline) {
    win::PumpPendingMessages(kPumpLimit);
    Sleep(kPollMs);
  }
  // A helper the installer left behind may still be finishing without showing up anywhere.
  if (!queryAnswered) Sleep(kUnansweredQueryMs);
  for (int step = 0; step < kSettleSteps; ++step) {
    win::PumpPendingMessages(kPumpLimit);
    Sleep(kSettleStepMs);
  }
}

std::wstring SystemProgram(const wchar_t* name) {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return std::wstring(folder, length) + L"\\" + name;
}

bool RunRegistrationTool(const std::wstring& parameters) {
  const std::wstring tool = SystemProgram(L"regsvr32.exe");
  if (tool.empty()) return false;
  const win::UniqueFileHandle process = Start(tool, parameters);
  if (!process) return false;
  DWORD exitCode = 1;
  return WaitForSingleObject(process.get(), kRegistrationToolLimitMs) == WAIT_OBJECT_0 &&
         GetExitCodeProcess(process.get(), &exitCode) && exitCode == 0;
}

}  // namespace

std::optional<DWORD> RunAndWaitResponsive(const std::wstring& program, const std::wstring& parameters) {
  const win::UniqueFileHandle process = Start(program, parameters);
  if (!process) return std::nullopt;
  WaitResponsive(process.get(), FileTitle(program));
  DWORD exitCode = STILL_ACTIVE;
  if (WaitForSingleObject(process.get(), 0) != WAIT_OBJECT_0 || !GetExitCodeProcess(process.get(), &exitCode)) {
    return std::nullopt;
  }
  return exitCode;
}

bool InstallFlashPlayer(const std::u16string& package, const std::u16string& directory, bool required) {
  const auto installer = ExtractFirstFileRecord(package, kInstallerTag, directory);
  if (!installer) return false;
  return RunAndWaitResponsive(ToWide(*installer), required ? L"/Q" : L"") == DWORD{0};
}

bool ExtractFernwikControl(const std::u16string& package, std::u16string& path) {
  const std::u16string target = MakeUniqueName(path, u".dat");
  if (!ExtractFirstFileRecordTo(package, kToolsTag, target, kMaxSupportFileSize)) return false;
  path = target;
  return true;
}

bool RegisterControl(const std::wstring& path) { return RunRegistrationTool(L"/s " + Quoted(path)); }

bool UnregisterControl(const std::wstring& path) { return RunRegistrationTool(L"/s /u " + Quoted(path)); }

std::optional<std::vector<uint8_t>> LoadCompressedResource(HMODULE module, UINT id, const wchar_t* type) {
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
  if (!found) return std::nullopt;
  const DWORD size = SizeofResource(module, found);
  HGLOBAL loaded = LoadResource(module, found);
  const auto* bytes = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
  if (!bytes || size <= 4) return std::nullopt;
  const uint32_t length = *ReadU32(std::span(bytes, size), 0);
  if (length >= kMaxSupportFileSize) return std::nullopt;
  return InflateExact(std::span(bytes + 4, size - 4), length);
}

HMODULE LoadUnicodeLayer() {
  char folder[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathA(nullptr, folder, CSIDL_PERSONAL, FALSE)) return nullptr;
  return LoadUnicodeLayerFrom(folder, GetModuleHandleA(nullptr));
}

HMODULE LoadUnicodeLayerFrom(const std::string& folder, HMODULE resources) {
  if (folder.empty()) return nullptr;
  const std::string path = folder + "\\unicows.dll";
  if (HMODULE layer = LoadLibraryA(path.c_str())) return layer;
  const auto bytes = LoadCompressedResource(resources, kUnicodeLayerResourceId, kUnicodeLayerResourceType);
  if (!bytes) return nullptr;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  DWORD written = 0;
  const bool whole = WriteFile(file, bytes->data(), static_cast<DWORD>(bytes->size()), &written, nullptr) &&
                     written == bytes->size();
  CloseHandle(file);
  // A library cut short would fail to load at best: nothing is left for a later start to try.
  if (!whole) {
    DeleteFileA(path.c_str());
    return nullptr;
  }
  return LoadLibraryA(path.c_str());
}

}  // namespace zp::services
