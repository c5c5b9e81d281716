// What the player window's source files share: small helpers.
#pragma once

#include <windows.h>

#include <iterator>
#include <string>

#include "core/document/document_model.h"
#include "core/sequence/movie_sequence.h"
#include "core/temp_files.h"
#include "core/text.h"
#include "framework/window.h"
#include "platform/platform.h"
#include "platform/wide.h"

namespace zp::player::detail {

inline constexpr DWORD kFrameStyles = WS_CAPTION | WS_THICKFRAME;
inline constexpr double kEndlessPlayTime = 9999999.0;

// A string of the player's own string table.
inline std::wstring OwnString(UINT id) {
  wchar_t buffer[512] = {};
  int length = LoadStringW(win::ModuleInstance(), id, buffer, static_cast<int>(std::size(buffer)));
  return length > 0 ? std::wstring(buffer, length) : std::wstring();
}

inline RECT WindowRect(HWND hwnd) {
  RECT rect{};
  GetWindowRect(hwnd, &rect);
  return rect;
}

// Asks the shell's taskbar to minimise or restore all windows. The wait for its answer is
// bounded: a shell that does not answer (Wine's taskbar never does) must not hold the player
// window back for good.
inline void SendToShellTray(UINT command) {
  constexpr UINT kShellAnswerMs = 1000;
  DWORD_PTR ignored = 0;
  if (HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr))
    SendMessageTimeoutW(tray, WM_COMMAND, command, 0, SMTO_ABORTIFHUNG, kShellAnswerMs, &ignored);
}

// Whether a point of the movie's window (client coordinates) is on one of the drag areas the
// movie set.
bool OnDragModel(POINT client);

inline bool ProgramIsScreenSaver() { return EqualsNoCase(ExtensionOf(platform::ModuleFilePath()), u"scr"); }

// "file://" and the program's directory with forward slashes and a final one: where movies
// find the files they load.
inline std::wstring ProgramDirectoryUrl() {
  std::wstring directory = ToWide(ProgramDirectory());
  for (wchar_t& c : directory) {
    if (c == L'\\') c = L'/';
  }
  return L"file://" + directory + L"/";
}

}  // namespace zp::player::detail
