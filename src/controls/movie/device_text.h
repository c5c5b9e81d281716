// Draws the draw list's text in fonts of the system with GDI+.
#pragma once

#include <windows.h>

#include <objidl.h>  // PROPID, which the lean Windows headers leave out
#include <gdiplus.h>

#include "core/swf/swf_render.h"

namespace zp::movie {

// Draws `item.text` in the item's colour through the graphics object's current transform.
// The movie's names for the system's fonts ("_sans", "_serif", "_typewriter") and families
// this system lacks fall back to a family of the same kind that it has.
void DrawDeviceText(Gdiplus::GpGraphics* graphics, const zp::swf::DrawItem& item);

}  // namespace zp::movie
