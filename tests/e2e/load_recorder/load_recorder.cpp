// A library that tells when and where it was loaded: on every load it appends one line to
// "library-loads.txt" in the TEMP folder, with its own full path, the result of asking the
// loading thread for its COM apartment and the apartment type. End-to-end scenarios plant it
// under the names of libraries the player loads.
#include <windows.h>
#include <objbase.h>

#include <cwchar>
#include <iterator>

namespace {

void RecordLoad(HMODULE self) {
  wchar_t path[MAX_PATH * 2] = {};
  GetModuleFileNameW(self, path, static_cast<DWORD>(std::size(path)));
  APTTYPE type{};
  APTTYPEQUALIFIER qualifier{};
  const HRESULT apartment = CoGetApartmentType(&type, &qualifier);
  wchar_t folder[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableW(L"TEMP", folder, static_cast<DWORD>(std::size(folder)));
  if (length == 0 || length >= std::size(folder)) return;
  wchar_t record[MAX_PATH + 32] = {};
  swprintf(record, std::size(record), L"%ls\\library-loads.txt", folder);
  HANDLE file = CreateFileW(record, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  wchar_t line[MAX_PATH * 2 + 64] = {};
  const int count = swprintf(line, std::size(line), L"%ls|%08lx|%d\n", path, static_cast<unsigned long>(apartment),
                             static_cast<int>(type));
  DWORD written = 0;
  if (count > 0) WriteFile(file, line, static_cast<DWORD>(count) * sizeof(wchar_t), &written, nullptr);
  CloseHandle(file);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) RecordLoad(instance);
  return TRUE;
}
