#include "core/splash/splash_placement.h"

#include <algorithm>

namespace zp::splash {

layout::Size OuterSizeForPicture(layout::Size picture, layout::Size outer, layout::Size client) {
  return {picture.width + (outer.width - client.width), picture.height + (outer.height - client.height)};
}

layout::Point CentredIn(const layout::Box& area, layout::Size size) {
  auto along = [](int low, int high, int extent) {
    const int centred = low + (high - low - extent) / 2;
    return std::max(low, std::min(centred, high - extent));
  };
  return {along(area.left, area.right, size.width), along(area.top, area.bottom, size.height)};
}

}  // namespace zp::splash
