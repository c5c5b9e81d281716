// The player's icon in the notification area; removed when the object goes.
#pragma once

#include <windows.h>

namespace zp::player {

class TrayIcon {
 public:
  static constexpr UINT kIconId = 128;
  static constexpr UINT kCallbackMessage = 0x0504;

  TrayIcon() = default;
  ~TrayIcon() { Remove(); }
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // The tip is cut to what the notification area takes.
  bool Add(HWND owner, HICON icon, const wchar_t* tip);
  void Remove();
  bool shown() const { return owner_ != nullptr; }

 private:
  HWND owner_ = nullptr;
};

}  // namespace zp::player
