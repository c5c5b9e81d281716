// The argument recorder (arg_recorder.exe, built beside the tests): a test copies it into a
// folder of its own, registers the copy as some program, and reads what it was started with.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace zp::test {

// The recorder beside the running test program.
inline std::wstring RecorderProgram() {
  wchar_t self[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self, length);
  return path.substr(0, path.find_last_of(L'\\') + 1) + L"arg_recorder.exe";
}

// The arguments the copy at `program` recorded, once it has; nothing before.
inline std::optional<std::vector<std::wstring>> RecordedArguments(const std::wstring& program) {
  HANDLE file = CreateFileW((program + L".args").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::wstring text;
  wchar_t buffer[1024];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) text.append(buffer, read / sizeof(wchar_t));
  CloseHandle(file);
  std::vector<std::wstring> arguments;
  for (size_t start = 0, end; (end = text.find(L'\0', start)) != std::wstring::npos; start = end + 1) {
    arguments.push_back(text.substr(start, end - start));
  }
  return arguments;
}

}  // namespace zp::test
