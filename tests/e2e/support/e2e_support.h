// Helpers for end-to-end scenarios: find the programs, pack presentations, start a program
// with a private temporary folder, wait for it with a deadline, and look at its windows.
//
// Every scenario starts its program with TMP and TEMP pointing at a fresh folder of its own, so
// that "the player left nothing behind" is a question about that folder alone, whatever other
// tests running at the same time do in the shared temporary folder.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/document/document_model.h"

namespace zp::e2e {

// The folder of the running test program, where Projector.exe and zentra.exe are built too.
std::wstring BinDirectory();
std::wstring ProjectorPath();
std::wstring ZentraPath();

// A presentation of one picture (a tiny JPEG carried at `path`) in a fixed-size window: the
// plainest document a scenario can start from.
DocumentModel OnePicturePresentation(const std::u16string& path = u"C:\\tour\\intro.jpg");

// A player whose package holds the document (and nothing else), written to `output`; the
// document record is compressed unless said otherwise. `version` goes into the record header.
// A failure names its step, the file and the system's error code.
::testing::AssertionResult WritePackedPlayer(const DocumentModel& document, const std::wstring& output,
                                             bool compress = true, uint32_t version = kNewestDocumentVersion);
// The whole file; empty when it cannot be read.
std::vector<uint8_t> ReadFileBytes(const std::wstring& path);
::testing::AssertionResult ReadFileBytes(const std::wstring& path, std::vector<uint8_t>& bytes);
::testing::AssertionResult WriteFileBytes(const std::wstring& path, const std::vector<uint8_t>& bytes);

// A started program. Its handles are closed, and the process ended if it still runs, when the
// object goes.
class Launched {
 public:
  Launched() = default;
  ~Launched();
  Launched(Launched&& other) noexcept;
  Launched& operator=(Launched&&) = delete;
  Launched(const Launched&) = delete;
  Launched& operator=(const Launched&) = delete;

  bool started() const { return process_ != nullptr; }
  // Why the process did not start: CreateProcess's error code.
  DWORD startError() const { return startError_; }
  // started(), or a failure saying which program did not start and why.
  ::testing::AssertionResult Started() const;
  DWORD id() const { return id_; }
  HANDLE handle() const { return process_; }
  // The exit code once the process has ended within the deadline; nothing otherwise.
  std::optional<DWORD> WaitForExit(std::chrono::milliseconds deadline);
  bool Running() const;

 private:
  friend Launched Launch(const std::wstring&, const std::wstring&, const std::wstring&);
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
  std::wstring program_;
  DWORD startError_ = 0;
};

// Starts `program` with the arguments after its quoted name; TMP and TEMP point at
// `temporaryFolder` when it is given. Standard handles are not inherited.
Launched Launch(const std::wstring& program, const std::wstring& arguments = L"",
                const std::wstring& temporaryFolder = L"");

// Polls `condition` every `interval` until it holds or the deadline passes.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds deadline,
               std::chrono::milliseconds interval = std::chrono::milliseconds(50));

// The process's top-level windows (visible ones only when asked).
std::vector<HWND> TopLevelWindows(DWORD processId, bool visibleOnly = true);

// The primary monitor's work area: the player places and sizes its window within it.
RECT WorkArea();
// Its middle point.
POINT WorkAreaMiddle();

// The colour on the screen at a point, as any program sees it.
COLORREF ScreenPixel(POINT point);
// Colours within a few steps of each other in every channel (drawing may round).
bool NearColour(COLORREF a, COLORREF b);

// Input as a user gives it: a key pressed and let go; a mouse event at a point of the primary
// screen, whatever its size.
void PressKey(WORD key);
void SendMouse(DWORD flags, int x, int y);

// The player's dialog among the process's visible top-level windows, or null.
HWND PlayerDialogOf(DWORD processId);

// The splash program's end of the preloader slot: a test creates it to see the player's signal.
class SplashSlot {
 public:
  explicit SplashSlot(const wchar_t* name);
  ~SplashSlot();
  SplashSlot(const SplashSlot&) = delete;
  SplashSlot& operator=(const SplashSlot&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  DWORD Messages() const;
  DWORD NextSize() const;

 private:
  HANDLE handle_;
};

// The entries of a folder (names, no "." or ".."), empty when it does not exist.
std::vector<std::wstring> FolderEntries(const std::wstring& folder);

// Waits for the process to end, watching all the while for visible windows of it. Gives the
// exit code (nothing when the deadline passed) and whether a window was ever seen.
struct Observed {
  std::optional<DWORD> exitCode;
  bool sawWindow = false;
};
Observed WatchUntilExit(Launched& process, std::chrono::milliseconds deadline);

}  // namespace zp::e2e
