// Pop-up menus built item by item and shown at a point.
#pragma once

#include <windows.h>

#include <string>

#include "framework/unique_handle.h"

namespace zp::win {

class PopupMenu {
 public:
  PopupMenu() : menu_(CreatePopupMenu()) {}

  HMENU get() const { return menu_.get(); }
  bool valid() const { return menu_.valid(); }

  bool AppendItem(UINT command, const std::wstring& text, bool checked = false, bool grayed = false);
  bool AppendSeparator();
  // The submenu becomes part of this menu and is destroyed with it.
  bool AppendSubmenu(PopupMenu&& submenu, const std::wstring& text);

  // Shows the menu at a screen point; the chosen command arrives at the owner as WM_COMMAND.
  // Returns false when nothing was chosen or the menu could not be shown.
  bool Show(HWND owner, POINT screenPoint) const;

 private:
  UniqueMenu menu_;
};

// Inserts an item before the item with the command `before` in a window's system menu.
bool InsertMenuItemBefore(HMENU menu, UINT before, UINT command, const std::wstring& text);
bool InsertSeparatorBefore(HMENU menu, UINT before);

}  // namespace zp::win
