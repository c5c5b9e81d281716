#include "framework/menu.h"

namespace zp::win {

bool PopupMenu::AppendItem(UINT command, const std::wstring& text, bool checked, bool grayed) {
  UINT flags = MF_STRING | (checked ? MF_CHECKED : MF_UNCHECKED) | (grayed ? MF_GRAYED : MF_ENABLED);
  return AppendMenuW(menu_.get(), flags, command, text.c_str()) != 0;
}

bool PopupMenu::AppendSeparator() { return AppendMenuW(menu_.get(), MF_SEPARATOR, 0, nullptr) != 0; }

bool PopupMenu::AppendSubmenu(PopupMenu&& submenu, const std::wstring& text) {
  if (!submenu.valid()) return false;
  if (!AppendMenuW(menu_.get(), MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(submenu.get()), text.c_str())) {
    return false;
  }
  (void)submenu.menu_.release();  // now owned by this menu
  return true;
}

bool PopupMenu::Show(HWND owner, POINT point) const {
  if (!menu_.valid()) return false;
  // The owner must be the foreground window or the menu does not close when clicked away.
  SetForegroundWindow(owner);
  BOOL chosen = TrackPopupMenu(menu_.get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, 0, owner, nullptr);
  PostMessageW(owner, WM_NULL, 0, 0);
  return chosen != 0;
}

bool InsertMenuItemBefore(HMENU menu, UINT before, UINT command, const std::wstring& text) {
  return InsertMenuW(menu, before, MF_BYCOMMAND | MF_STRING, command, text.c_str()) != 0;
}

bool InsertSeparatorBefore(HMENU menu, UINT before) {
  return InsertMenuW(menu, before, MF_BYCOMMAND | MF_SEPARATOR, 0, nullptr) != 0;
}

}  // namespace zp::win
