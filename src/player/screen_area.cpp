#include "player/screen_area.h"

#include <windows.h>

#include <utility>

namespace zp::player {

namespace {

RECT PrimaryWorkArea() {
  RECT area{};
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) {
    area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
  return area;
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  auto* state = reinterpret_cast<std::pair<RECT, bool>*>(data);
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (!GetMonitorInfoW(monitor, &info)) return TRUE;
  if (!state->second) {
    state->first = info.rcWork;
    state->second = true;
  } else {
    UnionRect(&state->first, &state->first, &info.rcWork);
  }
  return TRUE;
}

}  // namespace

layout::Size ScreenArea(bool workAreaOnly) {
  RECT area = PrimaryWorkArea();
  if (!workAreaOnly) {
    std::pair<RECT, bool> all{RECT{}, false};
    if (EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&all)) && all.second) {
      area = all.first;
    }
  }
  return {static_cast<int>(area.right - area.left), static_cast<int>(area.bottom - area.top)};
}

layout::Size ScreenPixelSize() { return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

}  // namespace zp::player
