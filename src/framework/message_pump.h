// Keeps the user-interface thread answering while it waits for something (a document being
// written out, an installer, a movie getting ready): messages already queued are handled in
// bounded numbers, without waiting for new ones.
//
// A window that wants the keys of such waits to meet its own rules (close keys, Esc) makes
// itself the thread's router for as long as it runs: the waits then hand every message to it,
// as its own message loop would, instead of dispatching it directly.
#pragma once

#include <windows.h>

namespace zp::win {

// Sends one message taken from the queue on its way (pre-translation, dialog keys, dispatch).
class MessageRouter {
 public:
  virtual void RouteMessage(MSG& message) = 0;

 protected:
  ~MessageRouter() = default;
};

// While it lives, the waits of this thread route messages through `router`; the router before
// it comes back when it ends.
class RoutingScope {
 public:
  explicit RoutingScope(MessageRouter& router);
  ~RoutingScope();
  RoutingScope(const RoutingScope&) = delete;
  RoutingScope& operator=(const RoutingScope&) = delete;

 private:
  MessageRouter* previous_;
};

// Which queued messages a wait takes.
enum class PumpRange {
  kAll,
  // Numbers 0 to 0x0BFF: registered messages and the application's own range stay queued.
  kSystem,
};

struct PumpResult {
  int dispatched = 0;
  // A WM_QUIT was met: it was put back for the loop that owns the thread and ended the pumping.
  bool quit = false;
};

// Handles at most `limit` messages of `range` that are already queued, through the thread's
// router when there is one.
PumpResult PumpPendingMessages(int limit, PumpRange range = PumpRange::kSystem);

}  // namespace zp::win
