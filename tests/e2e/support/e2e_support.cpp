#include "support/e2e_support.h"

#include <cstdlib>
#include <thread>

#include "core/document/document_archive.h"
#include "core/package_writer.h"
#include "core/text.h"
#include "platform/wide.h"

namespace zp::e2e {

std::wstring BinDirectory() {
  wchar_t path[MAX_PATH * 4];
  const DWORD n = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
  std::wstring text(path, n);
  return text.substr(0, text.find_last_of(L"\\/"));
}

std::wstring ProjectorPath() { return BinDirectory() + L"\\Projector.exe"; }
std::wstring ZentraPath() { return BinDirectory() + L"\\zentra.exe"; }

namespace {

std::string Narrow(const std::wstring& text) { return U16ToUtf8(FromWide(text)); }

::testing::AssertionResult StepFailed(const char* step, const std::wstring& path, DWORD error) {
  return ::testing::AssertionFailure() << step << " " << Narrow(path) << " failed with error " << error;
}

}  // namespace

// The system's own calls rather than streams, so that a failure keeps its error code.
::testing::AssertionResult ReadFileBytes(const std::wstring& path, std::vector<uint8_t>& bytes) {
  bytes.clear();
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return StepFailed("opening", path, GetLastError());
  LARGE_INTEGER size{};
  DWORD error = GetFileSizeEx(file, &size) ? ERROR_SUCCESS : GetLastError();
  if (error == ERROR_SUCCESS) {
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
      error = GetLastError();
    } else if (read != bytes.size()) {
      error = ERROR_HANDLE_EOF;
    }
  }
  CloseHandle(file);
  if (error != ERROR_SUCCESS) {
    bytes.clear();
    return StepFailed("reading", path, error);
  }
  return ::testing::AssertionSuccess();
}

std::vector<uint8_t> ReadFileBytes(const std::wstring& path) {
  std::vector<uint8_t> bytes;
  ReadFileBytes(path, bytes);
  return bytes;
}

::testing::AssertionResult WriteFileBytes(const std::wstring& path, const std::vector<uint8_t>& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return StepFailed("creating", path, GetLastError());
  DWORD written = 0;
  DWORD error = ERROR_SUCCESS;
  if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
    error = GetLastError();
  } else if (written != bytes.size()) {
    error = ERROR_DISK_FULL;
  }
  if (!CloseHandle(file) && error == ERROR_SUCCESS) error = GetLastError();
  if (error != ERROR_SUCCESS) return StepFailed("writing", path, error);
  return ::testing::AssertionSuccess();
}

DocumentModel OnePicturePresentation(const std::u16string& path) {
  DocumentModel document;
  MovieItem item;
  item.path = path;
  item.playTime = 3;
  item.file.path = path;
  item.file.data = {0xFF, 0xD8, 0xFF, 0xD9};
  document.movieList.items.push_back(item);
  document.sizeOptions.sizeMode = 1;
  return document;
}

::testing::AssertionResult WritePackedPlayer(const DocumentModel& document, const std::wstring& output,
                                             bool compress, uint32_t version) {
  std::vector<uint8_t> bytes;
  if (auto read = ReadFileBytes(ProjectorPath(), bytes); !read) return read;
  const auto record = MakeDocumentRecord(WriteDocumentSections(document, version), compress, version);
  bytes.insert(bytes.end(), record.begin(), record.end());
  return WriteFileBytes(output, bytes);
}

Launched::~Launched() {
  if (process_ == nullptr) return;
  if (Running()) {
    TerminateProcess(process_, 0xDEAD);
    WaitForSingleObject(process_, 5000);
  }
  CloseHandle(process_);
}

Launched::Launched(Launched&& other) noexcept
    : process_(other.process_), id_(other.id_), program_(std::move(other.program_)), startError_(other.startError_) {
  other.process_ = nullptr;
  other.id_ = 0;
}

::testing::AssertionResult Launched::Started() const {
  if (started()) return ::testing::AssertionSuccess();
  return StepFailed("starting", program_, startError_);
}

bool Launched::Running() const { return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

std::optional<DWORD> Launched::WaitForExit(std::chrono::milliseconds deadline) {
  if (process_ == nullptr) return std::nullopt;
  if (WaitForSingleObject(process_, static_cast<DWORD>(deadline.count())) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  if (!GetExitCodeProcess(process_, &code)) return std::nullopt;
  return code;
}

namespace {

// The current environment with TMP and TEMP replaced: a sorted, double-zero-terminated block.
std::wstring EnvironmentWithTemporaryFolder(const std::wstring& folder) {
  std::wstring block;
  wchar_t* strings = GetEnvironmentStringsW();
  for (const wchar_t* entry = strings; entry != nullptr && *entry != L'\0'; entry += wcslen(entry) + 1) {
    const std::wstring text(entry);
    if (_wcsnicmp(entry, L"TMP=", 4) == 0 || _wcsnicmp(entry, L"TEMP=", 5) == 0) continue;
    block += text;
    block += L'\0';
  }
  if (strings != nullptr) FreeEnvironmentStringsW(strings);
  block += L"TEMP=" + folder;
  block += L'\0';
  block += L"TMP=" + folder;
  block += L'\0';
  block += L'\0';
  return block;
}

}  // namespace

Launched Launch(const std::wstring& program, const std::wstring& arguments, const std::wstring& temporaryFolder) {
  std::wstring commandLine = L"\"" + program + L"\"";
  if (!arguments.empty()) commandLine += L" " + arguments;
  std::wstring environment;
  if (!temporaryFolder.empty()) environment = EnvironmentWithTemporaryFolder(temporaryFolder);
  STARTUPINFOW startup {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info {};
  Launched launched;
  launched.program_ = program;
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                      environment.empty() ? nullptr : environment.data(), nullptr, &startup, &info)) {
    launched.startError_ = GetLastError();
    return launched;
  }
  CloseHandle(info.hThread);
  launched.process_ = info.hProcess;
  launched.id_ = info.dwProcessId;
  return launched;
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds deadline,
               std::chrono::milliseconds interval) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(interval);
  }
}

std::vector<HWND> TopLevelWindows(DWORD processId, bool visibleOnly) {
  struct Search {
    DWORD processId;
    bool visibleOnly;
    std::vector<HWND> found;
  } search {processId, visibleOnly, {}};
  EnumWindows(
      [](HWND hwnd, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if (owner == s->processId && (!s->visibleOnly || IsWindowVisible(hwnd))) s->found.push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

RECT WorkArea() {
  RECT area{};
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) {
    area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
  return area;
}

POINT WorkAreaMiddle() {
  const RECT area = WorkArea();
  return {(area.left + area.right) / 2, (area.top + area.bottom) / 2};
}

COLORREF ScreenPixel(POINT point) {
  HDC screen = GetDC(nullptr);
  const COLORREF colour = GetPixel(screen, point.x, point.y);
  ReleaseDC(nullptr, screen);
  return colour;
}

bool NearColour(COLORREF a, COLORREF b) {
  constexpr int kTolerance = 24;
  return std::abs(GetRValue(a) - GetRValue(b)) < kTolerance && std::abs(GetGValue(a) - GetGValue(b)) < kTolerance &&
         std::abs(GetBValue(a) - GetBValue(b)) < kTolerance;
}

void PressKey(WORD key) {
  INPUT keys[2] = {};
  keys[0].type = keys[1].type = INPUT_KEYBOARD;
  keys[0].ki.wVk = keys[1].ki.wVk = key;
  keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, keys, sizeof(INPUT));
}

void SendMouse(DWORD flags, int x, int y) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  // Absolute coordinates run from 0 to 65535 over the primary screen.
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  input.mi.dx = (x * 65536 + width - 1) / width;
  input.mi.dy = (y * 65536 + height - 1) / height;
  input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &input, sizeof(input));
}

HWND PlayerDialogOf(DWORD processId) {
  for (HWND window : TopLevelWindows(processId)) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (std::wstring(className) == L"#32770") return window;
  }
  return nullptr;
}

SplashSlot::SplashSlot(const wchar_t* name) : handle_(CreateMailslotW(name, 0, 0, nullptr)) {}

SplashSlot::~SplashSlot() {
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
}

DWORD SplashSlot::Messages() const {
  DWORD count = 0;
  GetMailslotInfo(handle_, nullptr, nullptr, &count, nullptr);
  return count;
}

DWORD SplashSlot::NextSize() const {
  DWORD next = 0;
  GetMailslotInfo(handle_, nullptr, &next, nullptr, nullptr);
  return next;
}

std::vector<std::wstring> FolderEntries(const std::wstring& folder) {
  std::vector<std::wstring> entries;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return entries;
  do {
    const std::wstring name = data.cFileName;
    if (name != L"." && name != L"..") entries.push_back(name);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return entries;
}

Observed WatchUntilExit(Launched& process, std::chrono::milliseconds deadline) {
  Observed observed;
  WaitUntil(
      [&] {
        if (!TopLevelWindows(process.id()).empty()) observed.sawWindow = true;
        return !process.Running();
      },
      deadline, std::chrono::milliseconds(20));
  observed.exitCode = process.WaitForExit(std::chrono::milliseconds(0));
  return observed;
}

}  // namespace zp::e2e
