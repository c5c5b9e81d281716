// Where the splash window goes and how large it is: its client area is exactly the picture, and
// it is centred in the work area without its top-left corner leaving it.
#pragma once

#include "core/layout/geometry.h"

namespace zp::splash {

// The outer size that gives a client area of `picture`, from the window's current outer and
// client sizes (their difference is the frame).
layout::Size OuterSizeForPicture(layout::Size picture, layout::Size outer, layout::Size client);

// The top-left corner of a window of `size` centred in `area`. A window larger than the area
// keeps its top-left corner inside it, so the start of the picture stays visible.
layout::Point CentredIn(const layout::Box& area, layout::Size size);

}  // namespace zp::splash
