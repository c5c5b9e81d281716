// Draws a frame's draw list with GDI+: anti-aliased, with alpha, into any device context.
#pragma once

#include <windows.h>

#include <vector>

#include "core/swf/swf_render.h"

namespace zp::movie {

// GDI+ is started per control object (never inside DllMain) and stopped with it.
void StartGdiplus(ULONG_PTR* token);
void StopGdiplus(ULONG_PTR token);

// Fills `bounds` with the background, then draws the items (in coordinates relative to the
// top-left corner of `bounds`), clipped to `bounds`.
void DrawMovie(HDC hdc, const RECT& bounds, zp::swf::Rgba background, const std::vector<zp::swf::DrawItem>& items);

}  // namespace zp::movie
