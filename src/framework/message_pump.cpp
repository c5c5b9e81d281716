#include "framework/message_pump.h"

namespace zp::win {
namespace {

thread_local MessageRouter* threadRouter = nullptr;

constexpr UINT kLastSystemMessage = 0x0BFF;

}  // namespace

RoutingScope::RoutingScope(MessageRouter& router) : previous_(threadRouter) { threadRouter = &router; }

RoutingScope::~RoutingScope() { threadRouter = previous_; }

PumpResult PumpPendingMessages(int limit, PumpRange range) {
  const UINT last = range == PumpRange::kSystem ? kLastSystemMessage : 0;
  PumpResult result;
  MSG message;
  while (result.dispatched < limit && PeekMessageW(&message, nullptr, 0, last, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      result.quit = true;
      break;
    }
    if (threadRouter) {
      threadRouter->RouteMessage(message);
    } else {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    ++result.dispatched;
  }
  return result;
}

}  // namespace zp::win
