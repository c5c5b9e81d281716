// Everything the movie control knows apart from COM and windows: the loaded movie and its
// player, and the settings a container makes through the control's properties (scale mode,
// background colour, zoom rectangle, root scale, quality, base path) and the mouse position.
// The control is a thin shell over one of these.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "core/swf/swf_player.h"
#include "core/swf/swf_raster.h"
#include "core/swf/swf_render.h"

namespace zp::swf {

// The file a movie reference names: " " or "" names none; "file:" addresses become paths;
// relative paths are taken relative to `base`, a folder (with or without a final separator).
// Separators become backslashes.
std::u16string ResolveMoviePath(std::u16string_view base, std::u16string_view movie);

// "#RRGGBB", "RRGGBB" or "0xRRGGBB" as 0xRRGGBB; anything else is nothing.
std::optional<uint32_t> ParseColorText(std::u16string_view text);

class MovieSession {
 public:
  MovieSession() = default;
  MovieSession(const MovieSession&) = delete;
  MovieSession& operator=(const MovieSession&) = delete;

  // Loads the file's bytes as the movie (starting to play at `nowMs`) or, when they are not
  // a movie, unloads. Returns whether a movie is loaded now. `loader` reads the movies it
  // imports from.
  bool LoadBytes(std::span<const uint8_t> bytes, uint64_t nowMs, const ImportLoader& loader = {});
  void Unload() {
    ++generation_;
    player_.Unload();
  }

  Player& player() { return player_; }
  const Player& player() const { return player_; }
  // Bumped by every load and unload, so that work queued for one movie can tell it is stale.
  uint32_t generation() const { return generation_; }

  int32_t scaleMode = 0;                  // 0 show all, 1 no border, 2 exact fit, 3 no scale
  std::optional<uint32_t> backgroundRgb;  // set by the container; otherwise the movie's own
  std::optional<TwipsRect> zoom;
  double xScalePercent = 100, yScalePercent = 100;
  int32_t highQuality = 1;  // 0 low (crisp edges), 1 high and 2 best (smooth edges)
  Point mouseStagePixels;  // the last mouse position over the view, in stage pixels

  // The colour behind the movie: the container's, else the movie's, else white.
  Rgba Background() const;
  TwipsRect Stage() const;
  ViewTransform View(int32_t width, int32_t height) const;
  std::vector<DrawItem> DrawList(int32_t width, int32_t height) const;
  EdgeQuality Edges() const { return highQuality > 0 ? EdgeQuality::kSmooth : EdgeQuality::kCrisp; }
  // Records the mouse at a view position.
  void TrackMouse(int32_t viewX, int32_t viewY, int32_t width, int32_t height);
  // Mouse input at a view position, passed on to the player in the root's space (buttons
  // react, clips hear it); records the position as TrackMouse does.
  enum class MouseAction : uint8_t { kMove, kDown, kUp };
  void Mouse(MouseAction action, int32_t viewX, int32_t viewY, int32_t width, int32_t height);
  // SetZoomRect in twips; an empty rectangle shows the whole stage again.
  void SetZoomRect(int32_t left, int32_t top, int32_t right, int32_t bottom);

  // Target properties of the root timeline ("/", "", "_root", "_level0"); other targets read
  // as "" and ignore writes. Numbers are decimal text.
  std::u16string GetProperty(std::u16string_view target, int32_t property) const;
  void SetProperty(std::u16string_view target, int32_t property, std::u16string_view value);

 private:
  Player player_;
  uint32_t generation_ = 0;
};

}  // namespace zp::swf
