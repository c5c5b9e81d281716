#include "core/layout/window_size.h"

#include <algorithm>
#include <cstdint>

namespace zp::layout {

namespace {

// Document values may be anything; all sums are made in 64 bits and brought back into int.
int Narrow(int64_t value) { return static_cast<int>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX)); }

Size Adjusted(Size client, const SizeInputs& inputs) {
  if (!inputs.frameAdjust) return client;
  return {Narrow(int64_t{client.width} + inputs.frameExtra.width),
          Narrow(int64_t{client.height} + inputs.frameExtra.height)};
}

int PercentOf(int length, int percent) {
  return Narrow((static_cast<int64_t>(length) * percent + 50) / 100);
}

}  // namespace

bool FrameAdjustmentApplies(int hasFrame, int shapeMode) { return hasFrame != 0 && shapeMode == 0; }

Size PercentOfArea(Size area, int percent) {
  return {PercentOf(area.width, percent), PercentOf(area.height, percent)};
}

SizeDecision DecideWindowSize(const SizeSettings& settings, const SizeInputs& inputs) {
  SizeDecision decision;
  switch (settings.sizeMode) {
    case 0: {
      Size size = Adjusted(inputs.movie, inputs);
      // Cutting comes last so that a movie larger than the area never exceeds it; when the
      // area itself is degenerate the window still keeps one pixel.
      size.width = std::max(1, std::min(size.width, inputs.area.width));
      size.height = std::max(1, std::min(size.height, inputs.area.height));
      decision.kind = SizeDecision::Kind::kResize;
      decision.size = size;
      break;
    }
    case 1:
      decision.kind = SizeDecision::Kind::kResize;
      decision.size = Adjusted({settings.width, settings.height}, inputs);
      break;
    case 2:
      decision.kind = SizeDecision::Kind::kResize;
      decision.size = PercentOfArea(inputs.area, settings.percent);
      break;
    case 3:
      decision.kind = SizeDecision::Kind::kFullScreen;
      if (inputs.transparent) {
        decision.fullRect = {0, 0, inputs.area.width, inputs.area.height};
      } else {
        decision.fullRect = {-1, -1, inputs.screen.width + 1, inputs.screen.height + 1};
      }
      break;
    default:
      break;
  }
  return decision;
}

Point ComputePlacement(const SizeSettings& s, Size area, Size window) {
  const int64_t W = area.width, H = area.height, w = window.width, h = window.height;
  int64_t x = 0, y = -1;
  bool zeroMeansTop = true;  // presets whose (0, 0) becomes (0, -1)
  switch (s.positionPreset) {
    case 0:
      x = s.horizontalAnchor == 0 ? s.left : s.horizontalAnchor == 1 ? W - w : 0;
      y = s.verticalAnchor == 0 ? s.top : s.verticalAnchor == 1 ? H - s.bottom - h : 0;
      break;
    case 1: x = W / 2 - w / 2; y = H / 2 - h / 2; break;
    case 2: x = W / 2 - w / 2; y = 0; break;
    case 3: x = W / 2 - w / 2; y = H - h; break;
    case 4:
      x = 0;
      y = H / 2 - h / 2;
      if (y == 0) y = -1;
      zeroMeansTop = false;
      break;
    case 5: x = W - w; y = H / 2 - h / 2; break;
    case 7: x = W - w; y = 0; break;
    case 8:
      x = 0;
      y = H - h;
      if (y == 0) y = -1;
      zeroMeansTop = false;
      break;
    case 9: x = W - w; y = H - h; break;
    default:  // 6 and unknown presets: top left
      return {0, -1};
  }
  if (zeroMeansTop && x == 0 && y == 0) y = -1;
  return {Narrow(x), Narrow(y)};
}

}  // namespace zp::layout
