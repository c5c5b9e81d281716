// The splash program's end of the preloader mailslot: it owns the slot, and waits on it for the
// player's one message while keeping its own window alive.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "framework/unique_handle.h"

namespace zp::splash {

// How the wait is bounded: a player that never signals releases the splash after nine minutes.
struct WaitBounds {
  DWORD totalMilliseconds = 9000 * 60;
  DWORD pollMilliseconds = 60;
  int messagesPerPoll = 500;
};

enum class WaitEnd {
  kSignalled,   // a message is waiting in the slot (it is never read)
  kReleased,    // the caller stopped waiting: the splash was closed, or the player ended
  kQuit,        // a WM_QUIT came by; it is back in the queue for the message loop
  kBound,       // the time ran out
};

class PreloaderSlot {
 public:
  // Creates the slot (no message size limit, reads never block). When the name is taken, by
  // another splash program, the slot stays invalid and every wait runs to its bound.
  explicit PreloaderSlot(const std::wstring& name);

  bool valid() const { return handle_.valid(); }
  // True when a message is waiting.
  bool HasMessage() const;
  // Waits for a message, dispatching the window messages already queued (numbers below 0x0C00)
  // between polls, so that the splash paints, animates and can be closed. `keepWaiting` is
  // asked on every poll. The slot is closed when the wait ends, whatever ended it.
  WaitEnd WaitForPlayerSignal(const std::function<bool()>& keepWaiting, const WaitBounds& bounds = {});
  void Close() { handle_.reset(); }

 private:
  win::UniqueFileHandle handle_;
};

}  // namespace zp::splash
