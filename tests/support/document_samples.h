// Documents for tests: one with every field away from its default, and a way to write a model
// as a given format version would hold it.
#pragma once

#include <string>

#include "core/document/document_model.h"

namespace zp::test {

inline EmbeddedFile SampleFile(std::u16string path, std::string text) {
  EmbeddedFile file;
  file.path = std::move(path);
  file.data.assign(text.begin(), text.end());
  return file;
}

// Every field differs from its default, every string differs from every other, and every kind
// of embedded file is carried.
inline DocumentModel FullDocument() {
  DocumentModel d;
  d.movieList.reserved = 7;
  MovieItem movie;
  movie.path = u"C:\\show\\intro.swf";
  movie.playTime = 2.5f;
  movie.file = SampleFile(u"C:\\show\\intro.swf", "FWS movie");
  movie.links = u"a|b|c|show\\data\\one.xml|e|f|g|SHOW\\DATA\\ONE.XML|h|i|j|outside.txt";
  LinkedFile one;
  one.name = u"show\\data\\one.xml";
  one.embedded = 1;
  one.file = SampleFile(u"C:\\show\\data\\one.xml", "<one/>");
  LinkedFile outside;
  outside.name = u"outside.txt";
  outside.embedded = 0;
  outside.path = u"D:\\elsewhere\\outside.txt";
  movie.linked = {one, outside};
  MovieItem picture;
  picture.path = u"C:\\show\\photo.JPG";
  picture.playTime = 4.0f;
  picture.file = SampleFile(u"C:\\show\\photo.JPG", "jpeg bytes");
  d.movieList.items = {movie, picture};

  d.productInfo = {u"Title", u"Info 2", u"Info 3", u"Info 4", u"Info 5", u"Info 6", u"1.2.3"};

  auto& s = d.sizeOptions;
  s.sizeMode = 2; s.placeholder = 9; s.windowState = 1; s.hostFlags = 1; s.horizontalAnchor = 1;
  s.verticalAnchor = 1; s.positionPreset = 6; s.width = 640; s.height = 480; s.percent = 80;
  s.left = 11; s.reserved = 12; s.top = 13; s.bottom = 14; s.workAreaOnly = 0;

  auto& a = d.appearanceOptions;
  a.title = u"Window title"; a.reserved1 = 21; a.reserved2 = u"r2";
  a.icon = SampleFile(u"C:\\show\\app.ico", "icon bytes");
  a.shapeMode = 1; a.shapeKind = 4; a.region = {1, 2, 3, 4, 5};
  a.hasFrame = 0; a.maximizeBox = 0; a.minimizeBox = 0; a.systemMenu = 0; a.reserved3 = 22;
  a.windowMode = 1; a.movieBackground = 0x123456; a.showInTaskbar = 0; a.trayIcon = 1;
  a.alwaysOnTop = 1; a.minimizeOthers = 1; a.restoreOthers = 1;

  d.mouseKeyOptions = {2, 0, 1, 0, 1};

  auto& b = d.behaviourOptions;
  b.autoStart = 0; b.loop = 1; b.reserved1 = 31; b.protectFlags = 2; b.reserved2 = {32, 33, 34};
  b.reserved3 = u"b3"; b.reserved4 = 35; b.reserved5 = u"b5"; b.reserved6 = 36; b.reserved7 = u"b7";
  b.reserved8 = u"b8";

  auto& m = d.menuAboutOptions;
  m.maximizeItem = 0; m.minimizeItem = 0; m.restoreItem = 0; m.onTopItem = 0; m.exitItem = 0;
  m.about1 = u"About 1"; m.about2 = u"About 2"; m.about3 = u"About 3"; m.about4 = u"About 4";
  m.reserved1 = 41; m.reserved2 = u"m2"; m.about5 = u"About 5"; m.about6 = u"About 6";
  m.zoomInItem = 0; m.zoomOutItem = 0; m.zoomResetItem = 0; m.qualityItem = 0; m.playItem = 0;
  m.loopItem = 0; m.rewindItem = 0; m.forwardItem = 0; m.backItem = 0; m.hideAbout = 0;
  m.logo = SampleFile(u"C:\\show\\logo.bmp", "logo bytes");

  auto& p = d.overlayPanelOptions;
  p.position = 8; p.alignment = 2; p.reserved1 = 51; p.text = u"Panel text"; p.textColor = 0xFF;
  p.backgroundColor = 0xFF00; p.font = std::vector<uint8_t>(92, 7); p.reserved2 = 52; p.reserved3 = u"p3";
  p.picture = SampleFile(u"C:\\show\\panel.png", "png bytes");

  d.playbackOptions = {2, 0, u"pb"};
  d.screenSaverPlaybackOptions = {1, 5, u"ss"};
  d.notesText.text = u"Notes";
  d.logOptions = {1, 61};

  auto& sound = d.backgroundSound;
  sound.hasFile = 1; sound.enabled = 1; sound.loop = 1; sound.reserved = u"snd";
  sound.path = u"C:\\show\\music.mp3";
  sound.file = SampleFile(u"C:\\show\\music.mp3", "mp3 bytes");
  return d;
}

// What a document of the given version gives back: the fields that version does not carry
// keep their defaults.
inline DocumentModel AsVersion(DocumentModel d, uint32_t version) {
  const DocumentModel defaults;
  d.version = version;
  if (version < 140) d.sizeOptions.workAreaOnly = defaults.sizeOptions.workAreaOnly;
  if (version < 130) {
    d.appearanceOptions.minimizeOthers = 0;
    d.appearanceOptions.restoreOthers = 0;
  }
  if (version < 120) d.behaviourOptions.reserved8.clear();
  if (version <= 100) {
    auto logo = d.menuAboutOptions.logo;
    auto kept = d.menuAboutOptions;
    d.menuAboutOptions = defaults.menuAboutOptions;
    d.menuAboutOptions.maximizeItem = kept.maximizeItem;
    d.menuAboutOptions.minimizeItem = kept.minimizeItem;
    d.menuAboutOptions.restoreItem = kept.restoreItem;
    d.menuAboutOptions.onTopItem = kept.onTopItem;
    d.menuAboutOptions.exitItem = kept.exitItem;
    d.menuAboutOptions.about1 = kept.about1;
    d.menuAboutOptions.about2 = kept.about2;
    d.menuAboutOptions.about3 = kept.about3;
    d.menuAboutOptions.about4 = kept.about4;
    d.menuAboutOptions.reserved1 = kept.reserved1;
    d.menuAboutOptions.reserved2 = kept.reserved2;
    d.menuAboutOptions.logo = logo;
  }
  if (version < 150) {
    d.playbackOptions.reserved2.clear();
    d.screenSaverPlaybackOptions.reserved2.clear();
  }
  if (version <= 149) d.notesText.text.clear();
  return d;
}

}  // namespace zp::test
