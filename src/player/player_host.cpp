#include "player/player_host.h"

#include "framework/unique_handle.h"

namespace zp::player {

PlayerHost::~PlayerHost() { Destroy(); }

bool PlayerHost::CreateHost(HWND parent, bool transparent, const RECT& clientRect) {
  (void)transparent;  // transparent rendering arrives with its own host
  return Create(0, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, clientRect, parent);
}

void PlayerHost::SetBackgroundColour(COLORREF colour) {
  background_ = colour & 0xFFFFFF;
  if (hwnd()) InvalidateRect(hwnd(), nullptr, TRUE);
}

LRESULT PlayerHost::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND: {
      RECT client;
      GetClientRect(hwnd(), &client);
      win::UniqueBrush brush(CreateSolidBrush(background_));
      FillRect(reinterpret_cast<HDC>(wParam), &client, static_cast<HBRUSH>(brush.get()));
      return 1;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(hwnd(), &paint);
      EndPaint(hwnd(), &paint);
      return 0;
    }
    default:
      return DefaultHandling(message, wParam, lParam);
  }
}

}  // namespace zp::player
