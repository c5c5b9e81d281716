// The presentation as the player holds it: the movie list and the option sections of the
// document archive, with their defaults (the values of an empty document). Field names follow
// the archive's own names; fields marked "reserved" are carried so that the format can be read
// and written back, but the player does not use them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zp {

inline constexpr uint32_t kNewestDocumentVersion = 150;

// A file carried inside the archive: the path it had when the document was written, and its
// bytes. After loading into a temporary directory `path` is the written copy's path; `data`
// is kept only when the loader is asked to keep file bytes (the packer and tools do, the player
// does not).
struct EmbeddedFile {
  std::u16string path;
  std::vector<uint8_t> data;
  bool written = false;  // the loader wrote `data` to `path`
  // A writer that streams (the packer) takes the bytes from this file when it is named, rather
  // than from `data`; `sourceSize` is its size when it was named. Never set by the loader.
  std::u16string source;
  uint64_t sourceSize = 0;

  bool operator==(const EmbeddedFile&) const = default;
};

struct LinkedFile {
  std::u16string name;   // as the item's link descriptor names it
  int32_t embedded = 0;  // non-zero: `file` is carried; 0: `path` names a file outside
  EmbeddedFile file;
  std::u16string path;

  bool operator==(const LinkedFile&) const = default;
};

// The extension of an item's path decides how the player shows it.
enum class MovieKind { kFlash, kPicture, kWebPage, kUnplayable };

struct MovieItem {
  std::u16string path;   // authoring-time path
  float playTime = 0;    // seconds on screen
  EmbeddedFile file;     // file.path is the played path once loaded
  std::u16string links;  // link descriptor: fields separated by '|', four per linked file
  std::vector<LinkedFile> linked;

  const std::u16string& PlayedPath() const { return file.path; }
  bool operator==(const MovieItem&) const = default;
};

struct MovieList {
  int32_t reserved = 0;
  std::vector<MovieItem> items;

  bool operator==(const MovieList&) const = default;
};

struct ProductInfo {
  std::u16string title;
  std::u16string info2;
  std::u16string info3;
  std::u16string info4;
  std::u16string info5;
  std::u16string info6;
  std::u16string version;

  bool operator==(const ProductInfo&) const = default;
};

struct SizeOptions {
  int32_t sizeMode = 0;       // 0 movie size, 1 width x height, 2 percent of screen, 3 full screen
  int32_t placeholder = 0;
  int32_t windowState = 0;    // 1 maximised, 2 minimised, other as sized
  int32_t hostFlags = 3;
  int32_t horizontalAnchor = 0;
  int32_t verticalAnchor = 0;
  int32_t positionPreset = 1; // 0 custom, 1 centre, 2 top centre ... 9 bottom right
  int32_t width = 800;
  int32_t height = 600;
  int32_t percent = 100;
  int32_t left = 0;
  int32_t reserved = 0;
  int32_t top = 0;
  int32_t bottom = 0;
  int32_t workAreaOnly = 1;   // version >= 140

  bool operator==(const SizeOptions&) const = default;
};

struct AppearanceOptions {
  std::u16string title;
  int32_t reserved1 = 0;
  std::u16string reserved2;
  EmbeddedFile icon;
  int32_t shapeMode = 0;      // 0 rectangle, 2 custom region, other predefined shapeKind
  int32_t shapeKind = 0;      // 0 diamond ... 6 burst
  std::vector<uint8_t> region;  // RGNDATA
  int32_t hasFrame = 1;
  int32_t maximizeBox = 1;
  int32_t minimizeBox = 1;
  int32_t systemMenu = 1;
  int32_t reserved3 = 0;
  int32_t windowMode = 0;     // 0 movie background, 1 movieBackground colour, 2 transparent
  int32_t movieBackground = 0xFFFFFF;
  int32_t showInTaskbar = 1;
  int32_t trayIcon = 0;
  int32_t alwaysOnTop = 0;
  int32_t minimizeOthers = 0; // version >= 130
  int32_t restoreOthers = 0;  // version >= 130

  bool operator==(const AppearanceOptions&) const = default;
};

struct MouseKeyOptions {
  int32_t leftDrag = 0;
  int32_t rightButton = 1;
  int32_t closeKeyMode = 0;
  int32_t escapeCloses = 1;
  int32_t closeKeyEnabled = 0;

  bool operator==(const MouseKeyOptions&) const = default;
};

struct BehaviourOptions {
  int32_t autoStart = 1;
  int32_t loop = 0;
  int32_t reserved1 = 0;
  int32_t protectFlags = 0;   // bit 1 (value 2): Print Screen blocked
  std::array<int32_t, 3> reserved2 {};
  std::u16string reserved3;
  int32_t reserved4 = 0;
  std::u16string reserved5;
  int32_t reserved6 = 0;
  std::u16string reserved7;
  std::u16string reserved8;   // version >= 120

  bool operator==(const BehaviourOptions&) const = default;
};

struct MenuAboutOptions {
  int32_t maximizeItem = 1;
  int32_t minimizeItem = 1;
  int32_t restoreItem = 1;
  int32_t onTopItem = 1;
  int32_t exitItem = 1;
  std::u16string about1;
  std::u16string about2;
  std::u16string about3;
  std::u16string about4;
  int32_t reserved1 = 0;
  std::u16string reserved2;
  std::u16string about5;      // version > 100 from here on
  std::u16string about6;
  int32_t zoomInItem = 1;
  int32_t zoomOutItem = 1;
  int32_t zoomResetItem = 1;
  int32_t qualityItem = 1;
  int32_t playItem = 1;
  int32_t loopItem = 1;
  int32_t rewindItem = 1;
  int32_t forwardItem = 1;
  int32_t backItem = 1;
  int32_t hideAbout = 1;
  EmbeddedFile logo;

  bool operator==(const MenuAboutOptions&) const = default;
};

inline constexpr size_t kLogFontSize = 92;  // a LOGFONTW
// A 10-point "Microsoft Sans Sarif" (sic: the name the format has always carried).
std::vector<uint8_t> DefaultPanelFont();

struct OverlayPanelOptions {
  int32_t position = 0;       // 0 to 8
  int32_t alignment = 0;      // 0 left, 1 right, 2 centred
  int32_t reserved1 = 0;
  std::u16string text;
  int32_t textColor = 0;
  int32_t backgroundColor = 0xFFFFFF;
  std::vector<uint8_t> font = DefaultPanelFont();  // LOGFONTW; 91 bytes or fewer: no font
  int32_t reserved2 = 0;
  std::u16string reserved3;
  EmbeddedFile picture;

  bool HasFont() const { return font.size() >= kLogFontSize; }
  bool operator==(const OverlayPanelOptions&) const = default;
};

struct PlaybackOptions {
  int32_t quality = 0;        // 0 low, 1 medium, 2 high, other the host's default
  int32_t reserved1 = 1;
  std::u16string reserved2;   // version >= 150

  bool operator==(const PlaybackOptions&) const = default;
};

struct NotesText {
  std::u16string text;        // version > 149

  bool operator==(const NotesText&) const = default;
};

struct LogOptions {
  int32_t showLog = 0;
  int32_t reserved = 0;

  bool operator==(const LogOptions&) const = default;
};

struct BackgroundSound {
  int32_t hasFile = 0;
  int32_t enabled = 0;
  int32_t loop = 0;
  std::u16string reserved;
  std::u16string path;        // replaced by the written copy's path
  EmbeddedFile file;          // carried only when hasFile is non-zero

  bool operator==(const BackgroundSound&) const = default;
};

// Everything the archive holds, in archive order.
struct DocumentModel {
  uint32_t version = kNewestDocumentVersion;
  MovieList movieList;
  ProductInfo productInfo;
  SizeOptions sizeOptions;
  AppearanceOptions appearanceOptions;
  MouseKeyOptions mouseKeyOptions;
  BehaviourOptions behaviourOptions;
  MenuAboutOptions menuAboutOptions;
  OverlayPanelOptions overlayPanelOptions;
  PlaybackOptions playbackOptions;
  PlaybackOptions screenSaverPlaybackOptions;
  NotesText notesText;
  LogOptions logOptions;
  BackgroundSound backgroundSound;

  // Every section back to its defaults.
  void Reset() { *this = DocumentModel(); }
  bool operator==(const DocumentModel&) const = default;
};

// Flash movie, picture, web page or none, by the extension of the path (without regard to case).
MovieKind KindOfPath(std::u16string_view path);
// The text after the last dot of the file name, without the dot; empty when there is none.
std::u16string ExtensionOf(std::u16string_view path);

}  // namespace zp
