#include "framework/application.h"

namespace zp::win {

namespace {
Application* current = nullptr;
}

Application::Application() { current = this; }

Application::~Application() {
  if (current == this) current = nullptr;
}

Application* Application::Current() { return current; }

int RunApplication(Application& application) {
  if (application.Start()) {
    MSG message;
    for (;;) {
      const BOOL got = GetMessageW(&message, nullptr, 0, 0);
      if (got == 0 || got == -1) break;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return application.Exit();
}

}  // namespace zp::win
