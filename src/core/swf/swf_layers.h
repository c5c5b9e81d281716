// Layer groups of the draw list: which objects need a layer of their own and how large it is.
#pragma once

#include <cstddef>
#include <vector>

#include "core/swf/swf_display.h"
#include "core/swf/swf_render.h"

namespace zp::swf {

// Layers open inside each other at most this deep; deeper objects are drawn straight.
inline constexpr int kMaxLayerNesting = 8;
// A layer reaches at most this far beyond the view (for filters of what lies just outside).
inline constexpr int kMaxLayerOverhang = 512;

// An object is drawn into a layer of its own when it has filters or a blend mode other than
// normal; alpha and erase act on the layer they are drawn into, so without a layer around
// them (`insideLayer`) they draw as normal, as a complete player does.
bool NeedsLayer(const Instance& instance, bool insideLayer);

// The effects of `instance`'s layer; `color` is its whole colour transform, which the layer
// takes as a whole.
LayerEffects EffectsOf(const Instance& instance, const ViewTransform& view, const ColorTransform& color);

// Finishes the layer group whose kLayerBegin marker is `items[begin]`: sizes it to what the
// items after it draw, plus what its filters reach, within the view (and its overhang), and
// appends kLayerEnd. A group that draws nothing is removed whole.
void CloseLayer(std::vector<DrawItem>& items, size_t begin, LayerEffects effects, const ViewTransform& view);

}  // namespace zp::swf
