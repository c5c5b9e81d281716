// Starts the program the disc's autorun file names for the splash ("auxopen" in "[autorun]"),
// from the splash program's own folder.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "framework/unique_handle.h"

namespace zp::splash {

struct LaunchedPlayer {
  INT_PTR shellResult = 0;           // the shell's result: above 32 on success, 0 when nothing was tried
  win::UniqueFileHandle process;     // the started process, when the shell started one
  bool started() const { return shellResult > 32; }
};

// The program "folder\autorun.inf" names, joined to `folder`; nothing when the file is missing
// or too large, or the key is missing or empty.
std::optional<std::wstring> AutorunProgram(const std::wstring& folder);

// Opens that program with the shell (verb "open", no arguments, the splash's current folder),
// owned by `owner`, when it is an existing file. No message is shown on failure.
LaunchedPlayer LaunchPlayer(HWND owner, const std::wstring& folder);

}  // namespace zp::splash
