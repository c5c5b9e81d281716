// Where a picture goes on screen: the arithmetic of the picture view, apart from decoding and
// drawing. A view rectangle (a part of the picture, in picture pixels) is scaled into the window
// and centred; for bitmaps only the visible part is rendered, at screen size.
#pragma once

#include <cstdint>
#include <optional>

#include "core/layout/geometry.h"

namespace zp::pictures {

// Pictures above this many pixels count as undecodable: decoding them would take gigabytes.
inline constexpr int64_t kPictureMaxPixels = int64_t{1} << 26;

bool WithinPixelBudget(int64_t width, int64_t height);

struct FittedSize {
  double width = 0;
  double height = 0;
};

// `content` fitted into `box` keeping its proportions, rounded half up along the side that is
// computed: first at the box's height, then, if that is too wide, at the box's width. Sizes of
// 0 or less give (0, 0).
FittedSize FitProportionally(double contentWidth, double contentHeight, double boxWidth, double boxHeight);

// A double truncated toward zero into the 32-bit range (NaN reads as 0).
int32_t TruncateToInt32(double value);

enum class Interpolation {
  kHighQualityBicubic = 7,  // GDI+ InterpolationModeHighQualityBicubic
  kNearestNeighbour = 5,    // GDI+ InterpolationModeNearestNeighbor
};

struct PictureViewInput {
  layout::Size picture;  // natural size
  layout::Box view;      // the part to show, in picture pixels
  layout::Size window;
  bool keepAspect = true;
  bool allowScale = true;
  bool metafile = false;
};

struct PictureViewLayout {
  double scaleX = 1;  // window pixels per picture pixel
  double scaleY = 1;
  double centreX = 0;  // the view's centre, in picture pixels (integer halves)
  double centreY = 0;
  double pixelsPerViewX = 0;  // picture size over view size
  double pixelsPerViewY = 0;
  // What a bitmap renders; unset for metafiles (played whole by Draw) and when nothing of the
  // picture is visible.
  struct Rendering {
    layout::Box source;      // picture pixels, corners truncated
    layout::Size output;     // the rendered bitmap's size
    layout::Point offset;    // its top-left relative to the window's centre
    Interpolation interpolation = Interpolation::kHighQualityBicubic;
    bool sharpen = true;     // bicubic results are sharpened, enlarged square pixels are not
  };
  std::optional<Rendering> rendering;
};

// Lays the view out. nullopt when the picture has no size; for a bitmap, `rendering` is empty
// when no part of the picture falls into the window.
std::optional<PictureViewLayout> LayOutPictureView(const PictureViewInput& input);

// The window's centre as drawing uses it: integer halves of the window rectangle.
layout::Point WindowCentre(layout::Size window);

// A window point in picture pixels.
layout::Point MapWindowPoint(const PictureViewLayout& layout, layout::Size window, layout::Point point);

// The window area a rendered bitmap covers.
layout::Box OccupiedRect(const PictureViewLayout::Rendering& rendering, layout::Size window);

// Where a metafile is played: the whole picture at the view's zoom, placed so that the view's
// centre lands on the window's centre.
layout::Box MetafilePlacement(const PictureViewLayout& layout, layout::Size picture, layout::Size window,
                              bool keepAspect);

}  // namespace zp::pictures
