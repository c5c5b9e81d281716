#include "core/layout/from_document.h"

namespace zp::layout {

SizeSettings SizeSettingsOf(const SizeOptions& o) {
  SizeSettings s;
  s.sizeMode = o.sizeMode;
  s.windowState = o.windowState;
  s.hostFlags = o.hostFlags;
  s.horizontalAnchor = o.horizontalAnchor;
  s.verticalAnchor = o.verticalAnchor;
  s.positionPreset = o.positionPreset;
  s.width = o.width;
  s.height = o.height;
  s.percent = o.percent;
  s.left = o.left;
  s.top = o.top;
  s.bottom = o.bottom;
  s.workAreaOnly = o.workAreaOnly;
  return s;
}

MenuSwitches MenuSwitchesOf(const MenuAboutOptions& o) {
  MenuSwitches m;
  m.maximizeItem = o.maximizeItem;
  m.minimizeItem = o.minimizeItem;
  m.restoreItem = o.restoreItem;
  m.onTopItem = o.onTopItem;
  m.exitItem = o.exitItem;
  m.zoomInItem = o.zoomInItem;
  m.zoomOutItem = o.zoomOutItem;
  m.zoomResetItem = o.zoomResetItem;
  m.qualityItem = o.qualityItem;
  m.playItem = o.playItem;
  m.loopItem = o.loopItem;
  m.rewindItem = o.rewindItem;
  m.forwardItem = o.forwardItem;
  m.backItem = o.backItem;
  m.hideAbout = o.hideAbout;
  return m;
}

}  // namespace zp::layout
