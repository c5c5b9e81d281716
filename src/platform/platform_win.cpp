// Win32 side of the platform layer.
#include <windows.h>

#include "platform/platform.h"
#include "platform/wide.h"

namespace zp::platform {

std::optional<uint32_t> ReadAttributes(const std::u16string& path) {
  const DWORD attributes = GetFileAttributesW(ToWide(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return static_cast<uint32_t>(attributes);
}

bool WriteAttributes(const std::u16string& path, uint32_t attributes) {
  return SetFileAttributesW(ToWide(path).c_str(), attributes) != FALSE;
}

bool CreateSingleDirectory(const std::u16string& path) {
  return CreateDirectoryW(ToWide(path).c_str(), nullptr) != FALSE;
}

bool RemoveEmptyDirectory(const std::u16string& path) {
  return RemoveDirectoryW(ToWide(path).c_str()) != FALSE;
}

bool DeleteOneFile(const std::u16string& path) { return DeleteFileW(ToWide(path).c_str()) != FALSE; }

std::vector<DirectoryEntry> ListDirectory(const std::u16string& directory) {
  std::vector<DirectoryEntry> entries;
  WIN32_FIND_DATAW found {};
  const HANDLE search = FindFirstFileW((ToWide(directory) + L"\\*.*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return entries;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    entries.push_back({FromWide(name), (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return entries;
}

std::u16string SystemTemporaryPath() {
  wchar_t buffer[MAX_PATH + 1] = {};
  const DWORD n = GetTempPathW(MAX_PATH, buffer);
  return n > 0 && n < MAX_PATH ? FromWide({buffer, n}) : std::u16string();
}

std::u16string ModuleFilePath() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) return FromWide({buffer.data(), n});
    buffer.resize(buffer.size() * 2);
  }
}

std::u16string CurrentDirectory() {
  const DWORD needed = GetCurrentDirectoryW(0, nullptr);
  if (needed == 0) return {};
  std::wstring buffer(needed, L'\0');
  const DWORD n = GetCurrentDirectoryW(needed, buffer.data());
  return n > 0 && n < needed ? FromWide({buffer.data(), n}) : std::u16string();
}

bool ChangeCurrentDirectory(const std::u16string& path) {
  return SetCurrentDirectoryW(ToWide(path).c_str()) != FALSE;
}

uint32_t LocalMillisecondsOfDay() {
  SYSTEMTIME now {};
  GetLocalTime(&now);
  return ((static_cast<uint32_t>(now.wHour) * 60 + now.wMinute) * 60 + now.wSecond) * 1000 + now.wMilliseconds;
}

void SleepMilliseconds(uint32_t milliseconds) { Sleep(milliseconds); }

OutputFile::~OutputFile() { Close(); }

bool OutputFile::Open(const std::u16string& path, Mode mode) {
  Close();
  const HANDLE file = CreateFileW(ToWide(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  mode == Mode::kCreateNew ? CREATE_NEW : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  handle_ = reinterpret_cast<intptr_t>(file);
  return true;
}

bool OutputFile::Write(std::span<const uint8_t> bytes) {
  if (!IsOpen()) return false;
  const HANDLE file = reinterpret_cast<HANDLE>(handle_);
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(bytes.size() < (1u << 30) ? bytes.size() : (1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes = bytes.subspan(written);
  }
  return true;
}

void OutputFile::Close() {
  if (IsOpen()) CloseHandle(reinterpret_cast<HANDLE>(handle_));
  handle_ = -1;
}

bool OutputFile::IsOpen() const { return handle_ != -1; }

MappedFile::~MappedFile() { Release(); }

size_t MappedFile::Map(const std::u16string& path) {
  Release();
  const HANDLE file = CreateFileW(ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  file_ = reinterpret_cast<intptr_t>(file);
  LARGE_INTEGER size {};
  if (!GetFileSizeEx(file, &size) || size.QuadPart <= 0 ||
      static_cast<unsigned long long>(size.QuadPart) > SIZE_MAX) {
    Release();
    return 0;
  }
  const HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  if (mapping == nullptr) {
    Release();
    return 0;
  }
  mapping_ = reinterpret_cast<intptr_t>(mapping);
  view_ = static_cast<const uint8_t*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
  if (view_ == nullptr) {
    Release();
    return 0;
  }
  size_ = static_cast<size_t>(size.QuadPart);
  return size_;
}

void MappedFile::Release() {
  if (view_ != nullptr) UnmapViewOfFile(view_);
  if (mapping_ != 0) CloseHandle(reinterpret_cast<HANDLE>(mapping_));
  if (file_ != -1) CloseHandle(reinterpret_cast<HANDLE>(file_));
  view_ = nullptr;
  mapping_ = 0;
  file_ = -1;
  size_ = 0;
}

}  // namespace zp::platform
