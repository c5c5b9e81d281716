// ZentraFSCmd.dll: the FSCommand extension library carried in every package. Each export is one
// command; docs/extensions.md lists their arguments and results.
#include "zentra_fscmd.h"

#include <shellapi.h>

#include "fscmd_text.h"

using zentra_fscmd::ArgumentItem;
using zentra_fscmd::NumberItem;
using zentra_fscmd::Result;
using zentra_fscmd::Success;
using zentra_fscmd::Text;
using zentra_fscmd::Values;

namespace {

// The window the player handed over with FSWindowSetHandle; the window commands act on it.
HWND g_window = nullptr;

HWND Window() { return g_window && IsWindow(g_window) ? g_window : nullptr; }

const wchar_t* Arguments(const wchar_t* arguments) { return arguments ? arguments : L""; }

BSTR Number(long long value) {
  Text text;
  text.AppendNumber(value);
  return Values(text.c_str());
}

BSTR NumbersAfterSuccess(const long long* numbers, unsigned count) {
  Text texts[4];
  Result result;
  result.Add(L"1");
  for (unsigned i = 0; i < count && i < 4; ++i) {
    texts[i].AppendNumber(numbers[i]);
    result.Add(texts[i].c_str());
  }
  return result.Make();
}

bool MoveWindowBy(bool relative, long long x, long long y) {
  HWND window = Window();
  if (!window) return false;
  RECT rect;
  if (!GetWindowRect(window, &rect)) return false;
  if (relative) {
    x += rect.left;
    y += rect.top;
  }
  return SetWindowPos(window, nullptr, static_cast<int>(x), static_cast<int>(y), 0, 0,
                      SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) != FALSE;
}

// Splits "HKEY_CURRENT_USER\Sub\Key\Value" into its root, subkey and value name (after the last
// backslash; empty for the default value).
bool SplitRegistryPath(const wchar_t* path, HKEY& root, Text& subkey, Text& value) {
  struct Root {
    const wchar_t* name;
    const wchar_t* shortName;
    HKEY key;
  };
  static const Root kRoots[] = {
      {L"HKEY_CURRENT_USER", L"HKCU", HKEY_CURRENT_USER},
      {L"HKEY_LOCAL_MACHINE", L"HKLM", HKEY_LOCAL_MACHINE},
      {L"HKEY_CLASSES_ROOT", L"HKCR", HKEY_CLASSES_ROOT},
      {L"HKEY_USERS", L"HKU", HKEY_USERS},
  };
  const wchar_t* slash = path;
  while (*slash && *slash != L'\\') ++slash;
  if (!*slash) return false;
  const int rootLength = static_cast<int>(slash - path);
  bool found = false;
  for (const Root& candidate : kRoots) {
    const wchar_t* const names[2] = {candidate.name, candidate.shortName};
    for (const wchar_t* name : names) {
      if (lstrlenW(name) == rootLength &&
          CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, name, rootLength, path, rootLength) == CSTR_EQUAL) {
        root = candidate.key;
        found = true;
      }
    }
  }
  if (!found) return false;
  const wchar_t* rest = slash + 1;
  const wchar_t* last = nullptr;
  for (const wchar_t* p = rest; *p; ++p)
    if (*p == L'\\') last = p;
  if (!last) return false;
  subkey.Append(rest, static_cast<unsigned>(last - rest));
  value.Append(last + 1);
  return !subkey.failed() && !value.failed();
}

}  // namespace

// --- The window handed over by the player ---

ZENTRA_FSCOMMAND(WindowSetHandle) {
  g_window = reinterpret_cast<HWND>(static_cast<INT_PTR>(zentra_fscmd::ReadNumber(Arguments(arguments))));
  return Success(Window() != nullptr);
}

ZENTRA_FSCOMMAND(WindowSetPos) {
  return Success(MoveWindowBy(false, NumberItem(Arguments(arguments), 1), NumberItem(Arguments(arguments), 2)));
}

ZENTRA_FSCOMMAND(WindowSetPosRel) {
  return Success(MoveWindowBy(true, NumberItem(Arguments(arguments), 1), NumberItem(Arguments(arguments), 2)));
}

ZENTRA_FSCOMMAND(WindowSetSize) {
  HWND window = Window();
  const long long width = NumberItem(Arguments(arguments), 0), height = NumberItem(Arguments(arguments), 1);
  if (!window || width <= 0 || height <= 0) return Success(false);
  return Success(SetWindowPos(window, nullptr, 0, 0, static_cast<int>(width), static_cast<int>(height),
                              SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE) != FALSE);
}

ZENTRA_FSCOMMAND(WindowSetState) {
  HWND window = Window();
  if (!window) return Success(false);
  switch (NumberItem(Arguments(arguments), 0)) {
    case 0:
      ShowWindow(window, SW_RESTORE);
      return Success(true);
    case 1:
      ShowWindow(window, SW_MINIMIZE);
      return Success(true);
    case 2:
      ShowWindow(window, SW_MAXIMIZE);
      return Success(true);
    default:
      return Success(false);
  }
}

ZENTRA_FSCOMMAND(WindowShow) {
  HWND window = Window();
  if (!window) return Success(false);
  ShowWindow(window, NumberItem(Arguments(arguments), 0) != 0 ? SW_SHOW : SW_HIDE);
  return Success(true);
}

ZENTRA_FSCOMMAND(WindowSetTitle) {
  HWND window = Window();
  return Success(window && SetWindowTextW(window, Arguments(arguments)));
}

ZENTRA_FSCOMMAND(WindowGetPos) {
  RECT rect;
  HWND window = Window();
  if (!window || !GetWindowRect(window, &rect)) return Success(false);
  const long long numbers[4] = {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
  return NumbersAfterSuccess(numbers, 4);
}

ZENTRA_FSCOMMAND(WindowFlash) {
  HWND window = Window();
  return Success(window && (FlashWindow(window, TRUE), true));
}

// --- The system ---

ZENTRA_FSCOMMAND(GetScreenSize) {
  const long long numbers[2] = {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  return NumbersAfterSuccess(numbers, 2);
}

ZENTRA_FSCOMMAND(GetWorkArea) {
  RECT area;
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) return Success(false);
  const long long numbers[4] = {area.left, area.top, area.right - area.left, area.bottom - area.top};
  return NumbersAfterSuccess(numbers, 4);
}

ZENTRA_FSCOMMAND(GetTickCount) { return Number(static_cast<long long>(GetTickCount64())); }

ZENTRA_FSCOMMAND(GetDate) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  wchar_t date[32];
  wsprintfW(date, L"%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
            now.wSecond);
  return Values(date);
}

ZENTRA_FSCOMMAND(GetEnv) {
  wchar_t small[1];
  const DWORD needed = GetEnvironmentVariableW(Arguments(arguments), small, 0);
  if (needed == 0) return Values(L"");
  wchar_t* value = static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, needed * sizeof(wchar_t)));
  if (!value) return nullptr;
  const DWORD length = GetEnvironmentVariableW(Arguments(arguments), value, needed);
  BSTR result = Values(length < needed ? value : L"");
  HeapFree(GetProcessHeap(), 0, value);
  return result;
}

ZENTRA_FSCOMMAND(Beep) { return Success(MessageBeep(MB_OK) != FALSE); }

ZENTRA_FSCOMMAND(MessageBox) {
  wchar_t caption[256];
  if (!Window() || GetWindowTextW(Window(), caption, 256) <= 0) lstrcpynW(caption, L"Zentrapolis Projector", 256);
  return Number(MessageBoxW(Window(), Arguments(arguments), caption, MB_OK | MB_ICONINFORMATION));
}

ZENTRA_FSCOMMAND(Confirm) {
  wchar_t caption[256];
  if (!Window() || GetWindowTextW(Window(), caption, 256) <= 0) lstrcpynW(caption, L"Zentrapolis Projector", 256);
  return Success(MessageBoxW(Window(), Arguments(arguments), caption, MB_YESNO | MB_ICONQUESTION) == IDYES);
}

// --- Programs and documents ---

ZENTRA_FSCOMMAND(Exec) {
  // CreateProcessW may write into the command line, so it gets a copy.
  Text commandLine;
  commandLine.Append(Arguments(arguments));
  if (commandLine.failed() || commandLine.size() == 0) return Success(false);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, const_cast<wchar_t*>(commandLine.c_str()), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process))
    return Success(false);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return Success(true);
}

ZENTRA_FSCOMMAND(Run) {
  Text target, parameters;
  ArgumentItem(Arguments(arguments), 0, target);
  ArgumentItem(Arguments(arguments), 1, parameters);
  if (target.size() == 0) return Success(false);
  const INT_PTR code = reinterpret_cast<INT_PTR>(ShellExecuteW(Window(), L"open", target.c_str(),
                                                               parameters.size() ? parameters.c_str() : nullptr,
                                                               nullptr, SW_SHOWNORMAL));
  return Success(code > 32);
}

ZENTRA_FSCOMMAND(FileOpen) {
  const INT_PTR code =
      reinterpret_cast<INT_PTR>(ShellExecuteW(Window(), nullptr, Arguments(arguments), nullptr, nullptr, SW_SHOWNORMAL));
  return Success(code > 32);
}

// --- Files, registry, clipboard (reading only, except the clipboard) ---

ZENTRA_FSCOMMAND(FileExists) {
  const DWORD attributes = GetFileAttributesW(Arguments(arguments));
  return Success(attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY));
}

ZENTRA_FSCOMMAND(FolderExists) {
  const DWORD attributes = GetFileAttributesW(Arguments(arguments));
  return Success(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
}

ZENTRA_FSCOMMAND(RegRead) {
  HKEY root = nullptr;
  Text subkey, value;
  if (!SplitRegistryPath(Arguments(arguments), root, subkey, value)) return Values(L"");
  DWORD type = 0, size = 0;
  const wchar_t* name = value.size() ? value.c_str() : nullptr;
  if (RegGetValueW(root, subkey.c_str(), name, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_RT_REG_DWORD, &type,
                   nullptr, &size) != ERROR_SUCCESS)
    return Values(L"");
  void* data = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size + sizeof(wchar_t));
  if (!data) return nullptr;
  BSTR result;
  if (RegGetValueW(root, subkey.c_str(), name, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_RT_REG_DWORD, &type, data,
                   &size) != ERROR_SUCCESS)
    result = Values(L"");
  else if (type == REG_DWORD)
    result = Number(*static_cast<DWORD*>(data));
  else
    result = Values(static_cast<const wchar_t*>(data));
  HeapFree(GetProcessHeap(), 0, data);
  return result;
}

ZENTRA_FSCOMMAND(ClipboardSet) {
  const wchar_t* text = Arguments(arguments);
  const SIZE_T bytes = (static_cast<SIZE_T>(lstrlenW(text)) + 1) * sizeof(wchar_t);
  if (!OpenClipboard(Window())) return Success(false);
  bool ok = false;
  EmptyClipboard();
  if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
    if (void* target = GlobalLock(memory)) {
      const BYTE* from = reinterpret_cast<const BYTE*>(text);
      for (SIZE_T i = 0; i < bytes; ++i) static_cast<BYTE*>(target)[i] = from[i];
      GlobalUnlock(memory);
      ok = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    }
    if (!ok) GlobalFree(memory);
  }
  CloseClipboard();
  return Success(ok);
}

ZENTRA_FSCOMMAND(ClipboardGet) {
  if (!OpenClipboard(Window())) return Values(L"");
  BSTR result = nullptr;
  if (HANDLE memory = GetClipboardData(CF_UNICODETEXT)) {
    if (const wchar_t* text = static_cast<const wchar_t*>(GlobalLock(memory))) {
      result = Values(text);
      GlobalUnlock(memory);
    }
  }
  CloseClipboard();
  return result ? result : Values(L"");
}

// Answers a movie that asks whether the library is there and which version it is.
ZENTRA_FSCOMMAND(Version) { return Values(L"1.0"); }

extern "C" BOOL WINAPI ZentraFsCmdEntry(HINSTANCE, DWORD, void*) { return TRUE; }
