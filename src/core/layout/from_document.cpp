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

AppearanceSettings AppearanceSettingsOf(const AppearanceOptions& o) {
  AppearanceSettings a;
  a.title = o.title;
  a.shapeMode = o.shapeMode;
  a.shapeKind = o.shapeKind;
  a.region = o.region;
  a.hasFrame = o.hasFrame;
  a.maximizeBox = o.maximizeBox;
  a.minimizeBox = o.minimizeBox;
  a.systemMenu = o.systemMenu;
  a.windowMode = o.windowMode;
  a.movieBackground = static_cast<uint32_t>(o.movieBackground);
  a.showInTaskbar = o.showInTaskbar;
  a.trayIcon = o.trayIcon;
  a.alwaysOnTop = o.alwaysOnTop;
  a.minimizeOthers = o.minimizeOthers;
  a.restoreOthers = o.restoreOthers;
  return a;
}

MouseKeySettings MouseKeySettingsOf(const MouseKeyOptions& o) {
  return {o.leftDrag, o.rightButton, o.closeKeyMode, o.escapeCloses, o.closeKeyEnabled};
}

BehaviourSettings BehaviourSettingsOf(const BehaviourOptions& o) {
  return {o.autoStart, o.loop, o.protectFlags};
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

PlayerOptions PlayerOptionsOf(const DocumentModel& d) {
  PlayerOptions p;
  p.size = SizeSettingsOf(d.sizeOptions);
  p.appearance = AppearanceSettingsOf(d.appearanceOptions);
  p.mouseKeys = MouseKeySettingsOf(d.mouseKeyOptions);
  p.behaviour = BehaviourSettingsOf(d.behaviourOptions);
  p.menu = MenuSwitchesOf(d.menuAboutOptions);
  p.quality = d.playbackOptions.quality;
  p.showLog = d.logOptions.showLog;
  p.soundEnabled = d.backgroundSound.enabled;
  p.soundLoop = d.backgroundSound.loop;
  p.soundPath = d.backgroundSound.path;
  return p;
}

}  // namespace zp::layout
