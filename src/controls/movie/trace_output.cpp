#include "trace_output.h"

#include <windows.h>

#include "core/text.h"
#include "platform/wide.h"

namespace zp::movie {
namespace {

std::wstring TraceFilePath() {
  wchar_t small[MAX_PATH];
  const DWORD needed = GetEnvironmentVariableW(L"ZENTRA_MOVIE_TRACE", small, MAX_PATH);
  if (needed == 0) return {};
  if (needed < MAX_PATH) return small;
  std::wstring path(needed, L'\0');
  const DWORD length = GetEnvironmentVariableW(L"ZENTRA_MOVIE_TRACE", path.data(), needed);
  if (length == 0 || length >= needed) return {};
  path.resize(length);
  return path;
}

}  // namespace

void WriteTraceLines(const std::vector<std::u16string>& lines) {
  if (lines.empty()) return;
  std::string text;
  for (const auto& line : lines) {
    OutputDebugStringW((ToWide(line) + L"\n").c_str());
    text += U16ToUtf8(line);
    text += '\n';
  }
  const std::wstring path = TraceFilePath();
  if (path.empty()) return;
  // Appending keeps what several controls, or several loads, traced into one file in order.
  HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

}  // namespace zp::movie
