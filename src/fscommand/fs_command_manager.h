// The FSCommand manager: one per process. It dispatches the movie's FSCommands to the built-in
// commands or the extension libraries, sets the results back into the movie and is, at the same
// time, the "FSCommand Log" tool window that shows them.
//
// The process-wide instance comes from GetFsCommandManager and lives until the process ends.
// Tests may construct their own instances.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/fscommand/fs_builtin_rules.h"
#include "core/layout/drag_region.h"

#include "framework/full_screen_switch.h"
#include "framework/window.h"
#include "fscommand/fs_movie_control.h"
#include "fscommand/image_window.h"

namespace zp::fscommand {

struct FsLibraryEntry {
  std::wstring path;
  HMODULE module = nullptr;  // null until first used; null again once unloaded
  std::optional<uint16_t> machine;  // from its PE header; nothing when that could not be read
};

struct FsExportEntry {
  std::wstring name;
  size_t library = 0;  // index into the library list
};

struct PendingMove {
  bool present = false;
  bool relative = false;
  int x = 0;
  int y = 0;
};

class CFsCommandManager : public win::Window {
 public:
  CFsCommandManager() = default;
  ~CFsCommandManager() override;

  // Creates the hidden log window. Without a window the log does nothing and dispatching
  // still works.
  // The window is centred over `owner` when no saved rectangle exists.
  bool CreateLogWindow(HWND owner);
  // Destroys the log window (saving its rectangle); the main window does so when it goes.
  void DestroyLogWindow();

  // --- The log ---
  void ShowFsCommandLog(bool on);
  bool IsLogVisible() const;
  void AppendLogLine(const std::wstring& text, bool lineBreak);
  void AppendLogBreak();
  std::wstring LogText() const;
  HWND LogEdit() const { return edit_; }
  // Loads the resource library that words the log lines from `path`, a full path: the player
  // gives the copy its package put in the temporary directory. Released with the extension
  // libraries.
  void LoadResourceLibrary(const std::wstring& path);
  // A log line: format `id` of the resource library filled with `args`.
  std::wstring LogFormat(UINT id, const std::vector<std::wstring>& args) const;

  // --- Dispatch ---
  // The control's FSCommand event: before the first event of each host kind, "WindowSetHandle"
  // with `handleWindow` in decimal; then the command itself.
  void OnFsCommand(FsMovieControl* control, const std::wstring& command, const std::wstring& args, bool transparent,
                   HWND handleWindow);
  bool DispatchFsCommand(FsMovieControl* control, const std::wstring& command, const std::wstring& args,
                         bool transparent);
  bool RunBuiltInFsCommand(FsMovieControl* control, const std::wstring& command, const std::wstring& args,
                           bool transparent);
  void SetFsCommandReturn(FsMovieControl* control, const std::wstring& value);
  void LogFsCommand(const std::wstring& command, const std::wstring& args, const std::wstring& result);
  // Takes the pending move of the transparent host (reading clears it).
  PendingMove TakePendingMove();

  // --- Extension libraries ---
  void LoadFsCommandLibraries(const std::wstring& directory);
  bool CallFsExtension(FsMovieControl* control, const std::wstring& command, const std::wstring& args);
  void UnloadFsCommandLibraries();
  const std::vector<FsLibraryEntry>& libraries() const { return libraries_; }
  const std::vector<FsExportEntry>& exports() const { return exports_; }

  // --- Image windows and drag areas ---
  // ShowImage: opens an image window from the command's items. False only when the window
  // cannot be created; a missing file still counts as done (no window stays behind for it).
  bool ShowImage(const std::wstring& args);
  // Destroys every image window; the main window does so when it goes.
  void CloseImageWindows();
  const std::vector<std::unique_ptr<CImageWindow>>& imageWindows() const { return imageWindows_; }
  layout::CDragRegion& dragRegion() { return dragRegion_; }

  // --- What the player gives it ---
  void SetMainWindow(HWND window) { mainWindow_ = window; }
  void SetPlayerHost(FsPlayerHost* host) { host_ = host; }
  void SetImageIcon(HICON icon) { imageIcon_ = icon; }
  // Where the scan for libraries looks while none is known; the program's directory by default.
  void SetProgramDirectory(std::wstring directory) { programDirectory_ = std::move(directory); }
  void SetAuthoringForTesting(bool authoring) { authoring_ = authoring; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  bool IsAuthoring() const;
  HWND MainWindow() const;
  void PlaceLogWindow(HWND owner);
  void Place(int x, int y, int width, int height);
  void ApplyDragShape(const FsBuiltInDecision& decision);
  void ForgetImageWindow(CImageWindow* window);

  HWND edit_ = nullptr;
  HFONT font_ = nullptr;
  bool logEnabled_ = false;
  HMODULE resourceModule_ = nullptr;
  std::vector<FsExportEntry> exports_;
  std::vector<FsLibraryEntry> libraries_;
  std::vector<std::unique_ptr<CImageWindow>> imageWindows_;
  layout::CDragRegion dragRegion_;
  HICON imageIcon_ = nullptr;
  PendingMove pendingMove_;
  HWND mainWindow_ = nullptr;
  FsPlayerHost* host_ = nullptr;
  win::FullScreenSwitch fullScreen_;  // used when no player host is set
  std::wstring programDirectory_;
  std::optional<bool> authoring_;
  bool firstWindowedEvent_ = true;
  bool firstTransparentEvent_ = true;
};

// The process-wide manager; the first call creates it and its log window with `owner`.
CFsCommandManager& GetFsCommandManager(HWND owner = nullptr);
// True once GetFsCommandManager has created it.
bool FsCommandManagerExists();

// The string `id` of `module`'s string table, at most 2047 characters; empty when the module is
// null or has no such string.
std::wstring LoadResourceString(HMODULE module, UINT id);

// True when the running program is the authoring program ("Zentrapolis.exe").
bool IsAuthoringHost();

}  // namespace zp::fscommand
