// The zoom state of the context menu's Zoom In, Zoom Out and 100% commands.
#pragma once

#include "core/layout/geometry.h"

namespace zp::layout {

class ZoomState {
 public:
  // Zoom In: from factor 1 or while zoomed in the factor doubles (zoomed in); otherwise a
  // zoomed-out factor halves.
  void ZoomIn();
  // Zoom Out: while zoomed in the factor halves (still zoomed in while above 1); otherwise the
  // zoomed-out factor doubles.
  void ZoomOut();
  void Reset();

  int factor() const { return factor_; }
  bool zoomedIn() const { return zoomedIn_; }

  // The part of the movie to show: divided by the factor when zoomed in, multiplied otherwise.
  Size VisibleSize(Size movie) const;

 private:
  // Factors stay within what a visible size can be multiplied by without overflow.
  static constexpr int kMaxFactor = 1 << 12;
  int factor_ = 1;
  bool zoomedIn_ = false;
};

}  // namespace zp::layout
