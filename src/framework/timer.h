// A window timer record: owner window, identifier, period and whether it runs.
#pragma once

#include <windows.h>

namespace zp::win {

class WindowTimer {
 public:
  WindowTimer() = default;
  ~WindowTimer() { Stop(); }
  WindowTimer(const WindowTimer&) = delete;
  WindowTimer& operator=(const WindowTimer&) = delete;

  void Prepare(HWND owner, UINT_PTR id, UINT periodMs) {
    Stop();
    owner_ = owner;
    id_ = id;
    period_ = periodMs;
  }
  bool Start() {
    if (!owner_ || !IsWindow(owner_)) return false;
    running_ = SetTimer(owner_, id_, period_, nullptr) != 0;
    return running_;
  }
  void Stop() {
    if (running_ && owner_ && IsWindow(owner_)) KillTimer(owner_, id_);
    running_ = false;
  }
  bool running() const { return running_; }
  UINT_PTR id() const { return id_; }
  UINT period() const { return period_; }

 private:
  HWND owner_ = nullptr;
  UINT_PTR id_ = 0;
  UINT period_ = 0;
  bool running_ = false;
};

}  // namespace zp::win
