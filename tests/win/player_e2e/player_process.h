// Packs a presentation onto the player and runs it as a user would: a separate process whose
// window is found and watched from outside. Every wait polls a condition against a deadline.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "core/document/document_model.h"
#include "test_files.h"

namespace zp::e2e {

// The player program with the document (and the resource library) appended, written into the
// directory under the given name. Empty on failure.
std::u16string PackPlayer(const DocumentModel& document, const test::ScratchDirectory& directory,
                          std::u16string_view name);

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 20000);

class PlayerProcess {
 public:
  PlayerProcess() = default;
  ~PlayerProcess();
  PlayerProcess(const PlayerProcess&) = delete;
  PlayerProcess& operator=(const PlayerProcess&) = delete;

  bool Start(const std::u16string& program);
  // The visible top-level dialog of the process, once it is there.
  HWND WaitForWindow(DWORD timeoutMs = 20000);
  // The exit code once the process has ended within the time.
  std::optional<DWORD> WaitForExit(DWORD timeoutMs = 20000);
  bool running() const;

 private:
  PROCESS_INFORMATION process_{};
};

struct WindowFacts {
  RECT rect{};
  LONG_PTR style = 0;
  LONG_PTR exStyle = 0;
  bool hasRegion = false;
  RECT regionBox{};
  HWND owner = nullptr;
  bool visible = false;
};
WindowFacts LookAt(HWND window);

}  // namespace zp::e2e
