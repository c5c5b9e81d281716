// Reaching the pixels behind a device context: when a container hands us a memory DC holding a
// 32-bit DIB section, the frame is drawn straight into its memory instead of through a picture of
// our own and a blit, which under Wine costs more than drawing the frame.
#pragma once

#include <windows.h>

#include "core/swf/swf_pixels.h"

namespace zp::movie {

// The pixels `bounds` (logical coordinates of `hdc`) cover, when `hdc` draws into a top-down
// 32-bit DIB section one logical unit to a pixel and nothing narrower than `bounds` clips it;
// otherwise an empty view. Pending GDI drawing is flushed first, so the memory is up to date.
swf::PixelView DibTargetPixels(HDC hdc, const RECT& bounds);

}  // namespace zp::movie
