#include "player/tray_icon.h"

#include <shellapi.h>

#include <cwchar>
#include <iterator>

namespace zp::player {

bool TrayIcon::Add(HWND owner, HICON icon, const wchar_t* tip) {
  Remove();
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof(data);
  data.hWnd = owner;
  data.uID = kIconId;
  data.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
  data.uCallbackMessage = kCallbackMessage;
  data.hIcon = icon;
  if (tip) wcsncpy(data.szTip, tip, std::size(data.szTip) - 1);
  if (!Shell_NotifyIconW(NIM_ADD, &data)) return false;
  owner_ = owner;
  return true;
}

void TrayIcon::Remove() {
  if (!owner_) return;
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof(data);
  data.hWnd = owner_;
  data.uID = kIconId;
  Shell_NotifyIconW(NIM_DELETE, &data);
  owner_ = nullptr;
}

}  // namespace zp::player
