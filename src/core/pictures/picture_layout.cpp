#include "core/pictures/picture_layout.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zp::pictures {

bool WithinPixelBudget(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= kPictureMaxPixels / height;
}

FittedSize FitProportionally(double contentWidth, double contentHeight, double boxWidth, double boxHeight) {
  if (!(contentWidth > 0) || !(contentHeight > 0)) return {};
  FittedSize fit{(contentWidth * boxHeight + contentHeight * 0.5) / contentHeight, boxHeight};
  if (fit.width > boxWidth) fit = {boxWidth, (contentHeight * boxWidth + contentWidth * 0.5) / contentWidth};
  return fit;
}

int32_t TruncateToInt32(double value) {
  if (std::isnan(value)) return 0;
  constexpr double lowest = std::numeric_limits<int32_t>::min();
  constexpr double highest = std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(std::clamp(std::trunc(value), lowest, highest));
}

layout::Point WindowCentre(layout::Size window) { return {window.width / 2, window.height / 2}; }

std::optional<PictureViewLayout> LayOutPictureView(const PictureViewInput& input) {
  const int width = input.picture.width, height = input.picture.height;
  if (width <= 0 || height <= 0) return std::nullopt;

  // A view of no width or height still divides by at least one pixel.
  const double viewWidth = std::max<int64_t>(1, int64_t{input.view.right} - input.view.left);
  const double viewHeight = std::max<int64_t>(1, int64_t{input.view.bottom} - input.view.top);
  const double windowWidth = input.window.width, windowHeight = input.window.height;

  PictureViewLayout layout;
  layout.pixelsPerViewX = width / viewWidth;
  layout.pixelsPerViewY = height / viewHeight;
  FittedSize target{windowWidth, windowHeight};
  if (input.keepAspect) target = FitProportionally(viewWidth, viewHeight, windowWidth, windowHeight);
  target.width = std::max(target.width, 1.0);
  target.height = std::max(target.height, 1.0);
  if (input.allowScale) {
    layout.scaleX = target.width / viewWidth;
    layout.scaleY = target.height / viewHeight;
  }
  layout.centreX = static_cast<double>((int64_t{input.view.left} + input.view.right) / 2);
  layout.centreY = static_cast<double>((int64_t{input.view.top} + input.view.bottom) / 2);
  if (input.metafile) return layout;

  // The one-pixel inset keeps the decoder's blurred edge out of the picture; pictures too small
  // to lose their edge keep it.
  const bool inset = width >= 3 && height >= 3;
  const double sourceLeft = inset ? 1 : 0, sourceTop = inset ? 1 : 0;
  const double sourceRight = inset ? width - 1 : width, sourceBottom = inset ? height - 1 : height;

  const double visibleLeft = layout.centreX - windowWidth * 0.5 / layout.scaleX;
  const double visibleTop = layout.centreY - windowHeight * 0.5 / layout.scaleY;
  const double left = std::max(visibleLeft, sourceLeft);
  const double top = std::max(visibleTop, sourceTop);
  const double right = std::min(visibleLeft + windowWidth / layout.scaleX, sourceRight);
  const double bottom = std::min(visibleTop + windowHeight / layout.scaleY, sourceBottom);
  if (!(right > left) || !(bottom > top)) return layout;

  PictureViewLayout::Rendering rendering;
  rendering.offset = {TruncateToInt32((left - layout.centreX) * layout.scaleX - 0.5),
                      TruncateToInt32((top - layout.centreY) * layout.scaleY - 0.5)};
  rendering.output = {TruncateToInt32(layout.scaleX * (right - left) + 0.5),
                      TruncateToInt32(layout.scaleY * (bottom - top) + 0.5)};
  if (!WithinPixelBudget(rendering.output.width, rendering.output.height)) return layout;
  // The far corners are rounded: truncating them would drop a last row or column that is all
  // but wholly visible, which is half of a two-pixel picture.
  rendering.source = {TruncateToInt32(left), TruncateToInt32(top), TruncateToInt32(right + 0.5),
                      TruncateToInt32(bottom + 0.5)};
  // Deep zooms see less than a pixel; that pixel is still drawn.
  if (rendering.source.right <= rendering.source.left) rendering.source.right = rendering.source.left + 1;
  if (rendering.source.bottom <= rendering.source.top) rendering.source.bottom = rendering.source.top + 1;
  const bool enlargedBothWays = int64_t{rendering.source.Width()} * 2 < rendering.output.width &&
                                int64_t{rendering.source.Height()} * 2 < rendering.output.height;
  rendering.interpolation = enlargedBothWays ? Interpolation::kNearestNeighbour : Interpolation::kHighQualityBicubic;
  rendering.sharpen = !enlargedBothWays;
  layout.rendering = rendering;
  return layout;
}

layout::Point MapWindowPoint(const PictureViewLayout& layout, layout::Size window, layout::Point point) {
  const layout::Point centre = WindowCentre(window);
  return {TruncateToInt32((static_cast<double>(point.x) - centre.x) / layout.scaleX + layout.centreX),
          TruncateToInt32((static_cast<double>(point.y) - centre.y) / layout.scaleY + layout.centreY)};
}

layout::Box OccupiedRect(const PictureViewLayout::Rendering& rendering, layout::Size window) {
  const layout::Point centre = WindowCentre(window);
  const int left = rendering.offset.x + centre.x, top = rendering.offset.y + centre.y;
  return {left, top, left + rendering.output.width, top + rendering.output.height};
}

layout::Box MetafilePlacement(const PictureViewLayout& layout, layout::Size picture, layout::Size window,
                              bool keepAspect) {
  if (picture.width <= 0 || picture.height <= 0) return {};
  FittedSize target{static_cast<double>(window.width), static_cast<double>(window.height)};
  if (keepAspect) target = FitProportionally(picture.width, picture.height, window.width, window.height);
  target.width = std::max(target.width, 1.0);
  target.height = std::max(target.height, 1.0);
  const double wholeWidth = target.width * layout.pixelsPerViewX;
  const double wholeHeight = target.height * layout.pixelsPerViewY;
  const double kx = wholeWidth / picture.width, ky = wholeHeight / picture.height;
  const layout::Point centre = WindowCentre(window);
  const int left = TruncateToInt32(centre.x - wholeWidth / 2 - kx * (layout.centreX - picture.width * 0.5));
  const int top = TruncateToInt32(centre.y - wholeHeight / 2 - ky * (layout.centreY - picture.height * 0.5));
  return {left, top, TruncateToInt32(static_cast<double>(left) + TruncateToInt32(wholeWidth + 0.5)),
          TruncateToInt32(static_cast<double>(top) + TruncateToInt32(wholeHeight + 0.5))};
}

}  // namespace zp::pictures
