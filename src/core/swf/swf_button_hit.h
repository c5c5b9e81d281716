// Which button the mouse is on: a button takes the mouse where the characters of its hit area
// cover the point (their fills and strokes, not their bounding boxes), and of several buttons
// under the mouse the top-most takes it.
#pragma once

#include "core/swf/swf_geometry.h"

namespace zp::swf {

class Instance;

// The top-most visible, enabled button under `point` among the descendants of `parent`
// (`point` in `parent`'s space), or null.
Instance* ButtonAt(Instance& parent, Point point);

// Whether `point`, in the button's own space, falls in its hit area.
bool InHitArea(const Instance& button, Point point);

}  // namespace zp::swf
