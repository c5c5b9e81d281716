// A program the splash can start in place of the player: it shows no window and never signals,
// and ends when a file named "release" appears beside it (or after a minute).
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  std::wstring path(MAX_PATH, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  if (length == 0 || length >= path.size()) return 2;
  path.resize(length);
  const std::wstring release = path.substr(0, path.rfind(L'\\') + 1) + L"release";
  const ULONGLONG deadline = GetTickCount64() + 60000;
  while (GetFileAttributesW(release.c_str()) == INVALID_FILE_ATTRIBUTES) {
    if (GetTickCount64() > deadline) return 1;
    Sleep(50);  // between looks; the deadline bounds the whole wait
  }
  return 0;
}
