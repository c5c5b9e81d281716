#include "install_steps.h"

#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstring>

namespace zp::installer {
namespace {

std::wstring KnownFolder(REFKNOWNFOLDERID id) {
  PWSTR path = nullptr;
  std::wstring result;
  if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path)) && path) result = path;
  CoTaskMemFree(path);
  return result;
}

bool SameContents(const std::wstring& path, std::span<const uint8_t> bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  bool same = GetFileSizeEx(file, &size) && static_cast<uint64_t>(size.QuadPart) == bytes.size();
  std::vector<uint8_t> buffer(64 * 1024);
  size_t offset = 0;
  while (same && offset < bytes.size()) {
    DWORD read = 0;
    if (!ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr) || read == 0) {
      same = false;
      break;
    }
    same = read <= bytes.size() - offset && std::memcmp(buffer.data(), bytes.data() + offset, read) == 0;
    offset += read;
  }
  CloseHandle(file);
  return same;
}

bool WriteWhole(const std::wstring& path, std::span<const uint8_t> bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size();
  CloseHandle(file);
  if (!ok) DeleteFileW(path.c_str());
  return ok;
}

}  // namespace

std::span<const uint8_t> CarriedControl() {
  HMODULE self = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(self, MAKEINTRESOURCEW(kControlResourceId), kControlResourceType);
  if (!found) return {};
  HGLOBAL loaded = LoadResource(self, found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) return {};
  return {static_cast<const uint8_t*>(data), SizeofResource(self, found)};
}

std::vector<std::wstring> CandidateFolders() {
  std::vector<std::wstring> folders;
  for (REFKNOWNFOLDERID id : {FOLDERID_ProgramFiles, FOLDERID_LocalAppData}) {
    const std::wstring base = KnownFolder(id);
    if (!base.empty()) folders.push_back(base + L"\\Zentrapolis\\Movie Control");
  }
  return folders;
}

std::wstring PlaceControl(const std::wstring& folder, std::span<const uint8_t> bytes) {
  if (SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr) != ERROR_SUCCESS &&
      GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES) {
    return L"";
  }
  const std::wstring path = folder + L"\\" + kControlFileName;
  if (SameContents(path, bytes)) return path;  // installed before: nothing to do
  // Write beside it first, so that a failed write never leaves a damaged control behind.
  const std::wstring fresh = path + L".new";
  if (!WriteWhole(fresh, bytes)) return L"";
  if (!MoveFileExW(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    DeleteFileW(fresh.c_str());
    return L"";
  }
  return path;
}

HRESULT RegisterControlFile(const std::wstring& path) {
  HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!module) return HRESULT_FROM_WIN32(GetLastError());
  using Register = HRESULT(STDAPICALLTYPE*)();
  // Through void* to say that the exported entry really has this type.
  const auto registerServer =
      reinterpret_cast<Register>(reinterpret_cast<void*>(GetProcAddress(module, "DllRegisterServer")));
  const HRESULT hr = registerServer ? registerServer() : E_NOINTERFACE;
  FreeLibrary(module);
  return hr;
}

ExitCode InstallInto(std::span<const uint8_t> control, const std::vector<std::wstring>& folders,
                     ReportFunction report, void* context) {
  auto say = [&](const wchar_t* text) {
    if (report) report(text, context);
  };
  if (control.empty()) {
    say(L"This installer carries no movie player.");
    return kNoControl;
  }
  say(L"Copying the movie player...");
  bool placed = false;
  for (const std::wstring& folder : folders) {
    const std::wstring path = PlaceControl(folder, control);
    if (path.empty()) continue;  // not writable here (a user without rights): try the next
    placed = true;
    say(L"Registering the movie player...");
    if (SUCCEEDED(RegisterControlFile(path))) {
      say(L"The movie player is installed.");
      return kInstalled;
    }
  }
  say(placed ? L"The movie player could not be registered." : L"The movie player could not be copied.");
  return placed ? kCannotRegister : kCannotWrite;
}

ExitCode Install(ReportFunction report, void* context) {
  return InstallInto(CarriedControl(), CandidateFolders(), report, context);
}

}  // namespace zp::installer
