// The arithmetic of the image windows a movie opens with ShowImage: reading the command's
// items, the window rectangle's defaults, sizing the window to its picture inside the work area
// and fitting the picture into the client area. Everything is computed in 64 bits and clamped,
// so no number a movie sends can overflow.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "core/layout/geometry.h"

namespace zp::pictures {

// A rectangle item the movie left out or empty. A movie that sends this very number gets the
// default too.
inline constexpr int32_t kUnsetCoordinate = std::numeric_limits<int32_t>::max();
// Window coordinates stay within what the system's 16-bit-era messages can carry.
inline constexpr int32_t kWindowCoordinateMin = -32768;
inline constexpr int32_t kWindowCoordinateMax = 32767;

struct ShowImageRequest {
  std::u16string path;
  std::u16string caption;  // empty: the file name is used
  bool fit = true;         // size the window to the picture
  int32_t left = kUnsetCoordinate;
  int32_t top = kUnsetCoordinate;
  int32_t right = kUnsetCoordinate;
  int32_t bottom = kUnsetCoordinate;
};

// The items of "path, caption, fit, left, top, right, bottom"; nullopt when there are none.
std::optional<ShowImageRequest> ReadShowImageRequest(std::u16string_view args);

// Unset left and top are 100, unset right and bottom 400 and 300 beyond them; the corners are
// put in order and kept within the window coordinate range.
layout::Box ImageWindowRect(const ShowImageRequest& request);

// The file name part of a path (after the last backslash or slash).
std::u16string_view FileNamePart(std::u16string_view path);

struct FrameSizes {
  int left = 0, top = 0, right = 0, bottom = 0;  // window edge to client edge on each side
};

// The window rectangle that shows a picture of the given size in its client area: kept at its
// left and top, shrunk to the work area keeping the picture's proportions, then moved onto it.
// The window as it is when the picture has no size.
layout::Box FitWindowToPicture(layout::Box window, FrameSizes frame, layout::Size picture, layout::Box workArea);

// The size a picture is drawn at in a box: its own size when it fits, else scaled down keeping
// its proportions (rounded), at least one pixel each way.
layout::Size FitPictureInBox(layout::Size picture, layout::Size box);

}  // namespace zp::pictures
