// The player's right-click menu: the entries decided by the layout code, worded from the
// resource library's string table.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/layout/context_menu.h"
#include "framework/menu.h"

namespace zp::player {

class PlayerContextMenu {
 public:
  // The library whose string table words the menu; the menu does not own it.
  void SetResourceLibrary(HMODULE library) { library_ = library; }
  HMODULE resourceLibrary() const { return library_; }

  win::PopupMenu Build(const std::vector<layout::MenuEntry>& entries) const;
  // Shows the menu at a screen point; the command goes to the owner as WM_COMMAND.
  void Show(HWND owner, POINT screenPoint, const std::vector<layout::MenuEntry>& entries) const;

  // The library's string, empty when the library or the string is missing.
  std::wstring Word(int stringId) const;

 private:
  HMODULE library_ = nullptr;
};

}  // namespace zp::player
