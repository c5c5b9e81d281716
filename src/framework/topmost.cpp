#include "framework/topmost.h"

#include <vector>

namespace zp::win {

namespace {

std::vector<HWND> OwnedWindows(HWND owner) {
  struct Search {
    HWND owner;
    std::vector<HWND> found;
  } search{owner, {}};
  EnumThreadWindows(
      GetWindowThreadProcessId(owner, nullptr),
      [](HWND candidate, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        if (GetWindow(candidate, GW_OWNER) == s->owner) s->found.push_back(candidate);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

void SetTopmostWithOwnedWindows(HWND window, bool topmost) {
  constexpr UINT kKeepEverythingElse = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW;
  const HWND band = topmost ? HWND_TOPMOST : HWND_NOTOPMOST;
  // Windows takes owned windows along by itself. Wine instead moves the first owned window and
  // leaves the owner in its band, so the owned windows are let go for the moment of the move
  // and placed after their owner, which keeps them above it either way.
  const std::vector<HWND> owned = OwnedWindows(window);
  for (HWND w : owned) SetWindowLongPtrW(w, GWLP_HWNDPARENT, 0);
  SetWindowPos(window, band, 0, 0, 0, 0, kKeepEverythingElse);
  for (HWND w : owned) {
    SetWindowPos(w, band, 0, 0, 0, 0, kKeepEverythingElse);
    SetWindowLongPtrW(w, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(window));
  }
}

}  // namespace zp::win
