// The area an instance covers, as scripts measure it (_width, _height, getBounds): the
// declared bounds of what it shows, through the matrices down to the space asked for.
#pragma once

#include <optional>

#include "core/swf/swf_geometry.h"

namespace zp::swf {

class Instance;

// Twips, in the space `toSpace` leads to.
struct Extent {
  double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
  double Width() const { return xMax - xMin; }
  double Height() const { return yMax - yMin; }
};

// What `instance` shows (itself and its children, not its own matrix), mapped by `toSpace`;
// nothing for an instance that shows nothing.
std::optional<Extent> ContentExtent(const Instance& instance, const Matrix& toSpace);

}  // namespace zp::swf
