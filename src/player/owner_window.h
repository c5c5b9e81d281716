// The hidden window that owns the player window when the document wants no taskbar button:
// an owned window gets none. It is never shown.
#pragma once

#include "framework/window.h"

namespace zp::player {

class OwnerWindow : public win::Window {
 public:
  ~OwnerWindow() override { Destroy(); }
  // Overlapped-window style, default position and size, no title, no menu, no parent.
  bool CreateHidden();
};

}  // namespace zp::player
