#include "manifest_fields.h"

#include <algorithm>
#include <cctype>

namespace zentra {

namespace {

using zp::DocumentModel;

#define FIELD(expr) [](DocumentModel& d) -> FieldRef { return &d.expr; }

const std::vector<Choice> kPositions {{"custom", 0},     {"center", 1},    {"top-center", 2}, {"bottom-center", 3},
                                      {"left-center", 4}, {"right-center", 5}, {"top-left", 6}, {"top-right", 7},
                                      {"bottom-left", 8}, {"bottom-right", 9}};
const std::vector<Choice> kShapeKinds {{"diamond", 0}, {"ellipse", 1},           {"pentagon", 2}, {"octagon", 3},
                                       {"star", 4},    {"rounded-rectangle", 5}, {"burst", 6}};

std::vector<FieldSpec> MakeFields() {
  return {
      {"movieList", "reserved", FieldType::kInt, {}, FIELD(movieList.reserved), "not used by the player"},

      {"product", "title", FieldType::kString, {}, FIELD(productInfo.title), "shown in the About box"},
      {"product", "info2", FieldType::kString, {}, FIELD(productInfo.info2), "not used by the player"},
      {"product", "info3", FieldType::kString, {}, FIELD(productInfo.info3), "not used by the player"},
      {"product", "info4", FieldType::kString, {}, FIELD(productInfo.info4), "shown in the About box"},
      {"product", "info5", FieldType::kString, {}, FIELD(productInfo.info5), "not used by the player"},
      {"product", "info6", FieldType::kString, {}, FIELD(productInfo.info6), "not used by the player"},
      {"product", "version", FieldType::kString, {}, FIELD(productInfo.version), "shown in the About box"},

      {"size", "mode", FieldType::kChoice, {{"movie", 0}, {"fixed", 1}, {"percent", 2}, {"fullscreen", 3}},
       FIELD(sizeOptions.sizeMode), "how the window is sized"},
      {"size", "width", FieldType::kInt, {}, FIELD(sizeOptions.width), "client width for mode fixed"},
      {"size", "height", FieldType::kInt, {}, FIELD(sizeOptions.height), "client height for mode fixed"},
      {"size", "percent", FieldType::kInt, {}, FIELD(sizeOptions.percent), "size for mode percent"},
      {"size", "windowState", FieldType::kChoice, {{"normal", 0}, {"maximized", 1}, {"minimized", 2}},
       FIELD(sizeOptions.windowState), "state at start"},
      {"size", "hostFlags", FieldType::kInt, {}, FIELD(sizeOptions.hostFlags), "two option bits for the movie host"},
      {"size", "workAreaOnly", FieldType::kBool, {}, FIELD(sizeOptions.workAreaOnly),
       "true: the primary monitor's work area; false: all monitors"},
      {"size", "placeholder", FieldType::kInt, {}, FIELD(sizeOptions.placeholder), "not used by the player"},
      {"size", "reserved", FieldType::kInt, {}, FIELD(sizeOptions.reserved), "not used by the player"},

      {"position", "preset", FieldType::kChoice, kPositions, FIELD(sizeOptions.positionPreset),
       "where the window starts"},
      {"position", "horizontalAnchor", FieldType::kChoice, {{"left", 0}, {"right", 1}},
       FIELD(sizeOptions.horizontalAnchor), "for preset custom"},
      {"position", "verticalAnchor", FieldType::kChoice, {{"top", 0}, {"bottom", 1}},
       FIELD(sizeOptions.verticalAnchor), "for preset custom"},
      {"position", "left", FieldType::kInt, {}, FIELD(sizeOptions.left), "custom x position"},
      {"position", "top", FieldType::kInt, {}, FIELD(sizeOptions.top), "custom y position"},
      {"position", "bottom", FieldType::kInt, {}, FIELD(sizeOptions.bottom), "custom distance from the bottom"},

      {"window", "title", FieldType::kString, {}, FIELD(appearanceOptions.title),
       "window title; empty keeps the program's name"},
      {"window", "icon", FieldType::kFile, {}, FIELD(appearanceOptions.icon), "window icon (.ico)"},
      {"window", "frame", FieldType::kBool, {}, FIELD(appearanceOptions.hasFrame), "caption and sizing border"},
      {"window", "maximizeBox", FieldType::kBool, {}, FIELD(appearanceOptions.maximizeBox), "maximise box"},
      {"window", "minimizeBox", FieldType::kBool, {}, FIELD(appearanceOptions.minimizeBox), "minimise box"},
      {"window", "systemMenu", FieldType::kBool, {}, FIELD(appearanceOptions.systemMenu), "system menu"},
      {"window", "mode", FieldType::kChoice, {{"opaque", 0}, {"background", 1}, {"transparent", 2}},
       FIELD(appearanceOptions.windowMode), "movie background, colour background or transparent"},
      {"window", "background", FieldType::kColorRef, {}, FIELD(appearanceOptions.movieBackground),
       "background colour for mode background"},
      {"window", "taskbar", FieldType::kBool, {}, FIELD(appearanceOptions.showInTaskbar), "taskbar button"},
      {"window", "trayIcon", FieldType::kBool, {}, FIELD(appearanceOptions.trayIcon), "notification-area icon"},
      {"window", "alwaysOnTop", FieldType::kBool, {}, FIELD(appearanceOptions.alwaysOnTop), "topmost window"},
      {"window", "minimizeOthers", FieldType::kBool, {}, FIELD(appearanceOptions.minimizeOthers),
       "minimise all other windows at start"},
      {"window", "restoreOthers", FieldType::kBool, {}, FIELD(appearanceOptions.restoreOthers),
       "restore them when the user closes the player"},
      {"window", "reserved1", FieldType::kInt, {}, FIELD(appearanceOptions.reserved1), "not used by the player"},
      {"window", "reserved2", FieldType::kString, {}, FIELD(appearanceOptions.reserved2), "not used by the player"},
      {"window", "reserved3", FieldType::kInt, {}, FIELD(appearanceOptions.reserved3), "not used by the player"},

      {"shape", "mode", FieldType::kChoice, {{"rectangle", 0}, {"predefined", 1}, {"custom", 2}},
       FIELD(appearanceOptions.shapeMode), "rectangle, a predefined shape, or a custom region"},
      {"shape", "kind", FieldType::kChoice, kShapeKinds, FIELD(appearanceOptions.shapeKind),
       "the predefined shape"},
      {"shape", "region", FieldType::kDataFile, {}, FIELD(appearanceOptions.region),
       "a file holding the custom region as RGNDATA"},

      {"mouse", "leftDrag", FieldType::kChoice,
       {{"drag-regions", 0}, {"anywhere", 1}, {"anywhere-and-click", 2}, {"none", 3}},
       FIELD(mouseKeyOptions.leftDrag), "what the left button drags"},
      {"mouse", "rightButton", FieldType::kChoice, {{"movie", 0}, {"menu", 1}, {"drag", 2}, {"none", 3}},
       FIELD(mouseKeyOptions.rightButton), "what the right button does"},
      {"keys", "escapeCloses", FieldType::kBool, {}, FIELD(mouseKeyOptions.escapeCloses), "Esc closes"},
      {"keys", "closeKeyMode", FieldType::kInt, {}, FIELD(mouseKeyOptions.closeKeyMode),
       "1 with closeKeyEnabled: any key closes"},
      {"keys", "closeKeyEnabled", FieldType::kBool, {}, FIELD(mouseKeyOptions.closeKeyEnabled),
       "second condition for closeKeyMode"},

      {"behaviour", "autoStart", FieldType::kBool, {}, FIELD(behaviourOptions.autoStart),
       "movies and sound start at once"},
      {"behaviour", "loop", FieldType::kBool, {}, FIELD(behaviourOptions.loop), "start again after the last item"},
      {"behaviour", "protectFlags", FieldType::kInt, {}, FIELD(behaviourOptions.protectFlags),
       "2: Print Screen is blocked"},
      {"behaviour", "reserved1", FieldType::kInt, {}, FIELD(behaviourOptions.reserved1), "not used by the player"},
      {"behaviour", "reserved2a", FieldType::kInt, {}, FIELD(behaviourOptions.reserved2[0]), "not used by the player"},
      {"behaviour", "reserved2b", FieldType::kInt, {}, FIELD(behaviourOptions.reserved2[1]), "not used by the player"},
      {"behaviour", "reserved2c", FieldType::kInt, {}, FIELD(behaviourOptions.reserved2[2]), "not used by the player"},
      {"behaviour", "reserved3", FieldType::kString, {}, FIELD(behaviourOptions.reserved3), "not used by the player"},
      {"behaviour", "reserved4", FieldType::kInt, {}, FIELD(behaviourOptions.reserved4), "not used by the player"},
      {"behaviour", "reserved5", FieldType::kString, {}, FIELD(behaviourOptions.reserved5), "not used by the player"},
      {"behaviour", "reserved6", FieldType::kInt, {}, FIELD(behaviourOptions.reserved6), "not used by the player"},
      {"behaviour", "reserved7", FieldType::kString, {}, FIELD(behaviourOptions.reserved7), "not used by the player"},
      {"behaviour", "reserved8", FieldType::kString, {}, FIELD(behaviourOptions.reserved8), "not used by the player"},

      {"menu", "maximize", FieldType::kBool, {}, FIELD(menuAboutOptions.maximizeItem), "\"Maximize\""},
      {"menu", "minimize", FieldType::kBool, {}, FIELD(menuAboutOptions.minimizeItem), "\"Minimize\""},
      {"menu", "restore", FieldType::kBool, {}, FIELD(menuAboutOptions.restoreItem), "\"Restore\""},
      {"menu", "onTop", FieldType::kBool, {}, FIELD(menuAboutOptions.onTopItem), "\"Always On Top\""},
      {"menu", "exit", FieldType::kBool, {}, FIELD(menuAboutOptions.exitItem), "\"Exit\""},
      {"menu", "zoomIn", FieldType::kBool, {}, FIELD(menuAboutOptions.zoomInItem), "\"Zoom In\""},
      {"menu", "zoomOut", FieldType::kBool, {}, FIELD(menuAboutOptions.zoomOutItem), "\"Zoom Out\""},
      {"menu", "zoomReset", FieldType::kBool, {}, FIELD(menuAboutOptions.zoomResetItem), "\"100%\""},
      {"menu", "quality", FieldType::kBool, {}, FIELD(menuAboutOptions.qualityItem), "the \"Quality\" choices"},
      {"menu", "play", FieldType::kBool, {}, FIELD(menuAboutOptions.playItem), "\"Play\""},
      {"menu", "loop", FieldType::kBool, {}, FIELD(menuAboutOptions.loopItem), "\"Loop\""},
      {"menu", "rewind", FieldType::kBool, {}, FIELD(menuAboutOptions.rewindItem), "\"Rewind\""},
      {"menu", "forward", FieldType::kBool, {}, FIELD(menuAboutOptions.forwardItem), "\"Forward\""},
      {"menu", "back", FieldType::kBool, {}, FIELD(menuAboutOptions.backItem), "\"Back\""},

      {"about", "hidden", FieldType::kBool, {}, FIELD(menuAboutOptions.hideAbout),
       "false: an \"About...\" entry with the texts and logo below"},
      {"about", "text1", FieldType::kString, {}, FIELD(menuAboutOptions.about1), "About text"},
      {"about", "text2", FieldType::kString, {}, FIELD(menuAboutOptions.about2), "About text"},
      {"about", "text3", FieldType::kString, {}, FIELD(menuAboutOptions.about3), "About text"},
      {"about", "text4", FieldType::kString, {}, FIELD(menuAboutOptions.about4), "About text"},
      {"about", "text5", FieldType::kString, {}, FIELD(menuAboutOptions.about5), "About text"},
      {"about", "text6", FieldType::kString, {}, FIELD(menuAboutOptions.about6), "About text"},
      {"about", "logo", FieldType::kFile, {}, FIELD(menuAboutOptions.logo), "About picture"},
      {"about", "reserved1", FieldType::kInt, {}, FIELD(menuAboutOptions.reserved1), "not used by the player"},
      {"about", "reserved2", FieldType::kString, {}, FIELD(menuAboutOptions.reserved2), "not used by the player"},

      {"panel", "position", FieldType::kInt, {}, FIELD(overlayPanelOptions.position), "0 to 8"},
      {"panel", "alignment", FieldType::kChoice, {{"left", 0}, {"right", 1}, {"center", 2}},
       FIELD(overlayPanelOptions.alignment), "text alignment"},
      {"panel", "text", FieldType::kString, {}, FIELD(overlayPanelOptions.text), "panel text"},
      {"panel", "textColor", FieldType::kColorRef, {}, FIELD(overlayPanelOptions.textColor), "text colour"},
      {"panel", "backgroundColor", FieldType::kColorRef, {}, FIELD(overlayPanelOptions.backgroundColor),
       "colour behind the text"},
      {"panel", "font", FieldType::kFont, {}, FIELD(overlayPanelOptions.font), "the text's font"},
      {"panel", "picture", FieldType::kFile, {}, FIELD(overlayPanelOptions.picture), "panel picture"},
      {"panel", "reserved1", FieldType::kInt, {}, FIELD(overlayPanelOptions.reserved1), "not used by the player"},
      {"panel", "reserved2", FieldType::kInt, {}, FIELD(overlayPanelOptions.reserved2), "not used by the player"},
      {"panel", "reserved3", FieldType::kString, {}, FIELD(overlayPanelOptions.reserved3), "not used by the player"},

      {"playback", "quality", FieldType::kChoice, {{"low", 0}, {"medium", 1}, {"high", 2}, {"default", 3}},
       FIELD(playbackOptions.quality), "rendering quality of Flash movies"},
      {"playback", "reserved1", FieldType::kInt, {}, FIELD(playbackOptions.reserved1), "not used by the player"},
      {"playback", "reserved2", FieldType::kString, {}, FIELD(playbackOptions.reserved2), "not used by the player"},
      {"screenSaverPlayback", "quality", FieldType::kChoice,
       {{"low", 0}, {"medium", 1}, {"high", 2}, {"default", 3}}, FIELD(screenSaverPlaybackOptions.quality),
       "not used by the player"},
      {"screenSaverPlayback", "reserved1", FieldType::kInt, {}, FIELD(screenSaverPlaybackOptions.reserved1),
       "not used by the player"},
      {"screenSaverPlayback", "reserved2", FieldType::kString, {}, FIELD(screenSaverPlaybackOptions.reserved2),
       "not used by the player"},

      {"notes", "text", FieldType::kString, {}, FIELD(notesText.text), "not used by the player"},

      {"log", "show", FieldType::kBool, {}, FIELD(logOptions.showLog), "open the FSCommand log at start"},
      {"log", "reserved", FieldType::kInt, {}, FIELD(logOptions.reserved), "not used by the player"},

      {"sound", "file", FieldType::kFile, {}, FIELD(backgroundSound.file), "background sound to embed"},
      {"sound", "path", FieldType::kString, {}, FIELD(backgroundSound.path),
       "sound file outside the package (when no file is embedded)"},
      {"sound", "enabled", FieldType::kBool, {}, FIELD(backgroundSound.enabled), "the sound plays"},
      {"sound", "loop", FieldType::kBool, {}, FIELD(backgroundSound.loop), "the sound repeats"},
      {"sound", "reserved", FieldType::kString, {}, FIELD(backgroundSound.reserved), "not used by the player"},
  };
}

#undef FIELD

size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      const bool same = std::tolower(static_cast<unsigned char>(a[i - 1])) ==
                        std::tolower(static_cast<unsigned char>(b[j - 1]));
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace

const std::vector<FieldSpec>& ManifestFields() {
  static const std::vector<FieldSpec> fields = MakeFields();
  return fields;
}

const char* ShorthandKey(std::string_view section) {
  if (section == "position") return "preset";
  if (section == "notes") return "text";
  if (section == "shape") return "kind";  // "rectangle" and "custom" are read as modes
  return nullptr;
}

std::vector<std::string> TopLevelKeys() {
  std::vector<std::string> keys {"items", "package"};
  for (const FieldSpec& field : ManifestFields()) {
    if (std::find(keys.begin(), keys.end(), field.section) == keys.end()) keys.emplace_back(field.section);
  }
  return keys;
}

std::vector<std::string> KeysOf(std::string_view section) {
  std::vector<std::string> keys;
  for (const FieldSpec& field : ManifestFields()) {
    if (field.section == section) keys.emplace_back(field.key);
  }
  return keys;
}

std::string ClosestName(std::string_view name, const std::vector<std::string>& known) {
  std::string best;
  size_t bestDistance = std::max<size_t>(3, name.size() / 2) + 1;
  for (const std::string& candidate : known) {
    const size_t distance = EditDistance(name, candidate);
    if (distance < bestDistance) {
      bestDistance = distance;
      best = candidate;
    }
  }
  return best;
}

}  // namespace zentra
