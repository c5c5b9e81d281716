#include "core/layout/zoom.h"

#include <algorithm>
#include <cstdint>

namespace zp::layout {

void ZoomState::ZoomIn() {
  if (factor_ == 1 || zoomedIn_) {
    zoomedIn_ = true;
    factor_ = std::min(factor_ * 2, kMaxFactor);
  } else {
    factor_ /= 2;
  }
}

void ZoomState::ZoomOut() {
  if (zoomedIn_) {
    factor_ = std::max(factor_ / 2, 1);
    zoomedIn_ = factor_ > 1;
  } else {
    factor_ = std::min(factor_ * 2, kMaxFactor);
  }
}

void ZoomState::Reset() {
  factor_ = 1;
  zoomedIn_ = false;
}

Size ZoomState::VisibleSize(Size movie) const {
  if (zoomedIn_) return {movie.width / factor_, movie.height / factor_};
  auto times = [this](int v) {
    return static_cast<int>(std::clamp<int64_t>(int64_t{v} * factor_, INT32_MIN, INT32_MAX));
  };
  return {times(movie.width), times(movie.height)};
}

}  // namespace zp::layout
