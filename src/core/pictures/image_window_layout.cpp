#include "core/pictures/image_window_layout.h"

#include <algorithm>
#include <utility>

#include "core/fscommand/fs_arguments.h"

namespace zp::pictures {
namespace {

int32_t ClampCoordinate(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, kWindowCoordinateMin, kWindowCoordinateMax));
}

int32_t ClampInt(int64_t value) {
  return static_cast<int32_t>(
      std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// Sizes scaled by a picture's proportions: far beyond any screen, but never past int64.
int64_t ScaledSize(double value) { return static_cast<int64_t>(std::clamp(value, -1e15, 1e15)); }

int32_t CoordinateItem(const std::vector<std::u16string>& items, size_t index) {
  const std::u16string item = FsArgumentAt(items, index);
  return item.empty() ? kUnsetCoordinate : ReadFsNumber(item);
}

}  // namespace

std::optional<ShowImageRequest> ReadShowImageRequest(std::u16string_view args) {
  const auto items = SplitFsArguments(args);
  if (items.empty()) return std::nullopt;
  ShowImageRequest request;
  request.path = items[0];
  request.caption = FsArgumentAt(items, 1);
  const std::u16string fit = FsArgumentAt(items, 2);
  request.fit = fit.empty() || ReadFsNumber(fit) != 0;
  request.left = CoordinateItem(items, 3);
  request.top = CoordinateItem(items, 4);
  request.right = CoordinateItem(items, 5);
  request.bottom = CoordinateItem(items, 6);
  return request;
}

layout::Box ImageWindowRect(const ShowImageRequest& request) {
  const int64_t left = request.left == kUnsetCoordinate ? 100 : request.left;
  const int64_t top = request.top == kUnsetCoordinate ? 100 : request.top;
  const int64_t right = request.right == kUnsetCoordinate ? left + 400 : request.right;
  const int64_t bottom = request.bottom == kUnsetCoordinate ? top + 300 : request.bottom;
  return {ClampCoordinate(std::min(left, right)), ClampCoordinate(std::min(top, bottom)),
          ClampCoordinate(std::max(left, right)), ClampCoordinate(std::max(top, bottom))};
}

std::u16string_view FileNamePart(std::u16string_view path) {
  const size_t slash = path.find_last_of(u"\\/");
  return slash == std::u16string_view::npos ? path : path.substr(slash + 1);
}

layout::Box FitWindowToPicture(layout::Box window, FrameSizes frame, layout::Size picture, layout::Box workArea) {
  if (picture.width <= 0 || picture.height <= 0) return window;
  const double ratio = static_cast<double>(picture.width) / picture.height;
  int64_t width = picture.width, height = picture.height;
  const int64_t frameWidth = int64_t{frame.left} + frame.right, frameHeight = int64_t{frame.top} + frame.bottom;
  const int64_t roomWidth = int64_t{workArea.right} - workArea.left - frameWidth;
  const int64_t roomHeight = int64_t{workArea.bottom} - workArea.top - frameHeight;
  if (width > roomWidth) {
    width = roomWidth;
    height = ScaledSize(width / ratio);
  }
  if (height > roomHeight) {
    height = roomHeight;
    width = ScaledSize(height * ratio);
  }
  int64_t left = window.left, top = window.top;
  int64_t right = left + frameWidth + std::max<int64_t>(width, 0);
  int64_t bottom = top + frameHeight + std::max<int64_t>(height, 0);
  // In this order: a window larger than the area ends up against its bottom and right edges.
  auto shift = [](int64_t& low, int64_t& high, int64_t by) {
    low += by;
    high += by;
  };
  if (top < workArea.top) shift(top, bottom, workArea.top - top);
  if (left < workArea.left) shift(left, right, workArea.left - left);
  if (bottom > workArea.bottom) shift(top, bottom, workArea.bottom - bottom);
  if (right > workArea.right) shift(left, right, workArea.right - right);
  return {ClampInt(left), ClampInt(top), ClampInt(right), ClampInt(bottom)};
}

layout::Size FitPictureInBox(layout::Size picture, layout::Size box) {
  const int64_t w = picture.width, h = picture.height;
  if (w <= 0 || h <= 0) return {};
  if (w <= box.width && h <= box.height) return picture;
  const int64_t boxWidth = std::max(box.width, 1), boxHeight = std::max(box.height, 1);
  int64_t width = (w * boxHeight + h / 2) / h, height = boxHeight;
  if (boxWidth < width) {
    width = boxWidth;
    height = (h * boxWidth + w / 2) / w;
  }
  return {static_cast<int>(std::max<int64_t>(width, 1)), static_cast<int>(std::max<int64_t>(height, 1))};
}

}  // namespace zp::pictures
