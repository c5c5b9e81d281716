// A stand-in for a browser or mail program: writes the arguments it was started with, each
// ended by a zero character, into "<its own path>.args", then ends. The file appears whole
// (written beside it, then renamed), so a test that sees it can read it at once.
#include <windows.h>
#include <shellapi.h>

#include <string>

int main() {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!arguments) return 1;
  std::wstring recorded;
  for (int i = 1; i < count; ++i) {
    recorded += arguments[i];
    recorded.push_back(L'\0');
  }
  LocalFree(arguments);

  wchar_t self[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 1;
  const std::wstring target = std::wstring(self, length) + L".args";
  const std::wstring partial = target + L".partial";
  HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  const DWORD bytes = static_cast<DWORD>(recorded.size() * sizeof(wchar_t));
  const bool ok = WriteFile(file, recorded.data(), bytes, &written, nullptr) && written == bytes;
  CloseHandle(file);
  return ok && MoveFileExW(partial.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
