#include "player/owner_window.h"

namespace zp::player {

bool OwnerWindow::CreateHidden() {
  return Create(0, L"", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr);
}

}  // namespace zp::player
