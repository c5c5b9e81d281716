// Which button the mouse is on: a button takes the mouse where the characters of its hit area
// cover the point (their fills and strokes, not their bounding boxes), a clip that acts as a
// button where what it shows covers it, and of several under the mouse the top-most takes it.
#pragma once

#include <functional>

#include "core/swf/swf_geometry.h"

namespace zp::swf {

class Instance;

// Whether a clip handles button events (press, release...) and so takes the mouse as a button.
using ActsAsButton = std::function<bool(const Instance& clip)>;

// The top-most visible, enabled button (or clip that acts as one) under `point` among the
// descendants of `parent` (`point` in `parent`'s space), or null.
Instance* ButtonAt(Instance& parent, Point point, const ActsAsButton& clipActs = {});

// Whether `point`, in the button's own space, falls in its hit area.
bool InHitArea(const Instance& button, Point point);

// Whether `point`, in the instance's own space, falls on what it shows (its shapes, drawing,
// texts and children).
bool OnContent(const Instance& instance, Point point);

}  // namespace zp::swf
