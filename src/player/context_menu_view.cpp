#include "player/context_menu_view.h"

#include <iterator>

namespace zp::player {

std::wstring PlayerContextMenu::Word(int stringId) const {
  if (!library_) return {};
  wchar_t buffer[256] = {};
  int length = LoadStringW(library_, static_cast<UINT>(stringId), buffer, static_cast<int>(std::size(buffer)));
  return length > 0 ? std::wstring(buffer, length) : std::wstring();
}

win::PopupMenu PlayerContextMenu::Build(const std::vector<layout::MenuEntry>& entries) const {
  win::PopupMenu menu;
  for (const layout::MenuEntry& entry : entries) {
    if (entry.separator) {
      menu.AppendSeparator();
    } else if (!entry.submenu.empty()) {
      menu.AppendSubmenu(Build(entry.submenu), Word(entry.stringId));
    } else {
      menu.AppendItem(static_cast<UINT>(entry.command), Word(entry.stringId), entry.checked, entry.grayed);
    }
  }
  return menu;
}

void PlayerContextMenu::Show(HWND owner, POINT screenPoint, const std::vector<layout::MenuEntry>& entries) const {
  win::PopupMenu menu = Build(entries);
  menu.Show(owner, screenPoint);
}

}  // namespace zp::player
